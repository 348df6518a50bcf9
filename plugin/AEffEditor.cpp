#include "plugin/AEffEditor.h"

AEffEditor::AEffEditor(AudioEffect* owner) : systemWindow(nullptr), effect(owner), updateFlag(0) {}

AEffEditor::~AEffEditor() = default;

bool AEffEditor::getRect(ERect** rect)
{
    *rect = nullptr;
    return false;
}

bool AEffEditor::open(void* window)
{
    systemWindow = window;
    return false;
}

void AEffEditor::close() {}

// The base keeps no drawing state, so there is nothing to refresh here;
// a derived editor reads updateFlag in its own idle.
void AEffEditor::idle() {}

void AEffEditor::update() {}

void AEffEditor::postUpdate() { updateFlag = 1; }

void AEffEditor::updateIndexed() {}

void AEffEditor::postUpdateIndexed(long) {}

void AEffEditor::updateAtIndex(long) {}

// -1 tells the host that the key was not used, so it handles it itself.
VstInt32 AEffEditor::onKeyDown(VstKeyCode&) { return -1; }

VstInt32 AEffEditor::onKeyUp(VstKeyCode&) { return -1; }

VstInt32 AEffEditor::setKnobMode(int) { return 0; }

bool AEffEditor::onWheel(float) { return false; }
