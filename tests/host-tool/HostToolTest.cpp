// Runs the built quorl-host as a user would and checks what it prints,
// returns and writes, against small modules built here, a third-party
// module when installed, and our own module when it is part of the build.
#include "tests/host-tool/ToolRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sndfile.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
constexpr bool kRenderBuilt = false;
constexpr bool kAllocationsObservable = false;
#else
constexpr bool kRenderBuilt = true;
constexpr bool kAllocationsObservable = !QUORL_HOST_SANITIZED_BUILD;
#endif
// Sanitizers take the crash signals for their own reports.
constexpr bool kCrashesReported = !QUORL_HOST_SANITIZED_BUILD;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> linesStartingWith(const ToolRun& run, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : run.lines())
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line);
    return found;
}

class HostTool : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / ("quorl-host-test-" + std::string(info->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    std::vector<std::string> folderContents() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string textFile(const std::string& name) const {
        std::ofstream(path(name)) << "this is not a plug-in\n";
        return path(name);
    }

    fs::path folder_;
};

const std::string kGain = buildPath(GAIN_MODULE);
const std::string kAllocationFault = buildPath(ALLOCATION_FAULT_MODULE);
const std::string kNanFault = buildPath(NAN_FAULT_MODULE);

#if defined(DRAGONFLY_PLATE)
const std::string kPlate = DRAGONFLY_PLATE;
#else
const std::string kPlate;
#endif

bool plateInstalled() {
    return !kPlate.empty() && fs::exists(kPlate);
}

}  // namespace

TEST_F(HostTool, EveryCommandRejectsWhatIsNotAPluginInOneLine) {
    const struct {
        std::string module;
        std::string reason;
    } modules[] = {
        {textFile("not-a-plugin.so"), "cannot load module"},
        {path("missing.so"), "no such file"},
        {buildPath(NO_ENTRY_MODULE), "exports neither VSTPluginMain nor main"},
        {buildPath(NULL_ENTRY_MODULE), "entry point returned null"},
    };
    std::vector<std::vector<std::string>> commands = {{"info"}, {"validate"}, {"bench"}};
    if (kRenderBuilt)
        commands.push_back({"render", "--demo", path("out.wav")});
    for (const auto& module : modules) {
        for (const auto& command : commands) {
            std::vector<std::string> args = {command[0], module.module};
            args.insert(args.end(), command.begin() + 1, command.end());
            const ToolRun run = runTool(args);
            SCOPED_TRACE(command[0] + " " + module.module + ":\n" + run.output);
            EXPECT_NE(run.status, 0);
            ASSERT_EQ(run.lines().size(), 1u);
            EXPECT_TRUE(contains(run.lines()[0], "quorl-host: "));
            EXPECT_TRUE(contains(run.lines()[0], module.reason));
        }
    }
    EXPECT_EQ(folderContents(), std::vector<std::string>{"not-a-plugin.so"});
}

TEST_F(HostTool, InfoShowsRecordNamesParametersAndPrograms) {
    const ToolRun run = runTool({"info", kGain});
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* expected : {"effect name       \"Test Gain\"", "vendor            \"Ferrowind Audio\"",
                                 "unique id         'QhGn'", "inputs            1", "outputs           1",
                                 "receiveVstEvents     yes", "\"Gain\"", "\"1.000\"", "\"Unity\""})
        EXPECT_TRUE(contains(run.output, expected)) << expected << "\n" << run.output;
}

TEST_F(HostTool, ValidatePassesASoundModule) {
    const ToolRun run = runTool({"validate", kGain, "--cycles", "20", "--seconds", "0.3"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "0 failed")) << run.output;
    EXPECT_EQ(linesStartingWith(run, "PASS  no allocation").size(), kAllocationsObservable ? 1u : 0u) << run.output;
    EXPECT_EQ(linesStartingWith(run, "SKIP  no allocation").size(), kAllocationsObservable ? 0u : 1u) << run.output;
}

TEST_F(HostTool, ValidateOpensAnEditorWhereItCanMakeAWindow) {
    const ToolRun run = runTool({"validate", buildPath(EDITOR_MODULE), "--cycles", "5", "--seconds", "0.2"});
    EXPECT_EQ(run.status, 0) << run.output;
    const auto opened = linesStartingWith(run, "PASS  editor: 3 openings");
    const auto skipped = linesStartingWith(run, "SKIP  editor: no native parent window");
#if defined(_WIN32)
    // Windows can be made only with a display (under Wine: an X server).
    EXPECT_EQ(opened.size() + skipped.size(), 1u) << run.output;
#else
    EXPECT_EQ(skipped.size(), 1u) << run.output;
#endif
}

