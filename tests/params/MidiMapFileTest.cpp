#include "params/MidiMapFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "params/MidiCcMap.h"
#include "params/MidiMapParser.h"
#include "params/ParameterInfo.h"
#include "tests/params/TempFolder.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

const char* const kNames[kNumParams] = {"InputVolume", "Decay",  "Damp",   "Dispersion", "SpringTension",
                                        "Timbre",      "HiPass", "LoPass", "OutputMix",  "Kick"};

#if defined(_WIN32)
const std::string kNewline = "\r\n";
#else
const std::string kNewline = "\n";
#endif

std::vector<std::int32_t> bindings(const MidiCcMap& map) {
    std::vector<std::int32_t> result;
    for (std::int32_t i = 0; i < kNumParams; ++i) {
        result.push_back(map.binding(i));
    }
    return result;
}

std::vector<std::int32_t> defaultsWith(std::int32_t index, std::int32_t cc) {
    MidiCcMap map;
    map.setBinding(index, cc);
    return bindings(map);
}

bool folderAcceptsFiles(const std::string& folder) {
    const std::string probe = folder + "/probe";
    TempFolder::writeBytes(probe, "x");
    std::error_code error;
    return fs::remove(probe, error);
}

std::string nineOtherLines() {
    return std::string(9, '\n');
}

struct ReadCase {
    const char* what;
    std::string content;
    std::vector<std::int32_t> expected;
};

std::vector<ReadCase> readCases() {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const std::string longTail(100000, 'x');
    MidiCcMap both;
    both.setBinding(kInputVolume, 5);
    both.setBinding(kDecay, 6);
    return {
        {"empty file", "", defaultsWith(0, 20)},
        {"Decay on its own line", "InputVolume=20\nDecay=30\n", defaultsWith(kDecay, 30)},
        {"Decay on another parameter's line", "InputVolume=20\nDamp=22\nDecay=30\n", defaultsWith(kDecay, 21)},
        {"any separator", "\nDecay:30\n", defaultsWith(kDecay, 30)},
        {"blank separator, no final newline", "\nDecay 30", defaultsWith(kDecay, 30)},
        {"longer name reads no number", "\nDecayTime=30\n", defaultsWith(kDecay, 0)},
        {"separator without number", "\nDecay=\n", defaultsWith(kDecay, 0)},
        {"name only keeps the entry", "\nDecay\n", defaultsWith(kDecay, 21)},
        {"other case, leading blank", "\ndecay=30\n Decay=31\n", defaultsWith(kDecay, 21)},
        {"blanks, sign and trailing text", "InputVolume=  \t+12abc\n", defaultsWith(kInputVolume, 12)},
        {"negative value on the last line", nineOtherLines() + "Kick=-1", defaultsWith(kKick, -1)},
        {"eleventh line ignored", nineOtherLines() + "Kick=1\nInputVolume=2\n", defaultsWith(kKick, 1)},
        {"carriage return line ends", "InputVolume=5\r\nDecay=6\r\n", bindings(both)},
        {"too large", "InputVolume=99999999999999999999999\n", defaultsWith(kInputVolume, kMax)},
        {"too small", "InputVolume=-2147483649\n", defaultsWith(kInputVolume, kMin)},
        {"very long line stays one line", "InputVolume=7" + longTail + "Decay=9\nDecay=8\n",
         [] {
             MidiCcMap map;
             map.setBinding(kInputVolume, 7);
             map.setBinding(kDecay, 8);
             return bindings(map);
         }()},
        {"long line at a buffer size", std::string(259, 'A') + "Decay=9\n" + std::string(4095, 'B') + "Damp=9\n",
         defaultsWith(0, 20)},
        {"NUL as separator",
         std::string("InputVolume\0"
                     "42\n",
                     15),
         defaultsWith(kInputVolume, 42)},
        {"NUL inside the name", std::string("Input\0Volume=3\n", 15), defaultsWith(0, 20)},
        {"NUL ends the number",
         std::string("InputVolume=4\0"
                     "5\n",
                     16),
         defaultsWith(kInputVolume, 4)},
        {"binary data",
         std::string("\xff\xfe\x00\x01\n\x80"
                     "Decay=1\n\x1b[",
                     16),
         defaultsWith(0, 20)},
    };
}

// Reads the text both from a real file and fed byte by byte.
TEST(MidiMapFile, ReadingFollowsThePositionalRules) {
    for (const ReadCase& c : readCases()) {
        TempFolder folder;
        TempFolder::writeBytes(folder.path("Quorl.dat"), c.content);
        MidiMapFile file(folder.path("Quorl.so"), "");
        MidiCcMap fromFile;
        file.read(kNames, fromFile);
        EXPECT_EQ(bindings(fromFile), c.expected) << c.what;

        MidiCcMap fed;
        MidiMapParser parser(kNames, fed);
        for (char byte : c.content) {
            parser.feed(&byte, 1);
        }
        parser.finish();
        EXPECT_EQ(bindings(fed), c.expected) << c.what;
    }
}

