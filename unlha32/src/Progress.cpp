#include "Progress.h"

#include <commctrl.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

#include "Failure.h"
#include "ProgressIds.h"
#include "framework/Handles.h"

namespace unlha {
namespace {

// Written by the extracting thread, read by the window.
class SharedProgress final : public ProgressListener {
public:
    void memberStarted(const std::string& name) override {
        std::lock_guard lock(mutex_);
        member_ = name;
    }
    bool advanced(double fraction) override {
        fraction_ = fraction;
        return !cancelled_;
    }
    std::string member() const {
        std::lock_guard lock(mutex_);
        return member_;
    }
    double fraction() const { return fraction_; }
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

private:
    mutable std::mutex mutex_;
    std::string member_;
    std::atomic<double> fraction_{0.0};
    std::atomic<bool> cancelled_{false};
};

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &module);
    return module;
}

class ProgressWindow {
public:
    ProgressWindow(HWND owner, const std::string& archive, SharedProgress& progress) : progress_(progress) {
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        window_.reset(CreateDialogParamA(thisModule(), MAKEINTRESOURCEA(IDD_PROGRESS), IsWindow(owner) ? owner : nullptr,
                                         &ProgressWindow::dialogProc, reinterpret_cast<LPARAM>(this)));
        if (!window_) return;  // the extraction goes on without a window
        SetDlgItemTextA(window_.get(), IDC_ARCHIVE, archive.c_str());
        SendDlgItemMessageA(window_.get(), IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarRange);
        refresh();
        ShowWindow(window_.get(), SW_SHOW);
    }

    HWND handle() const noexcept { return window_.get(); }

    void refresh() {
        if (!window_) return;
        const std::string member = progress_.cancelled() ? "Annulation..." : progress_.member();
        if (member != shownMember_) {
            SetDlgItemTextA(window_.get(), IDC_MEMBER, member.c_str());
            shownMember_ = member;
        }
        const int position = static_cast<int>(progress_.fraction() * kBarRange);
        if (position != shownPosition_) {
            SendDlgItemMessageA(window_.get(), IDC_PROGRESS_BAR, PBM_SETPOS, position, 0);
            shownPosition_ = position;
        }
    }

private:
    static constexpr int kBarRange = 1000;

    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            return TRUE;
        }
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (self && message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
            self->cancelPressed();
            return TRUE;
        }
        return FALSE;
    }

    void cancelPressed() {
        progress_.cancel();
        EnableWindow(GetDlgItem(window_.get(), IDCANCEL), FALSE);
        refresh();
    }

    SharedProgress& progress_;
    fw::WindowHandle window_;
    std::string shownMember_;
    int shownPosition_ = -1;
};

// Dispatches what is queued for this thread; false when WM_QUIT came (its
// code is kept so that it can be posted again for the caller's loop).
bool dispatchMessages(HWND dialog, std::optional<int>& quitCode) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitCode = static_cast<int>(msg.wParam);
            return false;
        }
        if (dialog && IsDialogMessageA(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

}  // namespace

Outcome runWithProgressWindow(HWND owner, const std::string& archive,
                              const std::function<Outcome(ProgressListener&)>& work) {
    SharedProgress progress;
    Outcome outcome;
    const fw::KernelHandle finished(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!finished) throw Failure(UNLHA_INTERNAL_ERROR, "cannot create an event");
    std::jthread worker([&] {
        outcome = work(progress);
        SetEvent(finished.get());
    });
    // Whatever ends this scope early, the worker is told to stop before it is joined.
    struct StopOnExit {
        SharedProgress& progress;
        ~StopOnExit() { progress.cancel(); }
    } stopOnExit{progress};

    const auto start = std::chrono::steady_clock::now();
    std::optional<ProgressWindow> window;
    std::optional<int> quitCode;
    HANDLE handle = finished.get();
    for (;;) {
        const DWORD wait = quitCode ? WaitForSingleObject(handle, 50)
                                    : MsgWaitForMultipleObjects(1, &handle, FALSE, 50, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) break;
        if (!quitCode && !dispatchMessages(window ? window->handle() : nullptr, quitCode)) progress.cancel();
        if (!window && !quitCode && std::chrono::steady_clock::now() - start >= kProgressWindowDelay)
            window.emplace(owner, archive, progress);
        if (window) window->refresh();
    }
    worker.join();
    window.reset();
    if (quitCode) PostQuitMessage(*quitCode);
    if (progress.cancelled() && outcome.result == UNLHA_OK) return {UNLHA_CANCELLED, "cancelled"};
    return outcome;
}

}  // namespace unlha
