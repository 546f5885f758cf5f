#include "recording_tether.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

namespace bayhaul {
namespace {

RecordingTether* active = nullptr;
std::recursive_mutex lock;  // the hooks may call back in on the same thread
int inside = 0;
std::int32_t lastFileSize = 0;
std::int16_t lastPoll = 2;

// What a handle of a listed terminal is doing.
struct Link {
    int port = 0;
    std::chrono::steady_clock::time_point transferEnds;
};
std::map<LinkHandle, Link> links;
LinkHandle nextHandle = 100;

// One call inside the library: counts how many are inside at once.
class Inside {
public:
    Inside() {
        const std::lock_guard guard(lock);
        active->mostAtOnce = std::max(active->mostAtOnce, ++inside);
    }
    ~Inside() {
        const std::lock_guard guard(lock);
        --inside;
    }
};

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

// The listed terminal behind a handle, if it is one.
RecordingTether::Terminal* TerminalOf(LinkHandle h) {
    const auto link = links.find(h);
    if (link == links.end()) return nullptr;
    const auto terminal = active->terminals.find(link->second.port);
    return terminal == active->terminals.end() ? nullptr : &terminal->second;
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
    const Inside call;
    const std::lock_guard guard(lock);
    Record("Create");
    if (!active->terminals.empty()) return nextHandle++;
    return Next(active->handles, 0);
}

std::int16_t TETHER_CALL SetupEx(LinkHandle h, std::int16_t port, std::uint8_t speed, std::uint8_t stop, std::uint8_t parity) {
    const Inside call;
    const std::lock_guard guard(lock);
    Record("SetupEx " + Num(h) + " " + Num(port) + " " + std::string{char(speed), ' ', char(stop), ' ', char(parity)});
    links[h].port = port;
    return 0;
}

std::int16_t TETHER_CALL Connect(LinkHandle h) {
    const Inside call;
    std::chrono::milliseconds answerTime{0};
    {
        const std::lock_guard guard(lock);
        Record("Connect " + Num(h));
        if (active->terminals.empty()) return Next(active->connects, std::int16_t{0});
        if (const RecordingTether::Terminal* terminal = TerminalOf(h)) answerTime = terminal->answerTime;
    }
    std::this_thread::sleep_for(answerTime);  // as a line takes its time
    const std::lock_guard guard(lock);
    return TerminalOf(h) ? 1 : 0;
}

std::int16_t TETHER_CALL EscJ(LinkHandle h, std::int16_t letter, char* name, std::uint8_t* length) {
    const Inside call;
    const std::lock_guard guard(lock);
    Record("ESC_J " + Num(h) + " " + Num(letter) + " " + name + " " + Num(*length));
    if (const RecordingTether::Terminal* terminal = TerminalOf(h)) return terminal->file ? 8 : 0;
    if (!active->queryScribble.empty()) {
        Scribble(name, std::strlen(name) + 1, active->queryScribble);
        *length = 0;
    }
    return Next(active->queries, std::int16_t{0});
}

std::int16_t TETHER_CALL UpLoad(LinkHandle h, std::int16_t letter, char* local, const char* remote, std::int16_t reserved,
                    std::int16_t mode) {
    const Inside call;
    const std::lock_guard guard(lock);
    Record("UpLoad " + Num(h) + " " + Num(letter) + " " + local + " " + remote + " " + Num(reserved) + " " + Num(mode));
    if (const RecordingTether::Terminal* terminal = TerminalOf(h)) {
        std::ofstream(local, std::ios::binary | std::ios::trunc) << terminal->file.value_or("");
        links[h].transferEnds = std::chrono::steady_clock::now() + terminal->transferTime;
        return 1;
    }
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
    const Inside call;
    std::function<void()> hook;
    {
        const std::lock_guard guard(lock);
        Record("StLoad " + Num(h) + " " + Num(selector));
        if (const RecordingTether::Terminal* terminal = TerminalOf(h)) {
            const bool done = std::chrono::steady_clock::now() >= links[h].transferEnds;
            const auto size = static_cast<std::int32_t>(terminal->file.value_or("").size());
            *total = size;
            *received = done && terminal->status == 2 ? size : 0;
            return done ? terminal->status : 1;
        }
        if (active->announced) {
            *received = lastFileSize;
            *total = *active->announced;
        }
        if (selector != 0) return lastPoll;
        hook = active->duringPoll;
    }
    if (hook) hook();
    const std::lock_guard guard(lock);
    lastPoll = Next(active->polls, std::int16_t{2});
    return lastPoll;
}

std::int16_t TETHER_CALL EscE(LinkHandle h, std::int16_t letter, const char* name, std::int16_t length) {
    const Inside call;
    std::function<void(int)> hook;
    int port = 0;
    {
        const std::lock_guard guard(lock);
        Record("ESC_E " + Num(h) + " " + Num(letter) + " " + name + " " + Num(length));
        hook = active->duringDelete;
        port = links[h].port;
    }
    if (hook) hook(port);
    const std::lock_guard guard(lock);
    if (const RecordingTether::Terminal* terminal = TerminalOf(h)) return terminal->deleted;
    return Next(active->deletes, std::int16_t{1});
}

std::int16_t TETHER_CALL EscM(LinkHandle h, std::int16_t letter, char* stamp) {
    const Inside call;
    const std::lock_guard guard(lock);
    Record("ESC_M " + Num(h) + " " + Num(letter) + " " + stamp);
    if (!active->clockReply.empty()) Scribble(stamp, std::strlen(stamp) + 1, active->clockReply);
    return Next(active->clocks, std::int16_t{1});
}

std::int16_t TETHER_CALL Disconnect(LinkHandle h) {
    const Inside call;
    std::function<void()> hook;
    {
        const std::lock_guard guard(lock);
        Record("Disconnect " + Num(h));
        hook = active->duringDisconnect;
    }
    if (hook) hook();
    return 0;
}

std::int16_t TETHER_CALL Destroy(LinkHandle h) {
    const Inside call;
    const std::lock_guard guard(lock);
    Record("Destroy " + Num(h));
    links.erase(h);
    return 0;
}

std::int32_t TETHER_CALL Features() {
    const std::lock_guard guard(lock);
    return active->features.value_or(0);
}

}  // extern "C"

const TetherFunctions kTable{Create, SetupEx, Connect, EscJ, UpLoad, StLoad, EscE, EscM, Disconnect, Destroy};
const TetherFunctions kTableWithFeatures{Create, SetupEx, Connect, EscJ,       UpLoad,
                                         StLoad, EscE,    EscM,    Disconnect, Destroy, Features};

}  // namespace

RecordingTether::RecordingTether() {
    const std::lock_guard guard(lock);
    active = this;
    links.clear();
    nextHandle = 100;
    lastPoll = 2;
    lastFileSize = 0;
}

RecordingTether::~RecordingTether() {
    const std::lock_guard guard(lock);
    active = nullptr;
}

const TetherFunctions* RecordingTether::Functions(LoadError&) {
    return features ? &kTableWithFeatures : &kTable;
}

}  // namespace bayhaul
