// The port layout every plug-in through this adapter has: a stereo main bus, a stereo
// side-chain, the latency output, then one control input per automation entry in
// automation-index order. The description and the instance both follow it.
#pragma once

#include <cstdint>

namespace zt::lv2 {

enum EPort : uint32_t {
    kInputLeft = 0,
    kInputRight,
    kOutputLeft,
    kOutputRight,
    kSideLeft,
    kSideRight,
    kLatency,
    kFirstControl
};

constexpr uint32_t ControlPort(int32_t automationIndex)
{
    return kFirstControl + static_cast<uint32_t>(automationIndex);
}

// The state property the host state is stored under, below the plug-in's URI.
constexpr const char* kStateSuffix = "#state";

}  // namespace zt::lv2
