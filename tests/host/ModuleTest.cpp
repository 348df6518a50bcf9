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
    EXPECT_FALSE(module.Load(path));
    EXPECT_FALSE(module.Loaded());
    EXPECT_EQ(module.Entry(), nullptr);
    EXPECT_NE(module.Error().find(path), std::string::npos) << module.Error();
    EXPECT_NE(module.Error().find("cannot open shared object file"), std::string::npos)
        << module.Error();
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
    EXPECT_FALSE(module.Loaded());
    EXPECT_NE(module.Error().find("invalid ELF header"), std::string::npos) << module.Error();
}

TEST(HostModuleLoad, ModuleWithoutEntryIsRefusedAndUnloaded)
{
    Module module;
    EXPECT_FALSE(module.Load(HOST_FIXTURE_NO_ENTRY));
    EXPECT_FALSE(module.Loaded());
    EXPECT_NE(module.Error().find("no entry point"), std::string::npos) << module.Error();
    EXPECT_FALSE(IsMapped(HOST_FIXTURE_NO_ENTRY));
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
    ASSERT_TRUE(module.Load(GetParam().path)) << module.Error();
    EXPECT_EQ(module.EntryName(), GetParam().name);
    Host host;
    auto instance = host.Instantiate(module);
    ASSERT_NE(instance, nullptr) << host.LastError();
    EXPECT_STREQ(FixtureViewOf(module, *instance).entryName, GetParam().name);
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
    ASSERT_TRUE(module.Loaded()) << module.Error();
    EXPECT_TRUE(IsMapped(HOST_FIXTURE_MODULE));
    EXPECT_TRUE(module.Unload());
    EXPECT_FALSE(module.Loaded());
    EXPECT_EQ(module.Entry(), nullptr);
    EXPECT_FALSE(IsMapped(HOST_FIXTURE_MODULE));
}

TEST(HostModuleUnload, DestructionUnloads)
{
    {
        Module module(HOST_FIXTURE_MODULE);
        ASSERT_TRUE(module.Loaded()) << module.Error();
    }
    EXPECT_FALSE(IsMapped(HOST_FIXTURE_MODULE));
}

TEST(HostModuleUnload, LoadingAgainReplacesTheFirstLibrary)
{
    Module module(HOST_FIXTURE_MODULE);
    ASSERT_TRUE(module.Load(HOST_FIXTURE_MAIN_ONLY)) << module.Error();
    EXPECT_FALSE(IsMapped(HOST_FIXTURE_MODULE));
    EXPECT_TRUE(IsMapped(HOST_FIXTURE_MAIN_ONLY));
    EXPECT_EQ(module.EntryName(), "main");
}

TEST(HostModuleUnload, IsRefusedWhileAnInstanceIsOpen)
{
    Module module(HOST_FIXTURE_MODULE);
    Host host;
    auto instance = host.Instantiate(module);
    ASSERT_NE(instance, nullptr) << host.LastError();
    EXPECT_EQ(module.OpenInstances(), 1);
    EXPECT_FALSE(module.Unload());
    EXPECT_NE(module.Error().find("still open"), std::string::npos) << module.Error();
    EXPECT_TRUE(IsMapped(HOST_FIXTURE_MODULE));

    instance->Close();
    EXPECT_EQ(module.OpenInstances(), 0);
    EXPECT_TRUE(module.Unload()) << module.Error();
    EXPECT_FALSE(IsMapped(HOST_FIXTURE_MODULE));
}

TEST(HostModuleUnload, ReloadStartsTheModuleAfresh)
{
    Module module(HOST_FIXTURE_MODULE);
    Host host;
    host.Instantiate(module)->Close();
    EXPECT_EQ(FixtureCountersOf(module).created, 1);
    ASSERT_TRUE(module.Unload());
    ASSERT_TRUE(module.Load(HOST_FIXTURE_MODULE));
    EXPECT_EQ(FixtureCountersOf(module).created, 0);
}

}  // namespace
}  // namespace tarvenna::host::test
