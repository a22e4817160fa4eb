// The vendors' AT command lists for the two modes. Each list is one block:
// its commands back to back, each ending in "\r\n" and zero-terminated, the
// block closed by an empty string. Walk a list by moving past each command
// by its length plus one until the empty string.
#pragma once

#include "modem_modes.h"

// Fixed order: Huawei ModemOnly, Huawei ExtraFunctions, ZTE ModemOnly,
// ZTE ExtraFunctions; a vendor's pair holds its ModemOnly list first.
constexpr int kCommandListCount = 4;
extern const char* const kCommandLists[kCommandListCount];

// The vendor's list for mode: the ModemOnly list for 0, the ExtraFunctions
// list for any other value.
const char* CommandListFor(ModemVendor vendor, ModemMode mode);
