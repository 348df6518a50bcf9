// Files written and read back in a temporary folder: the modes the flags
// make, lines, seeks (past 2 GiB too), and what a closed file answers.
#include "runtime/SFile.h"

#include "tests/runtime/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using kvor::file::SFile;

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(File, FlagsPickTheModeAndOpenRemembersThePathsParts)
{
    tarvenna::test::TempFolder folder;
    const std::string path = folder / "notes.txt";
    SFile file;
    ASSERT_TRUE(file.Open(path.c_str(), SFile::kWrite | SFile::kBinary));
    EXPECT_STREQ(file.Mode(), "wb");
    EXPECT_EQ(std::string(file.Directory().data), folder.Path() + "/");
    EXPECT_STREQ(file.Name().data, "notes");
    EXPECT_STREQ(file.Extension().data, "txt");
    ASSERT_TRUE(file.Open(path.c_str(), SFile::kRead | SFile::kUpdate));
    EXPECT_STREQ(file.Mode(), "r+");
    ASSERT_TRUE(file.Open(path.c_str(), SFile::kAppend | SFile::kWrite | SFile::kBinary));
    EXPECT_STREQ(file.Mode(), "wb") << "write comes before append";
    EXPECT_TRUE(file.WriteLine("kept"));
    ASSERT_TRUE(file.Open(path.c_str(), SFile::kAppend));
    EXPECT_STREQ(file.Mode(), "a");
    EXPECT_TRUE(file.WriteLine("added"));
    EXPECT_EQ(Contents(path), "kept\nadded\n") << "appending keeps what was there";

    EXPECT_FALSE(file.Open(path.c_str(), SFile::kBinary)) << "no access asked for";
    EXPECT_STREQ(file.Path().data, "");
    EXPECT_FALSE(file.Open((folder / "none/x").c_str(), SFile::kWrite));
    char byte;
    EXPECT_EQ(file.Read(&byte, 1), 0u);
    EXPECT_EQ(file.ReadChar(), -1);
    EXPECT_FALSE(file.WriteLine("x"));
    EXPECT_FALSE(file.Seek(0));
}

TEST(File, WhatIsWrittenIsOnDiskAtOnceAndReadsBackByLinesAndSeeks)
{
    tarvenna::test::TempFolder folder;
    const std::string path = folder / "lines.txt";
    SFile file;
    ASSERT_TRUE(file.Open(path.c_str(), SFile::kWrite | SFile::kUpdate));
    EXPECT_EQ(file.Write("01", 2), 2u);
    EXPECT_TRUE(file.WriteChar('2'));
    EXPECT_TRUE(file.WriteLine("345"));
    SFile::Text text;
    text.Append("second line\nlast");
    EXPECT_EQ(file.Write(text), 16u);
    EXPECT_EQ(Contents(path), "012345\nsecond line\nlast");

    EXPECT_TRUE(file.SeekBegin());
    char buffer[16];
    EXPECT_EQ(file.ReadLine(buffer, sizeof buffer, true), 7u);
    EXPECT_STREQ(buffer, "012345\n");
    EXPECT_EQ(file.ReadLine(buffer, 5, true), 3u) << "at most size - 2 bytes";
    EXPECT_STREQ(buffer, "sec");
    SFile::Text rest;
    EXPECT_TRUE(file.ReadLine(rest));
    EXPECT_STREQ(rest.data, "ond line\n");
    EXPECT_EQ(file.ReadAll(rest), 4u);
    EXPECT_FALSE(file.ReadLine(rest)) << "at the end";

    EXPECT_TRUE(file.Seek(4));
    EXPECT_EQ(file.ReadChar(), '4');
    EXPECT_FALSE(file.Seek(24)) << "past the end";
    EXPECT_EQ(file.ReadChar(), '5') << "a refused seek leaves the position";
    EXPECT_TRUE(file.SeekNext(8));
    EXPECT_EQ(file.Read(rest, 4), 4u);
    EXPECT_STREQ(rest.data, "ond line\nlastline");
    EXPECT_TRUE(file.SeekLast());
    EXPECT_EQ(file.Position(), 23);
}

TEST(File, ReadableNeedsAFileWithSomethingInIt)
{
    tarvenna::test::TempFolder folder;
    std::ofstream(folder / "full") << "12345";
    std::ofstream(folder / "empty").flush();
    long long size = 99;
    EXPECT_TRUE(SFile::Readable((folder / "full").c_str(), size));
    EXPECT_EQ(size, 5);
    EXPECT_TRUE(SFile::Exists((folder / "empty").c_str()));
    EXPECT_FALSE(SFile::Readable((folder / "empty").c_str(), size));
    EXPECT_FALSE(SFile::Exists((folder / "none").c_str()));
    EXPECT_FALSE(SFile::Readable((folder / "none").c_str(), size));
    EXPECT_EQ(size, 0);
}

// A sparse file (its hole takes no disk) with one byte past 3 GB, on both
// targets; the folder goes with the test.
TEST(File, FilesOfMoreThanTwoGibibytesAreSeekableAndTheirDescriptorIsClosedOnExec)
{
    tarvenna::test::TempFolder folder;
    const std::string path = folder / "large.bin";
    constexpr long long kSize = 3000000000LL;
    SFile file;
    ASSERT_TRUE(file.Open(path.c_str(), SFile::kWrite | SFile::kUpdate | SFile::kBinary));
    ASSERT_TRUE(file.SeekNext(kSize - 1));
    ASSERT_TRUE(file.WriteChar('z'));
    EXPECT_EQ(file.GetSize(), kSize);
    EXPECT_EQ(file.Position(), kSize);

    ASSERT_TRUE(file.Seek(2500000000LL));
    EXPECT_EQ(file.Position(), 2500000000LL);
    ASSERT_TRUE(file.SeekNext(kSize - 1 - 2500000000LL));
    EXPECT_EQ(file.ReadChar(), 'z');
    ASSERT_TRUE(file.SeekNext(-kSize));
    EXPECT_EQ(file.Position(), 0);
    EXPECT_FALSE(file.Seek(kSize + 1)) << "past the end";
    long long size = 0;
    EXPECT_TRUE(SFile::Readable(path.c_str(), size));
    EXPECT_EQ(size, kSize);

    int flags = -1;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code unreadable;
        if (std::filesystem::read_symlink(entry.path(), unreadable) == path)
            flags = fcntl(std::stoi(entry.path().filename().string()), F_GETFD);
    }
    ASSERT_NE(flags, -1) << "the file's descriptor was not found";
    EXPECT_NE(flags & FD_CLOEXEC, 0);
}

}  // namespace