TEST(MidiMapFile, PathReplacesTheModuleExtension) {
    const std::string longFolder(1000, 'd');
    const std::pair<std::string, std::string> cases[] = {
        {"/usr/lib/vst/Quorl.so", "/usr/lib/vst/Quorl.dat"},
        {"C:\\Effects\\Quorl.dll", "C:\\Effects\\Quorl.dat"},
        {"/opt/v1.2/Quorl", "/opt/v1.2/Quorl.dat"},
        {"C:\\v1.2\\Quorl", "C:\\v1.2\\Quorl.dat"},
        {"/plugins/.Quorl", "/plugins/.Quorl.dat"},
        {"Quorl.vst.so", "Quorl.vst.dat"},
        {"/" + longFolder + "/Quorl.so", "/" + longFolder + "/Quorl.dat"},
        {"", ""},
    };
    for (const auto& [module, expected] : cases) {
        EXPECT_EQ(MidiMapFile::pathForModule(module), expected) << module;
    }
}

TEST(MidiMapFile, FirstInstanceWritesTheDefaultFile) {
    TempFolder folder;
    MidiMapFile file(folder.path("Quorl.so"), folder.path("config"));
    EXPECT_EQ(file.path(), folder.path("Quorl.dat"));
    MidiCcMap map;
    file.read(kNames, map);
    EXPECT_EQ(bindings(map), bindings(MidiCcMap()));
    ASSERT_TRUE(file.write(kNames, map));
    std::string expected;
    for (const char* line : {"InputVolume=20", "Decay=21", "Damp=22", "Dispersion=23", "SpringTension=24", "Timbre=25",
                             "HiPass=26", "LoPass=27", "OutputMix=28", "Kick=64"}) {
        expected += line + kNewline;
    }
    EXPECT_EQ(TempFolder::readBytes(file.path()), expected);
    EXPECT_FALSE(fs::exists(folder.path("config")));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path("")), fs::directory_iterator()), 1)
        << "no temporary left";
}

TEST(MidiMapFile, UnusualValuesSurviveARoundTrip) {
    TempFolder folder;
    MidiMapFile file(folder.path("Quorl.so"), "");
    TempFolder::writeBytes(file.path(), nineOtherLines() + "Kick=-1\n");
    MidiCcMap map;
    file.read(kNames, map);
    map.clearBinding(kDamp);
    map.setBinding(kTimbre, std::numeric_limits<std::int32_t>::min());
    ASSERT_TRUE(file.write(kNames, map));
    const std::string text = TempFolder::readBytes(file.path());
    EXPECT_NE(text.find("Damp=0" + kNewline), std::string::npos);
    EXPECT_NE(text.find("Kick=-1" + kNewline), std::string::npos);
    MidiCcMap again;
    file.read(kNames, again);
    EXPECT_EQ(bindings(again), bindings(map));
}

