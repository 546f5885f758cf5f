// Whole writes and plain reads on a pipe's end, as both ends of a worker's
// pipes use them: a file descriptor on POSIX, a HANDLE on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bayhaul::pipe_io {

// A pipe's end, whichever the platform's kind: an int or a HANDLE, as an integer.
using End = std::intptr_t;

// Writes every byte; false when the other end has gone.
bool WriteAll(End end, const std::string& bytes);
// Waits for bytes: how many, 0 when the other end has gone.
std::size_t ReadSome(End end, char* buffer, std::size_t size);

}  // namespace bayhaul::pipe_io
