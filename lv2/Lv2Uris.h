// The names the LV2 face is known by: the plug-in, and the state key its
// settings are saved under (the bytes of a bank chunk).
#pragma once

namespace lv2face {

constexpr const char* kPluginUri = "urn:tarvenna:relay";
constexpr const char* kSettingsUri = "urn:tarvenna:relay#settings";
constexpr const char* kUiUri = "urn:tarvenna:relay#panel";

// The plug-in's ports, in the order of the bundle's description.
enum Lv2Port : unsigned {
    kPortAudioInLeft,
    kPortAudioInRight,
    kPortAudioOutLeft,
    kPortAudioOutRight,
    kPortMidiIn,
    kPortMidiOut,
    kPortMode,
    kPortRelayPort,
    kPortThru,
    kPortPanic,
    kPortCount
};

}  // namespace lv2face
