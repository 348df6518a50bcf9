// A scratch folder standing in for /proc: tests write the kernel's files as
// they want the machine to look and point the inquiry at them.
#pragma once

#include "plugin/SProcFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class ProcFilesFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tarvenna-proc-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        cpuinfoPath = folder + "/cpuinfo";
        ostypePath = folder + "/ostype";
        releasePath = folder + "/osrelease";
        versionPath = folder + "/version";
        files.cpuinfo = cpuinfoPath.c_str();
        files.ostype = ostypePath.c_str();
        files.osrelease = releasePath.c_str();
        files.version = versionPath.c_str();
    }

    void TearDown() override
    {
        for (const std::string* path : {&cpuinfoPath, &ostypePath, &releasePath, &versionPath})
            std::remove(path->c_str());
        std::remove(folder.c_str());
    }

    static void Write(const std::string& path, const std::string& contents)
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr) << path;
        ASSERT_EQ(std::fwrite(contents.data(), 1, contents.size(), file), contents.size());
        std::fclose(file);
    }

    void WriteCpuinfo(const std::string& contents) { Write(cpuinfoPath, contents); }
    void WriteRelease(const std::string& contents) { Write(releasePath, contents); }
    void WriteKernel(const std::string& type, const std::string& release,
                     const std::string& version)
    {
        Write(ostypePath, type);
        Write(releasePath, release);
        Write(versionPath, version);
    }

    std::string folder;
    std::string cpuinfoPath, ostypePath, releasePath, versionPath;
    kvor::system::SProcFiles files;
};
