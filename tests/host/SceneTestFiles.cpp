#include "tests/host/SceneTestFiles.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

namespace tarvenna::host::test {

namespace {

void Big(std::string& out, unsigned long value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}

void VariableLength(std::string& out, unsigned long value)
{
    std::string bytes(1, static_cast<char>(value & 0x7f));
    while ((value >>= 7) != 0)
        bytes.insert(bytes.begin(), static_cast<char>(0x80 | (value & 0x7f)));
    out += bytes;
}

std::string Track(const std::string& events)
{
    std::string track = "MTrk";
    const std::string body = events + std::string("\x00\xff\x2f\x00", 4);
    Big(track, body.size(), 4);
    return track + body;
}

}  // namespace

TempFolder::TempFolder()
{
    std::string pattern = ::testing::TempDir() + "tarvenna-scene-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr)
        path = pattern;
}

TempFolder::~TempFolder()
{
    if (path.empty())
        return;
    if (DIR* folder = opendir(path.c_str())) {
        while (const dirent* entry = readdir(folder))
            if (entry->d_name[0] != '.')
                std::remove(File(entry->d_name).c_str());
        closedir(folder);
    }
    rmdir(path.c_str());
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    return static_cast<bool>(file.flush());
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::string StandardMidiFile(const std::vector<TickedMidi>& events, int ticksPerBeat,
                             long microsecondsPerBeat)
{
    std::string file = "MThd";
    Big(file, 6, 4);
    Big(file, 1, 2);
    Big(file, 2, 2);
    Big(file, static_cast<unsigned long>(ticksPerBeat), 2);
    std::string tempo("\x00\xff\x51\x03", 4);
    Big(tempo, static_cast<unsigned long>(microsecondsPerBeat), 3);
    file += Track(tempo);
    std::string body;
    long last = 0;
    for (const TickedMidi& event : events) {
        VariableLength(body, static_cast<unsigned long>(event.tick - last));
        last = event.tick;
        body.push_back(static_cast<char>(event.status));
        body.push_back(static_cast<char>(event.data1));
        const int kind = event.status & 0xf0;
        if (kind != 0xc0 && kind != 0xd0)
            body.push_back(static_cast<char>(event.data2));
    }
    return file + Track(body);
}

}  // namespace tarvenna::host::test
