#include "OpaquePaint.h"

TOpaquePaintBox::TOpaquePaintBox(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 105, 105);
    SetColor(clAppWorkSpace);
    SetParentColor(false);
}

void TOpaquePaintBox::CreateParams(TCreateParams& params) {
    SetControlStyle(csAcceptsControls | csClickEvents | csDoubleClicks);
    TCustomControl::CreateParams(params);
}

void TOpaquePaintBox::Paint() {
    Canvas.Font.Assign(Font);
    Canvas.Brush.SetColor(Color());
    if (Designing()) {
        Canvas.Pen.SetStyle(TPenStyle::Dash);
        Canvas.Brush.SetStyle(TBrushStyle::Clear);
        Canvas.Rectangle(0, 0, Width(), Height());
    }
    if (OnPaint) OnPaint(this);
}

void TOpaquePaintBox::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_ERASEBKGND:
        if (Designing() || !opaque_) break;
        message.Result = 1;
        return;
    case WM_RBUTTONDBLCLK:
        TCustomControl::WndProc(message);
        if (OnRightDblClick) OnRightDblClick(this);
        return;
    default:
        break;
    }
    TCustomControl::WndProc(message);
}
