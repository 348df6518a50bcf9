#include "host/Module.h"

#include <dlfcn.h>
#include <link.h>

namespace tarvenna::host {

namespace {

std::string loaderError(const char* fallback)
{
    const char* text = dlerror();
    return text ? text : fallback;
}

// dlsym on a handle also searches the module's dependencies; an entry point
// must be defined by the module itself, not borrowed from a library it uses.
bool definedIn(void* handle, void* symbol)
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

Module::Module(const std::string& path) { load(path); }

Module::~Module() { unload(); }

bool Module::load(const std::string& path)
{
    if (loaded() && !unload())
        return false;
    path_ = path;
    error_.clear();
    dlerror();
    // A name without a slash would send dlopen searching the library path;
    // a plug-in is always a file, so it is taken from the working directory.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        error_ = "cannot load " + path + ": " + loaderError("dlopen failed");
        return false;
    }
    entry_ = findEntry();
    if (!entry_) {
        error_ = "no entry point (VSTPluginMain or main) in " + path;
        dlclose(handle_);
        handle_ = nullptr;
        return false;
    }
    return true;
}

EntryProc Module::findEntry()
{
    for (const char* name : {"VSTPluginMain", "main"}) {
        dlerror();
        void* symbol = dlsym(handle_, name);
        if (symbol && definedIn(handle_, symbol)) {
            entryName_ = name;
            return reinterpret_cast<EntryProc>(symbol);
        }
    }
    entryName_.clear();
    return nullptr;
}

bool Module::unload()
{
    if (!handle_)
        return true;
    if (openInstances_ > 0) {
        error_ = "cannot unload " + path_ + ": " + std::to_string(openInstances_.load()) +
                 " instance(s) still open";
        return false;
    }
    dlerror();
    const bool closed = dlclose(handle_) == 0;
    if (!closed)
        error_ = "cannot unload " + path_ + ": " + loaderError("dlclose failed");
    handle_ = nullptr;
    entry_ = nullptr;
    entryName_.clear();
    return closed;
}

}  // namespace tarvenna::host
