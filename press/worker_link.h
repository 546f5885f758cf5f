// The two ends of the pipes between a press and a port's worker, and how the
// press starts workers. The press's end can end its worker at any moment;
// the worker's end can tell whether the press has said something, without
// waiting, between two calls of the library.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace bayhaul {

// The press's end of one worker.
class WorkerLink {
public:
    virtual ~WorkerLink() = default;
    // Sends bytes to the worker; false when it is gone.
    virtual bool Send(const std::string& bytes) = 0;
    // Waits for bytes from the worker: how many, 0 when it has gone.
    virtual std::size_t Receive(char* buffer, std::size_t size) = 0;
    // Ends the worker now; Receive then sees it gone. Safe from any thread.
    virtual void End() = 0;
};

// Starts workers: the same worker program for every port.
class WorkerStarter {
public:
    virtual ~WorkerStarter() = default;
    // A worker run with `arguments`; nothing, with `why`, when none could start.
    virtual std::unique_ptr<WorkerLink> Start(const std::vector<std::string>& arguments, std::string& why) = 0;
};

// The worker program `program` started as a child process for each worker,
// which never outlives the process that started it.
std::unique_ptr<WorkerStarter> ProcessWorkers(std::string program);

// The worker's end.
class WorkerChannel {
public:
    virtual ~WorkerChannel() = default;
    virtual bool Send(const std::string& bytes) = 0;
    // Waits for bytes from the press: how many, 0 when it has gone.
    virtual std::size_t Receive(char* buffer, std::size_t size) = 0;
    // Whether bytes from the press (or its end) wait to be received.
    virtual bool HasInput() = 0;
};

}  // namespace bayhaul
