// Classifying the host by its product string at construction.
#include "EditorFixture.h"

#include <ostream>

namespace {

struct Recognition {
    const char* product;
    VstIntPtr vendorVersion;
    int32_t kind;
};

// Names the generated tests after the host.
void PrintTo(const Recognition& r, std::ostream* out)
{
    *out << (r.product[0] != 0 ? r.product : "(none)") << " @" << r.vendorVersion;
}

class HostRecognition : public EditorFixture, public ::testing::WithParamInterface<Recognition> {};

TEST_P(HostRecognition, ProductStringGivesTheKind)
{
    answers.product = GetParam().product;
    answers.vendorVersion = GetParam().vendorVersion;
    EXPECT_EQ(editor().HostKind(), GetParam().kind) << GetParam().product;
    EXPECT_EQ(result, kLoadUsable);
}

INSTANTIATE_TEST_SUITE_P(Hosts, HostRecognition,
                         ::testing::Values(Recognition{"", 9000, kHostUnknown},
                                           Recognition{"Cubase SX", 8199, kHostCubase},
                                           Recognition{"Cubase SX", 8200, kHostCubase4},
                                           Recognition{"energyXT in Cubase", 8200, kHostCubase4},
                                           Recognition{"Cubase with energyXT", 100, kHostCubase},
                                           Recognition{"Samplitude Pro", 0, kHostSamplitude},
                                           Recognition{"SAVIHost", 0, kHostSaviHost},
                                           Recognition{"Melodyne studio", 0, kHostMelodyne},
                                           Recognition{"Tracktion 3", 0, kHostTracktion},
                                           Recognition{"Cantabile Lite", 0, kHostCantabile},
                                           Recognition{"Phrazor", 0, kHostPhrazor},
                                           Recognition{"my energyXT2", 0, kHostEnergyXT},
                                           Recognition{"Melodyne on Tracktion", 0, kHostMelodyne},
                                           Recognition{"cubase", 9000, kHostUnknown},
                                           Recognition{"Ardour", 9000, kHostUnknown}));

TEST_F(EditorFixture, UsineIsRefused)
{
    answers.product = "Usine";
    EXPECT_EQ(editor().HostKind(), kHostUsine);
    EXPECT_EQ(result, kLoadHostRefused);
}

TEST_F(EditorFixture, UsineBehindAnEarlierHostIsNotRefused)
{
    answers.product = "Tracktion hosting Usine";
    EXPECT_EQ(editor().HostKind(), kHostTracktion);
    EXPECT_EQ(result, kLoadUsable);
}

TEST_F(EditorFixture, VendorStringPlaysNoPart)
{
    answers.vendor = "Cubase";
    answers.product = "Something";
    EXPECT_EQ(editor().HostKind(), kHostUnknown);
}

}  // namespace
