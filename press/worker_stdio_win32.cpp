#include "press/worker_stdio.h"

#include "press/pipe_io.h"

#include <windows.h>

#include <cstdio>

namespace bayhaul {

namespace {

class HandleChannel final : public WorkerChannel {
public:
    HandleChannel(HANDLE in, HANDLE out) : in_(in), out_(out) {}
    ~HandleChannel() override {
        CloseHandle(in_);
        CloseHandle(out_);
    }

    bool Send(const std::string& bytes) override {
        return pipe_io::WriteAll(reinterpret_cast<pipe_io::End>(out_), bytes);
    }
    std::size_t Receive(char* buffer, std::size_t size) override {
        return pipe_io::ReadSome(reinterpret_cast<pipe_io::End>(in_), buffer, size);
    }

    bool HasInput() override {
        DWORD available = 0;
        // A pipe whose writer has gone fails here: that is input too (its end).
        if (!PeekNamedPipe(in_, nullptr, 0, nullptr, &available, nullptr)) return true;
        return available > 0;
    }

private:
    const HANDLE in_, out_;
};

HANDLE Duplicate(HANDLE handle) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

}  // namespace

std::unique_ptr<WorkerChannel> TakeStandardChannel() {
    const HANDLE in = Duplicate(GetStdHandle(STD_INPUT_HANDLE));
    const HANDLE out = Duplicate(GetStdHandle(STD_OUTPUT_HANDLE));
    // Standard input reads nothing, and standard output goes where errors go.
    std::freopen("NUL", "r", stdin);
    SetStdHandle(STD_INPUT_HANDLE, CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    std::freopen("NUL", "w", stdout);
    SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
    return std::make_unique<HandleChannel>(in, out);
}

}  // namespace bayhaul
