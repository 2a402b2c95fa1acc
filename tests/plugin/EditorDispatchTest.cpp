// The editor requests reach an attached editor with the host's arguments.
#include <vector>

#include "host/AEffEditor.h"
#include "tests/plugin/PluginFixture.h"

namespace {

struct KeyCall {
    bool down;
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
};

// Answers yes to everything and records what it was asked.
class RecordingEditor : public AEffEditor {
public:
    using AEffEditor::AEffEditor;
    bool getRect(ERect** rect) override {
        *rect = &area;
        return true;
    }
    bool open(void* ptr) override {
        AEffEditor::open(ptr);
        return true;
    }
    void idle() override { ++idles; }
    bool onKeyDown(VstKeyCode& key) override { return record(true, key); }
    bool onKeyUp(VstKeyCode& key) override { return record(false, key); }
    bool setKnobMode(VstInt32 mode) override {
        knobModes.push_back(mode);
        return true;
    }

    ERect area{0, 0, 160, 480};
    int idles = 0;
    std::vector<KeyCall> keys;
    std::vector<VstInt32> knobModes;

private:
    bool record(bool down, const VstKeyCode& key) {
        keys.push_back({down, key.character, key.virt, key.modifier});
        return true;
    }
};

class EditorDispatchTest : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        editor = new RecordingEditor(plugin.get());
        plugin->setEditor(editor);  // the plug-in owns it from here
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return plugin->dispatcher(opcode, index, value, ptr, opt);
    }
    RecordingEditor* editor = nullptr;
};

TEST_F(EditorDispatchTest, AttachingSetsTheEditorFlag) {
    EXPECT_EQ(plugin->getAeffect()->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsNoSoundInStop);
    EXPECT_EQ(editor->getEffect(), plugin.get());
    plugin->setEditor(nullptr);
    EXPECT_EQ(plugin->getAeffect()->flags & effFlagsHasEditor, 0);
    delete editor;
}

TEST_F(EditorDispatchTest, WindowRequests) {
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect, &editor->area);
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, nullptr), 0) << "no place to answer";

    int parent = 0;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &parent), 1);
    EXPECT_TRUE(editor->isOpen());
    EXPECT_EQ(dispatch(effEditIdle), 0);
    EXPECT_EQ(dispatch(effEditIdle), 0);
    EXPECT_EQ(editor->idles, 2);
    EXPECT_EQ(dispatch(effEditClose), 0);
    EXPECT_FALSE(editor->isOpen());
}

TEST_F(EditorDispatchTest, KeyCodesAreBuiltFromThreeArguments) {
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0x1FF, nullptr, 3.9f), 1);
    EXPECT_EQ(dispatch(effEditKeyUp, -5, 0x10, nullptr, 260.0f), 1);
    EXPECT_EQ(dispatch(effEditKeyDown, 0, 0, nullptr, 1.0e20f), 1);
    ASSERT_EQ(editor->keys.size(), 3u);
    EXPECT_TRUE(editor->keys[0].down);
    EXPECT_EQ(editor->keys[0].character, 'a');
    EXPECT_EQ(editor->keys[0].virt, 0xFF);
    EXPECT_EQ(editor->keys[0].modifier, 3) << "the float is truncated";
    EXPECT_FALSE(editor->keys[1].down);
    EXPECT_EQ(editor->keys[1].character, -5);
    EXPECT_EQ(editor->keys[1].virt, 0x10);
    EXPECT_EQ(editor->keys[1].modifier, 4) << "low byte of 260";
    EXPECT_EQ(editor->keys[2].modifier, 0) << "a float no integer holds counts as no modifier";
}

TEST_F(EditorDispatchTest, KnobModeIsPassedOn) {
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobModes, (std::vector<VstInt32>{2}));
}

TEST(EditorBase, DefaultsAnswerNotHandled) {
    AEffEditor editor(nullptr);
    ERect* rect = reinterpret_cast<ERect*>(&editor);
    EXPECT_FALSE(editor.getRect(&rect));
    EXPECT_EQ(rect, nullptr);
    int parent = 0;
    EXPECT_FALSE(editor.open(&parent));
    EXPECT_TRUE(editor.isOpen());
    editor.close();
    EXPECT_FALSE(editor.isOpen());
    VstKeyCode key{};
    EXPECT_FALSE(editor.onKeyDown(key));
    EXPECT_FALSE(editor.onKeyUp(key));
    EXPECT_FALSE(editor.onWheel(1.0f));
    EXPECT_FALSE(editor.setKnobMode(2));
}

}  // namespace
