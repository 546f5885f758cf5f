#include "recording_tether.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace bayhaul {
namespace {

RecordingTether* active = nullptr;
std::int32_t lastFileSize = 0;
std::int16_t lastPoll = 2;

template <typename T>
T Next(std::deque<T>& script, T whenEmpty) {
    if (script.empty()) return whenEmpty;
    const T value = script.front();
    script.pop_front();
    return value;
}

void Record(std::string line) {
    active->calls.push_back(std::move(line));
}

std::string Num(long long value) {
    return std::to_string(value);
}

// Overwrites `buffer` of `size` bytes, terminator included, without
// writing past its end.
void Scribble(char* buffer, std::size_t size, const std::string& text) {
    const std::size_t count = std::min(size, text.size());
    std::memcpy(buffer, text.data(), count);
    if (count < size) buffer[count] = '\0';
}

extern "C" {

LinkHandle TETHER_CALL Create() {
    Record("Create");
    return Next(active->handles, 0);
}

std::int16_t TETHER_CALL SetupEx(LinkHandle h, std::int16_t port, std::uint8_t speed, std::uint8_t stop, std::uint8_t parity) {
    Record("SetupEx " + Num(h) + " " + Num(port) + " " + std::string{char(speed), ' ', char(stop), ' ', char(parity)});
    return 0;
}

std::int16_t TETHER_CALL Connect(LinkHandle h) {
    Record("Connect " + Num(h));
    return Next(active->connects, std::int16_t{0});
}

std::int16_t TETHER_CALL EscJ(LinkHandle h, std::int16_t letter, char* name, std::uint8_t* length) {
    Record("ESC_J " + Num(h) + " " + Num(letter) + " " + name + " " + Num(*length));
    if (!active->queryScribble.empty()) {
        Scribble(name, std::strlen(name) + 1, active->queryScribble);
        *length = 0;
    }
    return Next(active->queries, std::int16_t{0});
}

std::int16_t TETHER_CALL UpLoad(LinkHandle h, std::int16_t letter, char* local, const char* remote, std::int16_t reserved,
                    std::int16_t mode) {
    Record("UpLoad " + Num(h) + " " + Num(letter) + " " + local + " " + remote + " " + Num(reserved) + " " + Num(mode));
    const std::int16_t result = Next(active->uploads, std::int16_t{0});
    // Why nothing started, for the closing call: the next scripted poll.
    lastPoll = result == 0 ? Next(active->polls, std::int16_t{4}) : 2;
    if (result != 0 && !active->files.empty()) {
        const std::string content = Next(active->files, std::string());
        std::ofstream(local, std::ios::binary | std::ios::trunc) << content;
        lastFileSize = static_cast<std::int32_t>(content.size());
    }
    return result;
}

std::int16_t TETHER_CALL StLoad(LinkHandle h, std::int16_t selector, std::int32_t* received, std::int32_t* total) {
    Record("StLoad " + Num(h) + " " + Num(selector));
    if (active->announced) {
        *received = lastFileSize;
        *total = *active->announced;
    }
    if (selector != 0) return lastPoll;
    if (active->duringPoll) active->duringPoll();
    lastPoll = Next(active->polls, std::int16_t{2});
    return lastPoll;
}

std::int16_t TETHER_CALL EscE(LinkHandle h, std::int16_t letter, const char* name, std::int16_t length) {
    Record("ESC_E " + Num(h) + " " + Num(letter) + " " + name + " " + Num(length));
    return Next(active->deletes, std::int16_t{1});
}

std::int16_t TETHER_CALL EscM(LinkHandle h, std::int16_t letter, char* stamp) {
    Record("ESC_M " + Num(h) + " " + Num(letter) + " " + stamp);
    if (!active->clockReply.empty()) Scribble(stamp, std::strlen(stamp) + 1, active->clockReply);
    return Next(active->clocks, std::int16_t{1});
}

std::int16_t TETHER_CALL Disconnect(LinkHandle h) {
    Record("Disconnect " + Num(h));
    if (active->duringDisconnect) active->duringDisconnect();
    return 0;
}

std::int16_t TETHER_CALL Destroy(LinkHandle h) {
    Record("Destroy " + Num(h));
    return 0;
}

std::int32_t TETHER_CALL Features() {
    return active->features.value_or(0);
}

}  // extern "C"

const TetherFunctions kTable{Create, SetupEx, Connect, EscJ, UpLoad, StLoad, EscE, EscM, Disconnect, Destroy};
const TetherFunctions kTableWithFeatures{Create, SetupEx, Connect, EscJ,       UpLoad,
                                         StLoad, EscE,    EscM,    Disconnect, Destroy, Features};

}  // namespace

RecordingTether::RecordingTether() {
    active = this;
}

RecordingTether::~RecordingTether() {
    active = nullptr;
}

const TetherFunctions* RecordingTether::Functions(LoadError&) {
    return features ? &kTableWithFeatures : &kTable;
}

}  // namespace bayhaul
