#include "framework/Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <map>

namespace {

constexpr char kControlProp[] = "Zorv.Control";
TControl* g_captureControl = nullptr;
int g_nextControlId = 1000;  // clear of IDOK, IDCANCEL and the other dialog ids

POINT MessagePoint(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL; }

}  // namespace

TControl* CaptureControl() noexcept { return g_captureControl; }

void SetCaptureControl(TControl* control) noexcept {
    ReleaseCapture();
    g_captureControl = control;
    if (!control) return;
    if (auto* win = dynamic_cast<TWinControl*>(control))
        SetCapture(win->Handle());
    else if (control->Parent())
        SetCapture(control->Parent()->Handle());
}

TShiftState KeysToShiftState(WPARAM keys) noexcept {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState KeyboardShiftState() noexcept {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

// ---- TControl ----

TControl::TControl(TComponent* owner) : TComponent(owner) {
    Font.OnChange = [this] {
        parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    if (g_captureControl == this) SetCaptureControl(nullptr);
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent_ == parent) return;
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (parent_) parent_->Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (parent_) parent_->Invalidate();
}

void TControl::SetAlign(TAlign align) {
    align_ = align;
    if (parent_) parent_->AlignControls();
}

void TControl::SetVisible(bool visible) {
    visible_ = visible;
    Invalidate();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetText(const std::string& text) {
    if (text_ == text) return;
    text_ = text;
    Perform(CM_TEXTCHANGED);
}

void TControl::SetParentFont(bool v) {
    parentFont_ = v;
    if (v && parent_) {
        Font.Assign(parent_->Font);
        parentFont_ = true;
    }
}

void TControl::SetColor(TColor color) {
    color_ = color;
    parentColor_ = false;
    Invalidate();
}

void TControl::FontChanged() { Invalidate(); }

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::Invalidate() {}

void TControl::Repaint() {
    Invalidate();
    if (parent_ && parent_->HandleAllocated()) UpdateWindow(parent_->Handle());
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    WndProc(message);
    return message.Result;
}

bool TControl::MouseCaptured() const noexcept { return g_captureControl == this; }

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::HandleMouseMessage(TMessage& message) {
    const POINT pt = MessagePoint(message.LParam);
    const TShiftState shift = KeysToShiftState(message.WParam);
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const bool dbl = message.Msg == WM_LBUTTONDBLCLK;
        DefaultHandler(message);
        if (controlStyle_ & csCaptureMouse) SetCaptureControl(this);
        if (controlStyle_ & csClickEvents) {
            if (dbl)
                DblClick();
            else
                clicked_ = true;
        }
        MouseDown(TMouseButton::Left, shift | (dbl ? TShiftState{ssDouble} : TShiftState{0}), pt.x, pt.y);
        break;
    }
    case WM_LBUTTONUP: {
        DefaultHandler(message);
        if (controlStyle_ & csCaptureMouse) SetCaptureControl(nullptr);
        if (clicked_) {
            clicked_ = false;
            const RECT client = ClientRect();
            if (PtInRect(&client, pt)) Click();
        }
        MouseUp(TMouseButton::Left, shift, pt.x, pt.y);
        break;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        DefaultHandler(message);
        MouseDown(TMouseButton::Right, shift | (message.Msg == WM_RBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{0}), pt.x, pt.y);
        break;
    case WM_RBUTTONUP:
        DefaultHandler(message);
        MouseUp(TMouseButton::Right, shift, pt.x, pt.y);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        DefaultHandler(message);
        MouseDown(TMouseButton::Middle, shift | (message.Msg == WM_MBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{0}), pt.x, pt.y);
        break;
    case WM_MBUTTONUP:
        DefaultHandler(message);
        MouseUp(TMouseButton::Middle, shift, pt.x, pt.y);
        break;
    case WM_MOUSEMOVE:
        DefaultHandler(message);
        MouseMove(shift, pt.x, pt.y);
        break;
    default:
        DefaultHandler(message);
    }
}

void TControl::WndProc(TMessage& message) {
    if (IsMouseMessage(message.Msg)) {
        // Without double clicks a quick second click is a fresh press.
        if (!(controlStyle_ & csDoubleClicks) &&
            (message.Msg == WM_LBUTTONDBLCLK || message.Msg == WM_RBUTTONDBLCLK || message.Msg == WM_MBUTTONDBLCLK))
            message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
        HandleMouseMessage(message);
        return;
    }
    if (message.Msg == CM_TEXTCHANGED || message.Msg == CM_ENABLEDCHANGED) {
        Invalidate();
        return;
    }
    DefaultHandler(message);
}

// ---- TGraphicControl ----

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

void TGraphicControl::Invalidate() {
    if (parent_ && parent_->HandleAllocated()) {
        const RECT r = BoundsRect();
        InvalidateRect(parent_->Handle(), &r, TRUE);
    }
}

void TGraphicControl::PaintTo(HDC dc) {
    const int saved = SaveDC(dc);
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x + left_, origin.y + top_, nullptr);
    IntersectClipRect(dc, 0, 0, width_, height_);
    Canvas.SetHandle(dc);
    Canvas.Font.Assign(Font);
    Paint();
    Canvas.SetHandle(nullptr);
    RestoreDC(dc, saved);
}

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner) : TControl(owner), controlId_(g_nextControlId++) {}

