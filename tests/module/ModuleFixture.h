#pragma once
// One effect instance made through the module's exported entry point, closed
// through the record's dispatcher as a host closes it.
#include <gtest/gtest.h>

#include <memory>

#include "tests/module/LoadedModule.h"
#include "tests/module/RecordingHost.h"

class ModuleFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);

    static std::unique_ptr<LoadedModule> module;
    AEffect* effect = nullptr;
};
