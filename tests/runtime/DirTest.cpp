// Directories in a temporary folder: listings and searches that leave the
// working directory where it was, new folders with their permissions, and
// Change, the one operation that does move the working directory.
#include "runtime/SDir.h"

#include "runtime/SPermissions.h"
#include "tests/runtime/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <set>
#include <string>

namespace {

using kvor::file::SDir;
using kvor::security::SPermissions;

std::string WorkingDirectory()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

// {a.txt, b.txt, sub1/{c.txt, deep/{target, found-dir/}}, sub2/,
//  loop -> the folder itself, gone -> nowhere}
class DirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* dir : {"sub1", "sub1/deep", "sub1/deep/found-dir", "sub2"})
            ASSERT_EQ(mkdir((folder / dir).c_str(), 0755), 0);
        for (const char* file : {"a.txt", "b.txt", "sub1/c.txt", "sub1/deep/target"})
            std::ofstream(folder / file) << file;
        ASSERT_EQ(symlink(folder.Path().c_str(), (folder / "loop").c_str()), 0);
        ASSERT_EQ(symlink("nowhere", (folder / "gone").c_str()), 0);
        start = WorkingDirectory();
    }
    void TearDown() override { EXPECT_EQ(WorkingDirectory(), start); }

    std::set<std::string> List(SDir& dir, bool directories)
    {
        std::set<std::string> names;
        SDir::Text name;
        for (bool more = dir.ReadFirst(directories, name); more;
             more = dir.ReadNext(directories, name)) {
            names.insert(name.data);
            EXPECT_EQ(WorkingDirectory(), start) << "listing moved the working directory";
        }
        return names;
    }

    tarvenna::test::TempFolder folder;
    std::string start;
};

TEST_F(DirTest, ListsSubdirectoriesAndOtherEntriesApart)
{
    SDir dir;
    ASSERT_TRUE(dir.Open(folder.Path().c_str()));
    EXPECT_EQ(List(dir, true), (std::set<std::string>{"sub1", "sub2", "loop"}));
    EXPECT_EQ(List(dir, false), (std::set<std::string>{"a.txt", "b.txt", "gone"}));
    EXPECT_TRUE(dir.Close());
    EXPECT_TRUE(dir.Close()) << "nothing open is closed too";
    EXPECT_EQ(List(dir, true).size(), 3u) << "ReadFirst opens the remembered path again";

    SDir empty;
    ASSERT_TRUE(empty.Open((folder / "sub2").c_str()));
    SDir::Text name;
    name.Append("kept");
    EXPECT_FALSE(empty.ReadFirst(false, name));
    EXPECT_STREQ(name.data, "kept");
    EXPECT_FALSE(empty.Open((folder / "a.txt").c_str()));
    EXPECT_FALSE(SDir::Exists((folder / "none").c_str()));
}

TEST_F(DirTest, FindSearchesEveryLevelBelowForTheRightKindOfEntry)
{
    const char* top = folder.Path().c_str();
    EXPECT_TRUE(SDir::Find(false, top, "a.txt"));
    EXPECT_TRUE(SDir::Find(false, top, "target"));
    EXPECT_TRUE(SDir::Find(true, top, "found-dir"));
    EXPECT_FALSE(SDir::Find(true, top, "target")) << "a file, not a directory";
    EXPECT_FALSE(SDir::Find(false, top, "found-dir")) << "a directory, not a file";
    // The link back to the top is not searched round and round.
    EXPECT_FALSE(SDir::Find(false, top, "missing"));
    EXPECT_FALSE(SDir::Find(false, (folder / "none").c_str(), "a.txt"));
}

TEST_F(DirTest, CreateMakesOnlyNewFoldersWithOneModeBitPerFlag)
{
    const mode_t mask = umask(022);
    umask(mask);
    auto own = SDir::Create((folder / "own").c_str(),
                            SPermissions::kOwnerRead | SPermissions::kOwnerWrite |
                                SPermissions::kOwnerExecute | SPermissions::kOthersRead);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(std::string(own->Path().data), folder / "own");
    struct stat64 status;
    ASSERT_EQ(stat64((folder / "own").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0704 & ~mask);
    SDir::Text name;
    EXPECT_FALSE(own->ReadFirst(false, name)) << "a new folder is empty";

    EXPECT_EQ(SPermissions(SPermissions::kAll).Mode(), 0777u);
    EXPECT_EQ(SPermissions(SPermissions::kGroupWrite | 0x200).Mode(), 020u);
    EXPECT_EQ(SDir::Create((folder / "sub1").c_str(), SPermissions::kAll), nullptr);
    EXPECT_EQ(SDir::Create((folder / "none/deeper").c_str(), SPermissions::kAll), nullptr);
}

TEST_F(DirTest, ChangeMovesTheWorkingDirectoryDownAndUp)
{
    char expected[PATH_MAX];
    ASSERT_TRUE(SDir::Change((folder / "sub1").c_str(), false));
    EXPECT_EQ(WorkingDirectory(), realpath((folder / "sub1").c_str(), expected));
    ASSERT_TRUE(SDir::Change(nullptr, true));
    EXPECT_EQ(WorkingDirectory(), realpath(folder.Path().c_str(), expected));
    EXPECT_FALSE(SDir::Change((folder / "none").c_str(), false));
    ASSERT_EQ(chdir(start.c_str()), 0);
}

}  // namespace
