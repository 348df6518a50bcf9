#include "bridge/BridgeConfig.h"

#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace {

std::string Trim(const std::string& text)
{
    const char* const blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string ConfigPath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/')
        return std::string(config) + "/tarvenna/tarvenna.conf";
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == 0)
        return {};
    return std::string(home) + "/.config/tarvenna/tarvenna.conf";
}

std::string ReadSmallFile(const std::string& path)
{
    std::string text;
    std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "re");
    if (file == nullptr)
        return text;
    char buffer[1024];
    std::size_t n;
    // A configuration file is a few lines; a huge one is not ours to read.
    while (text.size() < 65536 && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    std::fclose(file);
    return text;
}

}  // namespace

std::string ConfigValue(const std::string& text, const std::string& key)
{
    std::string value;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find('#'));
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && Trim(line.substr(0, equals)) == key)
            value = Trim(line.substr(equals + 1));
    }
    return value;
}

bool BridgeLinksAutomatically()
{
    const char* variable = std::getenv("TARVENNA_JACK_LINK");
    if (variable != nullptr &&
        (strcasecmp(variable, "auto") == 0 || strcasecmp(variable, "off") == 0))
        return strcasecmp(variable, "auto") == 0;
    return strcasecmp(ConfigValue(ReadSmallFile(ConfigPath()), "link").c_str(), "auto") == 0;
}

std::string ChosenClientName()
{
    const char* variable = std::getenv("TARVENNA_JACK_NAME");
    if (variable != nullptr && *variable != 0)
        return variable;
    return ConfigValue(ReadSmallFile(ConfigPath()), "name");
}

bool BridgeSwitchedOn()
{
    const char* variable = std::getenv("TARVENNA_JACK");
    if (variable != nullptr &&
        (strcasecmp(variable, "on") == 0 || strcasecmp(variable, "off") == 0))
        return strcasecmp(variable, "on") == 0;
    return strcasecmp(ConfigValue(ReadSmallFile(ConfigPath()), "jack").c_str(), "on") == 0;
}
