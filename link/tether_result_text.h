// The program's words for our terminal library's results (tether_codes.h),
// as a press reports them. A value the table does not know keeps its number.
#pragma once

#include <cstdint>
#include <string>

namespace bayhaul {

// A failed request of any function but Tether_StLoad: a negative result,
// e.g. "the terminal did not answer".
std::string RequestFailureText(std::int16_t result);

// A transfer that ended with this Tether_StLoad status (3 or more), e.g.
// "the terminal hung up". `bytes` tells how far it came ("19,456 of 88,534
// bytes"), or is empty; failures of the line mention it.
std::string TransferFailureText(std::int16_t status, const std::string& bytes);

}  // namespace bayhaul
