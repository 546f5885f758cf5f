#include "press/worker_protocol.h"

#include <charconv>

namespace bayhaul::worker {

namespace {

void PutUint(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetUint(const std::string& in, std::size_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return value;
}

bool KnownType(std::uint16_t type) {
    return (type >= static_cast<std::uint16_t>(Type::Stage) && type <= static_cast<std::uint16_t>(Type::Probed)) ||
           (type >= static_cast<std::uint16_t>(Type::Boxes) && type <= static_cast<std::uint16_t>(Type::GiveUp));
}

}  // namespace

std::int64_t Message::Number(std::size_t index) const {
    const std::string& text = Field(index);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

const std::string& Message::Field(std::size_t index) const {
    static const std::string kNone;
    return index < fields.size() ? fields[index] : kNone;
}

FailureCause CauseIn(const Message& message, std::size_t index) {
    const std::int64_t value = message.Number(index);
    return value > 0 && value <= kLastFailureCause ? static_cast<FailureCause>(value) : FailureCause::None;
}

std::string Encode(const Message& message) {
    std::string body;
    for (const std::string& field : message.fields) {
        PutUint(body, field.size(), 4);
        body += field;
    }
    std::string out;
    PutUint(out, kVersion, 2);
    PutUint(out, static_cast<std::uint16_t>(message.type), 2);
    PutUint(out, body.size(), 4);
    return out + body;
}

void Decoder::Feed(const char* bytes, std::size_t size) {
    if (Failed()) return;
    // What was read already is dropped before the buffer grows.
    if (read_ > 0) {
        buffer_.erase(0, read_);
        read_ = 0;
    }
    buffer_.append(bytes, size);
}

std::optional<Message> Decoder::Next() {
    if (Failed() || buffer_.size() - read_ < kHeaderSize) return std::nullopt;
    const std::uint64_t version = GetUint(buffer_, read_, 2);
    const auto type = static_cast<std::uint16_t>(GetUint(buffer_, read_ + 2, 2));
    const std::uint64_t length = GetUint(buffer_, read_ + 4, 4);
    if (version != kVersion) {
        failure_ = "a message of version " + std::to_string(version) + " (expected " + std::to_string(kVersion) + ")";
        return std::nullopt;
    }
    if (!KnownType(type)) {
        failure_ = "a message of unknown type " + std::to_string(type);
        return std::nullopt;
    }
    if (length > kMaxBodySize) {
        failure_ = "a message of " + std::to_string(length) + " bytes";
        return std::nullopt;
    }
    if (buffer_.size() - read_ - kHeaderSize < length) return std::nullopt;

    Message message{static_cast<Type>(type), {}};
    std::size_t at = read_ + kHeaderSize;
    const std::size_t end = at + length;
    while (at < end) {
        if (end - at < 4 || GetUint(buffer_, at, 4) > end - at - 4) {
            failure_ = "a message whose fields overrun it";
            return std::nullopt;
        }
        const std::size_t size = GetUint(buffer_, at, 4);
        message.fields.push_back(buffer_.substr(at + 4, size));
        at += 4 + size;
    }
    read_ = end;
    return message;
}

}  // namespace bayhaul::worker
