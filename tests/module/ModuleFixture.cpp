#include "tests/module/ModuleFixture.h"

std::unique_ptr<LoadedModule> ModuleFixture::module;

void ModuleFixture::SetUpTestSuite() {
    module = std::make_unique<LoadedModule>(QUORL_MODULE_PATH);
}

void ModuleFixture::TearDownTestSuite() {
    module.reset();
}

void ModuleFixture::SetUp() {
    ASSERT_TRUE(module->loaded()) << "cannot load " << QUORL_MODULE_PATH;
    VstEntry entry = module->entry("VSTPluginMain");
    ASSERT_NE(entry, nullptr);
    RecordingHost::reset();
    effect = entry(RecordingHost::callback);
    ASSERT_NE(effect, nullptr);
}

void ModuleFixture::TearDown() {
    if (effect != nullptr) {
        EXPECT_EQ(dispatch(effClose), 1);
        effect = nullptr;
    }
}

VstIntPtr ModuleFixture::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}
