// The host's name for the load-failure text, from what the editor
// recognised at construction.
#include "TestPlugin.h"

#include "plugin/HostRecognition.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct NamedHost {
    const char* product;
    VstIntPtr vendorVersion;
    const char* name;
};

// Names the generated tests after the host.
void PrintTo(const NamedHost& h, std::ostream* out)
{
    *out << (h.product[0] != 0 ? h.product : "(none)") << " @" << h.vendorVersion;
}

class PluginHostName : public ::testing::TestWithParam<NamedHost> {
protected:
    DisplayGuard displays;
};

TEST_P(PluginHostName, NamesTheRecognisedHost)
{
    tarvenna::host::HostConfig answers = PluginTestAnswers();
    answers.product = GetParam().product;
    answers.vendorVersion = GetParam().vendorVersion;
    HostedPlugin hosted(answers);
    EXPECT_STREQ(hosted.plugin->PluginHostName(), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Hosts, PluginHostName,
                         ::testing::Values(NamedHost{"Cubase VST", 8200, "Cubase4/Nuendo4"},
                                           NamedHost{"Cubase VST", 8199, "Cubase/Nuendo"},
                                           NamedHost{"energyXT2", 0, "Energy XT"},
                                           NamedHost{"SAVIHost", 0, "SaviHost"},
                                           NamedHost{"Usine Hollyhock", 0, "Usine"},
                                           NamedHost{"Some Other Host", 0, "(unknown)"},
                                           NamedHost{"", 0, "(unknown)"}));

TEST(PluginHostNameTable, KindsOutsideTheTableAreUnknown)
{
    EXPECT_STREQ(HostNameForKind(0), "(unknown)");
    EXPECT_STREQ(HostNameForKind(9), "Cubase4/Nuendo4");
    EXPECT_STREQ(HostNameForKind(13), "Usine");
    EXPECT_STREQ(HostNameForKind(14), "(unknown)");
    EXPECT_STREQ(HostNameForKind(-1), "(unknown)");
}

TEST(PluginHostNameTable, WithoutAnEditorTheNameIsEmpty)
{
    DisplayGuard displays;
    tarvenna::host::HostConfig answers = PluginTestAnswers();
    answers.product = "Cubase VST";
    HostedPlugin hosted(answers);
    hosted.plugin->ReplaceEditor(nullptr);
    EXPECT_STREQ(hosted.plugin->PluginHostName(), "");
}

}  // namespace
