#include "usblink/usb_platform.h"

#include <chrono>
#include <thread>

namespace livna {

void SystemSleeper::sleepMs(int ms) {
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

}  // namespace livna