// Places where the file beside the module cannot be written: the per-user
// file takes over, is read in preference, and goes away once the primary
// place works again.
TEST(MidiMapFile, UnwritablePlaceFallsBackToThePerUserFile) {
    struct Blocker {
        const char* what;
        void (*block)(const TempFolder&);
        void (*unblock)(const TempFolder&);
    };
    const Blocker blockers[] = {
        {"module folder missing", [](const TempFolder&) {},
         [](const TempFolder& f) { fs::create_directories(f.path("plugins")); }},
        {"directory in place of the file",
         [](const TempFolder& f) { fs::create_directories(f.path("plugins/Quorl.dat")); },
         [](const TempFolder& f) { fs::remove(f.path("plugins/Quorl.dat")); }},
        {"read-only folder",
         [](const TempFolder& f) {
             fs::create_directories(f.path("plugins"));
             fs::permissions(f.path("plugins"), fs::perms::owner_read | fs::perms::owner_exec);
         },
         [](const TempFolder& f) { fs::permissions(f.path("plugins"), fs::perms::owner_all); }},
        {"read-only file",
         [](const TempFolder& f) {
             fs::create_directories(f.path("plugins"));
             TempFolder::writeBytes(f.path("plugins/Quorl.dat"), "InputVolume=1\n");
             fs::permissions(f.path("plugins/Quorl.dat"), fs::perms::owner_read);
         },
         [](const TempFolder& f) { fs::permissions(f.path("plugins/Quorl.dat"), fs::perms::owner_all); }},
    };
    for (const Blocker& b : blockers) {
        TempFolder folder;
        b.block(folder);
        if (std::string(b.what) == "read-only folder" && folderAcceptsFiles(folder.path("plugins"))) {
            continue;  // privileged user or no folder permissions on this system
        }
        const std::string before = TempFolder::readBytes(folder.path("plugins/Quorl.dat"));
        MidiMapFile file(folder.path("plugins/Quorl.so"), folder.path("config"));
        EXPECT_EQ(file.userPath(), (fs::path(folder.path("config")) / "Quorl" / "Quorl.dat").string());
        MidiCcMap learned;
        learned.setBinding(kDecay, 99);
        ASSERT_TRUE(file.write(kNames, learned)) << b.what;
        EXPECT_TRUE(fs::is_regular_file(file.userPath())) << b.what;
        EXPECT_EQ(TempFolder::readBytes(folder.path("plugins/Quorl.dat")), before) << b.what;

        MidiCcMap next;
        file.read(kNames, next);
        EXPECT_EQ(next.binding(kDecay), 99) << b.what;

        b.unblock(folder);
        ASSERT_TRUE(file.write(kNames, next)) << b.what;
        EXPECT_FALSE(fs::exists(file.userPath())) << b.what;
        MidiCcMap last;
        file.read(kNames, last);
        EXPECT_EQ(last.binding(kDecay), 99) << b.what;
    }
}

TEST(MidiMapFile, NoPlaceToWriteFailsQuietly) {
    TempFolder folder;
    MidiMapFile file(folder.path("missing/Quorl.so"), "");
    EXPECT_FALSE(file.write(kNames, MidiCcMap()));
    MidiMapFile nowhere("", "");
    EXPECT_FALSE(nowhere.write(kNames, MidiCcMap()));
    MidiCcMap map;
    nowhere.read(kNames, map);
    EXPECT_EQ(bindings(map), bindings(MidiCcMap()));
}

// Neither a folder nor a FIFO (which would block the host) is read as the file.
TEST(MidiMapFile, SpecialFilesInPlaceOfTheFileReadAsMissing) {
    TempFolder folder;
    fs::create_directories(folder.path("plugins/Quorl.dat"));
#if !defined(_WIN32)
    ASSERT_EQ(mkfifo(folder.path("Quorl.dat").c_str(), 0600), 0);
#endif
    for (const char* module : {"plugins/Quorl.so", "Quorl.so"}) {
        MidiMapFile file(folder.path(module), "");
        MidiCcMap map;
        file.read(kNames, map);
        EXPECT_EQ(bindings(map), bindings(MidiCcMap())) << module;
    }
}

// Instances closing one after the other: the last one decides. Several
// closing at once never leave a mixed or cut file behind, even for a reader
// looking at the same moment.
TEST(MidiMapFile, WritersReplaceTheWholeFile) {
    TempFolder folder;
    MidiMapFile file(folder.path("Quorl.so"), folder.path("config"));
    MidiCcMap first;
    MidiCcMap second;
    for (std::int32_t i = 0; i < kNumParams; ++i) {
        first.setBinding(i, 100 + i);
        second.setBinding(i, 1000000 + i);
    }
    ASSERT_TRUE(file.write(kNames, first));
    ASSERT_TRUE(file.write(kNames, second));
    MidiCcMap read;
    file.read(kNames, read);
    EXPECT_EQ(bindings(read), bindings(second));

    std::atomic<bool> stop{false};
    std::atomic<int> partial{0};
    std::thread reader([&] {
        while (!stop.load()) {
            std::ifstream in(file.path(), std::ios::binary);
            if (!in.is_open()) {
                continue;  // Windows refuses opening while the file is being replaced
            }
            const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            MidiCcMap seen;
            MidiMapParser::parse(text.data(), text.size(), kNames, seen);
            if (text.empty() || (bindings(seen) != bindings(first) && bindings(seen) != bindings(second))) {
                partial.fetch_add(1);
            }
        }
    });
    std::thread writerA([&] {
        for (int i = 0; i < 200; ++i) {
            file.write(kNames, first);
        }
    });
    std::thread writerB([&] {
        for (int i = 0; i < 200; ++i) {
            file.write(kNames, second);
        }
    });
    writerA.join();
    writerB.join();
    stop.store(true);
    reader.join();
    EXPECT_EQ(partial.load(), 0);
    ASSERT_TRUE(file.write(kNames, first));
    MidiCcMap afterAll;
    file.read(kNames, afterAll);
    EXPECT_EQ(bindings(afterAll), bindings(first));
}

}  // namespace
