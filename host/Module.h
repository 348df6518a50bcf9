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
    // Loads at once; check Loaded() and Error().
    explicit Module(const std::string& path);
    ~Module();

    // Instances keep a pointer to their module, so it stays where it is.
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // dlopen (RTLD_NOW | RTLD_LOCAL) and look up "VSTPluginMain", else
    // "main". A path without a slash names a file in the working directory.
    // Unloads whatever was loaded before. On failure error() holds the
    // reason with the loader's own text.
    bool Load(const std::string& path);

    // dlclose. Refused (false, with Error()) while an instance made from
    // this module is still open: its code would vanish under it.
    bool Unload();

    bool Loaded() const { return handle != nullptr; }
    EntryProc Entry() const { return entry; }
    // "VSTPluginMain" or "main": the name the entry was found under.
    const std::string& EntryName() const { return entryName; }
    const std::string& Path() const { return path; }
    const std::string& Error() const { return error; }
    void* Handle() const { return handle; }
    int OpenInstances() const { return openInstances.load(); }

private:
    friend class HostInstance;
    void InstanceOpened() { ++openInstances; }
    void InstanceClosed() { --openInstances; }

    EntryProc FindEntry();

    void* handle = nullptr;
    EntryProc entry = nullptr;
    std::string entryName;
    std::string path;
    std::string error;
    std::atomic<int> openInstances{0};
};

}  // namespace tarvenna::host
