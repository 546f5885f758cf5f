#include "sim/request_server.h"

#include "tether/core/link_messages.h"

namespace bayhaul::sim {

using namespace tether;

namespace {

constexpr const char* kModel = "bayhaul-terminal";

Frame Answer(const Frame& request, std::vector<std::uint8_t> payload) {
    return Frame{AnswerType(request.type), request.seq, std::move(payload)};
}

Frame Refuse(const Frame& request, Refusal reason) {
    return Frame{msg::kRefused, request.seq, {static_cast<std::uint8_t>(reason)}};
}

}  // namespace

Reply RequestServer::Serve(const Frame& request) {
    if (request.type != msg::kIdentify && IsRepeat(request)) {
        Reply repeat = lastReply_;
        repeat.log = "repeat: " + repeat.log;
        return repeat;
    }
    Reply reply = Execute(request);
    if (request.type == msg::kIdentify) {
        last_.reset();
    } else {
        last_ = request;
        lastReply_ = reply;
    }
    return reply;
}

Reply RequestServer::Execute(const Frame& request) {
    const std::string text = TextOf(request.payload);
    const bool named = TerminalStorage::IsPlainName(text);
    switch (request.type) {
        case msg::kIdentify: {
            std::vector<std::uint8_t> payload{msg::kProtocolVersion};
            const std::string model = kModel;
            payload.insert(payload.end(), model.begin(), model.end());
            return {Answer(request, payload), "identify", std::nullopt};
        }
        case msg::kQueryFile: {
            if (!named) return {Refuse(request, Refusal::Malformed), "query: bad name", std::nullopt};
            const auto size = storage_.FileSize(text);
            std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(size ? 1 : 0)};
            AppendU32(payload, static_cast<std::uint32_t>(size.value_or(0)));
            return {Answer(request, payload),
                    "query " + text + ": " + (size ? std::to_string(*size) + " bytes" : "none"), std::nullopt};
        }
        case msg::kSendFile: {
            if (!named) return {Refuse(request, Refusal::Malformed), "send: bad name", std::nullopt};
            auto data = storage_.ReadFile(text);
            if (!data) return {Refuse(request, Refusal::NoSuchFile), "send " + text + ": none", std::nullopt};
            std::vector<std::uint8_t> payload;
            AppendU32(payload, static_cast<std::uint32_t>(data->size()));
            const std::string log = "send " + text + ": " + std::to_string(data->size()) + " bytes";
            return {Answer(request, payload), log, std::move(data)};
        }
        case msg::kDeleteFile: {
            if (!named) return {Refuse(request, Refusal::Malformed), "delete: bad name", std::nullopt};
            switch (storage_.Delete(text)) {
                case DeleteResult::Deleted:
                    return {Answer(request, {1}), "delete " + text + ": deleted", std::nullopt};
                case DeleteResult::Absent:
                    return {Answer(request, {0}), "delete " + text + ": none", std::nullopt};
                case DeleteResult::Failed:
                    return {Refuse(request, Refusal::StorageError), "delete " + text + ": failed", std::nullopt};
            }
            break;
        }
        case msg::kSetClock: {
            if (!IsValidClockText(text)) return {Refuse(request, Refusal::Malformed), "clock: bad text", std::nullopt};
            if (!storage_.SetClock(text)) {
                return {Refuse(request, Refusal::StorageError), "clock " + text + ": failed", std::nullopt};
            }
            return {Answer(request, {}), "clock " + text, std::nullopt};
        }
        default:
            break;
    }
    return {Refuse(request, Refusal::UnknownRequest), "unknown request", std::nullopt};
}

}  // namespace bayhaul::sim
