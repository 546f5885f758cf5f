// The library's handles: positive numbers, never reused while the library
// is loaded, each naming one PortConnection. Guarded by a lock; a connection
// stays alive while a call that found it still runs, even if it is
// released meanwhile.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "tether/lib/port_connection.h"

namespace bayhaul::tether {

// A handle as the ten functions pass it: a signed 32-bit number, 0 for none.
using Handle = std::int32_t;

class HandleTable {
public:
    static constexpr std::size_t kMaxLive = 1024;

    // A new handle, or 0 when kMaxLive handles are live or numbers ran out.
    Handle Create();
    // nullptr for 0, unknown or released handles.
    std::shared_ptr<PortConnection> Find(Handle handle);
    // Takes the session out of the table; nullptr if there was none.
    std::shared_ptr<PortConnection> Release(Handle handle);

private:
    std::mutex mutex_;
    std::map<Handle, std::shared_ptr<PortConnection>> sessions_;
    Handle next_ = 1;
};

}  // namespace bayhaul::tether
