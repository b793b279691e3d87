// The machine's network adapter address.
#pragma once

#include "platform/win_base.h"

constexpr DWORD kAdapterAddressNotFound = 0x23;  // no adapter with a hardware address
constexpr DWORD kAdapterListUnreadable = 0x22;   // the interface list could not be read

// Writes the six-byte hardware address of the first non-loopback interface (in interface index
// order) that has one and returns 0; otherwise returns a non-zero code and leaves `out` alone.
DWORD GetFirstAdapterAddress(BYTE out[6]);
