// The exported entry points, driven exactly as a host drives them.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/module/LoadedModule.h"
#include "tests/module/RecordingHost.h"

namespace {

class EntryPointTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.loaded()) << "cannot load " << QUORL_MODULE_PATH;
        entry = module.entry(GetParam());
        ASSERT_NE(entry, nullptr) << GetParam() << " is not exported";
    }

    LoadedModule module{QUORL_MODULE_PATH};
    VstEntry entry = nullptr;
};

TEST(EntryPoints, BothNamesAreOneFunction) {
    LoadedModule module(QUORL_MODULE_PATH);
    ASSERT_TRUE(module.loaded());
    EXPECT_NE(module.entry("VSTPluginMain"), nullptr);
    EXPECT_EQ(module.entry("main"), module.entry("VSTPluginMain"));
    EXPECT_EQ(module.entry("createEffectInstance"), nullptr);
}

TEST_P(EntryPointTest, AsksTheVersionFirstThenRequestsMidiOnce) {
    RecordingHost::reset(2400);
    AEffect* effect = entry(RecordingHost::callback);
    ASSERT_NE(effect, nullptr);

    const auto& requests = RecordingHost::requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].effect, nullptr);
    EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    EXPECT_EQ(requests[0].index, 0);
    EXPECT_EQ(requests[0].value, 0);
    EXPECT_EQ(requests[0].ptr, nullptr);
    EXPECT_EQ(requests[0].opt, 0.0f);
    EXPECT_EQ(requests[1].effect, effect);
    EXPECT_EQ(requests[1].opcode, audioMasterWantMidi);
    EXPECT_EQ(requests[1].value, 1);

    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(requests.size(), 2u) << "closing sends nothing to the host";
}

TEST_P(EntryPointTest, AnyNonzeroVersionIsAccepted) {
    for (VstIntPtr version : {VstIntPtr{1}, VstIntPtr{-1}, VstIntPtr{1000}}) {
        RecordingHost::reset(version);
        AEffect* effect = entry(RecordingHost::callback);
        ASSERT_NE(effect, nullptr) << "version " << version;
        EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    }
}

TEST_P(EntryPointTest, VersionZeroCreatesNothing) {
    RecordingHost::reset(0);
    EXPECT_EQ(entry(RecordingHost::callback), nullptr);
    ASSERT_EQ(RecordingHost::requests().size(), 1u);
    EXPECT_EQ(RecordingHost::requests()[0].opcode, audioMasterVersion);
}

TEST_P(EntryPointTest, NullCallbackCreatesNothing) {
    EXPECT_EQ(entry(nullptr), nullptr);
}

TEST_P(EntryPointTest, InstancesAreIndependent) {
    RecordingHost::reset();
    AEffect* first = entry(RecordingHost::callback);
    AEffect* second = entry(RecordingHost::callback);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_NE(first->object, second->object);

    first->setParameter(first, 2, 0.125f);
    EXPECT_EQ(first->getParameter(first, 2), 0.125f);
    EXPECT_EQ(second->getParameter(second, 2), 0.5f);

    // Closing one leaves the other working.
    EXPECT_EQ(first->dispatcher(first, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(second->getParameter(second, 2), 0.5f);
    EXPECT_EQ(second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f), 1);
}

INSTANTIATE_TEST_SUITE_P(Names, EntryPointTest, ::testing::Values("VSTPluginMain", "main"));

}  // namespace
