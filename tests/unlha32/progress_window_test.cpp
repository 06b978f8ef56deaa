// The progress window: absent for short work, owned by the caller's window
// for long work, with the member's name and a Cancel button that stops the
// extraction; the caller's thread keeps answering messages meanwhile.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "UnlhaTesting.h"
#include "WinDriver.h"

using namespace unlhatest;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// The installer's background window: visible and disabled while Unlha runs.
class OwnerWindow {
public:
    OwnerWindow()
        : window_(CreateWindowExA(0, "STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                  nullptr, nullptr, nullptr)) {
        EnableWindow(window_, FALSE);
    }
    ~OwnerWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }

private:
    HWND window_;
};

// Visible top-level windows of this process other than `except`.
std::vector<HWND> OtherWindows(HWND except) {
    std::vector<HWND> found;
    for (HWND w : windriver::TopLevelWindows(GetCurrentProcessId()))
        if (w != except) found.push_back(w);
    return found;
}

std::string Child(HWND dialog, const char* className, const std::function<bool(const std::string&)>& textMatch) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[512] = "";
        SendMessageA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        if (windriver::ClassName(child) == className && textMatch(text)) return text;
    }
    return "<none>";
}

HWND ChildButton(HWND dialog, const std::string& text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (windriver::ClassName(child) == "Button" && windriver::WindowText(child) == text) return child;
    return nullptr;
}

TEST(ProgressWindow, DoesNotAppearForShortWork) {
    Library library;
    windriver::TempDir dir;
    OwnerWindow owner;
    std::atomic<bool> done = false, sawWindow = false;
    std::thread watcher([&] {
        while (!done) {
            if (!OtherWindows(owner.Handle()).empty()) sawWindow = true;
            std::this_thread::sleep_for(2ms);
        }
    });
    const auto start = Clock::now();
    const CallResult r = library.Run(ExtractCommand(FixtureFile("game.lzh"), dir.Str() + "\\t\\"), owner.Handle());
    const auto elapsed = Clock::now() - start;
    done = true;
    watcher.join();
    EXPECT_EQ(r.code, UNLHA_OK) << r.text;
    if (elapsed >= 400ms) GTEST_SKIP() << "the extraction took too long to tell";
    EXPECT_FALSE(sawWindow);
}

// Many small members: long enough to see the window and press Cancel.
std::string ManyMembers(int count) {
    std::vector<Member> members;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        members.emplace_back("folder" + std::to_string(i / 500) + "\\member" + n + ".txt", "data " + n);
    }
    return BuildArchive(members);
}

struct SeenWindow {
    HWND window = nullptr;
    Clock::duration after{};
    HWND owner = nullptr;
    std::string member;        // a static text naming a member
    std::string archive;       // a static text naming the archive
    bool hasProgressBar = false;
    bool ownerAnswered = false;  // the caller's thread handled a message sent to its window
};

TEST(ProgressWindow, AppearsOwnedByTheCallerShowsTheMemberAndCancelStops) {
    constexpr int kMembers = 20000;
    Library library;
    windriver::TempDir dir;
    const std::string archive = dir.Str() + "\\long.lzh", target = dir.Str() + "\\t\\";
    WriteBytes(archive, ManyMembers(kMembers));
    OwnerWindow owner;

    SeenWindow seen;
    const auto start = Clock::now();
    std::thread driver([&] {
        DWORD_PTR answer = 0;
        seen.ownerAnswered =
            SendMessageTimeoutA(owner.Handle(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) != 0;
        for (auto until = Clock::now() + 20s; !seen.window && Clock::now() < until; std::this_thread::sleep_for(5ms))
            for (HWND w : OtherWindows(owner.Handle())) seen.window = w;
        if (!seen.window) return;
        seen.after = Clock::now() - start;
        seen.owner = GetWindow(seen.window, GW_OWNER);
        seen.hasProgressBar = Child(seen.window, "msctls_progress32", [](auto&) { return true; }) != "<none>";
        for (auto until = Clock::now() + 5s; seen.member == "<none>" || seen.member.empty(); std::this_thread::sleep_for(5ms)) {
            seen.member = Child(seen.window, "Static", [](const std::string& t) { return t.find("member") != std::string::npos; });
            if (Clock::now() > until) break;
        }
        seen.archive = Child(seen.window, "Static", [](const std::string& t) { return t.find("long.lzh") != std::string::npos; });
        PostMessageA(ChildButton(seen.window, "Annuler"), BM_CLICK, 0, 0);
    });
    const CallResult r = library.Run(ExtractCommand(archive, target), owner.Handle());
    driver.join();

    EXPECT_TRUE(seen.ownerAnswered) << "the caller's thread stopped answering";
    ASSERT_NE(seen.window, nullptr) << "no progress window";
    EXPECT_GE(seen.after, 450ms) << "the window came too early";
    EXPECT_EQ(seen.owner, owner.Handle());
    EXPECT_TRUE(seen.hasProgressBar);
    EXPECT_NE(seen.member, "<none>");
    EXPECT_NE(seen.archive, "<none>");
    EXPECT_EQ(r.code, UNLHA_CANCELLED) << r.text;
    EXPECT_FALSE(IsWindow(seen.window)) << "the window outlived the call";

    // What was written before the cancel is complete; nothing else is there.
    const std::vector<std::string> written = ListTree(target);
    std::size_t files = 0;
    for (const std::string& entry : written) {
        if (entry.back() == '\\') continue;
        ++files;
        const std::size_t at = entry.find("member") + 6;
        EXPECT_EQ(ReadBytes(target + entry), "data " + entry.substr(at, entry.size() - at - 4)) << entry;
    }
    EXPECT_LT(files, static_cast<std::size_t>(kMembers));

    // The next call starts afresh and finishes.
    const CallResult again = library.Run(ExtractCommand(FixtureFile("game.lzh"), target), owner.Handle());
    EXPECT_EQ(again.code, UNLHA_OK) << again.text;
    EXPECT_EQ(again.text, "4 file(s) extracted");
}

}  // namespace

namespace {

// The caller's application quitting mid-extraction: the work stops and the
// quit message is left for the caller's own loop.
TEST(ProgressWindow, QuitMessageStopsTheWorkAndIsPostedAgain) {
    Library library;
    windriver::TempDir dir;
    const std::string archive = dir.Str() + "\\long.lzh";
    WriteBytes(archive, ManyMembers(20000));
    const DWORD caller = GetCurrentThreadId();
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // gives this thread its queue
    std::thread quitter([caller] {
        std::this_thread::sleep_for(200ms);
        PostThreadMessageA(caller, WM_QUIT, 7, 0);
    });
    const CallResult r = library.Run(ExtractCommand(archive, dir.Str() + "\\t\\"));
    quitter.join();
    EXPECT_EQ(r.code, UNLHA_CANCELLED) << r.text;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit message was swallowed";
    EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
