// The 14-digit timestamp text: year, month, day, hour (24-hour clock),
// minute, second, with no separators, e.g. 20231208090507.
#pragma once

#include "settings/local_time.h"

#include <string>

namespace bayhaul {

std::string FormatTimestamp(const LocalTime& moment);

}  // namespace bayhaul
