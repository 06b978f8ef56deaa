#pragma once
// Forms, the application object and the screen cursor.
#include "framework/Controls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

enum class TFormBorderStyle { None, Single, Sizeable, Dialog };
enum class TPosition { Designed, ScreenCenter };

class TButtonControl;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TFormBorderStyle BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TPosition Position() const noexcept { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    void SetClientSize(int width, int height);

    TModalResult ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(TModalResult result) noexcept { modalResult_ = result; }
    bool Modal() const noexcept { return modal_; }

    // Shows the form and runs messages until its ModalResult is set or the
    // application ends (then mrCancel); the other windows of the thread are
    // disabled meanwhile.
    TModalResult ShowModal();
    void Show();
    void Hide();
    // A modal form ends with mrCancel; the main form ends the application;
    // any other form is hidden.
    void Close();
    // Destroys the form once the messages already queued have been handled.
    void Release();

    // Enter and Esc in the form click these buttons.
    void SetDefaultButton(TButtonControl* button) noexcept { defaultButton_ = button; }
    void SetCancelButton(TButtonControl* button) noexcept { cancelButton_ = button; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnDestroy;

    void WndProc(TMessage& message) override;

protected:
    // Derived forms call this at the end of their constructor, once their
    // controls exist, so that OnCreate sees a complete form.
    void DoCreate();
    void CreateParams(TCreateParams& params) override;

private:
    void PlaceOnScreen();
    void Reactivate();

    TFormBorderStyle borderStyle_ = TFormBorderStyle::Sizeable;
    TPosition position_ = TPosition::Designed;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    TButtonControl* defaultButton_ = nullptr;
    TButtonControl* cancelButton_ = nullptr;
};

using TIdleEvent = std::function<void(TObject* sender, bool& done)>;
using TExceptionEvent = std::function<void(TObject* sender, const Exception& error)>;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Initialises COM for this thread (single-threaded apartment).
    void Initialize();
    const std::string& Title() const noexcept { return title_; }
    void SetTitle(const std::string& title);
    // The application's hidden window: owner of forms and message boxes.
    HWND Handle() const noexcept { return handle_.get(); }
    std::string ExeName() const;

    // Creates a form the application owns; the first one becomes the main form.
    template <typename F, typename... Args>
    F& CreateForm(Args&&... args) {
        F& form = Create<F>(std::forward<Args>(args)...);
        if (!mainForm_) mainForm_ = &form;
        return form;
    }
    TForm* MainForm() const noexcept { return mainForm_; }

    // Runs the message loop until Terminate.
    void Run();
    // Handles one message, or goes idle when there is none.
    void HandleMessage();
    void ProcessMessages();
    void Terminate();
    bool Terminated() const noexcept { return terminated_; }

    TIdleEvent OnIdle;
    TExceptionEvent OnException;

    // Handles the error being thrown: OnException when assigned, otherwise
    // the standard error display. Call only from a catch block.
    void HandleException(TObject* sender) noexcept;
    // The standard error display: the message (with "." added when its last
    // character sorts after "."), the title as caption and the stop icon.
    void ShowException(const Exception& error);
    // A message box owned by `owner` (by default the application window),
    // with the thread's other windows disabled while it is up and the active
    // window re-activated afterwards.
    int MessageBox(const std::string& text, const std::string& caption, UINT flags, HWND owner = nullptr);

    // Windows whose messages go through the dialog navigation (Tab, Enter, Esc).
    void RegisterForm(TForm* form) { forms_.push_back(form); }
    void UnregisterForm(TForm* form);
    void QueueRelease(TForm* form);

private:
    bool ProcessMessage(MSG& msg);
    void Idle();
    static LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    std::string title_;
    fw::WindowHandle handle_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool comInitialized_ = false;
    std::vector<TForm*> forms_;
};

// The application of this process; set while a TApplication exists.
extern TApplication* Application;

enum TCursor : int { crDefault = 0, crArrow = -2, crHourGlass = -11 };

class TScreen {
public:
    TCursor Cursor() const noexcept { return cursor_; }
    void SetCursor(TCursor cursor);
    // The cursor handle a window shows while the screen cursor is not default.
    HCURSOR CursorHandle() const;

private:
    TCursor cursor_ = crDefault;
};

extern TScreen Screen;

// Disables every visible, enabled top-level window of the thread except
// one, and enables them again when destroyed.
class TaskWindowsDisabler {
public:
    explicit TaskWindowsDisabler(HWND except);
    ~TaskWindowsDisabler();
    TaskWindowsDisabler(const TaskWindowsDisabler&) = delete;
    TaskWindowsDisabler& operator=(const TaskWindowsDisabler&) = delete;

private:
    HWND except_;
    std::vector<HWND> disabled_;
};
