#pragma once
// Drives Windows programs from a test as a user would: starts them, finds
// their windows, reads message boxes and presses buttons, reads the screen.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace windriver {

using namespace std::chrono_literals;

// A started program; the destructor kills it if it still runs.
class Process {
public:
    explicit Process(const std::string& exePath, const std::string& workingDir = {},
                     const std::string& arguments = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const noexcept { return info_.dwProcessId; }
    // The exit code, or nothing when it still runs after `timeout`.
    std::optional<DWORD> Wait(std::chrono::milliseconds timeout);
    bool Running() const;

private:
    PROCESS_INFORMATION info_{};
};

std::string WindowText(HWND wnd);
std::string ClassName(HWND wnd);
// The visible top-level windows of a process.
std::vector<HWND> TopLevelWindows(DWORD processId);
// The child windows of a window, their own children included.
std::vector<HWND> ChildWindows(HWND parent);
// The first child window (at any depth) whose text is `text`, or null.
HWND FindChildByText(HWND parent, const std::string& text);
// Waits for a visible top-level window of the process that satisfies `match`.
HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match,
                   std::chrono::milliseconds timeout = 20s);
HWND WaitForWindowTitled(DWORD processId, const std::string& title, std::chrono::milliseconds timeout = 20s);

// A message box as the user sees it.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // ids of the visible push buttons
    bool hasIcon = false;
    HICON icon = nullptr;  // the shared system icon the box shows
};
std::optional<MessageBoxInfo> ReadMessageBox(HWND wnd);
// Waits for a message box (class #32770) of the process.
MessageBoxInfo WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout = 20s);
// Presses a button of a dialog without blocking on what the click opens.
void PressButton(HWND dialog, int id);

// Presses and releases a key through the system's input queue, as the
// keyboard would (to the focused window of the foreground thread).
void TypeKey(WORD vk);

// The colour of a screen pixel.
COLORREF ScreenPixel(int x, int y);

// A fresh folder under the temporary folder, removed with its content at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const noexcept { return path_; }
    std::string Str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const std::string& content);
std::string ReadFile(const std::filesystem::path& path);

// Folder that holds the test program (and the programs built beside it).
std::filesystem::path ThisExeFolder();

}  // namespace windriver
