#include "ports/guid_storage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace bayhaul {
namespace {

using Bytes = std::array<std::uint8_t, 16>;

Bytes Stored(const GUID_Storage& guid) {
    Bytes out;
    out.fill(0xAA);
    guid.CopyToThisPTR(out.data());
    return out;
}

// {4D36E978-E325-11CE-BFC1-08002BE10318} as the platform lays it out.
const Bytes kPortsClass = {0x78, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                           0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};

TEST(GuidStorage, NewValueIsAllZero) {
    EXPECT_EQ(Stored(GUID_Storage{}), Bytes{});
}

TEST(GuidStorage, LoadsFieldsLittleEndian) {
    GUID_Storage guid;
    guid.CopyFromThisPTR(kPortsClass.data());
    EXPECT_EQ(guid.Data1, 0x4D36E978);
    EXPECT_EQ(guid.Data2, static_cast<std::int16_t>(0xE325));
    EXPECT_EQ(guid.Data3, 0x11CE);
    EXPECT_EQ(guid.Data4[0], 0xBF);
    EXPECT_EQ(guid.Data4[7], 0x18);
}

TEST(GuidStorage, RoundTripKeepsEveryBit) {
    Bytes counting;
    for (int i = 0; i < 16; ++i) counting[i] = static_cast<std::uint8_t>(0xF0 + i);
    Bytes ones;
    ones.fill(0xFF);
    for (const Bytes& source : {kPortsClass, counting, ones}) {
        GUID_Storage guid;
        guid.CopyFromThisPTR(source.data());
        EXPECT_EQ(Stored(guid), source);
        guid.Clear();
        EXPECT_EQ(Stored(guid), Bytes{});
    }
}

}  // namespace
}  // namespace bayhaul
