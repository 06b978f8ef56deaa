// The browse box on a real window under Wine: real mouse and keyboard input
// through SendInput, and the pixels it paints.
#include "DashBox.h"
#include "WinDriver.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace windriver;

namespace {

constexpr int kButtonWidth = 15;

class DashBoxOnForm : public ::testing::Test {
public:
    DashBoxOnForm() : form_(&app_), box_(&form_), other_(&form_) {
        form_.SetBorderStyle(TFormBorderStyle::None);
        form_.SetBounds(100, 100, 320, 120);
        box_.SetParent(&form_);
        box_.SetBounds(10, 10, 200, 25);
        other_.SetParent(&form_);
        other_.SetBounds(10, 60, 75, 25);
        box_.OnClick = [this](TObject* sender) {
            EXPECT_EQ(sender, &box_);
            events_.push_back("click");
        };
        box_.OnKeyDown = [this](TObject*, WORD& key, TShiftState) { events_.push_back("key " + std::to_string(key)); };
    }

    void Show() {
        form_.Show();
        Pump();
    }
    // Lets the queued input and paints run.
    void Pump() {
        for (int i = 0; i < 4; ++i) {
            app_.ProcessMessages();
            Sleep(15);
        }
        app_.ProcessMessages();
    }

    // Box client coordinates of points on the text area and on the dots.
    POINT OnText() { return {20, box_.ClientHeight() / 2}; }
    POINT OnDots() { return {box_.ClientWidth() - kButtonWidth / 2 - 1, box_.ClientHeight() / 2}; }
    POINT OutsideBox() { return {box_.ClientWidth() + 30, box_.ClientHeight() + 30}; }

    void MoveTo(POINT client) {
        POINT screen = client;
        ClientToScreen(box_.Handle(), &screen);
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = (screen.x * 65536 + w - 1) / w;
        in.mi.dy = (screen.y * 65536 + h - 1) / h;
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &in, sizeof in);
        Pump();
        POINT at{};
        GetCursorPos(&at);
        ASSERT_EQ(at.x, screen.x);
        ASSERT_EQ(at.y, screen.y);
    }
    void Button(DWORD flags) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = flags;
        SendInput(1, &in, sizeof in);
        Pump();
    }
    void LeftDown() { Button(MOUSEEVENTF_LEFTDOWN); }
    void LeftUp() { Button(MOUSEEVENTF_LEFTUP); }
    void LeftClick() {
        LeftDown();
        LeftUp();
    }
    void Key(WORD vk) {
        TypeKey(vk);
        Pump();
    }
    int Clicks() const { return static_cast<int>(std::count(events_.begin(), events_.end(), "click")); }

    // A pixel of the box's client area as painted (the dots button included).
    COLORREF Pixel(int x, int y) {
        fw::WindowDC dc(box_.Handle());
        return GetPixel(dc.get(), x, y);
    }
    COLORREF ButtonPixel(int x, int y) { return Pixel(box_.ClientWidth() - kButtonWidth + x, y); }
    // Columns of a client rectangle that hold at least one pixel of `color`.
    std::vector<int> InkColumns(const RECT& r, COLORREF color) {
        std::vector<int> columns;
        for (int x = r.left; x < r.right; ++x)
            for (int y = r.top; y < r.bottom; ++y)
                if (Pixel(x, y) == color) {
                    columns.push_back(x);
                    break;
                }
        return columns;
    }
    RECT TextRect() { return {2, 2, box_.ClientWidth() - kButtonWidth - 2, box_.ClientHeight() - 2}; }

    TApplication app_;
    TForm form_;
    TDashBox box_;
    TButton other_;
    std::vector<std::string> events_;
};

struct GestureCase {
    const char* name;
    std::function<void(DashBoxOnForm&)> gesture;
    int clicks;
};

void PrintTo(const GestureCase& c, std::ostream* os) { *os << c.name; }

class DashBoxGesture : public DashBoxOnForm, public ::testing::WithParamInterface<GestureCase> {};

