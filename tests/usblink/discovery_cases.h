#pragma once
// Discovery cases every platform backend's tests play with their own panels: panels that are
// served, interfaces listed that nobody serves, and what UsbCountDevices makes of them.
#include <gtest/gtest.h>

#include "usblink/usb_link.h"

namespace livna::test {

struct DiscoveryCase {
    const char* name;
    int served;    ///< panels whose pipes are served
    int unserved;  ///< interfaces left behind with nobody serving them
    int count;     ///< the count discovery reports
    bool present;  ///< exactly one panel: the link keeps its pipes
};

inline constexpr DiscoveryCase kDiscoveryCases[] = {
    {"none", 0, 0, 0, false},
    {"one", 1, 0, 1, true},
    {"two", 2, 0, 2, false},
    {"one beside an unserved interface", 1, 1, 1, true},
    {"only an unserved interface", 0, 1, 0, false},
};

/// Discovery on platform, which serves the panels of c, and what the link makes of it.
inline void expectDiscovery(UsbPlatform& platform, const DiscoveryCase& c) {
    RecordingSleeper sleeper;
    UsbPipes pipes(platform, sleeper);
    int count = -1;
    EXPECT_EQ(pipes.UsbCountDevices(count), c.present);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(pipes.isOpen(), c.present);
    EXPECT_EQ(pipes.systemText(), "");
}

}  // namespace livna::test
