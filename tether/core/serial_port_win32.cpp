// Windows side of OpenSerialPort: the communications API on a handle opened
// without sharing, so no other program has the port while we do.
#include "tether/core/serial_port.h"

#include <windows.h>

namespace bayhaul::tether {
namespace {

constexpr DWORD kWriteStallMs = 10000;  // a line that takes no byte for this long is dead
// A read returns this long after the last byte that came, so one call
// gathers a burst without waiting out its whole timeout.
constexpr DWORD kByteGapMs = 10;

class HandleLine : public ByteLine {
public:
    explicit HandleLine(HANDLE handle) : handle_(handle) {}
    ~HandleLine() override { CloseHandle(handle_); }
    HandleLine(const HandleLine&) = delete;
    HandleLine& operator=(const HandleLine&) = delete;

    ReadResult Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) override {
        if (!SetReadTimeout(timeoutMs)) return {ReadStatus::Closed, 0};
        DWORD got = 0;
        const DWORD wanted = max > MAXDWORD ? MAXDWORD : static_cast<DWORD>(max);
        if (!ReadFile(handle_, buffer, wanted, &got, nullptr)) return {ReadStatus::Closed, 0};
        if (got == 0) return {ReadStatus::Timeout, 0};
        return {ReadStatus::Data, got};
    }

    bool Write(const std::uint8_t* data, std::size_t size) override {
        while (size > 0) {
            DWORD written = 0;
            const DWORD chunk = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
            if (!WriteFile(handle_, data, chunk, &written, nullptr) || written == 0) return false;
            data += written;
            size -= written;
        }
        return true;
    }

private:
    // The interval-plus-total form: wait up to timeoutMs for the first byte,
    // then return once the line pauses. A zero timeout returns at once with
    // what is there.
    bool SetReadTimeout(int timeoutMs) {
        if (timeoutMs == readTimeoutMs_) return true;
        COMMTIMEOUTS timeouts{};
        if (timeoutMs <= 0) {
            timeouts.ReadIntervalTimeout = MAXDWORD;
        } else {
            timeouts.ReadIntervalTimeout = kByteGapMs;
            timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(timeoutMs);
        }
        timeouts.WriteTotalTimeoutConstant = kWriteStallMs;
        if (!SetCommTimeouts(handle_, &timeouts)) return false;
        readTimeoutMs_ = timeoutMs;
        return true;
    }

    HANDLE handle_;
    int readTimeoutMs_ = -1;
};

}  // namespace

OpenedPort OpenSerialPort(const std::string& device, int bitsPerSecond) {
    if (bitsPerSecond != 9600 && bitsPerSecond != 115200) return {nullptr, OpenError::Failed};
    const HANDLE handle =
        CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return {nullptr, error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? OpenError::Busy
                                                                                         : OpenError::Failed};
    }
    auto line = std::make_unique<HandleLine>(handle);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) return {nullptr, OpenError::Failed};
    dcb.BaudRate = static_cast<DWORD>(bitsPerSecond);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(handle, &dcb)) return {nullptr, OpenError::Failed};
    PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    return {std::move(line), OpenError::None};
}

}  // namespace bayhaul::tether
