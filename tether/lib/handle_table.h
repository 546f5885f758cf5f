// The library's handles: positive numbers, never reused while the library
// is loaded, each naming one LinkSession. Guarded by a lock; a session
// stays alive while a call that found it still runs, even if it is
// released meanwhile.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "link/tether_api.h"
#include "tether/lib/link_session.h"

namespace bayhaul::tether {

class HandleTable {
public:
    static constexpr std::size_t kMaxLive = 1024;

    // A new handle, or 0 when kMaxLive handles are live or numbers ran out.
    LinkHandle Create();
    // nullptr for 0, unknown or released handles.
    std::shared_ptr<LinkSession> Find(LinkHandle handle);
    // Takes the session out of the table; nullptr if there was none.
    std::shared_ptr<LinkSession> Release(LinkHandle handle);

private:
    std::mutex mutex_;
    std::map<LinkHandle, std::shared_ptr<LinkSession>> sessions_;
    LinkHandle next_ = 1;
};

}  // namespace bayhaul::tether
