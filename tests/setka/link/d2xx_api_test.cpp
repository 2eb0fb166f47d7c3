// The D2XX loader against fake bridge libraries built beside the tests: a library that is missing or
// lacks an ordinal is no bridge, and one with all nine functions serves the FTDI port.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "setka/link/d2xx_api.h"
#include "setka/link/ftdi_port.h"

namespace livna::setka {
namespace {

/// The calls the fake library has seen since the last look.
std::string fakeLog(const char* library) {
    HMODULE module = GetModuleHandleA(library);
    if (module == nullptr) return "(not loaded)";
    using LogFn = int (*)(char*, int);
    auto log = reinterpret_cast<LogFn>(reinterpret_cast<void*>(GetProcAddress(module, "FakeFtd2xx_Log")));
    if (log == nullptr) return "(no log)";
    char buffer[2048];
    log(buffer, sizeof buffer);
    return buffer;
}

TEST(D2xxLoader, missingLibraryOrOrdinalIsNoBridge) {
    struct Case {
        const char* library;
        std::string errorMentions;
    };
    for (const Case& c : {Case{"livna_no_such_ftd2xx.dll", "livna_no_such_ftd2xx.dll: "},
                          Case{FAKE_FTD2XX_NO17, "ordinal 17"}}) {
        SCOPED_TRACE(c.library);
        D2xxApi api(c.library);
        const PortOpenResult r = openFtdiPort(api);
        EXPECT_EQ(r.port, nullptr);
        EXPECT_EQ(r.systemText, "FT_DEVICE_NOT_FOUND");
        EXPECT_NE(api.loadError().find(c.errorMentions), std::string::npos) << api.loadError();
        EXPECT_GT(api.loadError().size(), c.errorMentions.size()) << "the system's text follows";
        EXPECT_EQ(openFailureMessage(PortKind::Usb, 1), "Прибор Л-640 отключен от линии USB.");
        // Every call answers without touching the absent functions.
        std::uint8_t b = 0;
        unsigned n = 0;
        EXPECT_EQ(api.write(1, &b, 1, &n), FT_DEVICE_NOT_FOUND);
        EXPECT_EQ(api.setTimeouts(1, 100, 100), FT_DEVICE_NOT_FOUND);
        EXPECT_EQ(api.close(1), FT_DEVICE_NOT_FOUND);
    }
    // The library without ordinal 17 is not kept loaded.
    EXPECT_EQ(GetModuleHandleA(FAKE_FTD2XX_NO17), nullptr);
}

TEST(D2xxLoader, allNineOrdinals_openSetUpCarryBytesAndClose) {
    D2xxApi api(FAKE_FTD2XX_FULL);
    PortOpenResult opened = openFtdiPort(api);
    ASSERT_NE(opened.port, nullptr) << api.loadError();
    EXPECT_EQ(api.loadError(), "");
    EXPECT_EQ(fakeLog(FAKE_FTD2XX_FULL), "open 0;baud 1200;reset;data 8 0 0;timeouts 100 100;");

    LinkPort& port = *opened.port;
    // Every byte value crosses the library unchanged (the fake bridge sends back what it gets).
    for (int first = 0; first < 256; first += 4) {
        const std::array<std::uint8_t, 4> out{
            static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(first + 1),
            static_cast<std::uint8_t>(first + 2), static_cast<std::uint8_t>(first + 3)};
        ASSERT_TRUE(port.writeBlock(out).ok());
        std::array<std::uint8_t, 4> in{};
        const BlockRead r = port.readBlock(in);
        ASSERT_TRUE(r.outcome.ok());
        EXPECT_EQ(in, out);
    }
    ASSERT_TRUE(port.writeByte(0x13).ok());
    const ByteRead one = port.readByte();
    ASSERT_TRUE(one.ok());
    EXPECT_EQ(one.value, 0x13);
    EXPECT_EQ(port.readByte().outcome.status, IoStatus::TimedOut) << "nothing more to read";
    fakeLog(FAKE_FTD2XX_FULL);

    ASSERT_TRUE(port.purge().ok());
    port.close();
    EXPECT_EQ(fakeLog(FAKE_FTD2XX_FULL), "purge 3;purge 3;close;");
    EXPECT_EQ(port.writeByte(1).status, IoStatus::Closed);
}

}  // namespace
}  // namespace livna::setka
