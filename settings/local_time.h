// A moment of the PC's local time, and the clock that tells it. The clock
// is an interface so that tests can stand a fixed moment in its place.
#pragma once

namespace bayhaul {

struct LocalTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;   // 0 to 23
    int minute = 0;
    int second = 0;
};

// Days since 1970-01-01 of a date of the Gregorian calendar, for counting
// the days between two dates.
long DaysSinceEpoch(int year, int month, int day);

class Clock {
public:
    virtual ~Clock() = default;
    // Reads the local date and time once, as one consistent moment.
    virtual LocalTime Now() const = 0;
};

class SystemClock final : public Clock {
public:
    LocalTime Now() const override;
};

}  // namespace bayhaul
