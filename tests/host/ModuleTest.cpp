// Loading, entry lookup and unloading of modules.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "host/Host.h"
#include "host/Module.h"
#include "tests/host/HostTestSupport.h"

namespace tarvenna::host::test {
namespace {

TEST(HostModuleLoad, MissingFileFailsWithTheLoadersText)
{
    const std::string path = std::string(HOST_FIXTURE_MODULE) + ".missing";
    Module module;
    EXPECT_FALSE(module.load(path));
    EXPECT_FALSE(module.loaded());
    EXPECT_EQ(module.entry(), nullptr);
    EXPECT_NE(module.error().find(path), std::string::npos) << module.error();
    EXPECT_NE(module.error().find("cannot open shared object file"), std::string::npos)
        << module.error();
}

TEST(HostModuleLoad, FileThatIsNoLibraryFailsWithTheLoadersText)
{
    const std::string path = std::string(HOST_FIXTURE_MODULE) + ".notelf";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("this is not a shared object, only text, and long enough that the loader reads a "
               "whole ELF header from it\n",
               file);
    std::fclose(file);
    Module module(path);
    std::remove(path.c_str());
    EXPECT_FALSE(module.loaded());
    EXPECT_NE(module.error().find("invalid ELF header"), std::string::npos) << module.error();
}

TEST(HostModuleLoad, ModuleWithoutEntryIsRefusedAndUnloaded)
{
    Module module;
    EXPECT_FALSE(module.load(HOST_FIXTURE_NO_ENTRY));
    EXPECT_FALSE(module.loaded());
    EXPECT_NE(module.error().find("no entry point"), std::string::npos) << module.error();
    EXPECT_FALSE(isMapped(HOST_FIXTURE_NO_ENTRY));
}

struct EntryCase {
    const char* label;
    const char* path;
    const char* name;
};

void PrintTo(const EntryCase& entry, std::ostream* out) { *out << entry.label; }

class HostModuleEntry : public ::testing::TestWithParam<EntryCase> {};

// The name found must be the one the module's code was entered through.
TEST_P(HostModuleEntry, IsFoundAndCalledUnderItsName)
{
    Module module;
    ASSERT_TRUE(module.load(GetParam().path)) << module.error();
    EXPECT_EQ(module.entryName(), GetParam().name);
    Host host;
    auto instance = host.instantiate(module);
    ASSERT_NE(instance, nullptr) << host.lastError();
    EXPECT_STREQ(fixtureView(module, *instance).entryName, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Exports, HostModuleEntry,
    ::testing::Values(EntryCase{"Both", HOST_FIXTURE_MODULE, "VSTPluginMain"},
                      EntryCase{"PluginMainOnly", HOST_FIXTURE_PLUGINMAIN_ONLY, "VSTPluginMain"},
                      EntryCase{"MainOnly", HOST_FIXTURE_MAIN_ONLY, "main"}),
    [](const ::testing::TestParamInfo<EntryCase>& info) { return info.param.label; });

TEST(HostModuleUnload, UnloadUnmapsTheLibrary)
{
    Module module(HOST_FIXTURE_MODULE);
    ASSERT_TRUE(module.loaded()) << module.error();
    EXPECT_TRUE(isMapped(HOST_FIXTURE_MODULE));
    EXPECT_TRUE(module.unload());
    EXPECT_FALSE(module.loaded());
    EXPECT_EQ(module.entry(), nullptr);
    EXPECT_FALSE(isMapped(HOST_FIXTURE_MODULE));
}

TEST(HostModuleUnload, DestructionUnloads)
{
    {
        Module module(HOST_FIXTURE_MODULE);
        ASSERT_TRUE(module.loaded()) << module.error();
    }
    EXPECT_FALSE(isMapped(HOST_FIXTURE_MODULE));
}

TEST(HostModuleUnload, LoadingAgainReplacesTheFirstLibrary)
{
    Module module(HOST_FIXTURE_MODULE);
    ASSERT_TRUE(module.load(HOST_FIXTURE_MAIN_ONLY)) << module.error();
    EXPECT_FALSE(isMapped(HOST_FIXTURE_MODULE));
    EXPECT_TRUE(isMapped(HOST_FIXTURE_MAIN_ONLY));
    EXPECT_EQ(module.entryName(), "main");
}

TEST(HostModuleUnload, IsRefusedWhileAnInstanceIsOpen)
{
    Module module(HOST_FIXTURE_MODULE);
    Host host;
    auto instance = host.instantiate(module);
    ASSERT_NE(instance, nullptr) << host.lastError();
    EXPECT_EQ(module.openInstances(), 1);
    EXPECT_FALSE(module.unload());
    EXPECT_NE(module.error().find("still open"), std::string::npos) << module.error();
    EXPECT_TRUE(isMapped(HOST_FIXTURE_MODULE));

    instance->close();
    EXPECT_EQ(module.openInstances(), 0);
    EXPECT_TRUE(module.unload()) << module.error();
    EXPECT_FALSE(isMapped(HOST_FIXTURE_MODULE));
}

TEST(HostModuleUnload, ReloadStartsTheModuleAfresh)
{
    Module module(HOST_FIXTURE_MODULE);
    Host host;
    host.instantiate(module)->close();
    EXPECT_EQ(fixtureCounters(module).created, 1);
    ASSERT_TRUE(module.unload());
    ASSERT_TRUE(module.load(HOST_FIXTURE_MODULE));
    EXPECT_EQ(fixtureCounters(module).created, 0);
}

}  // namespace
}  // namespace tarvenna::host::test
