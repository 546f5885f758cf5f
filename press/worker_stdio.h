// The worker program's end of its pipes: its standard input and output as
// it was started. They are moved aside at once, so a library that prints
// to standard output cannot write into the messages to the press.
#pragma once

#include <memory>

#include "press/worker_link.h"

namespace bayhaul {

std::unique_ptr<WorkerChannel> TakeStandardChannel();

}  // namespace bayhaul
