#include "press/pipe_io.h"

#include <unistd.h>

#include <cerrno>

namespace bayhaul::pipe_io {

bool WriteAll(End end, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t wrote = write(static_cast<int>(end), bytes.data() + sent, bytes.size() - sent);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        sent += static_cast<std::size_t>(wrote);
    }
    return true;
}

std::size_t ReadSome(End end, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = read(static_cast<int>(end), buffer, size);
        if (got < 0 && errno == EINTR) continue;
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
}

}  // namespace bayhaul::pipe_io
