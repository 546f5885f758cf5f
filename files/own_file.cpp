#include "files/own_file.h"

#include "files/file_platform.h"

namespace bayhaul {

namespace platform = file_platform;
using platform::kNone;

namespace {

// Why a file of ours at `path` could not be opened.
FileResult Refusal(const std::string& path, platform::Obstacle obstacle, const std::string& what) {
    switch (obstacle) {
        case platform::Obstacle::Link:
            return {false, path + " is a symbolic link, which Bayhaul does not follow: remove it",
                    FileProblem::InTheWay};
        case platform::Obstacle::NotAFile:
            return {false, path + " is not a file (a folder, a pipe or a device): remove it", FileProblem::InTheWay};
        default:
            return platform::LastFailure(what + " " + path);
    }
}

}  // namespace

std::unique_ptr<OwnFileReader> OwnFileReader::Open(const std::string& path, FileResult& result) {
    platform::Obstacle obstacle;
    const platform::Native file = platform::OpenOwn(path, false, obstacle);
    if (file == kNone) {
        result = Refusal(path, obstacle, "cannot open");
        return nullptr;
    }
    result = {};
    return std::unique_ptr<OwnFileReader>(new OwnFileReader(file, path));
}

OwnFileReader::~OwnFileReader() {
    platform::Close(file_);
}

std::optional<std::uint64_t> OwnFileReader::Size() {
    const std::optional<std::uint64_t> size = platform::SizeOf(file_);
    if (!size) failure_ = platform::LastFailure("cannot read " + path_);
    return size;
}

std::optional<std::size_t> OwnFileReader::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
    std::size_t got = 0;
    if (platform::ReadAt(file_, offset, data, size, got)) return got;
    failure_ = platform::LastFailure("cannot read " + path_);
    return std::nullopt;
}

FileResult AppendDurably(const std::string& path, const std::string& text, const std::string& header) {
    platform::Obstacle obstacle;
    const platform::Native file = platform::OpenOwn(path, true, obstacle);
    if (file == kNone) return Refusal(path, obstacle, "cannot open");
    const std::optional<char> last = platform::LastByte(file);
    const std::optional<std::uint64_t> size = platform::SizeOf(file);
    const std::string whole = (size == std::uint64_t{0} ? header : "") + (last && *last != '\n' ? "\r\n" : "") + text;
    const bool written = size && platform::Write(file, whole.data(), whole.size()) && platform::Flush(file);
    FileResult failure = written ? FileResult{} : platform::LastFailure("cannot write " + path);
    platform::Close(file);
    return failure;
}

std::string ThisHost() {
    std::string host;
    for (const char c : platform::HostName()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.';
        if (host.size() < 64) host += plain ? c : '_';
    }
    return host.empty() ? "pc" : host;
}

unsigned long ThisProcess() {
    return platform::ThisProcess();
}

bool ProcessRuns(unsigned long process) {
    return platform::ProcessRuns(process);
}

std::string ProcessStart(unsigned long process) {
    return platform::ProcessStart(process);
}

}  // namespace bayhaul
