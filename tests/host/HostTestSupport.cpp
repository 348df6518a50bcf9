#include "tests/host/HostTestSupport.h"

#include <dlfcn.h>

namespace tarvenna::host::test {

namespace {

template <typename Proc> Proc Exported(const Module& module, const char* name)
{
    auto proc = reinterpret_cast<Proc>(dlsym(module.Handle(), name));
    EXPECT_NE(proc, nullptr) << name << " missing from " << module.Path();
    return proc;
}

}  // namespace

const FixtureHostView& FixtureViewOf(const Module& module, const HostInstance& instance)
{
    return *Exported<FixtureViewProc>(module, FIXTURE_VIEW_SYMBOL)(instance.Effect());
}

FixtureCounters FixtureCountersOf(const Module& module)
{
    return *Exported<FixtureCountersProc>(module, FIXTURE_COUNTERS_SYMBOL)();
}

bool IsMapped(const char* path)
{
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

void HostTest::SetUp() { ASSERT_TRUE(module.Load(HOST_FIXTURE_MODULE)) << module.Error(); }

std::unique_ptr<HostInstance> HostTest::Create()
{
    std::unique_ptr<HostInstance> instance = host.Instantiate(module);
    EXPECT_NE(instance, nullptr) << host.LastError();
    return instance;
}

}  // namespace tarvenna::host::test
