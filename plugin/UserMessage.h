// The one way the plug-in's classes tell the user something: a message in
// the toolkit's info box under the product title.
#pragma once

void ShowUserMessage(const char* text);
