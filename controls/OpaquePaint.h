#pragma once
// A windowed control whose whole picture comes from OnPaint. When Opaque,
// the background is not erased first, so a picture that covers the control
// is drawn once per paint without a flash of the background colour.
#include "framework/Controls.h"

class TOpaquePaintBox : public TCustomControl {
public:
    explicit TOpaquePaintBox(TComponent* owner);

    bool Opaque() const noexcept { return opaque_; }
    void SetOpaque(bool v) noexcept { opaque_ = v; }
    // The canvas OnPaint draws on, prepared with the box's font and colour.
    TCanvas& PaintCanvas() noexcept { return Canvas; }

    TNotifyEvent OnPaint;
    TNotifyEvent OnRightDblClick;

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;

private:
    bool opaque_ = true;
};
