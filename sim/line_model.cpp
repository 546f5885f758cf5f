#include "sim/line_model.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <deque>
#include <random>
#include <vector>

namespace bayhaul::sim {

namespace {

using SteadyClock = std::chrono::steady_clock;
using Nanoseconds = std::chrono::duration<double, std::nano>;

constexpr std::size_t kFifoBytes = 16;                     // taken ahead of the line at each end
constexpr std::size_t kBurstBytes = 8;                     // delivered at once, like a UART's receive trigger
constexpr double kQuietByteTimes = 4;                      // then whatever is due is delivered anyway
constexpr auto kIdleWait = std::chrono::milliseconds(20);  // for the stop flag and speed changes

struct InFlight {
    std::uint8_t byte;
    double due;  // ns since the model started: the byte's last bit plus the latency
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
    aToB_ = std::thread(&LineModel::Carry, this, fdA, fdB, &takenFromA_, options.seed);
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
void LineModel::Carry(int from, int to, std::atomic<std::uint64_t>* taken, unsigned seed) {
    const auto start = SteadyClock::now();
    const auto now = [&] { return Nanoseconds(SteadyClock::now() - start).count(); };
    std::mt19937 random(seed);
    std::bernoulli_distribution corrupt(options_.noise > 0 ? options_.noise : 0.0);
    std::uniform_int_distribution<int> flip(1, 255);
    const double latency = Nanoseconds(options_.latency).count();
    double lineFree = 0;  // when the line has sent every byte taken so far
    std::deque<InFlight> inFlight;
    std::vector<std::uint8_t> buffer(4096);
    bool sourceOpen = true;

    while (!stop_) {
        const int speed = options_.bitsPerSecond();
        const double byteTime = speed > 0 ? 10 * 1e9 / speed : 0;
        double t = now();

        // Take bytes while the sender's FIFO has room: they go out one after
        // another from when they arrived or the line became free.
        const double ahead = std::max(0.0, lineFree - t);
        const std::size_t room =
            byteTime > 0 ? static_cast<std::size_t>(std::max(0.0, kFifoBytes - ahead / byteTime)) : buffer.size();
        if (sourceOpen && room > 0) {
            const ssize_t n = read(from, buffer.data(), std::min(room, buffer.size()));
            if (n > 0) {
                for (ssize_t i = 0; i < n; ++i) {
                    std::uint8_t byte = buffer[static_cast<std::size_t>(i)];
                    if (corrupt(random)) byte ^= static_cast<std::uint8_t>(flip(random));
                    lineFree = std::max(lineFree, t) + byteTime;
                    inFlight.push_back({byte, lineFree + latency});
                }
                if (taken) *taken += static_cast<std::uint64_t>(n);
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                sourceOpen = false;  // the sender hung up; what is in flight still arrives
            }
        }

        // Deliver a burst once enough is due, or once the first due byte has
        // waited long enough.
        t = now();
        std::size_t due = 0;
        while (due < inFlight.size() && inFlight[due].due <= t) ++due;
        const bool quietLongEnough = due > 0 && t - inFlight.front().due >= kQuietByteTimes * byteTime;
        if (due >= kBurstBytes || quietLongEnough || (due > 0 && byteTime == 0)) {
            std::vector<std::uint8_t> burst;
            for (std::size_t i = 0; i < due; ++i) burst.push_back(inFlight[i].byte);
            inFlight.erase(inFlight.begin(), inFlight.begin() + static_cast<long>(due));
            if (!WriteAll(to, burst.data(), burst.size(), stop_)) return;
            continue;
        }

        // Sleep until the next thing to do: a burst falls due, the FIFO has
        // room again, or the sender writes.
        double wake = t + Nanoseconds(kIdleWait).count();
        if (!inFlight.empty()) {
            const std::size_t burstEnd = std::min(inFlight.size(), kBurstBytes) - 1;
            wake = std::min({wake, inFlight[burstEnd].due, inFlight.front().due + kQuietByteTimes * byteTime});
        }
        // A full FIFO is topped up once half of it has gone out.
        const bool fifoFull = byteTime > 0 && lineFree - t >= kFifoBytes * byteTime;
        if (fifoFull) wake = std::min(wake, lineFree - (kFifoBytes / 2) * byteTime);
        const double wait = std::max(0.0, wake - t);
        const timespec timeout{static_cast<time_t>(wait / 1e9), static_cast<long>(std::fmod(wait, 1e9))};
        pollfd p{sourceOpen && !fifoFull ? from : -1, POLLIN, 0};  // a negative descriptor is not watched
        ppoll(&p, 1, &timeout, nullptr);
    }
}

}  // namespace bayhaul::sim
