#pragma once
// Controls: the windowless TGraphicControl and the windowed TWinControl with
// its message dispatch. Every window of the project is a TWinControl whose
// window procedure calls the virtual WndProc; no exception crosses a window
// procedure: it goes to the application's error handling instead.
#include "framework/Classes.h"
#include "framework/Graphics.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TWinControl;

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// Control style flags, as the component model defines them.
enum TControlStyleFlag : std::uint32_t {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csClickEvents = 1u << 2,
    csDoubleClicks = 1u << 3,
    csFixedHeight = 1u << 4,
    csSetCaption = 1u << 5,
    csNoStdEvents = 1u << 6,
};
using TControlStyle = std::uint32_t;

enum class TMouseButton { Left, Right, Middle };
enum TShiftFlag : std::uint32_t {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
using TShiftState = std::uint32_t;

enum class TAlign { None, Client };

using TMouseEvent = std::function<void(TObject*, TMouseButton, TShiftState, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject*, TShiftState, int x, int y)>;
using TKeyEvent = std::function<void(TObject*, WORD& key, TShiftState)>;

// Messages the component layer sends itself (the platform's CM_ range).
enum : UINT {
    CM_BASE = WM_APP + 0x3000,
    CM_RELEASE,
    CM_TEXTCHANGED,
    CM_ENABLEDCHANGED,
    CM_CTL3DCHANGED,
};

TShiftState KeysToShiftState(WPARAM keys) noexcept;
TShiftState KeyboardShiftState() noexcept;

class TControl : public TComponent {
    friend class TWinControl;

public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const noexcept { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    RECT BoundsRect() const noexcept { return {left_, top_, left_ + width_, top_ + height_}; }
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    RECT ClientRect() const { return {0, 0, ClientWidth(), ClientHeight()}; }

    TAlign Align() const noexcept { return align_; }
    void SetAlign(TAlign align);

    bool Visible() const noexcept { return visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled() const noexcept { return enabled_; }
    virtual void SetEnabled(bool enabled);

    const std::string& Text() const noexcept { return text_; }
    virtual void SetText(const std::string& text);
    const std::string& Caption() const noexcept { return text_; }
    void SetCaption(const std::string& text) { SetText(text); }

    TFont Font;
    bool ParentFont() const noexcept { return parentFont_; }
    void SetParentFont(bool v);
    TColor Color() const noexcept { return color_; }
    virtual void SetColor(TColor color);
    bool ParentColor() const noexcept { return parentColor_; }
    void SetParentColor(bool v) { parentColor_ = v; }

    TControlStyle ControlStyle() const noexcept { return controlStyle_; }
    void SetControlStyle(TControlStyle style) noexcept { controlStyle_ = style; }

    // True while the control is placed on a form designer; this layer has
    // none, but controls keep their design-time drawing rules reachable.
    bool Designing() const noexcept { return designing_; }
    void SetDesigning(bool v) noexcept { designing_ = v; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    virtual void Click();
    virtual void DblClick();
    virtual void Invalidate();
    void Repaint();
    // Handles one message sent to this control (through its window, or
    // through its parent's for a windowless control).
    virtual void WndProc(TMessage& message);
    // Sends a message straight to WndProc.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // Default handling of a message nothing else claimed.
    virtual void DefaultHandler(TMessage& message);
    virtual void FontChanged();
    bool MouseCaptured() const noexcept;

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;

private:
    void HandleMouseMessage(TMessage& message);

    TAlign align_ = TAlign::None;
    bool visible_ = true;
    bool enabled_ = true;
    bool parentFont_ = true;
    bool parentColor_ = true;
    bool designing_ = false;
    bool clicked_ = false;
    std::string text_;
    TColor color_ = clBtnFace;
    TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
};

// A control without a window of its own, painted and fed with mouse input
// by its parent.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    void Invalidate() override;
    // Called by the parent with the canvas offset and clipped to this control.
    void PaintTo(HDC dc);

protected:
    virtual void Paint() {}
    TCanvas Canvas;
};

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    std::string WinClassName;  // a system class (BUTTON, EDIT, ...) or one of ours
    UINT WindowClassStyle = 0;
    bool SystemClass = false;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const noexcept { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    void RecreateWnd();

    const std::vector<TControl*>& Controls() const noexcept { return controls_; }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    void SetBounds(int left, int top, int width, int height) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetText(const std::string& text) override;
    void Invalidate() override;
    void Update();

    bool TabStop() const noexcept { return tabStop_; }
    void SetTabStop(bool v);
    bool Ctl3D() const noexcept { return ctl3D_; }
    void SetCtl3D(bool v);

    bool Focused() const;
    bool CanFocus() const;
    virtual void SetFocus();

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void WndProc(TMessage& message) override;
    // The control that owns a window of this process, or null.
    static TWinControl* FromHandle(HWND wnd) noexcept;
    // Dispatches one message to a control's WndProc; errors go to the
    // application's error handling.
    static LRESULT Dispatch(TWinControl* control, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    // WM_COMMAND / WM_NOTIFY that the parent received about this control.
    virtual void CommandNotify(WORD /*code*/) {}
    virtual LRESULT Notify(NMHDR* /*header*/) { return 0; }
    // Colours for a child system control (WM_CTLCOLOR*); null for the default.
    virtual HBRUSH ChildColor(HDC /*dc*/) { return nullptr; }
    void DefaultHandler(TMessage& message) override;
    void FontChanged() override;
    // The control under a client point among the windowless children.
    TGraphicControl* GraphicControlAt(POINT pt) const;
    void PaintGraphicControls(HDC dc);
    // Paints the client area of one of our own windows during WM_PAINT.
    virtual void PaintWindow(HDC dc);
    // Answers WM_ERASEBKGND by filling the client area with Color().
    void EraseWithColor(TMessage& message);
    void AlignControls();
    bool IsSystemClass() const noexcept { return systemClass_; }
    // Hands a mouse message to the windowless child it concerns (the one
    // holding the capture, else the one under the point); true when one took it.
    bool RouteMouseToGraphic(TMessage& message);

private:
    friend class TControl;
    static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void EnsureWindowClass(const TCreateParams& params);
    void Reflect(TMessage& message);

    HWND handle_ = nullptr;
    WNDPROC defWndProc_ = nullptr;
    std::vector<TControl*> controls_;
    bool tabStop_ = false;
    bool ctl3D_ = true;
    bool systemClass_ = false;
    bool settingBounds_ = false;
    int controlId_;
};

// A windowed control that paints itself on a canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);

protected:
    void PaintWindow(HDC dc) override;
    virtual void Paint() {}
    TCanvas Canvas;
};

// The control that currently receives the mouse while a button is held.
TControl* CaptureControl() noexcept;
void SetCaptureControl(TControl* control) noexcept;

// Routes an error raised while handling a message (defined by the application).
void ApplicationHandleException(TObject* sender) noexcept;
