#include "win32/watch_front_end_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/watch_icon_state.h"
#include "files/own_file.h"
#include "ui/win32_window.h"
#include "win32/win32_resources.h"

namespace bayhaul {

namespace {

constexpr char kClassName[] = "BayhaulWatchIcon";
// A call handed over from the watch's thread, and what the icon says.
constexpr UINT kRunPostedCall = WM_APP + 1;
constexpr UINT kIconMessage = WM_APP + 2;
constexpr UINT kFirstCommand = 1;

// Copies `text` into a fixed field of the shell's, cut to fit.
template <std::size_t size>
void Put(char (&field)[size], const std::string& text) {
    std::strncpy(field, text.c_str(), size - 1);
    field[size - 1] = '\0';
}

// The watch's icon: a hidden window that owns it and hears its clicks.
class WatchIcon final : public Win32Window, public WatchDesktop {
public:
    explicit WatchIcon(std::string journal) : journal_(std::move(journal)) {
        const int side = GetSystemMetrics(SM_CXSMICON);
        icon_ = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(BAYHAUL_ICON), IMAGE_ICON, side, side, 0));
        Create(kClassName, "Bayhaul watch", WS_OVERLAPPED, 0, 0, 0, nullptr, icon_);
        NOTIFYICONDATAA data = Data(NIF_ICON | NIF_MESSAGE | NIF_TIP);
        data.uCallbackMessage = kIconMessage;
        data.hIcon = icon_;
        shown_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    }
    ~WatchIcon() override {
        RemoveIcon();
        if (icon_) DestroyIcon(icon_);
    }

    // Runs `call` on the icon's thread.
    void Post(std::function<void()> call) {
        auto* posted = new std::function<void()>(std::move(call));
        if (!PostMessageA(Handle(), kRunPostedCall, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
    }

    void Journal(const std::string& line) override {
        // A line that cannot be written is lost alone: the watch goes on.
        if (!journal_.empty()) AppendDurably(journal_, line + "\r\n");
        Post([this, line] {
            state_.Journal(line);
            ShowTip();
        });
    }
    void Notify(const std::string& text) override {
        Post([this, text] {
            NOTIFYICONDATAA data = Data(NIF_INFO);
            Put(data.szInfoTitle, "Bayhaul");
            Put(data.szInfo, text);
            data.dwInfoFlags = NIIF_INFO;
            Shell_NotifyIconA(NIM_MODIFY, &data);
        });
    }
    void ShowState(const std::string& state) override {
        Post([this, state] {
            state_.ShowState(state);
            ShowTip();
        });
    }
    bool Paused() override { return paused_; }
    bool QuitAsked() override { return quit_; }

private:
    NOTIFYICONDATAA Data(UINT flags) {
        NOTIFYICONDATAA data = {};
        data.cbSize = sizeof data;
        data.hWnd = Handle();
        data.uID = 1;
        data.uFlags = flags;
        Put(data.szTip, state_.Tooltip());
        return data;
    }

    void RemoveIcon() {
        NOTIFYICONDATAA data = Data(0);
        if (shown_ && Handle()) Shell_NotifyIconA(NIM_DELETE, &data);
        shown_ = false;
    }

    void ShowTip() {
        NOTIFYICONDATAA data = Data(NIF_TIP);
        Shell_NotifyIconA(NIM_MODIFY, &data);
    }

    void ShowMenu() {
        using Kind = WatchIconState::MenuItem::Kind;
        const std::vector<WatchIconState::MenuItem> items = state_.Menu();
        HMENU menu = CreatePopupMenu();
        for (std::size_t i = 0; i < items.size(); ++i) {
            const UINT flags = items[i].kind == Kind::Separator ? MF_SEPARATOR
                               : items[i].kind == Kind::Text    ? MF_STRING | MF_GRAYED
                                                                : MF_STRING;
            AppendMenuA(menu, flags, kFirstCommand + i, items[i].text.c_str());
        }
        POINT at;
        GetCursorPos(&at);
        SetForegroundWindow(Handle());  // so the menu closes when the user clicks elsewhere
        const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
        DestroyMenu(menu);
        if (chosen < kFirstCommand || chosen >= kFirstCommand + items.size()) return;
        state_.Choose(items[chosen - kFirstCommand].kind);
        paused_ = state_.Paused();
        quit_ = state_.QuitChosen();
    }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case kRunPostedCall: {
                const std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lParam));
                (*call)();
                return 0;
            }
            case kIconMessage:
                if (LOWORD(lParam) == WM_RBUTTONUP || LOWORD(lParam) == WM_LBUTTONUP) ShowMenu();
                return 0;
            case WM_DESTROY:
                RemoveIcon();
                PostQuitMessage(0);
                return 0;
            default:
                return Win32Window::OnMessage(message, wParam, lParam);
        }
    }

    const std::string journal_;
    HICON icon_ = nullptr;
    bool shown_ = false;
    WatchIconState state_;
    std::atomic<bool> paused_{false}, quit_{false};
};

}  // namespace

Win32WatchFrontEnd::Win32WatchFrontEnd(std::string stateFolder, bool journalToFile)
    : journal_(journalToFile && !stateFolder.empty()
                   ? (std::filesystem::path(stateFolder) / kWatchJournalFile).string()
                   : "") {}

int Win32WatchFrontEnd::Run(const std::function<int(WatchDesktop& desktop)>& watch) {
    if (!journal_.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(journal_).parent_path(), ignored);
    }
    WatchIcon icon(journal_);
    // Without a window (no desktop to put it on), the watch runs alone.
    if (!icon.Handle()) return watch(icon);
    int code = 0;
    std::thread watching([&] {
        code = watch(icon);
        icon.Post([&icon] { DestroyWindow(icon.Handle()); });
    });
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    watching.join();
    return code;
}

}  // namespace bayhaul
