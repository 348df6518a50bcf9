// The plug-in's four parameters by the index its host addresses them with.
// The one definition: the relay, the panel, our host, the tests and the
// benchmarks all use it.
#pragma once

#include "plugin/VstRecords.h"

enum ParameterIndex : VstInt32 {
    kParameterMode = 0,
    kParameterPort = 1,
    kParameterThru = 2,
    kParameterPanic = 3,
    kParameterCount
};
