// Path splitting: the directory part the plug-in keeps of the host's
// directory answer, and the name and extension beside it.
#include "runtime/SFilePath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kvor::file::SFilePath;

std::string Dir(const std::string& path, int extLength = -1)
{
    std::string dir(path.size() + 1, '?');
    dir.back() = 0;
    SFilePath::GetDir(&dir[0], path.c_str(), extLength);
    return dir.c_str();
}

std::string Name(const std::string& path)
{
    char name[600] = "?";
    char ext[600] = "?";
    SFilePath::GetName(name, path.c_str(), ext, -1);
    return std::string(name) + "|" + ext;
}

TEST(FilePathDir, KeepsEverythingUpToTheLastSeparator)
{
    EXPECT_EQ(Dir("/usr/lib/vst/plug.so"), "/usr/lib/vst/");
    EXPECT_EQ(Dir("/usr/lib/vst/"), "/usr/lib/vst/");
    EXPECT_EQ(Dir("/usr/lib/vst"), "/usr/lib/");
    EXPECT_EQ(Dir("/a/b/file.tar.gz"), "/a/b/");
    EXPECT_EQ(Dir("/plug.so"), "/");
}

TEST(FilePathDir, BackslashesSeparateToo)
{
    EXPECT_EQ(Dir("C:\\VST\\plug.dll"), "C:\\VST\\");
    EXPECT_EQ(Dir("/mixed\\dir/sub\\plug"), "/mixed\\dir/sub\\");
}

TEST(FilePathDir, NoSeparatorBeforeTheNameGivesEmpty)
{
    EXPECT_EQ(Dir("plug.so"), "");
    EXPECT_EQ(Dir("/a/.hidden"), "");
}

TEST(FilePathDir, AGivenExtensionLengthIsTrusted)
{
    EXPECT_EQ(Dir("/a/b.c", 0), "/a/");
    EXPECT_EQ(Dir("/ab/c.so", 2), "/ab/");
}

TEST(FilePathDir, PathShorterThanItsExtensionWritesNothing)
{
    char dir[8] = "keep";
    SFilePath::GetDir(dir, "a.b", 5);
    EXPECT_STREQ(dir, "keep");
    SFilePath::GetDir(dir, "", -1);
    EXPECT_STREQ(dir, "keep");
    SFilePath::GetDir(dir, nullptr, -1);
    EXPECT_STREQ(dir, "keep");
    SFilePath::GetDir(nullptr, "/a/b", -1);
}

TEST(FilePathDir, NamesOf128CharactersAreNotNames)
{
    const std::string longest(127, 'n');
    EXPECT_EQ(Dir("/d/" + longest + ".so"), "/d/");
    EXPECT_EQ(Dir("/d/" + longest + "n.so"), "");
}

TEST(FilePathDir, LongPathsAreHandledWhole)
{
    const std::string directory = "/" + std::string(700, 'd') + "/";
    EXPECT_EQ(Dir(directory + "plug.so"), directory);
}

TEST(FilePathExtension, RunAfterTheLastDotOfTheFinalComponent)
{
    char ext[16] = "?";
    int length = -1;
    SFilePath::GetExtension(ext, "/a/b/file.tar.gz", &length);
    EXPECT_STREQ(ext, "gz");
    EXPECT_EQ(length, 2);
    for (const char* path : {"/a/b/file", "/a/b/", "/a.d/file", "x", "nodots"}) {
        SFilePath::GetExtension(ext, path, &length);
        EXPECT_STREQ(ext, "") << path;
        EXPECT_EQ(length, 0) << path;
    }
}

TEST(FilePathName, FinalComponentWithoutItsExtension)
{
    EXPECT_EQ(Name("/usr/lib/vst/plug.so"), "plug|so");
    EXPECT_EQ(Name("/usr/lib/vst/plug"), "plug|");
    EXPECT_EQ(Name("plug.so"), "|so");
    EXPECT_EQ(Name("/usr/lib/vst/"), "|");
}

TEST(FilePathName, ReturnsTheLengthWritten)
{
    char name[16];
    EXPECT_EQ(SFilePath::GetName(name, "/x/abc.d", nullptr, -1), 3);
    EXPECT_STREQ(name, "abc");
    EXPECT_EQ(SFilePath::GetName(name, "/x/abc.d", nullptr, 0), 5);
    EXPECT_STREQ(name, "abc.d");
}

TEST(FilePathValidLength, NeedsRoomForNameDotAndExtension)
{
    EXPECT_TRUE(SFilePath::ValidLength(3, 1));
    EXPECT_FALSE(SFilePath::ValidLength(2, 1));
    EXPECT_FALSE(SFilePath::ValidLength(0, -2));
}

}  // namespace
