// Whether the user switched the JACK bridge on: TARVENNA_JACK=on or off
// in the environment, else a line `jack = on` in
// $XDG_CONFIG_HOME/tarvenna/tarvenna.conf (~/.config/tarvenna/tarvenna.conf
// when XDG_CONFIG_HOME is not set). Off unless one of them says on.
#pragma once

#include <string>

bool BridgeSwitchedOn();

// Whether the bridge joins the other processes' bridges by itself:
// TARVENNA_JACK_LINK=auto or off, else a line `link = auto` in the same
// file. Off unless one of them says auto.
bool BridgeLinksAutomatically();

// The JACK client name the user chose: TARVENNA_JACK_NAME, else a line
// `name = ...` in the same file; empty when neither names one.
std::string ChosenClientName();

// The value of `key` in the configuration text (`key = value` lines, `#`
// starts a comment); empty when it is not there. The last line wins.
std::string ConfigValue(const std::string& text, const std::string& key);
