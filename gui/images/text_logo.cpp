#include "gui/images/text_logo.h"

namespace {

// Made by scripts/make-logo.
#include "assets/text_logo.xpm"

}  // namespace

namespace kvor::images {

const char* const* const text_logo = text_logo_xpm;

}  // namespace kvor::images
