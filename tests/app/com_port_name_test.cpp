#include "press/com_port_name.h"

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

TEST(ComPortFromName, PrefixesFixedPlacesAndTrailingNumber) {
    struct Case {
        const char* name;
        std::optional<std::int16_t> port;
    };
    const Case cases[] = {
        {"USB Serial Port (COM3)", 3},      // one digit at the USB adapter's place
        {"USB Serial Port (COM12)", 12},    // two digits
        {"Communications Port (COM1)", 1},  // a UART
        {"Communications Port (COM10)", 10},
        {"USB Serial Port (COM3) #2", 3},   // the fixed places ignore what follows
        {"USB Serial Port (COM123)", 123},  // fits no place: the trailing "(COMn)"
        {"Communications Port (COM256)", 256},
        {"USB Serial Port (COMx)", std::nullopt},  // a place that holds no digit gives 0: not a port
        {"USB Serial Port (COM0)", std::nullopt},
        {"USB Serial Port", std::nullopt},  // no number anywhere
        {"USB Serial Port (COM99999)", std::nullopt},
        {"USB Serial Port (COM1234", std::nullopt},
        {"Printer Port (LPT1)", std::nullopt},  // neither prefix
        {"Prolific USB-to-Serial Comm Port (COM5)", std::nullopt},
        {"usb serial port (COM3)", std::nullopt},  // the prefixes are case-sensitive
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ComPortFromName(c.name), c.port) << c.name;
}

}  // namespace
}  // namespace bayhaul
