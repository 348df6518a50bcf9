// A record made as the entry point makes it, closed again through the
// close opcode after each test, as a host would.
#pragma once

#include <gtest/gtest.h>

#include "VstTestSupport.h"

class LayerTest : public ::testing::Test {
protected:
    void SetUp() override { e = makeRecord(host, &fx); }
    void TearDown() override
    {
        if (e)
            dispatch(e, effClose);
    }

    TestHost host;
    RecordingEffect* fx = nullptr;
    AEffect* e = nullptr;
};
