#pragma once
// Running the extraction on a worker thread while the caller's thread keeps
// dispatching its messages and, once the work takes long enough to notice,
// shows the progress window.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "Extraction.h"
#include "Unlha32.h"

namespace unlha {

struct Outcome {
    UnlhaResult result = UNLHA_INTERNAL_ERROR;
    std::string text;
};

// Work that finishes sooner than this never shows a window.
inline constexpr std::chrono::milliseconds kProgressWindowDelay{500};

// Runs `work` on a worker thread; `owner` (may be null or not a window) owns
// the progress window. `work` must not throw. A Cancel in the window, or a
// WM_QUIT reaching this thread (posted again afterwards), asks the work to stop
// through the listener it is given.
Outcome runWithProgressWindow(HWND owner, const std::string& archive,
                              const std::function<Outcome(ProgressListener&)>& work);

}  // namespace unlha
