// The per-instance bundle: defaults, the seeded generator and the binary's
// name and directory.
#include "gui/SGlobals.h"

#include <gtest/gtest.h>

namespace {

using kvor::math::random::generator::SRandomMarsaglia;

TEST(Globals, StartEmpty)
{
    SGlobals globals;
    EXPECT_EQ(globals.identifierCounter.load(), 0);
    EXPECT_STREQ(globals.binaryName.data, "");
    EXPECT_STREQ(globals.binaryDirectory.data, "");
    EXPECT_EQ(globals.pathSource, nullptr);
    EXPECT_EQ(globals.parentWindow, 0u);
    EXPECT_EQ(globals.currentCursor, nullptr);
    EXPECT_TRUE(globals.mutex.IsValid());
    EXPECT_FALSE(globals.mutex.IsLocked());
}

// Window names come from the generator; two instances must not repeat
// each other or the built-in sequence.
TEST(Globals, GeneratorIsSeededPerInstance)
{
    SGlobals first;
    SGlobals second;
    SRandomMarsaglia builtIn;
    const uint32_t a = first.randomGenerator.Integer();
    const uint32_t b = second.randomGenerator.Integer();
    EXPECT_NE(a, b);
    EXPECT_NE(a, builtIn.Integer());
    EXPECT_EQ(first.randomGenerator.seed, SRandomMarsaglia::kDefaultSeed);
}

TEST(Globals, BinaryDataFromThePathSource)
{
    SGlobals globals;
    const char* path = "/usr/lib/vst/plug.so";
    globals.pathSource = &path;
    globals.SetBinaryData();
    EXPECT_STREQ(globals.binaryName.data, "plug.so");
    EXPECT_STREQ(globals.binaryDirectory.data, "/usr/lib/vst/");

    path = "/usr/lib/vst/plug";
    globals.SetBinaryData();
    EXPECT_STREQ(globals.binaryName.data, "plug");
}

TEST(Globals, NoPathSourceChangesNothing)
{
    SGlobals globals;
    globals.binaryName.Append("kept");
    globals.SetBinaryData();
    const char* none = nullptr;
    globals.pathSource = &none;
    globals.SetBinaryData();
    EXPECT_STREQ(globals.binaryName.data, "kept");
}

}  // namespace
