// One library handle's session with a terminal: the line, the requests,
// and the background download.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "tether/core/fd_line.h"
#include "tether/core/line_reader.h"
#include "tether/core/request_exchange.h"
#include "tether/lib/result_codes.h"

namespace bayhaul::tether {}  // namespace bayhaul::tether

namespace bayhaul {
class DurableFile;
}

namespace bayhaul::tether {

class LinkSession {
public:
    LinkSession() = default;
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

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
    void RunDownload(std::unique_ptr<DurableFile> file, std::string name);
    std::int16_t DownloadAttempt(DurableFile& file, const std::string& name, std::uint8_t startChar,
                                 bool& streamFailed);

    std::mutex calls_;  // one library call at a time on this session
    int com_ = 0;
    int bitsPerSecond_ = 0;
    std::unique_ptr<FdLine> line_;
    std::unique_ptr<LineReader> reader_;
    std::uint8_t seq_ = 0;

    std::thread download_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::int16_t> state_{transfer::kNoTransfer};
    std::atomic<std::int64_t> received_{0};
    std::atomic<std::int64_t> announced_{0};
};

}  // namespace bayhaul::tether
