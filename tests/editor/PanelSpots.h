// Where the panel's controls are and the colours they show, for the tests
// that read its pixels back from the server.
#pragma once

namespace tarvenna::test {

// Colours of the shared table on a 24-bit TrueColor screen.
constexpr unsigned long kBlack = 0x000000;
constexpr unsigned long kOrange = 0xFF8000;
constexpr unsigned long kMagenta = 0xFF00FF;
constexpr unsigned long kBlue = 0x0000FF;   // a lit mode button
constexpr unsigned long kSlate = 0x4D5154;  // slot 24, the panel's ground

// Points inside the panel's controls; the colour of a button is read off
// its ground, clear of its text.
struct Spot {
    int x, y;
};
constexpr Spot kGround{20, 70};
constexpr Spot kSend{55, 72};
constexpr Spot kReceive{113, 72};
constexpr Spot kSendGround{55, 79};
constexpr Spot kReceiveGround{113, 79};
constexpr Spot kThru{84, 160};
constexpr Spot kPanic{149, 179};
constexpr Spot kNodes{19, 179};
constexpr Spot kMidiIn{149, 100};
constexpr Spot kMidiOut{149, 130};
constexpr Spot Port(int n) { return {40 + 25 * ((n - 1) % 4), n <= 4 ? 94 : 124}; }

}  // namespace tarvenna::test
