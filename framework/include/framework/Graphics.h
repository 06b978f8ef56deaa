#pragma once
// Colours, fonts, pens, brushes and the canvas that draws with them.
#include "framework/Handles.h"

#include <cstdint>
#include <functional>
#include <string>

// A colour: 0x00BBGGRR, or 0x80000000 | a system colour index.
using TColor = std::int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clBlack = 0x00000000;

COLORREF ColorToRGB(TColor color) noexcept;

// A drawing attribute whose GDI object is made on demand and remade after a change.
class TGraphicsObject {
public:
    virtual ~TGraphicsObject() = default;
    // Called after every change, so that users can refresh what depends on it.
    std::function<void()> OnChange;

protected:
    void Changed();
    fw::GdiObject object_;
};

class TFont : public TGraphicsObject {
public:
    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string name);
    int Height() const noexcept { return height_; }
    void SetHeight(int height);
    BYTE Charset() const noexcept { return charset_; }
    void SetCharset(BYTE charset);
    TColor Color() const noexcept { return color_; }
    void SetColor(TColor color);
    void Assign(const TFont& other);
    HFONT Handle();

private:
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    BYTE charset_ = DEFAULT_CHARSET;
    TColor color_ = clWindowText;
};

enum class TPenStyle { Solid, Dash, Dot, Clear, InsideFrame };

class TPen : public TGraphicsObject {
public:
    TColor Color() const noexcept { return color_; }
    void SetColor(TColor color);
    int Width() const noexcept { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const noexcept { return style_; }
    void SetStyle(TPenStyle style);
    HPEN Handle();

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::Solid;
};

enum class TBrushStyle { Solid, Clear };

class TBrush : public TGraphicsObject {
public:
    TColor Color() const noexcept { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const noexcept { return style_; }
    void SetStyle(TBrushStyle style);
    HBRUSH Handle();

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::Solid;
};

// Draws on a device context that the owner lends it (for example during a
// paint). The pen, brush and font are selected when a drawing call needs
// them and deselected when the context is taken back.
class TCanvas {
public:
    TCanvas();
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    void SetHandle(HDC dc);
    HDC Handle() const noexcept { return dc_; }

    TPen Pen;
    TBrush Brush;
    TFont Font;

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void FillRect(const RECT& rect);
    void Rectangle(int left, int top, int right, int bottom);
    void DrawFocusRect(const RECT& rect);
    // DrawTextA with the canvas font and colour; the brush style decides
    // whether the text has a background.
    void DrawText(const std::string& text, RECT& rect, UINT format);

private:
    void RequirePen();
    void RequireBrush();
    void RequireFont();
    void Deselect();

    HDC dc_ = nullptr;
    HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr, oldFont_ = nullptr;
};
