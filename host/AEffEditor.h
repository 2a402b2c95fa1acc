#pragma once
// Editor base as the dispatcher sees it: the host's editor requests become
// calls of these virtuals. The defaults answer "not handled", so an effect
// whose editor does not override a request answers 0 to the host.
#include "host/AEffect.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* owner);
    virtual ~AEffEditor();
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return effect; }
    // Stores the address of the editor rectangle; the base has none.
    virtual bool getRect(ERect** rect);
    // ptr is the host's parent window.
    virtual bool open(void* ptr);
    virtual void close();
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& keyCode);
    virtual bool onKeyUp(VstKeyCode& keyCode);
    virtual bool onWheel(float distance);
    virtual bool setKnobMode(VstInt32 mode);

protected:
    AudioEffect* effect;  // not owned
    void* systemWindow;   // the host's parent window while open
};
