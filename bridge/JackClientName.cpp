#include "bridge/JackClientName.h"

#include <cerrno>

namespace {

// JACK's names are at most 63 bytes; a port's full name adds ":out-8".
constexpr std::size_t kLongestName = 48;
constexpr int kNumbered = 9;

// Letters, digits and "-_." are kept; anything else (a colon above all,
// which separates a client from its port) becomes "_".
std::string Tidy(const std::string& text)
{
    std::string tidy;
    for (char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        tidy += plain ? c : '_';
    }
    return tidy.substr(0, kLongestName);
}

}  // namespace

std::vector<std::string> ClientNames(const std::string& chosen, const std::string& program)
{
    const std::string base = chosen.empty() ? "Tarvenna" : Tidy(chosen);
    std::vector<std::string> names{base};
    const std::string stem = program.empty() ? base : Tidy(base + "-" + program);
    if (stem != base)
        names.push_back(stem);
    for (int number = 2; number <= kNumbered; ++number)
        names.push_back(stem + "-" + std::to_string(number));
    return names;
}

std::string ProgramName()
{
    const char* name = program_invocation_short_name;
    return name != nullptr ? name : "";
}
