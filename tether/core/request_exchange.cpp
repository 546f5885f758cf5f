#include "tether/core/request_exchange.h"

#include "tether/core/link_messages.h"

namespace bayhaul::tether {

RetryPolicy RequestPolicy(int bitsPerSecond) {
    RetryPolicy policy;
    policy.tryTimeout = milliseconds(100 + 512 * 10 * 1000 / bitsPerSecond);
    return policy;
}

RetryPolicy ConnectPolicy() {
    RetryPolicy policy;
    policy.tries = 3;
    policy.tryTimeout = milliseconds(90);
    return policy;
}

ExchangeResult Exchange(LineReader& reader, const Frame& request, const RetryPolicy& policy,
                        const std::vector<std::uint8_t>& before) {
    std::vector<std::uint8_t> bytes = before;
    const std::vector<std::uint8_t> frame = EncodeFrame(request);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    bool garbled = false;
    bool fromAFrameBoundary = true;  // no frame of the last try was cut short by its deadline
    for (int attempt = 0; attempt < policy.tries; ++attempt) {
        if (!reader.Write(bytes)) return {ExchangeStatus::LineLost, {}};
        FrameScanner scanner;
        std::size_t heard = 0, inFrames = 0;  // bytes read, and those of whole frames
        const auto deadline = SteadyClock::now() + policy.tryTimeout;
        for (;;) {
            std::uint8_t byte = 0;
            const Wait w = reader.Next(byte, deadline);
            if (w == Wait::Closed) return {ExchangeStatus::LineLost, {}};
            if (w == Wait::Cancelled) return {ExchangeStatus::Cancelled, {}};
            if (w == Wait::Timeout) break;
            ++heard;
            scanner.Feed(byte);
            while (auto frame = scanner.Take()) {
                inFrames += EncodeFrame(*frame).size();
                const bool ours = frame->seq == request.seq &&
                                  (frame->type == AnswerType(request.type) || frame->type == msg::kRefused);
                if (ours) return {ExchangeStatus::Answered, std::move(*frame)};
            }
        }
        // Bytes the scanner dropped were no frame, unless they were the rest
        // of a frame the last deadline cut; a frame still arriving may yet be one.
        garbled = garbled || (fromAFrameBoundary && heard > inFrames + scanner.Pending());
        fromAFrameBoundary = scanner.Pending() == 0;
    }
    return {ExchangeStatus::NoAnswer, {}, garbled};
}

}  // namespace bayhaul::tether
