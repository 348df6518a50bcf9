#include "host/testing/NetJackPair.h"

#include "host/testing/JackServer.h"
#include "host/testing/ServerProcess.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <system_error>

namespace tarvenna::host {

namespace {

std::atomic<int> pairsMade{0};

// The group and port a netJACK master announces itself on, and addresses
// of a network no machine routes.
constexpr const char* kMulticast = "225.3.19.154";
constexpr const char* kAddresses[2] = {"10.231.0.1/24", "10.231.0.2/24"};

const std::vector<std::pair<std::string, std::string>> kNoSoundCard = {
    {"JACK_NO_AUDIO_RESERVATION", "1"}};

}  // namespace

NetJackPair::NetJackPair(std::string remoteName)
    : remote(std::move(remoteName)),
      prefix("tv" + std::to_string(getpid()) + "n" + std::to_string(pairsMade++)),
      masterName(prefix + "-master"),
      slaveName(prefix + "-slave")
{
    if (!JoinNamespaces())
        return;
    if (StartMaster())
        StartSlave();
}

NetJackPair::~NetJackPair()
{
    EndServer(slave);
    EndServer(master);
    RemoveLeftovers();
    // The veth pair goes with its namespaces.
    for (const std::string& space : spaces)
        RunToEnd({"ip", "netns", "del", space});
}

// The master leaves the semaphores of the slave's client and its own
// socket in /dev/shm when it ends; their names carry the pair's prefix.
void NetJackPair::RemoveLeftovers()
{
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("jack", 0) == 0 && name.find("_" + prefix + "-") != std::string::npos)
            std::filesystem::remove(entry.path(), ignored);
    }
}

bool NetJackPair::InNamespace(const std::string& space, std::vector<std::string> words)
{
    words.insert(words.begin(), {"ip", "-n", space});
    return RunToEnd(words);
}

bool NetJackPair::JoinNamespaces()
{
    const std::string ends[2] = {prefix + "a", prefix + "b"};
    for (const std::string& end : ends) {
        if (!RunToEnd({"ip", "netns", "add", end})) {
            error = "ip netns add " + end + " failed (root is needed, and iproute2)";
            return false;
        }
        spaces.push_back(end);
    }
    if (!RunToEnd({"ip", "link", "add", ends[0], "type", "veth", "peer", "name", ends[1]})) {
        error = "ip link add (veth) failed";
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        const std::string& end = ends[i];
        if (!RunToEnd({"ip", "link", "set", end, "netns", end}) ||
            !InNamespace(end, {"addr", "add", kAddresses[i], "dev", end}) ||
            !InNamespace(end, {"link", "set", end, "up"}) ||
            !InNamespace(end, {"link", "set", "lo", "up"}) ||
            !InNamespace(end, {"route", "add", "224.0.0.0/4", "dev", end})) {
            error = "the veth end " + end + " could not be set up";
            return false;
        }
    }
    return true;
}

// `ip netns exec` runs the server in the namespace under its own pid.
bool NetJackPair::StartMaster()
{
    master = StartServer({"ip", "netns", "exec", spaces[0], "jackd", "-n", masterName, "-d",
                          "dummy", "-r", "48000", "-p", "256"},
                         kNoSoundCard);
    if (!JackTakesClients(JackServerKind::Jackd, masterName, kNoSoundCard, master)) {
        error = "the master jackd " + masterName + " took no client";
        return false;
    }
    std::vector<std::pair<std::string, std::string>> onMaster = kNoSoundCard;
    onMaster.emplace_back("JACK_DEFAULT_SERVER", masterName);
    if (!RunToEnd({"jack_load", "netmanager"}, onMaster)) {
        error = "jack_load netmanager failed on " + masterName;
        return false;
    }
    return true;
}

// MIDI is asked for: by default a slave takes as many MIDI ports as the
// master has physical ones, and the dummy driver has none.
bool NetJackPair::StartSlave()
{
    slave = StartServer({"ip", "netns", "exec", spaces[1], "jackd", "-n", slaveName, "-d", "net",
                         "-a", kMulticast, "-i", "2", "-o", "2", "-n", remote},
                        kNoSoundCard);
    if (!JackTakesClients(JackServerKind::Jackd, slaveName, kNoSoundCard, slave)) {
        error = "the slave jackd " + slaveName + " did not join " + masterName;
        return false;
    }
    return true;
}

}  // namespace tarvenna::host
