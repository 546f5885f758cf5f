#include "settings/timestamp.h"

namespace bayhaul {

namespace {

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

std::string FormatTimestamp(const LocalTime& moment) {
    // The year is written as it is; every other part takes two digits.
    return std::to_string(moment.year) + TwoDigits(moment.month) + TwoDigits(moment.day) + TwoDigits(moment.hour) +
           TwoDigits(moment.minute) + TwoDigits(moment.second);
}

}  // namespace bayhaul
