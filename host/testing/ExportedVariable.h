// An environment variable set for this process and the programs it starts,
// given back its earlier value (or unset again) when the owner goes.
#pragma once

#include <string>
#include <utility>

namespace tarvenna::host {

class ExportedVariable {
public:
    explicit ExportedVariable(std::string name) : name(std::move(name)) {}
    ~ExportedVariable();

    ExportedVariable(const ExportedVariable&) = delete;
    ExportedVariable& operator=(const ExportedVariable&) = delete;

    // The first call keeps the value it replaces.
    void Set(const std::string& value);

private:
    std::string name;
    bool set = false;
    bool hadValue = false;
    std::string previous;
};

}  // namespace tarvenna::host
