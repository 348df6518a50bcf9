#include "host/testing/ExportedVariable.h"

#include <cstdlib>

namespace tarvenna::host {

ExportedVariable::~ExportedVariable()
{
    if (!set)
        return;
    if (hadValue)
        setenv(name.c_str(), previous.c_str(), 1);
    else
        unsetenv(name.c_str());
}

void ExportedVariable::Set(const std::string& value)
{
    if (!set) {
        const char* earlier = std::getenv(name.c_str());
        hadValue = earlier != nullptr;
        previous = hadValue ? earlier : "";
        set = true;
    }
    setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace tarvenna::host