TEST_F(HostTool, ValidateNamesTheCheckAModuleFails) {
    struct Case {
        std::string module;
        std::string failure;
        int status;
    };
    std::vector<Case> cases = {{kNanFault, "FAIL  parameter fuzz: parameter 0 (\"Gain\") set to -1: ", 1}};
    if (kCrashesReported)
        cases.push_back({buildPath(CRASH_FAULT_MODULE), "FAIL  parameter fuzz: the module crashed", 3});
    if (kAllocationsObservable)
        cases.push_back({kAllocationFault, "FAIL  no allocation in processReplacing: ", 1});
    for (const Case& c : cases) {
        const ToolRun run = runTool({"validate", c.module, "--cycles", "5", "--seconds", "0.2"});
        SCOPED_TRACE(run.output);
        EXPECT_EQ(run.status, c.status);
        const auto failures = linesStartingWith(run, "FAIL");
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].rfind(c.failure, 0), 0u);
    }
}

TEST_F(HostTool, ValidateRunsAThirdPartyModule) {
    if (!plateInstalled())
        GTEST_SKIP() << "dragonfly-reverb-vst is not installed";
    const ToolRun run = runTool({"validate", kPlate, "--cycles", "20", "--seconds", "0.3"});
    // The plate reverb allocates inside its audio callback; everything else holds.
    const auto failures = linesStartingWith(run, "FAIL");
    EXPECT_EQ(run.status, failures.empty() ? 0 : 1) << run.output;
    for (const std::string& failure : failures)
        EXPECT_EQ(failure.rfind("FAIL  no allocation in processReplacing", 0), 0u) << run.output;
    EXPECT_GE(linesStartingWith(run, "PASS").size(), 13u) << run.output;
}

