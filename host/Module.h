// A VST 2 module opened with dlopen: finds the entry point and keeps the
// library mapped while instances made from it are still open.
#pragma once

#include <atomic>
#include <string>

#include "plugin/VstRecords.h"

namespace tarvenna::host {

using EntryProc = AEffect* (*)(audioMasterCallback);

class Module {
public:
    Module() = default;
    // Loads at once; check loaded() and error().
    explicit Module(const std::string& path);
    ~Module();

    // Instances keep a pointer to their module, so it stays where it is.
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // dlopen (RTLD_NOW | RTLD_LOCAL) and look up "VSTPluginMain", else
    // "main". A path without a slash names a file in the working directory.
    // Unloads whatever was loaded before. On failure error() holds the
    // reason with the loader's own text.
    bool load(const std::string& path);

    // dlclose. Refused (false, with error()) while an instance made from
    // this module is still open: its code would vanish under it.
    bool unload();

    bool loaded() const { return handle_ != nullptr; }
    EntryProc entry() const { return entry_; }
    // "VSTPluginMain" or "main": the name the entry was found under.
    const std::string& entryName() const { return entryName_; }
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }
    void* handle() const { return handle_; }
    int openInstances() const { return openInstances_.load(); }

private:
    friend class HostInstance;
    void instanceOpened() { ++openInstances_; }
    void instanceClosed() { --openInstances_; }

    EntryProc findEntry();

    void* handle_ = nullptr;
    EntryProc entry_ = nullptr;
    std::string entryName_;
    std::string path_;
    std::string error_;
    std::atomic<int> openInstances_{0};
};

}  // namespace tarvenna::host
