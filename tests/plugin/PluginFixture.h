#pragma once
// A CPlugin made as the entry point makes it, with a recording host.
#include <gtest/gtest.h>

#include <memory>

#include "host/CPlugin.h"
#include "tests/module/RecordingHost.h"

class PluginFixture : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingHost::reset();
        plugin.reset(static_cast<CPlugin*>(createEffectInstance(RecordingHost::callback)));
        ASSERT_NE(plugin, nullptr);
    }

    std::unique_ptr<CPlugin> plugin;
};
