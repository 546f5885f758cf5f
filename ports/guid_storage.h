// One 16-byte GUID in the platform's memory layout: Data1 (32-bit),
// Data2 and Data3 (16-bit), all little-endian, then eight bytes Data4.
#pragma once

#include <cstdint>

namespace bayhaul {

class GUID_Storage {
public:
    GUID_Storage() { Clear(); }

    std::int32_t Data1;
    std::int16_t Data2;
    std::int16_t Data3;
    std::uint8_t Data4[8];

    // Loads the value from 16 readable bytes at PtrToSrcGUID.
    void CopyFromThisPTR(const void* PtrToSrcGUID);
    // Stores the value into 16 writable bytes at PtrToDstGUID.
    void CopyToThisPTR(void* PtrToDstGUID) const;
    void Clear();
};

}  // namespace bayhaul
