#pragma once
// A read-only, one-line browse box: it shows a text the program sets and
// carries a small three-dot button at its right edge. The user never edits
// the text; pressing the button, double-clicking the text or pressing Space
// activates the box, which raises its OnClick.
#include "framework/Controls.h"

enum TBorderStyle { bsNone, bsSingle };

// The windowless dots button the box holds.
class TDashButton : public TGraphicControl {
public:
    explicit TDashButton(TComponent* owner);

    bool Pressed() const noexcept { return FPressed; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void SetPressed(bool pressed);

    bool FPressed = false;
};

class TDashBox : public TCustomControl {
public:
    explicit TDashBox(TComponent* owner);

    // While AutoSize holds and the border is bsSingle, the height follows the font.
    bool AutoSize() const noexcept { return FAutoSize; }
    void SetAutoSize(bool value);
    TBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);

    TDashButton& DashButton() noexcept { return FDashButton; }

    void WndProc(TMessage& message) override;

protected:
    virtual void ButtonClick(TObject* sender);
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, TShiftState shift) override;

private:
    void ApplyAutoSize();
    void FitHeightToFont();
    void PlaceButton();

    TDashButton FDashButton{this};
    bool FAutoSize = true;
    TBorderStyle FBorderStyle = bsSingle;
};
