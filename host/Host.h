// The host: default answers for its instances and their creation, through
// a module's entry point or in this process.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/HostConfig.h"
#include "host/HostInstance.h"
#include "host/Module.h"
#include "host/Recording.h"

namespace tarvenna::host {

// Makes one plug-in object with the host callback it is given and returns
// its record, or null when the object refuses to be made. An entry point
// (EntryProc) is one; so is a lambda that constructs a plug-in class.
using InstanceFactory = std::function<AEffect*(audioMasterCallback)>;

class Host {
public:
    explicit Host(HostConfig defaults = {});

    // Copied into each instance created afterwards. Change them before the
    // host is shared between threads.
    HostConfig& Defaults() { return defaults; }
    const HostConfig& Defaults() const { return defaults; }

    // Calls the module's entry with the host callback. Null when the module
    // is not loaded, the entry returns null or the record's magic is wrong;
    // LastError() tells which. Requests made during the entry call (the
    // record is not known yet, the version request even comes with a null
    // record) are answered with the new instance's answers and recorded by
    // it; LastCreationRequests() keeps them also when no instance results.
    std::unique_ptr<HostInstance> Instantiate(Module& module, InstanceOptions options = {});

    // The same in this process, for code linked into the program: the
    // plug-in's entry function, or a factory that constructs a plug-in
    // class. The record belongs to the instance from then on: effClose
    // (Close, or the instance's destruction) destroys the object.
    std::unique_ptr<HostInstance> Instantiate(const InstanceFactory& factory,
                                              InstanceOptions options = {});

    // Copies, so that threads may create instances on one host at once;
    // they tell about the last creation of any of them.
    std::string LastError() const;
    std::vector<RequestRecord> LastCreationRequests() const;

private:
    std::unique_ptr<HostInstance> Create(Module* module, const InstanceFactory& factory,
                                         InstanceOptions options);
    void Report(const std::string& error, const std::vector<RequestRecord>& requests);

    HostConfig defaults;
    mutable std::mutex mutex;  // guards lastError and creationRequests
    std::string lastError;
    std::vector<RequestRecord> creationRequests;
};

// Requests that reached no instance: an unknown record outside any entry
// call. They are answered with 0.
std::size_t StrayRequestCount();

}  // namespace tarvenna::host