TEST_P(DashBoxGesture, RaisesOnClickOncePerActivation) {
    Show();
    GetParam().gesture(*this);
    EXPECT_EQ(Clicks(), GetParam().clicks);
    EXPECT_FALSE(box_.DashButton().Pressed());
}

INSTANTIATE_TEST_SUITE_P(
    Mouse, DashBoxGesture,
    ::testing::Values(
        GestureCase{"SingleClickOnText",
                    [](DashBoxOnForm& t) {
                        t.MoveTo(t.OnText());
                        t.LeftClick();
                        EXPECT_TRUE(t.box_.Focused()) << "a click on the text focuses the box";
                    },
                    0},
        GestureCase{"DoubleClickOnText",
                    [](DashBoxOnForm& t) {
                        t.MoveTo(t.OnText());
                        t.LeftClick();
                        t.LeftClick();
                    },
                    1},
        GestureCase{"ClickOnDots",
                    [](DashBoxOnForm& t) {
                        t.MoveTo(t.OnDots());
                        t.LeftClick();
                        EXPECT_TRUE(t.box_.Focused()) << "pressing the dots focuses the box";
                    },
                    1},
        GestureCase{"DoubleClickOnDotsIsTwoPresses",
                    [](DashBoxOnForm& t) {
                        t.MoveTo(t.OnDots());
                        t.LeftClick();
                        t.LeftClick();
                    },
                    2},
        GestureCase{"PressOnDotsDragOutRelease",
                    [](DashBoxOnForm& t) {
                        t.MoveTo(t.OnDots());
                        t.LeftDown();
                        EXPECT_TRUE(t.box_.DashButton().Pressed());
                        t.MoveTo(t.OutsideBox());
                        EXPECT_FALSE(t.box_.DashButton().Pressed()) << "raised again once the pointer left";
                        t.LeftUp();
                    },
                    0},
        GestureCase{"PressOnDotsDragOutAndBackRelease",
                    [](DashBoxOnForm& t) {
                        t.MoveTo(t.OnDots());
                        t.LeftDown();
                        t.MoveTo(t.OnText());
                        EXPECT_FALSE(t.box_.DashButton().Pressed());
                        t.MoveTo(t.OnDots());
                        EXPECT_TRUE(t.box_.DashButton().Pressed());
                        t.LeftUp();
                    },
                    1},
        GestureCase{"PressOnTextReleaseOnDots",
                    [](DashBoxOnForm& t) {
                        t.MoveTo(t.OnText());
                        t.LeftDown();
                        t.MoveTo(t.OnDots());
                        t.LeftUp();
                    },
                    0},
        GestureCase{"RightAndMiddleClicks",
                    [](DashBoxOnForm& t) {
                        for (POINT at : {t.OnText(), t.OnDots()}) {
                            t.MoveTo(at);
                            for (DWORD down : {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN}) {
                                const DWORD up = down == MOUSEEVENTF_RIGHTDOWN ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_MIDDLEUP;
                                for (int i = 0; i < 2; ++i) {
                                    t.Button(down);
                                    t.Button(up);
                                }
                            }
                        }
                    },
                    0}),
    [](const auto& info) { return info.param.name; });

TEST_F(DashBoxOnForm, SpaceRaisesOnClickBeforeOnKeyDown) {
    Show();
    box_.SetFocus();
    Key(VK_SPACE);
    EXPECT_EQ(events_, (std::vector<std::string>{"click", "key 32"}));
}

TEST_F(DashBoxOnForm, SpaceWhileTheDotsAreHeldIsOnlyAKey) {
    Show();
    MoveTo(OnDots());
    LeftDown();
    Key(VK_SPACE);
    LeftUp();
    EXPECT_EQ(events_, (std::vector<std::string>{"key 32", "click"}));
}

