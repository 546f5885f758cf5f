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
    policy.tries = 5;
    policy.tryTimeout = milliseconds(90);
    policy.silentTries = 3;
    return policy;
}

ExchangeResult Exchange(LineReader& reader, const Frame& request, const RetryPolicy& policy) {
    const std::vector<std::uint8_t> bytes = EncodeFrame(request);
    int silent = 0;
    for (int attempt = 0; attempt < policy.tries && silent < policy.silentTries; ++attempt) {
        if (!reader.Write(bytes)) return {ExchangeStatus::LineLost, {}};
        FrameScanner scanner;
        bool heard = false;
        const auto deadline = Clock::now() + policy.tryTimeout;
        for (;;) {
            std::uint8_t byte = 0;
            const Wait w = reader.Next(byte, deadline);
            if (w == Wait::Closed) return {ExchangeStatus::LineLost, {}};
            if (w == Wait::Cancelled) return {ExchangeStatus::Cancelled, {}};
            if (w == Wait::Timeout) break;
            heard = true;
            scanner.Feed(byte);
            while (auto frame = scanner.Take()) {
                const bool ours = frame->seq == request.seq &&
                                  (frame->type == AnswerType(request.type) || frame->type == msg::kRefused);
                if (ours) return {ExchangeStatus::Answered, std::move(*frame)};
            }
        }
        if (!heard) ++silent;
    }
    return {ExchangeStatus::NoAnswer, {}};
}

}  // namespace bayhaul::tether
