// Base class of an effect's editor. The effect's dispatcher turns the
// host's editor opcodes into calls of these virtual operations; a derived
// editor overrides what it needs.
#pragma once

#include "plugin/VstRecords.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect = nullptr);
    virtual ~AEffEditor();

    virtual bool getRect(ERect** rect);
    virtual bool open(void* window);
    virtual void close();
    virtual void idle();
    virtual void update();
    virtual void postUpdate();
    // Per-parameter refreshes, for editors that redraw only what changed.
    virtual void updateIndexed();
    virtual void postUpdateIndexed(long index);
    virtual void updateAtIndex(long index);
    virtual VstInt32 onKeyDown(VstKeyCode& keyCode);
    virtual VstInt32 onKeyUp(VstKeyCode& keyCode);
    virtual VstInt32 setKnobMode(int mode);
    virtual bool onWheel(float distance);

protected:
    void* systemWindow;   // the host's parent window, as given to open
    AudioEffect* effect;  // the owning effect; not owned here
    VstInt32 updateFlag;  // raised by postUpdate, consumed by a derived idle
};
