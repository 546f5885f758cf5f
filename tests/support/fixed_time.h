// A clock that tells the moment a test sets, and fixed locale texts in the
// style of an English system with a United States date format.
#pragma once

#include "settings/locale_text.h"
#include "settings/local_time.h"

#include <string>

namespace bayhaul {

class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalTime moment = {2023, 12, 8, 10, 56, 3}) : moment(moment) {}
    LocalTime Now() const override { return moment; }
    LocalTime moment;
};

class EnglishLocaleText final : public LocaleText {
public:
    std::string weekday = "Friday";
    std::string WeekdayName(const LocalTime&) const override { return weekday; }
    std::string ShortDate(const LocalTime& t) const override {
        return std::to_string(t.month) + "/" + std::to_string(t.day) + "/" + std::to_string(t.year);
    }
    std::string LongTime(const LocalTime& t) const override {
        const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
        auto two = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
        return std::to_string(hour12) + ":" + two(t.minute) + ":" + two(t.second) + (t.hour < 12 ? " AM" : " PM");
    }
    std::string Number(long long value) const override {
        std::string digits = std::to_string(value);
        for (int at = static_cast<int>(digits.size()) - 3; at > (value < 0 ? 1 : 0); at -= 3) digits.insert(at, ",");
        return digits;
    }
};

}  // namespace bayhaul