TEST_F(DashBoxOnForm, ArrowKeysStayInTheBoxAndTabLeavesIt) {
    Show();
    box_.SetFocus();
    for (WORD vk : {VK_DOWN, VK_RIGHT, VK_UP, VK_LEFT}) {
        Key(vk);
        EXPECT_TRUE(box_.Focused()) << vk;
    }
    EXPECT_EQ(events_, (std::vector<std::string>{"key 40", "key 39", "key 38", "key 37"}));
    Key(VK_TAB);
    EXPECT_TRUE(other_.Focused());
}

int FontTextHeight(TFont& font) {
    fw::WindowDC screen(nullptr);
    fw::SelectGuard select(screen.get(), font.Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(screen.get(), &tm);
    return tm.tmHeight;
}

TEST_F(DashBoxOnForm, HeightFollowsTheFontWhenTheWindowIsMade) {
    box_.Font.SetHeight(-20);
    box_.SetHeight(60);
    Show();
    const int border = GetSystemMetrics(SM_CYBORDER);
    EXPECT_EQ(box_.Height(), FontTextHeight(box_.Font) + 8 * border);
    EXPECT_TRUE(box_.ControlStyle() & csFixedHeight);
    EXPECT_TRUE(GetWindowLongPtrA(box_.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    box_.SetCtl3D(false);
    EXPECT_EQ(box_.Height(), FontTextHeight(box_.Font) + 6 * border);
    EXPECT_FALSE(GetWindowLongPtrA(box_.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongPtrA(box_.Handle(), GWL_STYLE) & WS_BORDER);
}

TEST_F(DashBoxOnForm, ButtonFillsTheRightEdgeEvenWhenTheWindowNeedsNoResize) {
    box_.SetAutoSize(false);
    box_.SetAutoSize(true);  // fitted before the window exists
    Show();
    const RECT expected{box_.ClientWidth() - kButtonWidth, 0, box_.ClientWidth(), box_.ClientHeight()};
    const RECT actual = box_.DashButton().BoundsRect();
    EXPECT_TRUE(EqualRect(&expected, &actual));
}

TEST_F(DashBoxOnForm, AFontChangeRefitsOnlyAtTheNextTrigger) {
    Show();
    const int border = GetSystemMetrics(SM_CYBORDER);
    box_.Font.SetHeight(-24);
    const int before = box_.Height();
    EXPECT_NE(before, FontTextHeight(box_.Font) + 8 * border);
    box_.SetAutoSize(false);
    box_.SetAutoSize(true);
    EXPECT_EQ(box_.Height(), FontTextHeight(box_.Font) + 8 * border);
}

TEST_F(DashBoxOnForm, HeightIsFreeWithoutAutoSizeOrWithoutBorder) {
    Show();
    const int fitted = box_.Height();
    box_.SetAutoSize(false);
    EXPECT_FALSE(box_.ControlStyle() & csFixedHeight);
    box_.SetHeight(40);
    EXPECT_EQ(box_.Height(), 40);
    box_.SetAutoSize(true);
    EXPECT_EQ(box_.Height(), fitted);

    box_.SetBorderStyle(bsNone);
    EXPECT_FALSE(GetWindowLongPtrA(box_.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    box_.SetHeight(40);
    EXPECT_EQ(box_.Height(), 40);
    EXPECT_EQ(box_.DashButton().Height(), 40) << "the button spans the client height";
    EXPECT_EQ(box_.DashButton().Left(), box_.ClientWidth() - kButtonWidth);
    box_.SetBorderStyle(bsSingle);
    EXPECT_EQ(box_.Height(), fitted);
    EXPECT_TRUE(GetWindowLongPtrA(box_.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

// The pixels of one colour inside the button's edge, as (x, y) pairs.
std::vector<std::pair<int, int>> DotPixels(DashBoxOnForm& t, COLORREF color) {
    std::vector<std::pair<int, int>> found;
    for (int y = 2; y < t.box_.ClientHeight() - 2; ++y)
        for (int x = 2; x < kButtonWidth - 2; ++x)
            if (t.ButtonPixel(x, y) == color) found.emplace_back(x, y);
    return found;
}

// Three 2x2 squares, 3 pixels apart, the first with its top-left corner at (x, y).
std::vector<std::pair<int, int>> ThreeDots(int x, int y) {
    std::vector<std::pair<int, int>> dots;
    for (int dy = 0; dy < 2; ++dy)
        for (int dot = 0; dot < 3; ++dot)
            for (int dx = 0; dx < 2; ++dx) dots.emplace_back(x + 3 * dot + dx, y + dy);
    std::sort(dots.begin(), dots.end());
    return dots;
}

std::vector<std::pair<int, int>> Sorted(std::vector<std::pair<int, int>> v) {
    std::sort(v.begin(), v.end());
    return v;
}

class DashBoxPaint : public DashBoxOnForm {
public:
    DashBoxPaint() { box_.SetText("Folder"); }
    void ShowUnfocused() {
        Show();
        other_.SetFocus();
        Pump();
    }
};

TEST_F(DashBoxPaint, TextAreaIsWindowColouredWithTheTextInWindowText) {
    ShowUnfocused();
    const COLORREF window = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_WINDOWTEXT);
    const RECT r = TextRect();
    EXPECT_EQ(Pixel(0, 0), window);
    EXPECT_EQ(Pixel(1, 1), window) << "no highlight without the focus";
    EXPECT_EQ(Pixel(r.right, r.bottom), window);
    const auto ink = InkColumns(r, text);
    ASSERT_FALSE(ink.empty());
    EXPECT_LE(ink.front(), r.left + 2) << "the text starts at the left of the area";
}

TEST_F(DashBoxPaint, FocusHighlightsTheInnerAreaAndItsText) {
    Show();
    box_.SetFocus();
    Pump();
    const COLORREF window = GetSysColor(COLOR_WINDOW), highlight = GetSysColor(COLOR_HIGHLIGHT);
    const RECT r = TextRect();
    EXPECT_EQ(Pixel(0, 0), window) << "a one-pixel frame of the box colour stays";
    EXPECT_EQ(Pixel(r.right - 1, r.bottom - 1), highlight);
    EXPECT_FALSE(InkColumns(r, GetSysColor(COLOR_HIGHLIGHTTEXT)).empty());
    EXPECT_TRUE(InkColumns(r, GetSysColor(COLOR_WINDOWTEXT)).empty());
    // The focus rectangle's dotted line runs on the ring just inside the frame.
    int dotted = 0;
    for (int x = 1; x < r.right + 1; ++x) dotted += Pixel(x, 1) != highlight;
    EXPECT_GT(dotted, 0);

    other_.SetFocus();
    Pump();
    EXPECT_EQ(Pixel(r.right - 1, r.bottom - 1), window) << "the highlight goes with the focus";
}

TEST_F(DashBoxPaint, AmpersandsAreShownAsThemselves) {
    box_.SetText("&&&&");
    ShowUnfocused();
    const auto ink = InkColumns(TextRect(), GetSysColor(COLOR_WINDOWTEXT));
    ASSERT_FALSE(ink.empty());
    SIZE three{}, four{};
    {
        fw::WindowDC dc(box_.Handle());
        fw::SelectGuard font(dc.get(), box_.Font.Handle());
        GetTextExtentPoint32A(dc.get(), "&&&", 3, &three);
        GetTextExtentPoint32A(dc.get(), "&&&&", 4, &four);
    }
    EXPECT_GT(ink.back() - ink.front() + 1, three.cx) << "four ampersands, none taken as a prefix";
    EXPECT_LE(ink.back() - ink.front() + 1, four.cx);
}

TEST_F(DashBoxPaint, LongTextIsCutAtTheInnerEdgeAndSparesTheButton) {
    box_.SetText("");
    ShowUnfocused();
    std::vector<COLORREF> strip;
    for (int y = 0; y < box_.ClientHeight(); ++y)
        for (int x = 0; x < kButtonWidth; ++x) strip.push_back(ButtonPixel(x, y));

    box_.SetText(std::string(80, 'W'));
    Pump();
    const RECT r = TextRect();
    const auto ink = InkColumns({r.left, r.top, box_.ClientWidth() - kButtonWidth, r.bottom}, GetSysColor(COLOR_WINDOWTEXT));
    ASSERT_FALSE(ink.empty());
    EXPECT_LT(ink.back(), r.right) << "nothing drawn past the inner edge";
    EXPECT_GE(ink.back(), r.right - 12) << "the text runs up to that edge";
    std::vector<COLORREF> after;
    for (int y = 0; y < box_.ClientHeight(); ++y)
        for (int x = 0; x < kButtonWidth; ++x) after.push_back(ButtonPixel(x, y));
    EXPECT_EQ(after, strip) << "the button is left as it was";
}

TEST_F(DashBoxPaint, ButtonIsRaisedWithThreeDotsAndFlatWhilePressed) {
    ShowUnfocused();
    const int h = box_.ClientHeight();
    const COLORREF dots = GetSysColor(COLOR_BTNTEXT);
    EXPECT_EQ(ButtonPixel(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT)) << "raised: light top-left";
    EXPECT_EQ(ButtonPixel(kButtonWidth - 2, h - 2), GetSysColor(COLOR_BTNSHADOW)) << "raised: dark bottom-right";
    EXPECT_EQ(ButtonPixel(kButtonWidth - 1, h - 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(ButtonPixel(kButtonWidth - 3, 3), GetSysColor(COLOR_BTNFACE));
    // Interior (2, 2)-(13, h-2) moved up and left by one: centre ((1+12)/2, (1+h-3)/2).
    const int cy = (1 + h - 3) / 2;
    EXPECT_EQ(Sorted(DotPixels(*this, dots)), ThreeDots(6 - 3, cy));

    MoveTo(OnDots());
    LeftDown();
    EXPECT_NE(ButtonPixel(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT)) << "pressed: flat";
    EXPECT_EQ(Sorted(DotPixels(*this, dots)), ThreeDots(6 - 3 + 1, cy + 1)) << "one pixel right and down";
    MoveTo(OutsideBox());
    EXPECT_EQ(ButtonPixel(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT)) << "raised again outside";
    LeftUp();
}

TEST_F(DashBoxPaint, DisabledTextAndDotsAreGreyExceptAtDesignTime) {
    ShowUnfocused();
    const int cy = (1 + box_.ClientHeight() - 3) / 2;
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT), normal = GetSysColor(COLOR_WINDOWTEXT);
    box_.SetEnabled(false);
    Pump();
    EXPECT_FALSE(InkColumns(TextRect(), grey).empty());
    EXPECT_TRUE(InkColumns(TextRect(), normal).empty());
    EXPECT_EQ(Sorted(DotPixels(*this, grey)), ThreeDots(3, cy));

    box_.SetDesigning(true);
    box_.DashButton().SetDesigning(true);
    box_.Invalidate();
    Pump();
    EXPECT_TRUE(InkColumns(TextRect(), grey).empty());
    EXPECT_FALSE(InkColumns(TextRect(), normal).empty());
    EXPECT_EQ(Sorted(DotPixels(*this, GetSysColor(COLOR_BTNTEXT))), ThreeDots(3, cy));
}

TEST(DashBox, NewBoxDefaults) {
    TDashBox box(nullptr);
    EXPECT_EQ(box.Width(), 121);
    EXPECT_EQ(box.Height(), 25);
    EXPECT_TRUE(box.AutoSize());
    EXPECT_EQ(box.BorderStyle(), bsSingle);
    EXPECT_TRUE(box.TabStop());
    EXPECT_EQ(box.Color(), clWindow);
    EXPECT_FALSE(box.ParentColor());
    EXPECT_EQ(box.Text(), "");
    EXPECT_FALSE(box.ControlStyle() & csSetCaption);
    EXPECT_EQ(box.DashButton().Parent(), &box);
    EXPECT_EQ(box.DashButton().Width(), 15);
    EXPECT_EQ(box.DashButton().ControlStyle(), static_cast<TControlStyle>(csCaptureMouse));
}

}  // namespace
