// The frame scanner over arbitrary line bytes. Besides not crashing, it
// must find the same frames whether the bytes arrive one at a time or all
// at once, and every frame it finds must stand in the input exactly as
// EncodeFrame writes it (start byte, length, CRC and all).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "tether/core/frame.h"

using bayhaul::fuzz::Require;
using bayhaul::tether::Frame;
using bayhaul::tether::FrameScanner;

namespace {

void TakeAll(FrameScanner& scanner, std::vector<Frame>& frames) {
    while (auto frame = scanner.Take()) frames.push_back(std::move(*frame));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<Frame> byByte;
    FrameScanner trickle;
    for (std::size_t i = 0; i < size; ++i) {
        trickle.Feed(data[i]);
        TakeAll(trickle, byByte);
    }

    std::vector<Frame> atOnce;
    FrameScanner burst;
    for (std::size_t i = 0; i < size; ++i) burst.Feed(data[i]);
    TakeAll(burst, atOnce);

    Require(byByte == atOnce, "the same frames whether bytes come one by one or together");
    for (const Frame& frame : atOnce) {
        Require(frame.payload.size() <= bayhaul::tether::kMaxPayload, "payload within the limit");
        const auto bytes = bayhaul::tether::EncodeFrame(frame);
        Require(std::search(data, data + size, bytes.begin(), bytes.end()) != data + size,
                "a frame found is a valid frame in the input");
    }
    return 0;
}
