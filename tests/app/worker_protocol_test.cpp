// The messages between a press and its workers: what goes in comes out,
// and anything malformed is a failure, never a message.
#include "press/worker_protocol.h"

#include <gtest/gtest.h>

namespace bayhaul::worker {
namespace {

std::string Header(std::uint16_t version, std::uint16_t type, std::uint32_t length) {
    std::string out;
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<char>(version >> (8 * i)));
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<char>(type >> (8 * i)));
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(length >> (8 * i)));
    return out;
}

TEST(WorkerProtocolTest, MessagesArriveWholeWhateverPiecesTheBytesComeIn) {
    const Message saved{Type::FileReceived, {"/home/ann/Desktop/FORM.DAT.COM3.part", "12345", "", std::string(3, '\0')}};
    const std::string bytes = Encode(saved) + Encode({Type::Stop, {}});
    Decoder decoder;
    std::vector<Message> got;
    for (const char byte : bytes) {  // one byte at a time, as a pipe may deliver them
        decoder.Feed(&byte, 1);
        while (std::optional<Message> message = decoder.Next()) got.push_back(*message);
    }
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].type, Type::FileReceived);
    EXPECT_EQ(got[0].fields, saved.fields);
    EXPECT_EQ(got[0].Number(1), 12345);
    EXPECT_EQ(got[0].Number(0), 0) << "a field that is no number reads as 0";
    EXPECT_EQ(got[0].Field(9), "") << "a field that is not there reads as empty";
    EXPECT_EQ(got[1].type, Type::Stop);
    EXPECT_FALSE(decoder.Failed());
}

TEST(WorkerProtocolTest, AnythingMalformedFailsTheDecoderForGood) {
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"another version", Header(2, 1, 0)},
        {"an unknown type", Header(kVersion, 77, 0)},
        {"a length over the limit", Header(kVersion, 1, kMaxBodySize + 1)},
        {"a field longer than its message", Header(kVersion, 1, 5) + std::string("\x09\0\0\0x", 5)},
        {"a field's length cut short", Header(kVersion, 1, 2) + std::string("\x01\0", 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Decoder decoder;
        decoder.Feed(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(decoder.Next().has_value());
        EXPECT_TRUE(decoder.Failed());
        EXPECT_FALSE(decoder.Failure().empty());
        const std::string good = Encode({Type::Stop, {}});
        decoder.Feed(good.data(), good.size());
        EXPECT_FALSE(decoder.Next().has_value()) << "nothing is read after a failure";
    }
}

}  // namespace
}  // namespace bayhaul::worker
