// Another copy of this module, loaded from another file into the same
// process (a host that found it twice, once as LV2 and once as VST 2, in
// two places): its instances have a relay of their own and cannot reach
// this copy's. Nothing joins the two; the user is told.
#pragma once

#include <string>
#include <vector>

// The files mapped into the process under this module's file name that are
// not this module's file, from /proc/self/maps.
std::vector<std::string> OtherCopiesOfThisModule();

// Says once per copy, on standard error, that its instances and these do
// not reach each other.
void ReportOtherCopies();
