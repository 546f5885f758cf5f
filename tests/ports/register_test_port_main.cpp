// register-test-port.exe: makes SetupAPI list a stand-in serial port, for
// tests that run Bayhaul under Wine against a port of their own.
//   register-test-port <com> [friendly name]   registers COM<com>
//   register-test-port --remove <com>          removes it again
#include "ports/win32_test_ports.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Usage() {
    std::fputs("usage: register-test-port <com> [friendly name]\n"
               "       register-test-port --remove <com>\n"
               "<com> is a number from 1 to 255, or COM1 ... COM255.\n",
               stderr);
    return 2;
}

// The port number of "7" or "COM7"; 0 when text is neither.
int ComNumber(std::string text) {
    if (text.size() > 3 && (text.compare(0, 3, "COM") == 0 || text.compare(0, 3, "com") == 0)) text.erase(0, 3);
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    const int n = std::atoi(text.c_str());
    return n >= 1 && n <= 255 ? n : 0;
}

}  // namespace

int main(int argc, char** argv) {
    namespace tp = bayhaul::testing_ports;
    const bool remove = argc >= 2 && std::strcmp(argv[1], "--remove") == 0;
    const int first = remove ? 2 : 1;
    if (argc <= first || argc > first + (remove ? 1 : 2)) return Usage();
    const int com = ComNumber(argv[first]);
    if (com == 0) return Usage();

    const std::string name = argc > first + 1 ? argv[first + 1] : tp::DefaultFriendlyName(com);
    const std::string error = remove ? tp::RemoveTestPort(com) : tp::RegisterTestPort(com, name);
    if (!error.empty()) {
        std::fprintf(stderr, "register-test-port: %s\n", error.c_str());
        return 1;
    }
    if (remove)
        std::printf("removed COM%d\n", com);
    else
        std::printf("registered COM%d as \"%s\" (%s)\n", com, name.c_str(), tp::TestPortInstanceId(com).c_str());
    return 0;
}
