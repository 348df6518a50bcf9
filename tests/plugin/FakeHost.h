// A stand-in host for the plug-in base and its editor. The plug-in asks the
// host for its product string while it is still being constructed, before a
// host could reach anything through the record, so the answers and the log
// are one process-wide object that each test sets up afresh.
#pragma once

#include "plugin/VstRecords.h"

#include <string>
#include <vector>

struct HostRequest {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    std::string text;  // the text of a capability query
};

struct FakeHost {
    // What the host answers.
    std::string vendor = "Test Vendor";
    std::string product;
    VstIntPtr vendorVersion = 0;
    VstIntPtr sizeWindowAnswer = 1;  // to canDo "sizeWindow"
    const char* directory = nullptr;

    std::vector<HostRequest> requests;

    int Count(VstInt32 opcode) const;
    // The last request with this opcode; fails the test when there is none.
    HostRequest Last(VstInt32 opcode) const;

    // Resets answers and log, and returns the host the callback serves.
    static FakeHost& Reset();
    static FakeHost& Current();
    static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt);
};
