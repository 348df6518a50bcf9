// The host: default answers for its instances and their creation through a
// module's entry point.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/HostConfig.h"
#include "host/HostInstance.h"
#include "host/Module.h"
#include "host/Recording.h"

namespace tarvenna::host {

class Host {
public:
    explicit Host(HostConfig defaults = {});

    // Copied into each instance created afterwards.
    HostConfig& defaults() { return defaults_; }
    const HostConfig& defaults() const { return defaults_; }

    // Calls the module's entry with the host callback. Null when the module
    // is not loaded, the entry returns null or the record's magic is wrong;
    // lastError() tells which. Requests made during the entry call (the
    // record is not known yet, the version request even comes with a null
    // record) are answered with the new instance's answers and recorded by
    // it; lastCreationRequests() keeps them also when no instance results.
    std::unique_ptr<HostInstance> instantiate(Module& module);

    const std::string& lastError() const { return lastError_; }
    const std::vector<RequestRecord>& lastCreationRequests() const { return creationRequests_; }

private:
    HostConfig defaults_;
    std::string lastError_;
    std::vector<RequestRecord> creationRequests_;
};

// Requests that reached no instance: an unknown record outside any entry
// call. They are answered with 0.
std::size_t strayRequestCount();

}  // namespace tarvenna::host
