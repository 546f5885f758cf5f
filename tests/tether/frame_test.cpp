#include <gtest/gtest.h>

#include <string>

#include "tether/core/crc16.h"
#include "tether/core/frame.h"
#include "tether/core/link_messages.h"

namespace bayhaul::tether {
namespace {

TEST(Crc16, MatchesTheCcittCheckValueWithInitialZero) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0x31C3);
    EXPECT_EQ(Crc16(nullptr, 0), 0);
}

std::optional<Frame> ScanAll(FrameScanner& scanner, const std::vector<std::uint8_t>& bytes) {
    for (std::uint8_t b : bytes) scanner.Feed(b);
    return scanner.Take();
}

TEST(Frame, RoundTripsEveryPayloadLengthFromEmptyToMaximum) {
    for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{14}, kMaxPayload}) {
        Frame frame{msg::kQueryFile, static_cast<std::uint8_t>(length), std::vector<std::uint8_t>(length, 0xA5)};
        const auto bytes = EncodeFrame(frame);
        ASSERT_EQ(bytes.size(), length + 6);
        EXPECT_EQ(bytes[0], kFrameStart);
        EXPECT_EQ(bytes[1], length);
        FrameScanner scanner;
        EXPECT_EQ(ScanAll(scanner, bytes), frame) << "payload length " << length;
        EXPECT_FALSE(scanner.Take());
    }
}

TEST(Frame, ScannerSkipsNoiseAndDamagedFramesAndFindsTheNextGoodOne) {
    const Frame good{msg::kIdentify | msg::kAnswerBit, 7, BytesOf("MX")};
    auto damaged = EncodeFrame(Frame{msg::kDeleteFile | msg::kAnswerBit, 6, {1}});
    damaged[4] ^= 0x01;  // a flipped payload bit: the CRC no longer fits
    std::vector<std::uint8_t> stream{'C', 0x18, kFrameStart, 251 /* too long to be a frame */};
    stream.insert(stream.end(), damaged.begin(), damaged.end());
    const auto goodBytes = EncodeFrame(good);
    stream.insert(stream.end(), goodBytes.begin(), goodBytes.end());

    FrameScanner scanner;
    EXPECT_EQ(ScanAll(scanner, stream), good);
    EXPECT_FALSE(scanner.Take());
}

TEST(Frame, ScannerWaitsForAFrameSplitAcrossReads) {
    const Frame frame{msg::kSetClock, 200, BytesOf("20240229235959")};
    const auto bytes = EncodeFrame(frame);
    FrameScanner scanner;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        scanner.Feed(bytes[i]);
        ASSERT_FALSE(scanner.Take()) << "after " << i + 1 << " bytes";
    }
    scanner.Feed(bytes.back());
    EXPECT_EQ(scanner.Take(), frame);
}

TEST(Frame, TwoFramesInOneReadComeOutInOrder) {
    const Frame first{msg::kQueryFile, 1, BytesOf("FORM.DAT")};
    const Frame second{msg::kDeleteFile, 2, BytesOf("FORM.DAT")};
    auto bytes = EncodeFrame(first);
    const auto more = EncodeFrame(second);
    bytes.insert(bytes.end(), more.begin(), more.end());
    FrameScanner scanner;
    EXPECT_EQ(ScanAll(scanner, bytes), first);
    EXPECT_EQ(scanner.Take(), second);
}

TEST(LinkMessages, NumbersAreBigEndianAndShortPayloadsAreRejected) {
    std::vector<std::uint8_t> out;
    AppendU32(out, 0x01020304);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(ReadU32(out, 0), 0x01020304u);
    EXPECT_FALSE(ReadU32(out, 1));
}

TEST(LinkMessages, ClockTextMustBeARealDateAndTime) {
    for (const char* good : {"20240229235959", "20000229000000", "19991231235959"}) {
        EXPECT_TRUE(IsValidClockText(good)) << good;
    }
    for (const char* bad : {"", "2024022923595", "202402292359590", "20230229120000", "19000229120000",
                            "20241301120000", "20240001120000", "20240100120000", "20240431120000", "20240101240000",
                            "20240101126000", "20240101120060", "2024010112000x", "-2024010112000"}) {
        EXPECT_FALSE(IsValidClockText(bad)) << bad;
    }
}

}  // namespace
}  // namespace bayhaul::tether
