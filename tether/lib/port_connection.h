// What stands behind one library handle: the serial port it is set up for,
// the line once connected, the requests, and the background download.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "tether/core/byte_line.h"
#include "tether/core/line_reader.h"
#include "files/sha256.h"
#include "link/tether_codes.h"
#include "tether/core/request_exchange.h"

namespace bayhaul {
class DurableFile;
}

namespace bayhaul::tether {

class PortConnection {
public:
    PortConnection() = default;
    ~PortConnection();
    PortConnection(const PortConnection&) = delete;
    PortConnection& operator=(const PortConnection&) = delete;

    std::int16_t Setup(int com, std::uint8_t speedCode, std::uint8_t stopBitsCode, std::uint8_t parityCode);
    std::int16_t Connect();
    std::int16_t QueryFile(const std::string& name);
    std::int16_t DeleteFile(const std::string& name);
    std::int16_t SetClock(const std::string& stamp);
    std::int16_t StartDownload(const std::string& localPath, const std::string& name);
    // Never blocks on the line: safe to poll while a download runs.
    std::int16_t TransferStatus(std::int32_t* received, std::int32_t* announced) const;
    // Records why a download could not start, for TransferStatus.
    void RejectDownload(std::int16_t reason);
    std::int16_t Disconnect();

private:
    bool Downloading() const { return state_.load() < 2; }
    // The common checks of a request; 0 when it may go ahead.
    std::int16_t RequestBlocker() const;
    ExchangeResult Ask(std::uint8_t type, const std::string& payload);
    std::int16_t AnswerFailure(const ExchangeResult& result);
    void CloseLine();
    // How far a transfer has come over its file phases.
    struct Progress {
        std::uint64_t received = 0;  // the file's bytes held, all from its start
        Sha256 digest;               // of those bytes
        SteadyClock::time_point deadline = SteadyClock::time_point::max();
        bool resuming = false;  // ask for the rest rather than the whole file
        int damaged = 0;        // blocks that arrived damaged, in every phase
    };

    void RunDownload(std::unique_ptr<DurableFile> file, std::string localPath, std::string name);
    // The whole file into `file` from its start, resuming or falling back as
    // the terminal allows; the transfer status, and what arrived in `progress`.
    std::int16_t ReceiveWhole(DurableFile& file, const std::string& name, Progress& progress);
    // Whether the terminal's file now is what arrived: its size and SHA-256,
    // asked of a terminal that tells them; kDone when it is or cannot tell.
    std::int16_t CheckWhole(const std::string& name, const Progress& progress);
    std::int16_t DownloadAttempt(DurableFile& file, const std::string& name, std::uint8_t startChar, Progress& progress,
                                 bool& streamFailed);

    std::mutex calls_;  // one library call at a time on this session
    int com_ = 0;
    int bitsPerSecond_ = 0;
    std::uint8_t version_ = 0;  // the protocol version the terminal answered with
    std::unique_ptr<ByteLine> line_;
    std::unique_ptr<LineReader> reader_;
    std::uint8_t seq_ = 0;
    // The file the last download on this connection brought, as it is on
    // disk; set by the download's thread before its final state.
    struct Copy {
        std::string name;  // on the terminal
        FileFingerprint print;
    };
    std::optional<Copy> lastCopy_;

    std::thread download_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::int16_t> state_{transfer::kNoTransfer};
    std::atomic<std::int64_t> received_{0};
    std::atomic<std::int64_t> announced_{0};
};

}  // namespace bayhaul::tether
