// OneCallTether: a stand-in for the terminal maker's library, for tests and
// benchmarks. It exports the ten link functions and nothing else (no
// Tether_Features), so the program treats it as a library that is not ours,
// and hands every call to our own library, loaded from TetherOurs.so
// (TetherOurs.dll) in the folder of the stand-in's real file: a symbolic
// link to the stand-in finds it beside the file linked to.
//
// Like a library with shared state, it allows one call at a time in the
// process and one live handle. A call that enters while another is inside,
// from any thread, or a Tether_Create while a handle is alive, ends the
// process at once (abort) with a line on stderr saying what happened.
//
// The environment variable ONE_CALL_TETHER_FAULT makes a call misbehave on
// one port, as a faulty library would. It is a comma-separated list of
// KIND:PORT:CALL, read at every call:
//   ONE_CALL_TETHER_FAULT=crash:3:connect    a segmentation fault inside Tether_Connect on COM3
//   ONE_CALL_TETHER_FAULT=hang:5:transfer    Tether_UpLoad on COM5 never returns
// KIND is crash or hang; PORT is the COM number the handle was given by
// Tether_SetupEx; CALL names the export: setup (Tether_SetupEx), connect,
// query (Tether_ESC_J), transfer (Tether_UpLoad), status (Tether_StLoad),
// delete (Tether_ESC_E), clock (Tether_ESC_M), disconnect, destroy. Before a
// fault fires, a line on stderr names it. A value that cannot be read ends
// the process at the first call that reads it, saying why.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <type_traits>

#include "faults.h"
#include "link/shared_library.h"
#include "link/tether_api.h"
#include "link/tether_library.h"

#if defined(_WIN32)
#define TETHER_EXPORT __declspec(dllexport)
#else
#define TETHER_EXPORT __attribute__((visibility("default")))
#endif

