#include "host/Module.h"

#include <dlfcn.h>
#include <link.h>

namespace tarvenna::host {

namespace {

std::string LoaderError(const char* fallback)
{
    const char* text = dlerror();
    return text ? text : fallback;
}

// dlsym on a handle also searches the module's dependencies; an entry point
// must be defined by the module itself, not borrowed from a library it uses.
bool DefinedIn(void* handle, void* symbol)
{
    link_map* own = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &own) != 0 || !own)
        return false;
    Dl_info info{};
    link_map* owner = nullptr;
    if (!dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP))
        return false;
    return owner == own;
}

}  // namespace

Module::Module(const std::string& path) { Load(path); }

Module::~Module() { Unload(); }

bool Module::Load(const std::string& file)
{
    if (Loaded() && !Unload())
        return false;
    path = file;
    error.clear();
    dlerror();
    // A name without a slash would send dlopen searching the library path;
    // a plug-in is always a file, so it is taken from the working directory.
    const std::string opened = file.find('/') == std::string::npos ? "./" + file : file;
    handle = dlopen(opened.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        error = "cannot load " + file + ": " + LoaderError("dlopen failed");
        return false;
    }
    entry = FindEntry();
    if (!entry) {
        error = "no entry point (VSTPluginMain or main) in " + file;
        dlclose(handle);
        handle = nullptr;
        return false;
    }
    return true;
}

EntryProc Module::FindEntry()
{
    for (const char* name : {"VSTPluginMain", "main"}) {
        dlerror();
        void* symbol = dlsym(handle, name);
        if (symbol && DefinedIn(handle, symbol)) {
            entryName = name;
            return reinterpret_cast<EntryProc>(symbol);
        }
    }
    entryName.clear();
    return nullptr;
}

bool Module::Unload()
{
    if (!handle)
        return true;
    if (openInstances > 0) {
        error = "cannot unload " + path + ": " + std::to_string(openInstances.load()) +
                " instance(s) still open";
        return false;
    }
    dlerror();
    const bool closed = dlclose(handle) == 0;
    if (!closed)
        error = "cannot unload " + path + ": " + LoaderError("dlclose failed");
    handle = nullptr;
    entry = nullptr;
    entryName.clear();
    return closed;
}

}  // namespace tarvenna::host
