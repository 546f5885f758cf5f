// Workers as child processes on Windows: each created suspended, put in a
// job object that kills its processes when the press's handle to it closes
// (when the press ends, however it ends), then resumed; without a console
// window of its own.
#include "press/worker_link.h"

#include "press/pipe_io.h"

#include <windows.h>

namespace bayhaul {

namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// One argument as the C runtime splits a command line back into arguments.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::string SystemText(DWORD error) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words = text != nullptr ? text : "error " + std::to_string(error);
    LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.')) words.pop_back();
    return words;
}

// The job every worker of this process belongs to; its handle is only
// closed by the end of the process.
HANDLE WorkerJob() {
    static const HANDLE job = [] {
        HANDLE created = CreateJobObjectW(nullptr, nullptr);
        if (created != nullptr) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }
        return created;
    }();
    return job;
}

class ProcessLink final : public WorkerLink {
public:
    ProcessLink(HANDLE process, HANDLE toWorker, HANDLE fromWorker)
        : process_(process), toWorker_(toWorker), fromWorker_(fromWorker) {}
    ~ProcessLink() override {
        End();
        WaitForSingleObject(process_, INFINITE);
        CloseHandle(toWorker_);
        CloseHandle(fromWorker_);
        CloseHandle(process_);
    }

    bool Send(const std::string& bytes) override {
        return pipe_io::WriteAll(reinterpret_cast<pipe_io::End>(toWorker_), bytes);
    }
    std::size_t Receive(char* buffer, std::size_t size) override {
        return pipe_io::ReadSome(reinterpret_cast<pipe_io::End>(fromWorker_), buffer, size);
    }

    void End() override { TerminateProcess(process_, 1); }

private:
    const HANDLE process_, toWorker_, fromWorker_;
};

class ProcessStarter final : public WorkerStarter {
public:
    explicit ProcessStarter(std::string program) : program_(std::move(program)) {}

    std::unique_ptr<WorkerLink> Start(const std::vector<std::string>& arguments, std::string& why) override {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE childIn = nullptr, toWorker = nullptr, fromWorker = nullptr, childOut = nullptr;
        if (!CreatePipe(&childIn, &toWorker, &inherited, 0)) {
            why = "no pipe for a worker: " + SystemText(GetLastError());
            return nullptr;
        }
        if (!CreatePipe(&fromWorker, &childOut, &inherited, 0)) {
            why = "no pipe for a worker: " + SystemText(GetLastError());
            CloseHandle(childIn);
            CloseHandle(toWorker);
            return nullptr;
        }
        // Only the worker's own ends are inherited.
        SetHandleInformation(toWorker, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(fromWorker, HANDLE_FLAG_INHERIT, 0);

        const std::wstring program = Wide(program_);
        std::wstring commandLine = Quoted(program);
        for (const std::string& argument : arguments) commandLine += L" " + Quoted(Wide(argument));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION process{};
        const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                            CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
        const DWORD error = GetLastError();
        CloseHandle(childIn);
        CloseHandle(childOut);
        if (!started) {
            CloseHandle(toWorker);
            CloseHandle(fromWorker);
            why = "the worker program " + program_ + " cannot be run: " + SystemText(error);
            return nullptr;
        }
        const HANDLE job = WorkerJob();
        if (job == nullptr || !AssignProcessToJobObject(job, process.hProcess)) {
            const DWORD jobError = job == nullptr ? ERROR_INVALID_HANDLE : GetLastError();
            TerminateProcess(process.hProcess, 1);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            CloseHandle(toWorker);
            CloseHandle(fromWorker);
            why = "a worker could not be tied to the program's end: " + SystemText(jobError);
            return nullptr;
        }
        ResumeThread(process.hThread);
        CloseHandle(process.hThread);
        return std::make_unique<ProcessLink>(process.hProcess, toWorker, fromWorker);
    }

private:
    const std::string program_;
};

}  // namespace

std::unique_ptr<WorkerStarter> ProcessWorkers(std::string program) {
    return std::make_unique<ProcessStarter>(std::move(program));
}

}  // namespace bayhaul