#if defined(QUORL_MODULE)
TEST_F(HostTool, OurModulePassesEveryCheck) {
    const ToolRun run = runTool({"validate", buildPath(QUORL_MODULE), "--cycles", "30", "--seconds", "0.5"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(linesStartingWith(run, "FAIL").empty()) << run.output;
}
#endif

TEST_F(HostTool, BenchMeasuresModulesSideBySide) {
    std::vector<std::string> args = {"bench", kGain, kNanFault, "--seconds", "0.3"};
    if (plateInstalled())
        args.insert(args.begin() + 1, kPlate);
    const ToolRun run = runTool(args);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.lines().size(), args.size() - 3 + 2) << run.output;
    EXPECT_TRUE(contains(run.output, "ns/frame")) << run.output;
    for (std::size_t i = 1; i + 2 < args.size(); ++i)
        EXPECT_TRUE(contains(run.output, args[i])) << run.output;
}

#if !defined(_WIN32)

namespace {

struct Audio {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved
    long frames() const { return channels > 0 ? static_cast<long>(samples.size()) / channels : 0; }
};

void writeAudio(const std::string& file, const Audio& audio) {
    SF_INFO info{};
    info.samplerate = audio.rate;
    info.channels = audio.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* handle = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(handle, nullptr);
    sf_writef_float(handle, audio.samples.data(), audio.frames());
    sf_close(handle);
}

Audio readAudio(const std::string& file) {
    SF_INFO info{};
    SNDFILE* handle = sf_open(file.c_str(), SFM_READ, &info);
    Audio audio;
    if (handle == nullptr)
        return audio;
    audio.rate = info.samplerate;
    audio.channels = info.channels;
    audio.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(handle, audio.samples.data(), info.frames);
    sf_close(handle);
    return audio;
}

// Half a second at 48 kHz, the two channels different, no zero samples.
Audio testSignal() {
    Audio audio{48000, 2, {}};
    for (int f = 0; f < 24000; ++f) {
        audio.samples.push_back(0.25f + 0.5f * static_cast<float>(f % 97) / 97.0f);
        audio.samples.push_back(-0.25f - 0.5f * static_cast<float>(f % 89) / 89.0f);
    }
    return audio;
}

}  // namespace

TEST_F(HostTool, RenderKeepsRateAndChannelsAndAddsTheTail) {
    const Audio input = testSignal();
    writeAudio(path("in.wav"), input);
    const ToolRun run =
        runTool({"render", kGain, path("in.wav"), path("out.wav"), "--set", "gain=0.5", "--tail", "0.25"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "2 instances of 1 in x 1 out")) << run.output;
    const Audio output = readAudio(path("out.wav"));
    EXPECT_EQ(output.rate, 48000);
    ASSERT_EQ(output.channels, 2);
    ASSERT_EQ(output.frames(), 36000);
    for (long i = 0; i < output.frames() * 2; ++i) {
        const float expected = i < input.frames() * 2 ? input.samples[static_cast<std::size_t>(i)] * 0.5f : 0.0f;
        ASSERT_EQ(output.samples[static_cast<std::size_t>(i)], expected) << "sample " << i;
    }
    EXPECT_EQ(folderContents(), (std::vector<std::string>{"in.wav", "out.wav"}));
}

TEST_F(HostTool, RenderAppliesScheduledChangesAtTheirFrame) {
    const Audio input = testSignal();
    writeAudio(path("in.wav"), input);
    // 12000 and 18000 fall inside blocks of 512: the block must be split there.
    const ToolRun run =
        runTool({"render", kGain, path("in.wav"), path("out.wav"), "--at", "0.25:Gain=0", "--at", "0.375:cc20=127"});
    ASSERT_EQ(run.status, 0) << run.output;
    const Audio output = readAudio(path("out.wav"));
    ASSERT_EQ(output.frames(), input.frames());
    for (long f = 0; f < output.frames(); ++f) {
        const float gain = f < 12000 || f >= 18000 ? 1.0f : 0.0f;
        for (long c = 0; c < 2; ++c)
            ASSERT_EQ(output.samples[static_cast<std::size_t>(f * 2 + c)],
                      input.samples[static_cast<std::size_t>(f * 2 + c)] * gain)
                << "frame " << f;
    }
}

TEST_F(HostTool, RenderRefusesBadRequestsWithoutLeavingFiles) {
    writeAudio(path("in.wav"), testSignal());
    const std::string in = path("in.wav");
    const std::string out = path("out.wav");
    const std::vector<std::vector<std::string>> requests = {
        {"render", kGain, in, out, "--set", "Volume=0.5"},
        {"render", kGain, in, out, "--at", "1.x:Gain=1"},
        {"render", kGain, in, out, "--at", "1:cc200=1"},
        {"render", kGain, in, out, "--at", "1:Gain=2"},
        {"render", kGain, in, out, "--at", "-1:Gain=0"},
        {"render", kGain, in, out, "--at", "1:Volume=0"},
        {"render", kGain, in, out, "--block", "0"},
        {"render", kGain, path("missing.wav"), out},
        {"render", kGain, textFile("text.wav"), out},
        {"render", kGain, in, path("out.unknownformat")},
        {"render", kGain, in, path("no-such-folder/out.wav")},
        {"render", kGain, in},
    };
    for (const auto& request : requests) {
        const ToolRun run = runTool(request);
        SCOPED_TRACE(request.back() + ": " + run.output);
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(run.lines().size(), 1u);
    }
    EXPECT_EQ(folderContents(), (std::vector<std::string>{"in.wav", "text.wav"}));
}

TEST_F(HostTool, RenderDemoNeedsNoInputFile) {
    std::vector<std::string> modules = {kGain};
    if (plateInstalled())
        modules.push_back(kPlate);
#if defined(QUORL_MODULE)
    modules.push_back(QUORL_MODULE);
#endif
    for (const std::string& module : modules) {
        const ToolRun run = runTool({"render", module, "--demo", path("demo.flac"), "--tail", "1"});
        SCOPED_TRACE(module + ": " + run.output);
        ASSERT_EQ(run.status, 0);
        const Audio output = readAudio(path("demo.flac"));
        EXPECT_EQ(output.rate, 44100);
        EXPECT_EQ(output.channels, 2);
        EXPECT_EQ(output.frames(), 6 * 44100);
        EXPECT_TRUE(std::any_of(output.samples.begin(), output.samples.end(), [](float s) { return s != 0.0f; }));
    }
}

#endif
