#include "host/AEffEditor.h"

AEffEditor::AEffEditor(AudioEffect* owner) : effect(owner), systemWindow(nullptr) {}

AEffEditor::~AEffEditor() = default;

bool AEffEditor::getRect(ERect** rect) {
    if (rect != nullptr) {
        *rect = nullptr;
    }
    return false;
}

bool AEffEditor::open(void* ptr) {
    systemWindow = ptr;
    return false;
}

void AEffEditor::close() {
    systemWindow = nullptr;
}

bool AEffEditor::onKeyDown(VstKeyCode&) {
    return false;
}

bool AEffEditor::onKeyUp(VstKeyCode&) {
    return false;
}

bool AEffEditor::onWheel(float) {
    return false;
}

bool AEffEditor::setKnobMode(VstInt32) {
    return false;
}
