#include "framework/Forms.h"

#include "framework/StdCtrls.h"

#include <algorithm>

TApplication* Application = nullptr;
TScreen Screen;

namespace {

constexpr char kAppWindowClass[] = "Zorv.Application";

BOOL CALLBACK DisableTaskWindow(HWND wnd, LPARAM data) {
    auto* list = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(data);
    if (wnd != list->first && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
        list->second->push_back(wnd);
        EnableWindow(wnd, FALSE);
    }
    return TRUE;
}

}  // namespace

void ApplicationHandleException(TObject* sender) noexcept {
    if (Application) Application->HandleException(sender);
}

// ---- TaskWindowsDisabler ----

TaskWindowsDisabler::TaskWindowsDisabler(HWND except) : except_(except) {
    std::pair<HWND, std::vector<HWND>*> data{except, &disabled_};
    EnumThreadWindows(GetCurrentThreadId(), DisableTaskWindow, reinterpret_cast<LPARAM>(&data));
}

TaskWindowsDisabler::~TaskWindowsDisabler() {
    for (HWND wnd : disabled_)
        if (IsWindow(wnd)) EnableWindow(wnd, TRUE);
}

// ---- TScreen ----

void TScreen::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    ::SetCursor(CursorHandle());
}

HCURSOR TScreen::CursorHandle() const {
    switch (cursor_) {
    case crHourGlass:
        return LoadCursorA(nullptr, IDC_WAIT);
    default:
        return LoadCursorA(nullptr, IDC_ARROW);
    }
}

// ---- TForm ----

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    SetBounds(0, 0, 320, 240);
    Font.SetName("MS Sans Serif");
    Font.SetHeight(-11);
    if (Application) Application->RegisterForm(this);
}

TForm::~TForm() {
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            ApplicationHandleException(this);
        }
    }
    if (Application) Application->UnregisterForm(this);
}

void TForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    borderStyle_ = style;
    RecreateWnd();
}

void TForm::SetClientSize(int width, int height) {
    TCreateParams params;
    CreateParams(params);
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
    SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_POPUP;
    params.ExStyle = 0;
    switch (borderStyle_) {
    case TFormBorderStyle::None:
        break;
    case TFormBorderStyle::Single:
        params.Style |= WS_CAPTION | WS_SYSMENU | WS_BORDER | WS_MINIMIZEBOX;
        break;
    case TFormBorderStyle::Sizeable:
        params.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    case TFormBorderStyle::Dialog:
        params.Style |= WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    params.ExStyle |= WS_EX_CONTROLPARENT;
    if (!Enabled()) params.Style |= WS_DISABLED;
    // Forms belong to the application window, as the message boxes do.
    params.WndParent = Application ? Application->Handle() : nullptr;
    params.WinClassName = "Zorv.Form";
}

void TForm::PlaceOnScreen() {
    if (position_ != TPosition::ScreenCenter) return;
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    SetBounds((sw - Width()) / 2, (sh - Height()) / 2, Width(), Height());
}

void TForm::Show() {
    HandleNeeded();
    PlaceOnScreen();
    if (OnShow) OnShow(this);
    TControl::SetVisible(true);
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    // Focus the first control that takes it, as a dialog would.
    if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE)) ::SetFocus(first);
}

void TForm::Hide() {
    TControl::SetVisible(false);
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

TModalResult TForm::ShowModal() {
    if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    SetCaptureControl(nullptr);
    HWND previous = GetActiveWindow();
    modalResult_ = mrNone;
    modal_ = true;
    struct ModalEnd {
        TForm& form;
        HWND previous;
        ~ModalEnd() {
            form.modal_ = false;
            form.Hide();
            if (previous && IsWindow(previous)) SetActiveWindow(previous);
        }
    } end{*this, previous};
    HandleNeeded();
    TaskWindowsDisabler disabled(Handle());
    Show();
    while (modalResult_ == mrNone) {
        Application->HandleMessage();
        if (Application->Terminated()) modalResult_ = mrCancel;
    }
    return modalResult_;
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
    } else if (Application && Application->MainForm() == this) {
        Hide();
        Application->Terminate();
    } else {
        Hide();
    }
}

void TForm::Release() {
    if (Application) Application->QueueRelease(this);
}

