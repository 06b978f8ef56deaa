#include "framework/StdCtrls.h"

#include <vector>

namespace {

TForm* ParentForm(TControl* control) {
    for (TControl* c = control; c; c = c->Parent())
        if (auto* form = dynamic_cast<TForm*>(c)) return form;
    return nullptr;
}

std::string WindowText(HWND wnd) {
    std::vector<char> buffer(static_cast<std::size_t>(GetWindowTextLengthA(wnd)) + 1);
    const int len = GetWindowTextA(wnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), static_cast<std::size_t>(len > 0 ? len : 0));
}

}  // namespace

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetControlStyle(csSetCaption | csDoubleClicks);
}

void TButtonControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "BUTTON";
    params.SystemClass = true;
}

void TButtonControl::CommandNotify(WORD code) {
    if (code == BN_CLICKED) Click();
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 75, 25); }

void TButton::SetDefault(bool v) {
    default_ = v;
    if (TForm* form = ParentForm(this)) form->SetDefaultButton(v ? this : nullptr);
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::SetCancel(bool v) {
    cancel_ = v;
    if (TForm* form = ParentForm(this)) form->SetCancelButton(v ? this : nullptr);
}

void TButton::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::Click() {
    if (TForm* form = ParentForm(this); form && modalResult_ != mrNone) form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 97, 17); }

bool TCheckBox::Checked() const {
    auto* self = const_cast<TCheckBox*>(this);
    if (HandleAllocated()) return SendMessageA(self->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    return checked_;
}

void TCheckBox::SetChecked(bool v) {
    checked_ = v;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    params.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::CreateWnd() {
    TButtonControl::CreateWnd();
    SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::CommandNotify(WORD code) {
    if (code == BN_CLICKED) checked_ = SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    TButtonControl::CommandNotify(code);
}

TLabel::TLabel(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 65, 17); }

void TLabel::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "STATIC";
    params.SystemClass = true;
    params.Style |= SS_NOPREFIX | (alignment_ == TAlignment::Center        ? SS_CENTER
                                   : alignment_ == TAlignment::RightJustify ? SS_RIGHT
                                                                            : SS_LEFT);
}

void TLabel::CreateWnd() {
    TWinControl::CreateWnd();
    if (!autoSize_) return;
    fw::WindowDC dc(Handle());
    fw::SelectGuard font(dc.get(), Font.Handle());
    SIZE size{};
    GetTextExtentPoint32A(dc.get(), Text().c_str(), static_cast<int>(Text().size()), &size);
    SetBounds(Left(), Top(), size.cx, size.cy);
}

HBRUSH TLabel::ChildColor(HDC dc) {
    SetTextColor(dc, ColorToRGB(Font.Color()));
    // A system static cannot show through to what its parent paints (the
    // parent clips its children): a transparent label takes the parent's
    // colour, which is what lies behind it.
    const TColor back = transparent_ && Parent() ? Parent()->Color() : Color();
    SetBkMode(dc, transparent_ ? TRANSPARENT : OPAQUE);
    SetBkColor(dc, ColorToRGB(back));
    brush_.reset(CreateSolidBrush(ColorToRGB(back)));
    return static_cast<HBRUSH>(brush_.get());
}

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 105);
    SetControlStyle(ControlStyle() | csAcceptsControls);
}

void TGroupBox::WndProc(TMessage& message) {
    // The system's group box leaves its inside to the parent, which clips
    // its children and so never paints there.
    if (message.Msg == WM_ERASEBKGND) return EraseWithColor(message);
    TWinControl::WndProc(message);
}

void TGroupBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "BUTTON";
    params.SystemClass = true;
    params.Style |= BS_GROUPBOX;
    // Tab and arrow navigation step into the controls the group holds.
    params.ExStyle |= WS_EX_CONTROLPARENT;
}

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

void TEdit::SetMaxLength(int v) {
    maxLength_ = v;
    if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(v), 0);
}

std::string TEdit::CurrentText() { return HandleAllocated() ? WindowText(Handle()) : Text(); }

void TEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "EDIT";
    params.SystemClass = true;
    params.Style |= ES_AUTOHSCROLL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateWnd() {
    TWinControl::CreateWnd();
    if (maxLength_ > 0) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::CommandNotify(WORD code) {
    if (code != EN_CHANGE) return;
    TControl::SetText(WindowText(Handle()));
    if (OnChange) OnChange(this);
}
