#include "platform/net/adapter_address.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>

#include <climits>
#include <cstring>

DWORD GetFirstAdapterAddress(BYTE out[6]) {
    struct ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return kAdapterListUnreadable;
    const struct sockaddr_ll* best = nullptr;
    for (struct ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_PACKET) continue;
        if ((it->ifa_flags & IFF_LOOPBACK) != 0) continue;
        const auto* link = reinterpret_cast<const struct sockaddr_ll*>(it->ifa_addr);
        if (link->sll_halen != 6) continue;
        if (best == nullptr || link->sll_ifindex < best->sll_ifindex) best = link;
    }
    DWORD result = kAdapterAddressNotFound;
    if (best != nullptr) {
        std::memcpy(out, best->sll_addr, 6);
        result = 0;
    }
    freeifaddrs(list);
    return result;
}
