#include "tests/host/HostTestSupport.h"

#include <dlfcn.h>

namespace tarvenna::host::test {

namespace {

template <typename Proc> Proc exported(const Module& module, const char* name)
{
    auto proc = reinterpret_cast<Proc>(dlsym(module.handle(), name));
    EXPECT_NE(proc, nullptr) << name << " missing from " << module.path();
    return proc;
}

}  // namespace

const FixtureHostView& fixtureView(const Module& module, const HostInstance& instance)
{
    return *exported<FixtureViewProc>(module, FIXTURE_VIEW_SYMBOL)(instance.effect());
}

FixtureCounters fixtureCounters(const Module& module)
{
    return *exported<FixtureCountersProc>(module, FIXTURE_COUNTERS_SYMBOL)();
}

bool isMapped(const char* path)
{
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

void HostTest::SetUp() { ASSERT_TRUE(module.load(HOST_FIXTURE_MODULE)) << module.error(); }

std::unique_ptr<HostInstance> HostTest::create()
{
    std::unique_ptr<HostInstance> instance = host.instantiate(module);
    EXPECT_NE(instance, nullptr) << host.lastError();
    return instance;
}

}  // namespace tarvenna::host::test
