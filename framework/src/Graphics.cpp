#include "framework/Graphics.h"

COLORREF ColorToRGB(TColor color) noexcept {
    if (color < 0) return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color);
}

void TGraphicsObject::Changed() {
    object_.reset();
    if (OnChange) OnChange();
}

void TFont::SetName(std::string name) {
    name_ = std::move(name);
    Changed();
}
void TFont::SetHeight(int height) {
    height_ = height;
    Changed();
}
void TFont::SetCharset(BYTE charset) {
    charset_ = charset;
    Changed();
}
void TFont::SetColor(TColor color) {
    color_ = color;
    if (OnChange) OnChange();
}
void TFont::Assign(const TFont& other) {
    name_ = other.name_;
    height_ = other.height_;
    charset_ = other.charset_;
    color_ = other.color_;
    Changed();
}
HFONT TFont::Handle() {
    if (!object_) {
        object_.reset(CreateFontA(height_, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset_, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, name_.c_str()));
    }
    return static_cast<HFONT>(object_.get());
}

void TPen::SetColor(TColor color) {
    color_ = color;
    Changed();
}
void TPen::SetWidth(int width) {
    width_ = width;
    Changed();
}
void TPen::SetStyle(TPenStyle style) {
    style_ = style;
    Changed();
}
HPEN TPen::Handle() {
    if (!object_) {
        static constexpr int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_NULL, PS_INSIDEFRAME};
        object_.reset(CreatePen(kStyles[static_cast<int>(style_)], width_, ColorToRGB(color_)));
    }
    return static_cast<HPEN>(object_.get());
}

void TBrush::SetColor(TColor color) {
    color_ = color;
    style_ = TBrushStyle::Solid;
    Changed();
}
void TBrush::SetStyle(TBrushStyle style) {
    style_ = style;
    Changed();
}
HBRUSH TBrush::Handle() {
    if (!object_) {
        object_.reset(style_ == TBrushStyle::Clear ? GetStockObject(NULL_BRUSH)
                                                   : CreateSolidBrush(ColorToRGB(color_)));
    }
    return static_cast<HBRUSH>(object_.get());
}

TCanvas::TCanvas() {
    // A changed attribute is selected again at its next use.
    Pen.OnChange = [this] {
        if (dc_ && oldPen_) SelectObject(dc_, std::exchange(oldPen_, nullptr));
    };
    Brush.OnChange = [this] {
        if (dc_ && oldBrush_) SelectObject(dc_, std::exchange(oldBrush_, nullptr));
    };
    Font.OnChange = [this] {
        if (dc_ && oldFont_) SelectObject(dc_, std::exchange(oldFont_, nullptr));
    };
}

TCanvas::~TCanvas() { Deselect(); }

void TCanvas::SetHandle(HDC dc) {
    Deselect();
    dc_ = dc;
}

void TCanvas::Deselect() {
    if (!dc_) return;
    if (oldPen_) SelectObject(dc_, std::exchange(oldPen_, nullptr));
    if (oldBrush_) SelectObject(dc_, std::exchange(oldBrush_, nullptr));
    if (oldFont_) SelectObject(dc_, std::exchange(oldFont_, nullptr));
}

void TCanvas::RequirePen() {
    if (!oldPen_) oldPen_ = SelectObject(dc_, Pen.Handle());
}
void TCanvas::RequireBrush() {
    if (!oldBrush_) oldBrush_ = SelectObject(dc_, Brush.Handle());
    SetBkColor(dc_, ColorToRGB(Brush.Color()));
    SetBkMode(dc_, Brush.Style() == TBrushStyle::Clear ? TRANSPARENT : OPAQUE);
}
void TCanvas::RequireFont() {
    if (!oldFont_) oldFont_ = SelectObject(dc_, Font.Handle());
    SetTextColor(dc_, ColorToRGB(Font.Color()));
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
    RequirePen();
    ::LineTo(dc_, x, y);
}

void TCanvas::FillRect(const RECT& rect) {
    RequireBrush();
    ::FillRect(dc_, &rect, Brush.Handle());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    RequirePen();
    RequireBrush();
    ::Rectangle(dc_, left, top, right, bottom);
}

void TCanvas::DrawFocusRect(const RECT& rect) {
    RequireBrush();
    ::DrawFocusRect(dc_, &rect);
}

void TCanvas::DrawText(const std::string& text, RECT& rect, UINT format) {
    RequireFont();
    RequireBrush();
    ::DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), &rect, format);
}
