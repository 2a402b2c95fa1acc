// The single program: its name, its selection and how it re-applies values.
#include <string>
#include <utility>
#include <vector>

#include "tests/plugin/PluginFixture.h"

namespace {

// Records what reaches the plug-in's own setProgram and setParameter.
class ProbePlugin : public CPlugin {
public:
    using CPlugin::CPlugin;
    void setProgram(VstInt32 program) override {
        programCalls.push_back(program);
        CPlugin::setProgram(program);
    }
    void setParameter(VstInt32 index, float value) override {
        parameterCalls.emplace_back(index, value);
        CPlugin::setParameter(index, value);
    }
    std::vector<VstInt32> programCalls;
    std::vector<std::pair<VstInt32, float>> parameterCalls;
};

class ProgramSelection : public ::testing::Test {
protected:
    static audioMasterCallback freshHost() {
        RecordingHost::reset();
        return RecordingHost::callback;
    }
    ProbePlugin plugin{freshHost()};
};

class ProgramTest : public PluginFixture {
protected:
    std::string programName() {
        char text[64] = "x";
        plugin->getProgramName(text);
        return text;
    }
    std::string indexedName(VstInt32 index, bool& answered) {
        char text[64] = "untouched";
        answered = plugin->getProgramNameIndexed(0, index, text);
        return text;
    }
};

TEST_F(ProgramTest, DefaultName) {
    EXPECT_EQ(programName(), "Spring Reverb Quorl");
    EXPECT_EQ(plugin->getProgram(), 0);
}

TEST_F(ProgramTest, InitIsNumberedOnlyWhenExact) {
    struct Case {
        const char* name;
        const char* shown;
    };
    for (const Case& c : {Case{"Init", "Init 1"}, Case{"init", "init"}, Case{"Init2", "Init2"}, Case{"Init ", "Init "},
                          Case{"INIT", "INIT"}, Case{"", ""}}) {
        std::string name = c.name;
        plugin->setProgramName(name.data());
        EXPECT_EQ(programName(), c.shown) << '"' << c.name << '"';
        bool answered = false;
        EXPECT_EQ(indexedName(0, answered), c.name);
        EXPECT_TRUE(answered);
    }
}

TEST_F(ProgramTest, LongNamesAreCutTo23Characters) {
    std::string name(40, 'a');
    plugin->setProgramName(name.data());
    EXPECT_EQ(programName(), std::string(23, 'a'));
}

TEST_F(ProgramTest, IndexedNameOnlyForProgramZero) {
    for (VstInt32 index : {1, -1, 100}) {
        bool answered = true;
        EXPECT_EQ(indexedName(index, answered), "untouched");
        EXPECT_FALSE(answered) << index;
    }
}

TEST_F(ProgramSelection, ReappliesStoredValuesInIndexOrder) {
    plugin.setParameter(kKick, 0.75f);
    plugin.parameterCalls.clear();

    plugin.setProgram(0);
    ASSERT_EQ(plugin.parameterCalls.size(), static_cast<std::size_t>(kNumParams));
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(plugin.parameterCalls[i].first, i);
        EXPECT_EQ(plugin.parameterCalls[i].second, plugin.getParameter(i));
    }
    EXPECT_EQ(plugin.parameterCalls.back().second, 0.75f);
}

TEST_F(ProgramSelection, OnlyProgramZeroIsAccepted) {
    for (VstInt32 program : {1, -1, 2, 1 << 30}) {
        plugin.parameterCalls.clear();
        plugin.setProgram(program);
        EXPECT_TRUE(plugin.parameterCalls.empty()) << program;
        EXPECT_EQ(plugin.getProgram(), 0);
    }
}

TEST_F(ProgramSelection, DispatcherPassesOnlyValuesBelowTheProgramCount) {
    plugin.programCalls.clear();
    plugin.dispatcher(effSetProgram, 0, 1, nullptr, 0.0f);
    EXPECT_TRUE(plugin.programCalls.empty());
    plugin.dispatcher(effSetProgram, 0, -1, nullptr, 0.0f);
    plugin.dispatcher(effSetProgram, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(plugin.programCalls, (std::vector<VstInt32>{-1, 0}));
    EXPECT_EQ(plugin.getProgram(), 0);
}

TEST_F(ProgramSelection, ResumeSelectsProgramZero) {
    plugin.programCalls.clear();
    plugin.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
    EXPECT_EQ(plugin.programCalls, (std::vector<VstInt32>{0}));
}

}  // namespace