namespace {

using namespace bayhaul;
using namespace bayhaul::one_call_tether;

[[noreturn]] void EndProcess(const std::string& why) {
    std::fprintf(stderr, "OneCallTether: %s\n", why.c_str());
    std::fflush(stderr);
    std::abort();
}

// The export running now, if any: only one may be inside at a time.
std::atomic<const char*> g_inside{nullptr};

// Holds the library for one call, from entry to return. The state below is
// touched only while one is held.
class OneCall {
public:
    explicit OneCall(const char* name) {
        const char* running = nullptr;
        if (!g_inside.compare_exchange_strong(running, name)) {
            EndProcess(std::string(name) + " was called while " + running +
                       " is still running: this library allows one call at a time");
        }
    }
    ~OneCall() { g_inside.store(nullptr); }
    OneCall(const OneCall&) = delete;
    OneCall& operator=(const OneCall&) = delete;
};

// The one live handle (0 when none) and the COM port it was set up for.
LinkHandle g_handle = 0;
int g_port = 0;

int PortOf(LinkHandle handle) {
    return g_handle != 0 && handle == g_handle ? g_port : 0;
}

// Our library, from the folder of this library's real file.
const TetherFunctions& Ours() {
    static const std::filesystem::path folder = [] {
        static const char marker = 0;
        std::string reason;
        const std::filesystem::path file = LoadedFileHolding(&marker, reason);
        std::error_code error;
        const std::filesystem::path real = file.empty() ? file : std::filesystem::canonical(file, error);
        if (real.empty()) EndProcess("cannot find its own file: " + (file.empty() ? reason : error.message()));
        return real.parent_path();
    }();
    static TetherLibrary library(folder, OUR_LIBRARY_FILE);  // named by the build
    LoadError error;
    const TetherFunctions* functions = library.Functions(error);
    if (functions == nullptr) EndProcess(error.Message());
    return *functions;
}

// Crashes or hangs here when ONE_CALL_TETHER_FAULT asks for it in `call` on
// the handle's port.
void ActOnFaults(const char* call, LinkHandle handle) {
    const char* text = std::getenv("ONE_CALL_TETHER_FAULT");
    if (text == nullptr) return;
    std::string problem;
    const auto faults = ReadFaults(text, problem);
    if (!faults) EndProcess("cannot read ONE_CALL_TETHER_FAULT: " + problem);
    const int port = PortOf(handle);
    for (const Fault& fault : *faults) {
        if (fault.port != port || fault.call != call) continue;
        const bool crash = fault.kind == FaultKind::Crash;
        std::fprintf(stderr, "OneCallTether: %s in %s on COM%d, as ONE_CALL_TETHER_FAULT asks\n",
                     crash ? "crash" : "hang", call, port);
        std::fflush(stderr);
        if (crash) {
            int* volatile nowhere = nullptr;  // volatile: the compiler cannot know it is null
            *nowhere = 1;
        }
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

}  // namespace

extern "C" {

TETHER_EXPORT LinkHandle TETHER_CALL Tether_Create() {
    const OneCall call("Tether_Create");
    if (g_handle != 0) {
        EndProcess("Tether_Create was called while handle " + std::to_string(g_handle) +
                   " is alive: this library holds one session per process");
    }
    g_handle = Ours().Tether_Create();
    g_port = 0;
    return g_handle;
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_SetupEx(LinkHandle handle, std::int16_t comPort, std::uint8_t speedCode,
                                                      std::uint8_t stopBitsCode, std::uint8_t parityCode) {
    const OneCall call("Tether_SetupEx");
    if (g_handle != 0 && handle == g_handle) g_port = comPort;
    ActOnFaults("setup", handle);
    return Ours().Tether_SetupEx(handle, comPort, speedCode, stopBitsCode, parityCode);
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_Connect(LinkHandle handle) {
    const OneCall call("Tether_Connect");
    ActOnFaults("connect", handle);
    return Ours().Tether_Connect(handle);
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_ESC_J(LinkHandle handle, std::int16_t letter, char* fileName,
                                                    std::uint8_t* nameLength) {
    const OneCall call("Tether_ESC_J");
    ActOnFaults("query", handle);
    return Ours().Tether_ESC_J(handle, letter, fileName, nameLength);
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_UpLoad(LinkHandle handle, std::int16_t letter, char* localPath,
                                                     const char* terminalFile, std::int16_t reserved,
                                                     std::int16_t mode) {
    const OneCall call("Tether_UpLoad");
    ActOnFaults("transfer", handle);
    return Ours().Tether_UpLoad(handle, letter, localPath, terminalFile, reserved, mode);
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_StLoad(LinkHandle handle, std::int16_t selector,
                                                     std::int32_t* bytesReceived, std::int32_t* bytesTotal) {
    const OneCall call("Tether_StLoad");
    ActOnFaults("status", handle);
    return Ours().Tether_StLoad(handle, selector, bytesReceived, bytesTotal);
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_ESC_E(LinkHandle handle, std::int16_t letter, const char* fileName,
                                                    std::int16_t nameLength) {
    const OneCall call("Tether_ESC_E");
    ActOnFaults("delete", handle);
    return Ours().Tether_ESC_E(handle, letter, fileName, nameLength);
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_ESC_M(LinkHandle handle, std::int16_t letter, char* stamp) {
    const OneCall call("Tether_ESC_M");
    ActOnFaults("clock", handle);
    return Ours().Tether_ESC_M(handle, letter, stamp);
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_Disconnect(LinkHandle handle) {
    const OneCall call("Tether_Disconnect");
    ActOnFaults("disconnect", handle);
    return Ours().Tether_Disconnect(handle);
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_Destroy(LinkHandle handle) {
    const OneCall call("Tether_Destroy");
    ActOnFaults("destroy", handle);
    if (handle == g_handle) g_handle = 0;  // the caller has let it go, whatever ours answers
    return Ours().Tether_Destroy(handle);
}

}  // extern "C"

// The exports keep exactly the types the program calls them through.
static_assert(std::is_same_v<decltype(&Tether_Create), Tether_Create_t>);
static_assert(std::is_same_v<decltype(&Tether_SetupEx), Tether_SetupEx_t>);
static_assert(std::is_same_v<decltype(&Tether_Connect), Tether_Connect_t>);
static_assert(std::is_same_v<decltype(&Tether_ESC_J), Tether_ESC_J_t>);
static_assert(std::is_same_v<decltype(&Tether_UpLoad), Tether_UpLoad_t>);
static_assert(std::is_same_v<decltype(&Tether_StLoad), Tether_StLoad_t>);
static_assert(std::is_same_v<decltype(&Tether_ESC_E), Tether_ESC_E_t>);
static_assert(std::is_same_v<decltype(&Tether_ESC_M), Tether_ESC_M_t>);
static_assert(std::is_same_v<decltype(&Tether_Disconnect), Tether_Disconnect_t>);
static_assert(std::is_same_v<decltype(&Tether_Destroy), Tether_Destroy_t>);
