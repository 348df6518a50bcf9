// File-system questions, answered as statfs answers them.
#include "runtime/SFileSystem.h"

#include "tests/runtime/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/vfs.h>

namespace {

using kvor::file::SFileSystem;

TEST(FileSystem, DriveSpaceAndKindOfTheTemporaryFolderAreWhatStatfsSays)
{
    tarvenna::test::TempFolder folder;
    struct statfs64 status;
    ASSERT_EQ(statfs64(folder.Path().c_str(), &status), 0);
    long long total = -1, available = -1;
    ASSERT_TRUE(SFileSystem::GetDriveSpace(folder.Path().c_str(), total, available));
    const auto block = static_cast<long long>(status.f_bsize);
    EXPECT_EQ(total, block * static_cast<long long>(status.f_blocks));
    // Other programs write to the same drive meanwhile.
    EXPECT_NEAR(static_cast<double>(available),
                static_cast<double>(block * static_cast<long long>(status.f_bavail)), 64e6);

    char name[SFileSystem::kNameSize] = {};
    ASSERT_TRUE(SFileSystem::GetFileSystem(folder.Path().c_str(), name));
    EXPECT_STREQ(name, SFileSystem::NameOfType(static_cast<unsigned long>(status.f_type)));
    ASSERT_TRUE(SFileSystem::GetFileSystem("/proc", name));
    EXPECT_STREQ(name, "proc");

    EXPECT_FALSE(SFileSystem::GetDriveSpace((folder / "none").c_str(), total, available));
    EXPECT_EQ(total + available, 0);
    EXPECT_FALSE(SFileSystem::GetFileSystem((folder / "none").c_str(), name));
    EXPECT_STREQ(name, "unknown (error)");
}

TEST(FileSystem, NamesByThePublishedTypeNumbers)
{
    EXPECT_STREQ(SFileSystem::NameOfType(0xEF53), "ext2/3");
    EXPECT_STREQ(SFileSystem::NameOfType(0x58465342), "xfs");
    EXPECT_STREQ(SFileSystem::NameOfType(0xf995e849), "hpfs");
    EXPECT_STREQ(SFileSystem::NameOfType(0x01021994), "unknown") << "tmpfs is not listed";
    char root[4] = "xxx";
    SFileSystem::Root(root);
    EXPECT_STREQ(root, "/");
}

}  // namespace
