// Two machines on one, joined by netJACK: two network namespaces made for
// the purpose, a veth pair between them with addresses only inside them
// and a multicast route on each (a netJACK slave finds its master by
// multicast), nothing routed anywhere else. In the first, jackd with the
// dummy driver and the net manager (the master); in the second, jackd with
// the net driver (the slave), whose MIDI comes through as the master's
// client `remote`. Everything is removed when it goes. Needs root.
//
// The servers' sockets are files, not network: a JACK client anywhere on
// this machine reaches either by its name (JACK_DEFAULT_SERVER).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tarvenna::host {

class NetJackPair {
public:
    explicit NetJackPair(std::string remote = "farside");
    ~NetJackPair();

    NetJackPair(const NetJackPair&) = delete;
    NetJackPair& operator=(const NetJackPair&) = delete;

    bool Running() const { return error.empty(); }
    const std::string& Error() const { return error; }
    const std::string& MasterName() const { return masterName; }
    const std::string& SlaveName() const { return slaveName; }
    // The slave's client on the master: "<remote>:midi_from_slave_1" and so on.
    const std::string& Remote() const { return remote; }

private:
    bool JoinNamespaces();
    bool StartMaster();
    bool StartSlave();
    // Runs `words` inside namespace `space`; true when it exited with 0.
    void RemoveLeftovers();
    bool InNamespace(const std::string& space, std::vector<std::string> words);

    std::string remote;
    std::string prefix;  // of the namespaces' and the servers' names
    std::string masterName;
    std::string slaveName;
    std::vector<std::string> spaces;  // made, to be removed
    pid_t master = -1;
    pid_t slave = -1;
    std::string error;
};

}  // namespace tarvenna::host
