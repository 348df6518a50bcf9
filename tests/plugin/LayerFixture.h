// A record made as the entry point makes it, under our host library, and
// closed again through the close opcode after each test, as a host would.
#pragma once

#include <gtest/gtest.h>

#include "VstTestSupport.h"

class LayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        instance = makeRecord(host, answers, &fx);
        e = instance->Effect();
    }
    // What the effect asked of its host so far.
    std::vector<RequestRecord> Calls() const { return instance->Recorded().requests; }

    tarvenna::host::Host host;
    FixedAnswers answers;
    // Closes the record when the test has not (the test's own effClose goes
    // through the instance).
    std::unique_ptr<HostInstance> instance;
    RecordingEffect* fx = nullptr;
    AEffect* e = nullptr;
};