TWinControl::~TWinControl() {
    for (TControl* c : controls_) c->parent_ = nullptr;
    controls_.clear();
    if (handle_) {
        HWND wnd = handle_;
        RemovePropA(wnd, kControlProp);
        if (defWndProc_) SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defWndProc_));
        handle_ = nullptr;
        DestroyWindow(wnd);
    }
}

TWinControl* TWinControl::FromHandle(HWND wnd) noexcept {
    return wnd ? static_cast<TWinControl*>(GetPropA(wnd, kControlProp)) : nullptr;
}

HWND TWinControl::Handle() {
    if (!handle_) CreateWnd();
    return handle_;
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
    if (control->parentFont_) {
        control->Font.Assign(Font);
        control->parentFont_ = true;
    }
    if (control->parentColor_) control->color_ = Color();
    if (auto* win = dynamic_cast<TWinControl*>(control); win && handle_) win->HandleNeeded();
    if (control->Align() != TAlign::None) AlignControls();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
    std::erase(controls_, control);
    control->parent_ = nullptr;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Caption = Text();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Visible()) params.Style |= WS_VISIBLE;
    if (!Enabled()) params.Style |= WS_DISABLED;
    if (tabStop_) params.Style |= WS_TABSTOP;
    params.X = left_;
    params.Y = top_;
    params.Width = width_;
    params.Height = height_;
    params.WndParent = parent_ ? parent_->Handle() : nullptr;
    params.WinClassName = "Zorv.Control";
    params.WindowClassStyle = CS_HREDRAW | CS_VREDRAW | ((ControlStyle() & csDoubleClicks) ? CS_DBLCLKS : 0);
}

void TWinControl::EnsureWindowClass(const TCreateParams& params) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(GetModuleHandleA(nullptr), params.WinClassName.c_str(), &existing)) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = params.WindowClassStyle;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = params.WinClassName.c_str();
    RegisterClassExA(&wc);
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    systemClass_ = params.SystemClass;
    if (!systemClass_) {
        // One registered class per class style, so that double clicks follow the control style.
        char suffix[16];
        wsprintfA(suffix, ".%X", params.WindowClassStyle);
        params.WinClassName += suffix;
        EnsureWindowClass(params);
    }
    const bool child = (params.Style & WS_CHILD) != 0;
    HWND wnd = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                               params.X, params.Y, params.Width, params.Height, params.WndParent,
                               child ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId_)) : nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!wnd) throw EOSError(GetLastError());
    handle_ = wnd;
    SetPropA(wnd, kControlProp, this);
    defWndProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::StdWndProc)));
    SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Handle()), FALSE);
    RECT r{};
    GetWindowRect(wnd, &r);
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
    for (TControl* c : std::vector<TControl*>(controls_))
        if (auto* win = dynamic_cast<TWinControl*>(c)) win->HandleNeeded();
    AlignControls();
}

