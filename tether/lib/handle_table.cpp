#include "tether/lib/handle_table.h"

#include <limits>

namespace bayhaul::tether {

Handle HandleTable::Create() {
    std::lock_guard lock(mutex_);
    if (sessions_.size() >= kMaxLive || next_ == std::numeric_limits<Handle>::max()) return 0;
    const Handle handle = next_++;
    sessions_.emplace(handle, std::make_shared<PortConnection>());
    return handle;
}

std::shared_ptr<PortConnection> HandleTable::Find(Handle handle) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(handle);
    return it == sessions_.end() ? nullptr : it->second;
}

std::shared_ptr<PortConnection> HandleTable::Release(Handle handle) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(handle);
    if (it == sessions_.end()) return nullptr;
    auto session = std::move(it->second);
    sessions_.erase(it);
    return session;
}

}  // namespace bayhaul::tether
