#pragma once
// The standard controls, each a system window class wrapped as a TWinControl.
#include "framework/Forms.h"

enum class TAlignment { LeftJustify, RightJustify, Center };

// Common ground of push buttons and check boxes.
class TButtonControl : public TWinControl {
public:
    explicit TButtonControl(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
    void CommandNotify(WORD code) override;
};

class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* owner);
    // Enter in the form clicks the default button; Esc the cancel button.
    bool Default() const noexcept { return default_; }
    void SetDefault(bool v);
    bool Cancel() const noexcept { return cancel_; }
    void SetCancel(bool v);
    // Given to the form before OnClick runs.
    TModalResult ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(TModalResult result) noexcept { modalResult_ = result; }
    void Click() override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
};

class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent* owner);
    bool Checked() const;
    void SetChecked(bool v);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void CommandNotify(WORD code) override;

private:
    bool checked_ = false;
};

class TLabel : public TWinControl {
public:
    explicit TLabel(TComponent* owner);
    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; }
    bool Transparent() const noexcept { return transparent_; }
    void SetTransparent(bool v) { transparent_ = v; }
    // With AutoSize on, the label fits its text once its window exists.
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool v) { autoSize_ = v; }

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    HBRUSH ChildColor(HDC dc) override;

private:
    TAlignment alignment_ = TAlignment::LeftJustify;
    bool transparent_ = false;
    bool autoSize_ = true;
    fw::GdiObject brush_;
};

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* owner);
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
};

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);
    int MaxLength() const noexcept { return maxLength_; }
    void SetMaxLength(int v);
    // The text as the user left it.
    std::string CurrentText();
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void CommandNotify(WORD code) override;

private:
    int maxLength_ = 0;
};
