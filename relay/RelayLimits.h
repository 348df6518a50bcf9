// The fixed sizes of the relay, shared by the tables, the node and its
// saved settings.
#pragma once

#include <cstdint>

constexpr int32_t kPortCount = 8;   // ports 0 to 7, shown as 1 to 8
constexpr int32_t kSlotCount = 64;  // node IDs 1 to 64 are slot index + 1
constexpr int32_t kMaxInstances = 64;

constexpr int32_t kModeSend = 0;
constexpr int32_t kModeReceive = 1;

inline bool IsValidPort(int32_t port) { return port >= 0 && port < kPortCount; }
inline bool IsValidMode(int32_t mode) { return mode == kModeSend || mode == kModeReceive; }
inline bool IsValidNodeId(int32_t nodeId) { return nodeId >= 1 && nodeId <= kSlotCount; }
