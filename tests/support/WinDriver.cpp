#include "WinDriver.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace windriver {

Process::Process(const std::string& exePath, const std::string& workingDir, const std::string& arguments) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info_))
        throw std::runtime_error("cannot start " + exePath + ": error " + std::to_string(GetLastError()));
}

Process::~Process() {
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

std::optional<DWORD> Process::Wait(std::chrono::milliseconds timeout) {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

bool Process::Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

std::string WindowText(HWND wnd) {
    char buffer[4096] = {};
    // WM_GETTEXT works across processes for edits too, unlike GetWindowText.
    const LRESULT len = SendMessageA(wnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer, static_cast<std::size_t>(len));
}

std::string ClassName(HWND wnd) {
    char buffer[256] = {};
    const int len = GetClassNameA(wnd, buffer, sizeof buffer);
    return std::string(buffer, static_cast<std::size_t>(len));
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{processId, {}};
    EnumWindows(
        [](HWND wnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(wnd, &pid);
            if (pid == s->pid && IsWindowVisible(wnd)) s->found.push_back(wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND wnd, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindChildByText(HWND parent, const std::string& text) {
    for (HWND child : ChildWindows(parent))
        if (WindowText(child) == text) return child;
    return nullptr;
}

HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        for (HWND wnd : TopLevelWindows(processId))
            if (match(wnd)) return wnd;
        std::this_thread::sleep_for(20ms);
    }
    return nullptr;
}

HWND WaitForWindowTitled(DWORD processId, const std::string& title, std::chrono::milliseconds timeout) {
    return WaitForWindow(processId, [&](HWND wnd) { return WindowText(wnd) == title; }, timeout);
}

std::optional<MessageBoxInfo> ReadMessageBox(HWND wnd) {
    if (ClassName(wnd) != "#32770") return std::nullopt;
    MessageBoxInfo info;
    info.window = wnd;
    info.caption = WindowText(wnd);
    if (HWND text = GetDlgItem(wnd, 0xFFFF)) info.text = WindowText(text);
    for (HWND child = GetWindow(wnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string cls = ClassName(child);
        if (cls == "Button" || cls == "BUTTON") {
            if (IsWindowVisible(child)) info.buttons.push_back(GetDlgCtrlID(child));
        } else if ((cls == "Static" || cls == "STATIC") &&
                   (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            info.hasIcon = IsWindowVisible(child) != FALSE;
            info.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        }
    }
    return info;
}

MessageBoxInfo WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout) {
    HWND wnd = WaitForWindow(processId, [](HWND w) { return ClassName(w) == "#32770"; }, timeout);
    if (!wnd) throw std::runtime_error("no message box appeared");
    // The text control is filled while the box is being created.
    std::this_thread::sleep_for(100ms);
    return *ReadMessageBox(wnd);
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void TypeKey(WORD vk) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof in[0]);
}

COLORREF ScreenPixel(int x, int y) {
    HDC dc = GetDC(nullptr);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return c;
}

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    path_ = std::filesystem::path(base) /
            ("zorvtest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path ThisExeFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

}  // namespace windriver
