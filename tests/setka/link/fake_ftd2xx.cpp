// A stand-in for FTDI's FTD2XX.DLL with the nine functions the bridge uses, exported by ordinal
// only (the .def files, which alone decide the exports): one bridge, device 0, that sends back whatever is
// written to it. Every call is kept in a log that the tests read through FakeFtd2xx_Log (exported by name).
#include <windows.h>

#include <cstring>
#include <deque>
#include <string>

namespace {

struct Bridge {
    bool open = false;
    std::deque<unsigned char> loop;
    std::string log;
};

Bridge g_bridge;
constexpr ULONG kOk = 0;
constexpr ULONG kInvalidHandle = 1;
constexpr ULONG kDeviceNotFound = 2;

bool valid(void* handle) {
    return handle == &g_bridge && g_bridge.open;
}

void note(const std::string& call) {
    g_bridge.log += call + ";";
}

}  // namespace

extern "C" {

ULONG WINAPI FT_Open(int deviceNumber, void** handle) {
    note("open " + std::to_string(deviceNumber));
    if (deviceNumber != 0) return kDeviceNotFound;
    g_bridge.open = true;
    *handle = &g_bridge;
    return kOk;
}

ULONG WINAPI FT_Close(void* handle) {
    note("close");
    if (!valid(handle)) return kInvalidHandle;
    g_bridge.open = false;
    g_bridge.loop.clear();
    return kOk;
}

ULONG WINAPI FT_Read(void* handle, void* buffer, DWORD n, DWORD* got) {
    note("read " + std::to_string(n));
    *got = 0;
    if (!valid(handle)) return kInvalidHandle;
    auto* out = static_cast<unsigned char*>(buffer);
    while (*got < n && !g_bridge.loop.empty()) {
        out[(*got)++] = g_bridge.loop.front();
        g_bridge.loop.pop_front();
    }
    return kOk;
}

ULONG WINAPI FT_Write(void* handle, void* buffer, DWORD n, DWORD* written) {
    note("write " + std::to_string(n));
    *written = 0;
    if (!valid(handle)) return kInvalidHandle;
    const auto* in = static_cast<const unsigned char*>(buffer);
    g_bridge.loop.insert(g_bridge.loop.end(), in, in + n);
    *written = n;
    return kOk;
}

ULONG WINAPI FT_ResetDevice(void* handle) {
    note("reset");
    return valid(handle) ? kOk : kInvalidHandle;
}

ULONG WINAPI FT_SetBaudRate(void* handle, ULONG baud) {
    note("baud " + std::to_string(baud));
    return valid(handle) ? kOk : kInvalidHandle;
}

ULONG WINAPI FT_SetDataCharacteristics(void* handle, UCHAR bits, UCHAR stop, UCHAR parity) {
    note("data " + std::to_string(bits) + " " + std::to_string(stop) + " " + std::to_string(parity));
    return valid(handle) ? kOk : kInvalidHandle;
}

ULONG WINAPI FT_Purge(void* handle, ULONG mask) {
    note("purge " + std::to_string(mask));
    if (!valid(handle)) return kInvalidHandle;
    if ((mask & 1) != 0) g_bridge.loop.clear();
    return kOk;
}

ULONG WINAPI FT_SetTimeouts(void* handle, ULONG readMs, ULONG writeMs) {
    note("timeouts " + std::to_string(readMs) + " " + std::to_string(writeMs));
    return valid(handle) ? kOk : kInvalidHandle;
}

/// Copies the log of calls (each followed by ';') into out and clears it; returns its length.
int FakeFtd2xx_Log(char* out, int size) {
    const int n = static_cast<int>(g_bridge.log.size());
    if (size > 0) {
        const int copied = n < size - 1 ? n : size - 1;
        std::memcpy(out, g_bridge.log.data(), static_cast<std::size_t>(copied));
        out[copied] = '\0';
    }
    g_bridge.log.clear();
    return n;
}

}  // extern "C"
