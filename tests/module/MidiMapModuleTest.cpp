// The controller map file as a host sees it: the module is copied into a
// fresh folder, loaded from there, and its map file appears beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/module/LoadedModule.h"
#include "tests/module/RecordingHost.h"
#include "tests/params/EventList.h"
#include "tests/params/TempFolder.h"

namespace {

#ifdef _WIN32
constexpr const char* kNewline = "\r\n";
#else
constexpr const char* kNewline = "\n";
#endif

std::string lines(std::initializer_list<const char*> items) {
    std::string text;
    for (const char* item : items) {
        text += item;
        text += kNewline;
    }
    return text;
}

class MidiMapModule : public ::testing::Test {
protected:
    void SetUp() override {
        const std::filesystem::path built(QUORL_MODULE_PATH);
        modulePath = folder.path(built.filename().string());
        std::filesystem::copy_file(built, modulePath);
        mapPath = folder.path("Quorl.dat");
        module = std::make_unique<LoadedModule>(modulePath);
        ASSERT_TRUE(module->loaded());
        entry = module->entry("VSTPluginMain");
        ASSERT_NE(entry, nullptr);
    }

    AEffect* open() {
        RecordingHost::reset();
        AEffect* effect = entry(RecordingHost::callback);
        EXPECT_NE(effect, nullptr);
        return effect;
    }
    static void close(AEffect* effect) { EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1); }
    static void controlChange(AEffect* effect, int controller, int value) {
        EventList events;
        events.add(0xB0, controller, value);
        EXPECT_EQ(effect->dispatcher(effect, effProcessEvents, 0, 0, const_cast<VstEvents*>(events.get()), 0.0f), 1);
    }

    TempFolder folder;
    std::string modulePath;
    std::string mapPath;
    std::unique_ptr<LoadedModule> module;
    VstEntry entry = nullptr;
};

TEST_F(MidiMapModule, FirstInstanceWritesTheDefaultsOnClose) {
    AEffect* effect = open();
    EXPECT_FALSE(std::filesystem::exists(mapPath));
    controlChange(effect, 20, 127);
    EXPECT_EQ(effect->getParameter(effect, 0), 1.0f);
    close(effect);
    EXPECT_EQ(TempFolder::readBytes(mapPath),
              lines({"InputVolume=20", "Decay=21", "Damp=22", "Dispersion=23", "SpringTension=24", "Timbre=25",
                     "HiPass=26", "LoPass=27", "OutputMix=28", "Kick=64"}));
}

TEST_F(MidiMapModule, BindingsComeFromTheFileAndGoBackUnchanged) {
    // Line 3 names the wrong parameter; the last line has no newline.
    TempFolder::writeBytes(mapPath,
                           "InputVolume=20\nDecay=30\nDecay=31\r\nDispersion:23\nSpringTension 24\nTimbre=25\n"
                           "HiPass=26\nLoPass=27\nOutputMix=0\nKick=-1");
    AEffect* effect = open();
    controlChange(effect, 30, 127);
    controlChange(effect, 21, 0);
    controlChange(effect, 31, 0);
    controlChange(effect, 22, 0);
    EXPECT_EQ(effect->getParameter(effect, 1), 1.0f);  // Decay follows 30 only
    EXPECT_EQ(effect->getParameter(effect, 2), 0.0f);  // Damp kept its default 22
    close(effect);
    const std::string text = TempFolder::readBytes(mapPath);
    EXPECT_NE(text.find(std::string("Decay=30") + kNewline), std::string::npos);
    EXPECT_NE(text.find(std::string("Damp=22") + kNewline), std::string::npos);
    EXPECT_NE(text.find(std::string("OutputMix=0") + kNewline), std::string::npos);
    EXPECT_NE(text.find(std::string("Kick=-1") + kNewline), std::string::npos);
}

TEST_F(MidiMapModule, TwoInstancesClosedInTurnLeaveTheLastOnesBindings) {
    TempFolder::writeBytes(mapPath, "InputVolume=5\n");
    AEffect* first = open();
    TempFolder::writeBytes(mapPath, "InputVolume=6\n");
    AEffect* second = open();
    close(second);
    EXPECT_NE(TempFolder::readBytes(mapPath).find("InputVolume=6"), std::string::npos);
    close(first);
    const std::string text = TempFolder::readBytes(mapPath);
    EXPECT_NE(text.find("InputVolume=5"), std::string::npos);
    EXPECT_NE(text.find("Kick=64"), std::string::npos);
}

}  // namespace
