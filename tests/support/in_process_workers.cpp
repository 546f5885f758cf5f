#include "support/in_process_workers.h"

namespace bayhaul::testing {

bool MemoryPipe::Write(const std::string& bytes) {
    const std::lock_guard lock(mutex_);
    if (closed_) return false;
    bytes_ += bytes;
    changed_.notify_all();
    return true;
}

std::size_t MemoryPipe::Read(char* buffer, std::size_t size) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return closed_ || !bytes_.empty(); });
    const std::size_t got = std::min(size, bytes_.size());
    bytes_.copy(buffer, got);
    bytes_.erase(0, got);
    return got;
}

bool MemoryPipe::HasData() {
    const std::lock_guard lock(mutex_);
    return closed_ || !bytes_.empty();
}

void MemoryPipe::Close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

namespace {

struct Pipes {
    MemoryPipe toWorker, fromWorker;
};

class ThreadChannel final : public WorkerChannel {
public:
    explicit ThreadChannel(Pipes& pipes) : pipes_(pipes) {}
    bool Send(const std::string& bytes) override { return pipes_.fromWorker.Write(bytes); }
    std::size_t Receive(char* buffer, std::size_t size) override { return pipes_.toWorker.Read(buffer, size); }
    bool HasInput() override { return pipes_.toWorker.HasData(); }

private:
    Pipes& pipes_;
};

class ThreadLink final : public WorkerLink {
public:
    ThreadLink(TetherSource& library, WorkerOrder order) : pipes_(std::make_unique<Pipes>()) {
        thread_ = std::thread([&library, order, pipes = pipes_.get()] {
            ThreadChannel channel(*pipes);
            RunPortWorker(channel, library, order);
            pipes->fromWorker.Close();  // as a process's end closes its pipes
        });
    }
    ~ThreadLink() override {
        End();
        thread_.join();
    }
    bool Send(const std::string& bytes) override { return pipes_->toWorker.Write(bytes); }
    std::size_t Receive(char* buffer, std::size_t size) override { return pipes_->fromWorker.Read(buffer, size); }
    void End() override {
        pipes_->toWorker.Close();
        pipes_->fromWorker.Close();
    }

private:
    std::unique_ptr<Pipes> pipes_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<WorkerLink> InProcessWorkers::Start(const std::vector<std::string>& arguments, std::string& why) {
    const std::optional<WorkerOrder> order = ParseWorkerArguments(arguments);
    if (!order) {
        why = "the worker's arguments are not a worker's";
        return nullptr;
    }
    {
        const std::lock_guard lock(mutex_);
        started.push_back(*order);
    }
    return std::make_unique<ThreadLink>(library_, *order);
}

}  // namespace bayhaul::testing
