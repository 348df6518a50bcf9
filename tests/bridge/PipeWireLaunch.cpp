// A test program asked to run against PipeWire (TARVENNA_TEST_JACK_SERVER
// is "pipewire") starts again under pw-jack before anything else runs, as
// every JACK program on PipeWire is run: the loader reads the library path
// only at start, and the module must find PipeWire's libjack, as must every
// JACK tool the tests start.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kUnderPwJack = "TARVENNA_UNDER_PW_JACK";

bool StartAgainUnderPwJack()
{
    const char* server = std::getenv("TARVENNA_TEST_JACK_SERVER");
    if (server == nullptr || std::strcmp(server, "pipewire") != 0 ||
        std::getenv(kUnderPwJack) != nullptr)
        return false;
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string line{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> words{"pw-jack"};
    for (std::size_t at = 0; at < line.size(); at = line.find('\0', at) + 1)
        words.emplace_back(line.c_str() + at);
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return false;
    words[1] = self;
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    setenv(kUnderPwJack, "1", 1);
    execvp("pw-jack", argv.data());
    return false;  // no pw-jack: the server fixture says what is missing
}

[[maybe_unused]] const bool startedAgain = StartAgainUnderPwJack();

}  // namespace
