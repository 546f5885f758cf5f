#include "sim/request_server.h"

#include <algorithm>

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

// A conditional delete's size and SHA-256, before its name.
constexpr std::size_t kFingerprintBytes = 4 + 32;

// The answer to a delete that ended so; `what` begins its log line.
Reply Deleted(const Frame& request, const std::string& what, DeleteResult result) {
    switch (result) {
        case DeleteResult::Deleted:
            return {Answer(request, {msg::kDeleted}), what + ": deleted", nullptr};
        case DeleteResult::Absent:
            return {Answer(request, {msg::kNothingToDelete}), what + ": none", nullptr};
        case DeleteResult::Changed:
            return {Answer(request, {msg::kKeptChanged}), what + ": changed, kept", nullptr};
        case DeleteResult::Failed:
            break;
    }
    return {Refuse(request, Refusal::StorageError), what + ": failed", nullptr};
}

}  // namespace

std::string Escaped(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            shown += c;
        } else {
            shown += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0x0F];
        }
    }
    return shown;
}

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

Reply RequestServer::Send(const Frame& request, std::uint64_t from, const std::string& name) {
    const std::string shown = Escaped(name);
    if (!TerminalStorage::IsPlainName(name)) return {Refuse(request, Refusal::Malformed), "send: bad name", nullptr};
    auto source = storage_.Open(name);
    if (!source) return {Refuse(request, Refusal::NoSuchFile), "send " + shown + ": none", nullptr};
    if (from > source->Size())
        return {Refuse(request, Refusal::Malformed), "send " + shown + ": past the end", nullptr};
    std::vector<std::uint8_t> payload;
    AppendU32(payload, static_cast<std::uint32_t>(source->Size()));
    std::string log = "send " + shown + ": " + std::to_string(source->Size()) + " bytes";
    if (request.type == msg::kSendFrom) log += " from " + std::to_string(from);
    return {Answer(request, payload), log, std::move(source), from, name};
}

Reply RequestServer::Execute(const Frame& request) {
    const std::string text = TextOf(request.payload);
    const std::string shown = Escaped(text);
    const bool named = TerminalStorage::IsPlainName(text);
    switch (request.type) {
        case msg::kIdentify: {
            std::vector<std::uint8_t> payload{version_};
            const std::string model = kModel;
            payload.insert(payload.end(), model.begin(), model.end());
            return {Answer(request, payload), "identify", nullptr};
        }
        case msg::kQueryFile: {
            if (!named) return {Refuse(request, Refusal::Malformed), "query: bad name", nullptr};
            const auto size = storage_.FileSize(text);
            std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(size ? 1 : 0)};
            AppendU32(payload, static_cast<std::uint32_t>(size.value_or(0)));
            if (const auto print =
                    size && version_ >= msg::kFileDigestVersion ? storage_.Fingerprint(text) : std::nullopt;
                print && print->size == *size) {
                payload.insert(payload.end(), print->digest.begin(), print->digest.end());
            }
            return {Answer(request, payload),
                    "query " + shown + ": " + (size ? std::to_string(*size) + " bytes" : "none"), nullptr};
        }
        case msg::kSendFile:
            return Send(request, 0, text);
        case msg::kSendFrom: {
            if (version_ < msg::kResumeVersion) break;  // unknown to a first-version terminal
            const auto offset = ReadU32(request.payload, 0);
            if (!offset) return {Refuse(request, Refusal::Malformed), "send from: no offset", nullptr};
            return Send(request, *offset, TextOf({request.payload.begin() + 4, request.payload.end()}));
        }
        case msg::kDeleteFile:
            if (!named) return {Refuse(request, Refusal::Malformed), "delete: bad name", nullptr};
            return Deleted(request, "delete " + shown, storage_.Delete(text));
        case msg::kDeleteIfSame: {
            if (version_ < msg::kDeleteIfSameVersion) break;  // unknown to an older terminal
            const auto size = ReadU32(request.payload, 0);
            const std::string name = request.payload.size() > kFingerprintBytes
                                         ? TextOf({request.payload.begin() + kFingerprintBytes, request.payload.end()})
                                         : std::string();
            if (!size || !TerminalStorage::IsPlainName(name))
                return {Refuse(request, Refusal::Malformed), "delete if unchanged: malformed", nullptr};
            Sha256Digest digest{};
            std::copy(request.payload.begin() + 4, request.payload.begin() + kFingerprintBytes, digest.begin());
            return Deleted(request, "delete " + Escaped(name) + " if unchanged",
                           storage_.DeleteIfSame(name, *size, digest));
        }
        case msg::kSetClock: {
            if (!IsValidClockText(text)) return {Refuse(request, Refusal::Malformed), "clock: bad text", nullptr};
            if (!storage_.SetClock(text)) {
                return {Refuse(request, Refusal::StorageError), "clock " + text + ": failed", nullptr};
            }
            return {Answer(request, {}), "clock " + text, nullptr};
        }
        default:
            break;
    }
    return {Refuse(request, Refusal::UnknownRequest), "unknown request", nullptr};
}

}  // namespace bayhaul::sim
