#include "files/durable_file.h"

#include <optional>
#include <filesystem>
#include <fstream>
#include <random>
#include <utility>

#include "files/file_platform.h"
#include "files/own_file.h"

namespace bayhaul {

namespace platform = file_platform;
using platform::kNone;

struct DurableFile::Handle {
    platform::Native file = kNone;
    bool nameless = false;  // it gets a name only at Commit
};

namespace {

std::string FolderOf(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? "." : folder.string();
}

std::string NameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// Why `target` may not be replaced, if it may not; what is there in `old`.
std::optional<FileResult> CheckReplaceable(const std::string& target, platform::Existing& old) {
    old = platform::Inspect(target);
    if (!old.exists) return std::nullopt;
    if (!old.regular) return FileResult{false, target + " is not a regular file", FileProblem::InTheWay};
    if (old.readOnly) return FileResult{false, target + " is read-only", FileProblem::InTheWay};
    return std::nullopt;
}

// The names of a target's temporary files: "<target>.new-<host>-<process>-<n>".
std::string TemporaryPrefix(const std::string& target) {
    return target + ".new-";
}

std::string TemporaryName(const std::string& target, std::random_device& seed) {
    return TemporaryPrefix(target) + ThisHost() + "-" + std::to_string(platform::ThisProcess()) + "-" +
           std::to_string(seed() % 1000000);
}

// The process in a temporary file's name when this computer made it, from
// what follows the prefix: "<host>-<process>-<n>". Nothing for another
// computer's file (a shared folder) or a name of another form.
std::optional<unsigned long> ProcessOfOurs(const std::string& afterPrefix) {
    const std::string host = ThisHost() + "-";
    if (afterPrefix.compare(0, host.size(), host) != 0) return std::nullopt;
    const std::string rest = afterPrefix.substr(host.size());
    const std::size_t dash = rest.find('-');
    const auto number = [](const std::string& text) {
        return !text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string::npos;
    };
    if (dash == std::string::npos || !number(rest.substr(0, dash)) || !number(rest.substr(dash + 1)))
        return std::nullopt;
    return std::stoul(rest.substr(0, dash));
}

}  // namespace

DurableFile::DurableFile(std::unique_ptr<Handle> handle, std::string temp, std::string target)
    : handle_(std::move(handle)), temp_(std::move(temp)), target_(std::move(target)) {}

std::unique_ptr<DurableFile> DurableFile::Create(const std::string& target, FileResult& result) {
    platform::Existing old;
    if (auto refused = CheckReplaceable(target, old)) {
        result = *refused;
        return nullptr;
    }
    const std::string failure = "cannot create a file beside " + target;
    // The longest name it may get must fit, or the file would be written in
    // vain and refused its name at the end.
    if (!platform::PathFits(TemporaryPrefix(target) + ThisHost() + "-4294967295-999999")) {
        result = platform::LastFailure(failure);
        return nullptr;
    }
    RemoveAbandonedTemporaries(target);

    auto handle = std::make_unique<Handle>();
    bool refused = false;
    handle->file = platform::CreateNameless(FolderOf(target), refused);
    handle->nameless = handle->file != kNone;
    std::string temp;
    std::random_device seed;
    for (int attempt = 0; attempt < 16 && handle->file == kNone && !refused; ++attempt) {
        temp = TemporaryName(target, seed);
        bool existed = false;
        handle->file = platform::CreateExclusive(temp, existed);
        refused = handle->file == kNone && !existed;
    }
    if (handle->file == kNone) {
        result = platform::LastFailure(failure);
        return nullptr;
    }
    if (old.exists && !platform::TakeMode(handle->file, old)) {
        result = platform::LastFailure("cannot give the new " + target + " the permissions of the old one");
        platform::Close(handle->file);
        if (!handle->nameless) platform::Remove(temp);
        return nullptr;
    }
    result = {};
    return std::unique_ptr<DurableFile>(new DurableFile(std::move(handle), temp, target));
}

DurableFile::~DurableFile() {
    if (handle_->file != kNone) platform::Close(handle_->file);
    if (!committed_ && !temp_.empty()) platform::Remove(temp_);
}

bool DurableFile::Append(const void* data, std::size_t size) {
    if (handle_->file != kNone && platform::Write(handle_->file, data, size)) return true;
    failure_ = platform::LastFailure("cannot write " + target_);
    return false;
}

bool DurableFile::Restart() {
    if (handle_->file != kNone && platform::Truncate(handle_->file, 0)) return true;
    failure_ = platform::LastFailure("cannot write " + target_);
    return false;
}

FileResult DurableFile::Commit() {
    if (handle_->file == kNone) return {false, target_ + " is closed", FileProblem::Other};
    const platform::Native file = std::exchange(handle_->file, kNone);
    if (!platform::Flush(file)) {
        FileResult failure = platform::LastFailure("cannot write " + target_);
        platform::Close(file);
        return failure;
    }
    // A nameless file is linked in under a temporary name first: a link
    // cannot replace the old target, a rename can.
    if (handle_->nameless) {
        std::random_device seed;
        bool linked = false;
        for (int attempt = 0; attempt < 16 && !linked; ++attempt) {
            temp_ = TemporaryName(target_, seed);
            linked = platform::LinkNameless(file, temp_);
        }
        if (!linked) {
            FileResult failure = platform::LastFailure("cannot write " + target_);
            temp_.clear();
            platform::Close(file);
            return failure;
        }
    }
    if (!platform::Close(file)) return platform::LastFailure("cannot write " + target_);
    if (!platform::RenameOver(temp_, target_)) return platform::LastFailure("cannot replace " + target_);
    committed_ = true;
    return {};
}

std::size_t RemoveAbandonedTemporaries(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string prefix = NameOf(TemporaryPrefix(target));
    std::size_t removed = 0;
    for (const std::string& name : platform::NamesStartingWith(folder, prefix)) {
        const std::optional<unsigned long> process = ProcessOfOurs(name.substr(prefix.size()));
        if (!process || *process == 0 || *process == platform::ThisProcess() || platform::ProcessRuns(*process))
            continue;
        if (platform::Remove((std::filesystem::path(folder) / name).string())) ++removed;
    }
    return removed;
}

FileResult ReplaceFileContent(const std::string& path, const std::string& content) {
    FileResult result;
    auto file = DurableFile::Create(path, result);
    if (!file) return result;
    if (!file->Append(content.data(), content.size())) return file->LastFailure();
    return file->Commit();
}

FileResult CopyFileDurably(const std::string& from, const std::string& to) {
    std::ifstream source(from, std::ios::binary);
    if (!source) return {false, "cannot read " + from, FileProblem::Other};
    FileResult result;
    auto file = DurableFile::Create(to, result);
    if (!file) return result;
    char buffer[65536];
    while (source.read(buffer, sizeof buffer) || source.gcount() > 0) {
        if (!file->Append(buffer, static_cast<std::size_t>(source.gcount()))) return file->LastFailure();
    }
    if (source.bad()) return {false, "cannot read " + from, FileProblem::Other};
    return file->Commit();
}

FileResult MoveFileOver(const std::string& from, const std::string& to) {
    platform::Existing old;
    if (auto refused = CheckReplaceable(to, old)) return *refused;
    const platform::Native file = platform::OpenToFlush(from);
    if (file == kNone) return platform::LastFailure("cannot open " + from);
    const bool prepared = platform::Flush(file) && (!old.exists || platform::TakeMode(file, old));
    FileResult failure = prepared ? FileResult{} : platform::LastFailure("cannot prepare " + from);
    platform::Close(file);
    if (!prepared) return failure;
    if (!platform::RenameOver(from, to)) return platform::LastFailure("cannot replace " + to);
    return {};
}

FileResult OverwriteInPlace(const std::string& path, const std::string& content) {
    platform::Existing old;
    if (auto refused = CheckReplaceable(path, old)) return *refused;
    const platform::Native file = platform::OpenToWrite(path);
    if (file == kNone) return platform::LastFailure("cannot open " + path);
    // Written over the old bytes and only then cut to length, so a short
    // write leaves as much of the old file as possible.
    const bool written = platform::Write(file, content.data(), content.size()) &&
                         platform::Truncate(file, content.size()) && platform::Flush(file);
    FileResult failure = written ? FileResult{} : platform::LastFailure("cannot write " + path);
    platform::Close(file);
    return failure;
}

std::string FinalPath(const std::string& path) {
    return platform::FollowLinks(path);
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    return platform::ReadRegular(path, maxBytes);
}

}  // namespace bayhaul
