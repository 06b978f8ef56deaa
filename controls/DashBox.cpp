#include "DashBox.h"

namespace {

constexpr int kButtonWidth = 15;
constexpr int kButtonHeight = 16;
constexpr int kDotSize = 2;
constexpr int kDotSpacing = 3;

}  // namespace

// ---- TDashButton ----

TDashButton::TDashButton(TComponent* owner) : TGraphicControl(owner) {
    SetParent(dynamic_cast<TWinControl*>(owner));
    // Press and release make a click only through MouseUp below; a quick
    // second click arrives as a fresh press.
    SetControlStyle(csCaptureMouse);
}

void TDashButton::SetPressed(bool pressed) {
    FPressed = pressed;
    Repaint();
}

void TDashButton::Paint() {
    TGraphicControl::Paint();
    RECT r = ClientRect();
    DrawEdge(Canvas.Handle(), &r, EDGE_RAISED, BF_RECT | BF_ADJUST | (FPressed ? BF_FLAT : 0));
    Canvas.Brush.SetColor(clBtnFace);
    Canvas.FillRect(r);
    // The dots sit one pixel further right and down while pressed.
    if (!FPressed) OffsetRect(&r, -1, -1);
    const int cx = (r.left + r.right) / 2;
    const int cy = (r.top + r.bottom) / 2;
    const bool enabled = Designing() || (Parent() && Parent()->Enabled());
    Canvas.Brush.SetColor(enabled ? clBtnText : clGrayText);
    for (int x : {cx - kDotSpacing, cx, cx + kDotSpacing}) Canvas.FillRect({x, cy, x + kDotSize, cy + kDotSize});
}

void TDashButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::Left) return;
    if (Parent() && Parent()->CanFocus()) Parent()->SetFocus();
    SetPressed(true);
}

void TDashButton::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!MouseCaptured()) return;
    const RECT client = ClientRect();
    const bool inside = PtInRect(&client, POINT{x, y}) != FALSE;
    if (inside != FPressed) SetPressed(inside);
}

void TDashButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!FPressed || button != TMouseButton::Left) return;
    SetPressed(false);
    Click();
}

// ---- TDashBox ----

TDashBox::TDashBox(TComponent* owner) : TCustomControl(owner) {
    FDashButton.SetBounds(0, 0, kButtonWidth, kButtonHeight);
    FDashButton.OnClick = [this](TObject* sender) { ButtonClick(sender); };
    SetBounds(0, 0, 121, 25);
    SetTabStop(true);
    SetColor(clWindow);
    SetControlStyle(ControlStyle() & ~csSetCaption);
}

void TDashBox::SetAutoSize(bool value) {
    if (FAutoSize == value) return;
    FAutoSize = value;
    ApplyAutoSize();
}

void TDashBox::SetBorderStyle(TBorderStyle value) {
    if (FBorderStyle == value) return;
    FBorderStyle = value;
    ApplyAutoSize();
    RecreateWnd();
}

void TDashBox::ButtonClick(TObject*) { Click(); }

void TDashBox::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    if (FBorderStyle == bsSingle) {
        if (Ctl3D())
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
    // No capture and no click of its own: a single click on the text only
    // focuses the box; double clicks still reach it.
    SetControlStyle(csDoubleClicks);
}

void TDashBox::CreateWnd() {
    TCustomControl::CreateWnd();
    ApplyAutoSize();
    // The window was sized before its messages came here.
    PlaceButton();
}

void TDashBox::ApplyAutoSize() {
    if (FAutoSize && FBorderStyle == bsSingle) {
        SetControlStyle(ControlStyle() | csFixedHeight);
        FitHeightToFont();
    } else {
        SetControlStyle(ControlStyle() & ~csFixedHeight);
    }
}

void TDashBox::FitHeightToFont() {
    TEXTMETRICA metrics{};
    {
        fw::WindowDC screen(nullptr);
        fw::SelectGuard font(screen.get(), Font.Handle());
        GetTextMetricsA(screen.get(), &metrics);
    }
    const int borders = Ctl3D() ? 8 : 6;
    SetHeight(metrics.tmHeight + GetSystemMetrics(SM_CYBORDER) * borders);
}

void TDashBox::PlaceButton() {
    FDashButton.SetBounds(ClientWidth() - FDashButton.Width(), 0, FDashButton.Width(), ClientHeight());
}

void TDashBox::Paint() {
    TCustomControl::Paint();
    RECT r = ClientRect();
    r.right -= FDashButton.Width();
    Canvas.Brush.SetColor(Color());
    Canvas.FillRect(r);
    InflateRect(&r, -1, -1);
    const bool focused = Focused();
    if (focused) {
        Canvas.Brush.SetColor(clHighlight);
        Canvas.FillRect(r);
        Canvas.Brush.SetColor(clWhite);
        Canvas.DrawFocusRect(r);
    }
    InflateRect(&r, -1, -1);
    Canvas.Brush.SetStyle(TBrushStyle::Clear);
    Canvas.Font.Assign(Font);
    if (focused) Canvas.Font.SetColor(clHighlightText);
    if (!Designing() && !Enabled()) Canvas.Font.SetColor(clGrayText);
    // Left and top aligned, clipped to the area, an ampersand shown as itself.
    Canvas.DrawText(Text(), r, DT_NOPREFIX);
}

void TDashBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button == TMouseButton::Left) SetFocus();
}

void TDashBox::KeyDown(WORD& key, TShiftState shift) {
    // Space while the mouse is held would activate the box a second time.
    if (GetCapture() != Handle() && key == VK_SPACE) Click();
    TCustomControl::KeyDown(key, shift);
}

void TDashBox::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_SIZE:
        TCustomControl::WndProc(message);
        PlaceButton();
        return;
    case WM_GETDLGCODE:
        TCustomControl::WndProc(message);
        message.Result |= DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::WndProc(message);
        Invalidate();
        return;
    case WM_ERASEBKGND:
        // Paint covers the text area and the button paints itself.
        return;
    case WM_LBUTTONDBLCLK:
        // A double click on the dots is two presses of the button, not an activation here.
        if (RouteMouseToGraphic(message)) return;
        TCustomControl::WndProc(message);
        Click();
        return;
    case CM_ENABLEDCHANGED:
        TCustomControl::WndProc(message);
        if (!Designing()) Invalidate();
        return;
    case CM_CTL3DCHANGED:
        RecreateWnd();
        TCustomControl::WndProc(message);
        return;
    default:
        TCustomControl::WndProc(message);
    }
}
