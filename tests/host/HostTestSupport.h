// Shared set-up for the host library's tests: the test module loaded, a host
// with default answers, and a window onto what the module saw.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "host/Host.h"
#include "host/Module.h"
#include "tests/host/fixtures/FixtureState.h"

namespace tarvenna::host::test {

// What the test module reports, read through its own exported functions.
const FixtureHostView& FixtureViewOf(const Module& module, const HostInstance& instance);
FixtureCounters FixtureCountersOf(const Module& module);

// True while `path` is mapped in this process.
bool IsMapped(const char* path);

class HostTest : public ::testing::Test {
protected:
    void SetUp() override;

    // A new instance of the test module; fails the test when none comes.
    std::unique_ptr<HostInstance> Create();
    const FixtureHostView& View(const HostInstance& instance) const
    {
        return FixtureViewOf(module, instance);
    }
    FixtureCounters Counters() const { return FixtureCountersOf(module); }

    Module module;
    Host host;
};

}  // namespace tarvenna::host::test
