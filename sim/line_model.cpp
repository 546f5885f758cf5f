#include "sim/line_model.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <deque>
#include <random>
#include <vector>

namespace bayhaul::sim {

namespace {

using SteadyClock = std::chrono::steady_clock;
using Nanoseconds = std::chrono::duration<double, std::nano>;

constexpr std::size_t kBufferBytes = 4096;                 // waiting for the line, as in a serial port's driver
constexpr std::size_t kBurstBytes = 8;                     // delivered at once, like a UART's receive trigger
constexpr double kQuietByteTimes = 4;                      // then whatever is due is delivered anyway
constexpr auto kIdleWait = std::chrono::milliseconds(20);  // for the stop flag and speed changes

struct InFlight {
    std::uint8_t byte;
    double start;  // ns since the model started: the byte's first bit goes out
    double due;    // its last bit plus the latency: it arrives
};

void SetNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

// Writes everything unless the model is stopped meanwhile.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, const std::atomic<bool>& stop) {
    while (size > 0 && !stop) {
        const ssize_t n = write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 50);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

LineModel::LineModel(int fdA, int fdB, const LineModelOptions& options) : options_(options) {
    SetNonBlocking(fdA);
    SetNonBlocking(fdB);
    aToB_ = std::thread(&LineModel::Carry, this, fdA, fdB, &sentFromA_, options.seed);
    bToA_ = std::thread(&LineModel::Carry, this, fdB, fdA, nullptr, options.seed * 2 + 1);
}

LineModel::~LineModel() {
    stop_ = true;
    aToB_.join();
    bToA_.join();
}

// One direction. Times are kept as nanoseconds in a double since the start,
// so byte times are exact (86805.55... ns at 115200 bit/s) and the schedule
// never rounds.
void LineModel::Carry(int from, int to, std::atomic<std::uint64_t>* sent, unsigned seed) {
    const auto origin = SteadyClock::now();
    const auto now = [&] { return Nanoseconds(SteadyClock::now() - origin).count(); };
    std::mt19937 random(seed);
    std::bernoulli_distribution corrupt(options_.noise > 0 ? options_.noise : 0.0);
    std::uniform_int_distribution<int> flip(1, 255);
    const double latency = Nanoseconds(options_.latency).count();
    double lineFree = 0;            // when the line has sent every byte taken so far
    std::deque<InFlight> inFlight;  // taken, not yet delivered, in order
    std::size_t started = 0;        // of those, how many have begun to go out
    std::vector<std::uint8_t> buffer(kBufferBytes);
    bool sourceOpen = true;

    while (!stop_) {
        const int speed = options_.bitsPerSecond();
        const double byteTime = speed > 0 ? 10 * 1e9 / speed : 0;
        double t = now();

        // Take what the sender wrote while the buffer has room, each byte
        // scheduled as it arrives: right after the one before it, or at once
        // if the line was idle.
        const std::size_t waiting = inFlight.size() - started;
        if (sourceOpen && waiting < kBufferBytes) {
            const ssize_t n = read(from, buffer.data(), kBufferBytes - waiting);
            if (n > 0) {
                for (ssize_t i = 0; i < n; ++i) {
                    std::uint8_t byte = buffer[static_cast<std::size_t>(i)];
                    if (corrupt(random)) byte ^= static_cast<std::uint8_t>(flip(random));
                    const double begins = std::max(lineFree, t);
                    lineFree = begins + byteTime;
                    inFlight.push_back({byte, begins, lineFree + latency});
                }
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                sourceOpen = false;  // the sender hung up; what is in flight still arrives
            }
        }

        t = now();
        const std::size_t startedBefore = started;
        while (started < inFlight.size() && inFlight[started].start <= t) ++started;
        if (sent) *sent += started - startedBefore;

        // Deliver a burst once enough is due, or once the first due byte has
        // waited long enough.
        std::size_t due = 0;
        while (due < inFlight.size() && inFlight[due].due <= t) ++due;
        const bool quietLongEnough = due > 0 && t - inFlight.front().due >= kQuietByteTimes * byteTime;
        if (due >= kBurstBytes || quietLongEnough || (due > 0 && byteTime == 0)) {
            std::vector<std::uint8_t> burst;
            for (std::size_t i = 0; i < due; ++i) burst.push_back(inFlight[i].byte);
            inFlight.erase(inFlight.begin(), inFlight.begin() + static_cast<long>(due));
            started -= std::min(started, due);
            if (!WriteAll(to, burst.data(), burst.size(), stop_)) return;
            continue;
        }

        // Sleep until the next thing to do: a burst falls due, the next byte
        // begins to go out (the sender in this process waits for that), the
        // buffer has room again, or the sender writes.
        double wake = t + Nanoseconds(kIdleWait).count();
        if (!inFlight.empty()) {
            const std::size_t burstEnd = std::min(inFlight.size(), kBurstBytes) - 1;
            wake = std::min({wake, inFlight[burstEnd].due, inFlight.front().due + kQuietByteTimes * byteTime});
        }
        const bool full = inFlight.size() - started >= kBufferBytes;
        if ((sent || full) && started < inFlight.size()) {
            wake = std::min(wake, inFlight[started].start + kBurstBytes * byteTime);
        }
        const double wait = std::max(0.0, wake - t);
        const timespec timeout{static_cast<time_t>(wait / 1e9), static_cast<long>(std::fmod(wait, 1e9))};
        pollfd p{sourceOpen && !full ? from : -1, POLLIN, 0};  // a negative descriptor is not watched
        ppoll(&p, 1, &timeout, nullptr);
    }
}

}  // namespace bayhaul::sim
