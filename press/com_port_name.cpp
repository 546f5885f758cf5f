#include "press/com_port_name.h"

#include "ports/dev_lister.h"

#include <limits>

namespace bayhaul {

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// A number at a fixed place, for names made by the two usual drivers.
// Places count from 1, as in "the 22nd character".
struct FixedPlaceRule {
    std::size_t closeAt;  // must be ")"
    std::size_t openAt;   // must be "("
    std::size_t digitsFrom;
    std::size_t digitCount;
};

constexpr FixedPlaceRule kRules[] = {
    {22, 17, 21, 1},  // USB Serial Port (COM3)
    {23, 17, 21, 2},  // USB Serial Port (COM12)
    {26, 21, 25, 1},  // Communications Port (COM1)
    {27, 21, 25, 2},  // Communications Port (COM10)
};

bool CharacterAt(const std::string& name, std::size_t place, char expected) {
    return place <= name.size() && name[place - 1] == expected;
}

// The value of the leading decimal digits of `text`; 0 when there are none,
// nothing when it does not fit a port number.
std::optional<std::int16_t> LeadingNumber(const std::string& text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int16_t>::max()) return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

// The n of a "(COMn)" that ends the name.
std::optional<std::int16_t> TrailingComNumber(const std::string& name) {
    static const std::string kOpen = "(COM";
    const std::size_t open = name.rfind(kOpen);
    if (open == std::string::npos || name.empty() || name.back() != ')') return std::nullopt;
    const std::string digits = name.substr(open + kOpen.size(), name.size() - 1 - open - kOpen.size());
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return LeadingNumber(digits);
}

}  // namespace

bool IsComPortName(const std::string& name) {
    return StartsWith(name, kUartNamePrefix) || StartsWith(name, kUsbSerialNamePrefix);
}

std::optional<std::int16_t> ComPortFromName(const std::string& name) {
    if (!IsComPortName(name)) return std::nullopt;
    std::optional<std::int16_t> port;
    // Every rule that fits is applied in turn; a later one replaces an earlier.
    for (const FixedPlaceRule& rule : kRules) {
        if (CharacterAt(name, rule.closeAt, ')') && CharacterAt(name, rule.openAt, '(')) {
            port = LeadingNumber(name.substr(rule.digitsFrom - 1, rule.digitCount));
        }
    }
    if (!port) port = TrailingComNumber(name);
    if (port && *port == 0) return std::nullopt;
    return port;
}

std::optional<std::vector<std::int16_t>> ListComPorts(const DevicePlatformFactory& devices, std::string& error) {
    constexpr char kListedOk[] = "OK";
    DevLister lister(devices());
    std::vector<GUID_Storage> classes;
    error = lister.GetGUIDByName("Ports", classes);
    if (error == kListedOk) error = lister.AddToList(&classes.front(), true);
    if (error != kListedOk) return std::nullopt;
    error.clear();
    std::vector<std::int16_t> ports;
    for (std::int32_t position = 1; position <= lister.ListCount(); ++position) {
        if (const auto port = ComPortFromName(lister.Item(position)->GetName())) ports.push_back(*port);
    }
    return ports;
}

}  // namespace bayhaul
