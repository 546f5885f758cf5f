// The program's words for our terminal library's results (tether_codes.h),
// as a press reports them, each with its cause, which says what helps
// (failure_advice.h). A value the table does not know keeps its number.
#pragma once

#include <cstdint>
#include <string>

#include "link/failure_advice.h"

namespace bayhaul {

struct FailureWords {
    std::string words;  // e.g. "the terminal did not answer"
    FailureCause cause = FailureCause::None;
};

// A failed request of any function but Tether_StLoad: a negative result.
FailureWords RequestFailure(std::int16_t result);

// A transfer that ended with this Tether_StLoad status (3 or more), e.g.
// "the terminal hung up". `bytes` tells how far it came ("19,456 of 88,534
// bytes"), or is empty; failures of the line mention it.
FailureWords TransferFailure(std::int16_t status, const std::string& bytes);

}  // namespace bayhaul
