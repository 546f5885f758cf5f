#include "ports/guid_storage.h"

#include <cstring>

namespace bayhaul {
namespace {

std::uint32_t LoadLittleEndian(const std::uint8_t* bytes, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

void StoreLittleEndian(std::uint32_t value, std::uint8_t* bytes, int width) {
    for (int i = 0; i < width; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

void GUID_Storage::CopyFromThisPTR(const void* PtrToSrcGUID) {
    const auto* src = static_cast<const std::uint8_t*>(PtrToSrcGUID);
    Data1 = static_cast<std::int32_t>(LoadLittleEndian(src, 4));
    Data2 = static_cast<std::int16_t>(LoadLittleEndian(src + 4, 2));
    Data3 = static_cast<std::int16_t>(LoadLittleEndian(src + 6, 2));
    std::memcpy(Data4, src + 8, sizeof Data4);
}

void GUID_Storage::CopyToThisPTR(void* PtrToDstGUID) const {
    auto* dst = static_cast<std::uint8_t*>(PtrToDstGUID);
    StoreLittleEndian(static_cast<std::uint32_t>(Data1), dst, 4);
    StoreLittleEndian(static_cast<std::uint16_t>(Data2), dst + 4, 2);
    StoreLittleEndian(static_cast<std::uint16_t>(Data3), dst + 6, 2);
    std::memcpy(dst + 8, Data4, sizeof Data4);
}

void GUID_Storage::Clear() {
    Data1 = 0;
    Data2 = 0;
    Data3 = 0;
    std::memset(Data4, 0, sizeof Data4);
}

}  // namespace bayhaul