void TWinControl::DestroyWnd() {
    if (!handle_) return;
    HWND wnd = handle_;
    DestroyWindow(wnd);
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    const bool hadFocus = Focused();
    DestroyWnd();
    CreateWnd();
    if (hadFocus) SetFocus();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_) {
        settingBounds_ = true;
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        settingBounds_ = false;
    }
    AlignControls();
}

int TWinControl::ClientWidth() const {
    RECT r{};
    if (handle_ && GetClientRect(handle_, &r)) return r.right;
    return width_;
}

int TWinControl::ClientHeight() const {
    RECT r{};
    if (handle_ && GetClientRect(handle_, &r)) return r.bottom;
    return height_;
}

void TWinControl::SetVisible(bool visible) {
    TControl::SetVisible(visible);
    if (handle_) ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
    if (handle_) EnableWindow(handle_, enabled);
    TControl::SetEnabled(enabled);
}

void TWinControl::SetText(const std::string& text) {
    if (handle_ && text != Text()) SetWindowTextA(handle_, text.c_str());
    TControl::SetText(text);
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::SetTabStop(bool v) {
    tabStop_ = v;
    if (handle_) {
        const LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
        SetWindowLongPtrA(handle_, GWL_STYLE, v ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
}

void TWinControl::SetCtl3D(bool v) {
    if (ctl3D_ == v) return;
    ctl3D_ = v;
    Perform(CM_CTL3DCHANGED);
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

void TWinControl::FontChanged() {
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Handle()), TRUE);
    for (TControl* c : controls_) {
        if (c->ParentFont()) {
            c->Font.Assign(Font);
            c->parentFont_ = true;
        }
    }
    Invalidate();
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

TGraphicControl* TWinControl::GraphicControlAt(POINT pt) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        auto* g = dynamic_cast<TGraphicControl*>(*it);
        if (!g || !g->Visible()) continue;
        const RECT r = g->BoundsRect();
        if (PtInRect(&r, pt)) return g;
    }
    return nullptr;
}

void TWinControl::PaintGraphicControls(HDC dc) {
    for (TControl* c : controls_)
        if (auto* g = dynamic_cast<TGraphicControl*>(c); g && g->Visible()) g->PaintTo(dc);
}

void TWinControl::PaintWindow(HDC dc) { PaintGraphicControls(dc); }

void TWinControl::EraseWithColor(TMessage& message) {
    RECT r{};
    GetClientRect(handle_, &r);
    fw::GdiObject brush(CreateSolidBrush(ColorToRGB(Color())));
    FillRect(reinterpret_cast<HDC>(message.WParam), &r, static_cast<HBRUSH>(brush.get()));
    message.Result = 1;
}

void TWinControl::AlignControls() {
    for (TControl* c : controls_)
        if (c->Align() == TAlign::Client) c->SetBounds(0, 0, ClientWidth(), ClientHeight());
}

bool TWinControl::RouteMouseToGraphic(TMessage& message) {
    TControl* target = nullptr;
    if (g_captureControl && g_captureControl->Parent() == this)
        target = g_captureControl;
    else if (!g_captureControl)
        target = GraphicControlAt(MessagePoint(message.LParam));
    if (!target || !dynamic_cast<TGraphicControl*>(target)) return false;
    if (!target->Enabled()) return true;
    const POINT pt = MessagePoint(message.LParam);
    TMessage local = message;
    local.LParam = MAKELPARAM(pt.x - target->Left(), pt.y - target->Top());
    target->WndProc(local);
    message.Result = local.Result;
    return true;
}

void TWinControl::Reflect(TMessage& message) {
    if (message.Msg == WM_COMMAND) {
        if (auto* child = FromHandle(reinterpret_cast<HWND>(message.LParam))) {
            child->CommandNotify(HIWORD(message.WParam));
            return;
        }
    } else if (auto* header = reinterpret_cast<NMHDR*>(message.LParam)) {
        if (auto* child = FromHandle(header->hwndFrom)) {
            message.Result = child->Notify(header);
            return;
        }
    }
    DefaultHandler(message);
}

void TWinControl::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_COMMAND:
        if (message.LParam) return Reflect(message);
        break;
    case WM_NOTIFY:
        return Reflect(message);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (auto* child = FromHandle(reinterpret_cast<HWND>(message.LParam))) {
            if (HBRUSH brush = child->ChildColor(reinterpret_cast<HDC>(message.WParam))) {
                message.Result = reinterpret_cast<LRESULT>(brush);
                return;
            }
        }
        break;
    case WM_PAINT:
        if (!systemClass_) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(handle_, &ps);
            PaintWindow(dc);
            EndPaint(handle_, &ps);
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (!systemClass_) return EraseWithColor(message);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(message.WParam);
        KeyDown(key, KeyboardShiftState());
        if (key == 0) return;
        message.WParam = key;
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = static_cast<WORD>(message.WParam);
        KeyUp(key, KeyboardShiftState());
        if (key == 0) return;
        message.WParam = key;
        break;
    }
    case WM_SETFOCUS:
        DefaultHandler(message);
        if (OnEnter) OnEnter(this);
        return;
    case WM_KILLFOCUS:
        DefaultHandler(message);
        if (OnExit) OnExit(this);
        return;
    case WM_CAPTURECHANGED:
        if (g_captureControl && reinterpret_cast<HWND>(message.LParam) != handle_) {
            const bool ours = g_captureControl == this || g_captureControl->Parent() == this;
            if (ours) g_captureControl = nullptr;
        }
        break;
    case WM_SIZE:
    case WM_MOVE:
        DefaultHandler(message);
        if (!settingBounds_) {
            RECT r{};
            GetWindowRect(handle_, &r);
            if (HWND parentWnd = GetParent(handle_); parentWnd && (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD))
                MapWindowPoints(HWND_DESKTOP, parentWnd, reinterpret_cast<POINT*>(&r), 2);
            left_ = r.left;
            top_ = r.top;
            width_ = r.right - r.left;
            height_ = r.bottom - r.top;
        }
        if (message.Msg == WM_SIZE) AlignControls();
        return;
    case WM_NCDESTROY:
        DefaultHandler(message);
        RemovePropA(handle_, kControlProp);
        handle_ = nullptr;
        defWndProc_ = nullptr;
        return;
    default:
        if (IsMouseMessage(message.Msg) && RouteMouseToGraphic(message)) return;
        break;
    }
    TControl::WndProc(message);
}

void TWinControl::DefaultHandler(TMessage& message) {
    if (!handle_) return;
    message.Result = CallWindowProcA(defWndProc_ ? defWndProc_ : DefWindowProcA, handle_, message.Msg,
                                     message.WParam, message.LParam);
}

LRESULT TWinControl::Dispatch(TWinControl* control, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    TMessage message{msg, wParam, lParam, 0};
    try {
        control->WndProc(message);
    } catch (...) {
        ApplicationHandleException(control);
    }
    return message.Result;
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (TWinControl* control = FromHandle(wnd)) return Dispatch(control, msg, wParam, lParam);
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// ---- TCustomControl ----

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::PaintWindow(HDC dc) {
    Canvas.SetHandle(dc);
    Canvas.Font.Assign(Font);
    Canvas.Brush.SetColor(Color());
    Paint();
    Canvas.SetHandle(nullptr);
    PaintGraphicControls(dc);
}
