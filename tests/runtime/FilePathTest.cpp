// Path splitting over a table of paths: each part alone and all three at once.
#include "runtime/SFilePath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using kvor::file::SFilePath;

struct PathCase {
    std::string path, dir, name, ext;
};

const std::string kLongest(127, 'n');
const std::string kDeep = "/" + std::string(700, 'd') + "/";

// Without a separator before the name there is no directory and no name:
// a bare file name, a name that starts with its dot, a name of 128.
const std::vector<PathCase> kCases = {
    {"/usr/lib/vst/plug.so", "/usr/lib/vst/", "plug", "so"},
    {"/usr/lib/vst/", "/usr/lib/vst/", "", ""},
    {"/usr/lib/vst", "/usr/lib/", "vst", ""},
    {"/a/b/file.tar.gz", "/a/b/", "file.tar", "gz"},
    {"/a.d/file", "/a.d/", "file", ""},
    {"C:\\VST\\plug.dll", "C:\\VST\\", "plug", "dll"},
    {"/mixed\\dir/plug", "/mixed\\dir/", "plug", ""},
    {"plug.so", "", "", "so"},
    {"/a/.hidden", "", "", "hidden"},
    {"x", "", "", ""},
    {"/d/" + kLongest + ".so", "/d/", kLongest, "so"},
    {"/d/" + kLongest + "n.so", "", "", "so"},
    {kDeep + "plug.so", kDeep, "plug", "so"},
};

TEST(FilePath, EveryPartOfEveryPathAloneAndAtOnce)
{
    for (const PathCase& c : kCases) {
        // Buffers as long as the path, as every caller sizes them.
        const std::size_t size = c.path.size() + 1;
        std::string dir(size, 0), name(size, 0), ext(size, 0), alone(size, 0);
        SFilePath::GetPathData(&dir[0], &name[0], &ext[0], c.path.c_str());
        EXPECT_EQ(std::string(dir.c_str()), c.dir) << c.path;
        EXPECT_EQ(std::string(name.c_str()), c.name) << c.path;
        EXPECT_EQ(std::string(ext.c_str()), c.ext) << c.path;

        int extLength = -1;
        SFilePath::GetExtension(&alone[0], c.path.c_str(), &extLength);
        EXPECT_EQ(extLength, static_cast<int>(c.ext.size())) << c.path;
        SFilePath::GetDir(&alone[0], c.path.c_str(), -1);
        EXPECT_EQ(std::string(alone.c_str()), c.dir) << c.path;
        const int nameLength = SFilePath::GetName(&alone[0], c.path.c_str(), nullptr, -1);
        EXPECT_EQ(nameLength, static_cast<int>(c.name.size())) << c.path;
        EXPECT_EQ(std::string(alone.c_str()), c.name) << c.path;
    }
}

TEST(FilePath, EmptyAndNullPathsWriteLittleOrNothing)
{
    char dir[8] = "dir", name[8] = "name", ext[8] = "ext";
    SFilePath::GetPathData(dir, name, ext, "");
    EXPECT_STREQ(dir, "dir");
    EXPECT_STREQ(name, "name");
    EXPECT_STREQ(ext, "");
    std::strcpy(ext, "ext");
    SFilePath::GetPathData(dir, nullptr, ext, "/a/b.c");
    SFilePath::GetPathData(dir, name, ext, nullptr);
    SFilePath::GetModulePath(0, dir);
    EXPECT_STREQ(dir, "dir");
    EXPECT_STREQ(ext, "ext");
    EXPECT_TRUE(SFilePath::ValidLength(3, 1));
    EXPECT_FALSE(SFilePath::ValidLength(2, 1));
}

}  // namespace