void TForm::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        return;
    case WM_COMMAND:
        // The dialog navigation turns Enter and Esc into IDOK and IDCANCEL.
        if (message.LParam == 0 || LOWORD(message.WParam) == IDOK || LOWORD(message.WParam) == IDCANCEL) {
            if (LOWORD(message.WParam) == IDOK && defaultButton_ && defaultButton_->Enabled()) {
                defaultButton_->Click();
                return;
            }
            if (LOWORD(message.WParam) == IDCANCEL) {
                if (cancelButton_ && cancelButton_->Enabled())
                    cancelButton_->Click();
                else if (modal_)
                    Close();
                return;
            }
        }
        break;
    case DM_GETDEFID:
        message.Result = defaultButton_ && defaultButton_->HandleAllocated()
                             ? MAKELRESULT(GetDlgCtrlID(defaultButton_->Handle()), DC_HASDEFID)
                             : 0;
        return;
    case WM_SETCURSOR:
        if (Screen.Cursor() != crDefault) {
            ::SetCursor(Screen.CursorHandle());
            message.Result = TRUE;
            return;
        }
        break;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

// ---- TApplication ----

TApplication::TApplication() : TComponent(nullptr) {
    Application = this;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TApplication::AppWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kAppWindowClass;
    RegisterClassExA(&wc);
    handle_.reset(CreateWindowExA(0, kAppWindowClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr));
}

TApplication::~TApplication() {
    // Forms go while the application window they belong to still exists.
    while (!Components().empty()) {
        TComponent* last = Components().back();
        DestroyOwned(last);
        if (!Components().empty() && Components().back() == last) break;
    }
    handle_.reset();
    if (comInitialized_) CoUninitialize();
    Application = nullptr;
}

void TApplication::Initialize() {
    if (!comInitialized_) comInitialized_ = SUCCEEDED(CoInitialize(nullptr));
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    SetWindowTextA(handle_.get(), title.c_str());
}

std::string TApplication::ExeName() const {
    char path[MAX_PATH];
    const DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, len);
}

void TApplication::UnregisterForm(TForm* form) {
    std::erase(forms_, form);
    if (mainForm_ == form) mainForm_ = nullptr;
}

void TApplication::QueueRelease(TForm* form) { PostMessageA(handle_.get(), CM_RELEASE, 0, reinterpret_cast<LPARAM>(form)); }

void TApplication::Run() {
    if (mainForm_) mainForm_->Show();
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    if (msg.hwnd) {
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        const bool ours = std::any_of(forms_.begin(), forms_.end(),
                                      [&](TForm* f) { return f->HandleAllocated() && f->Handle() == root; });
        if (ours && IsDialogMessageA(root, &msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) Idle();
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Idle() {
    bool done = true;
    if (OnIdle) OnIdle(this, done);
    if (done && !terminated_) WaitMessage();
}

void TApplication::Terminate() {
    if (!terminated_) PostQuitMessage(0);
}

void TApplication::HandleException(TObject* sender) noexcept {
    try {
        try {
            throw;
        } catch (const Exception& e) {
            if (OnException)
                OnException(sender, e);
            else
                ShowException(e);
        } catch (const std::exception& e) {
            const Exception wrapped(e.what());
            if (OnException)
                OnException(sender, wrapped);
            else
                ShowException(wrapped);
        }
    } catch (...) {
        // An error while reporting an error ends here: nothing better is left.
    }
}

void TApplication::ShowException(const Exception& error) {
    std::string text = error.Message();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    MessageBox(text, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags, HWND owner) {
    HWND active = GetActiveWindow();
    int result;
    {
        TaskWindowsDisabler disabled(nullptr);
        result = ::MessageBoxA(owner ? owner : handle_.get(), text.c_str(), caption.c_str(), flags);
    }
    if (active && IsWindow(active)) SetActiveWindow(active);
    return result;
}

LRESULT CALLBACK TApplication::AppWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == CM_RELEASE && Application) {
        auto* form = reinterpret_cast<TForm*>(lParam);
        // Only a form that still exists: it may have gone with its owner.
        const auto& forms = Application->forms_;
        if (std::find(forms.begin(), forms.end(), form) != forms.end()) {
            if (TComponent* owner = form->Owner()) owner->DestroyOwned(form);
        }
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}
