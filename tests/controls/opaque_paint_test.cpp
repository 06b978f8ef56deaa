// TOpaquePaintBox on a real window: what it erases, what it paints, and the
// events a right double click raises.
#include "OpaquePaint.h"
#include "WinDriver.h"
#include "framework/Forms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace windriver;

namespace {

constexpr COLORREF kMarker = RGB(10, 200, 30);
constexpr RECT kArea{100, 100, 300, 250};

class PaintBoxOnForm : public ::testing::Test {
protected:
    PaintBoxOnForm() : form_(&app_), box_(&form_) {
        form_.SetBorderStyle(TFormBorderStyle::None);
        form_.SetColor(RGB(200, 0, 0));
        form_.SetBounds(kArea.left, kArea.top, kArea.right - kArea.left, kArea.bottom - kArea.top);
        box_.SetParent(&form_);
        box_.SetAlign(TAlign::Client);
    }

    // Marks the screen, then shows the form over the marked area and lets it paint.
    void ShowOverMarkedScreen() {
        {
            HDC screen = GetDC(nullptr);
            HBRUSH brush = CreateSolidBrush(kMarker);
            FillRect(screen, &kArea, brush);
            DeleteObject(brush);
            ReleaseDC(nullptr, screen);
        }
        form_.Show();
        Settle();
    }
    // Paints what is pending and gives the display server time to show it.
    void Settle() {
        UpdateWindow(form_.Handle());
        app_.ProcessMessages();
        GdiFlush();
        Sleep(150);
    }
    static COLORREF Middle() { return ScreenPixel((kArea.left + kArea.right) / 2, (kArea.top + kArea.bottom) / 2); }

    TApplication app_;
    TForm form_;
    TOpaquePaintBox box_;
};

TEST_F(PaintBoxOnForm, NewBoxDefaults) {
    TOpaquePaintBox fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 105);
    EXPECT_EQ(fresh.Height(), 105);
    EXPECT_EQ(fresh.Color(), clAppWorkSpace);
    EXPECT_FALSE(fresh.ParentColor());
    EXPECT_TRUE(fresh.Opaque());
    EXPECT_FALSE(fresh.TabStop());
}

// A new window's content starts black under this display server, so "what
// was there before" is the box's own earlier picture.
TEST_F(PaintBoxOnForm, OpaqueWithoutHandlerLeavesThePictureAsItWas) {
    box_.OnPaint = [&](TObject*) {
        box_.PaintCanvas().Brush.SetColor(static_cast<TColor>(kMarker));
        box_.PaintCanvas().FillRect(box_.ClientRect());
    };
    ShowOverMarkedScreen();
    ASSERT_EQ(Middle(), kMarker);
    box_.OnPaint = nullptr;
    box_.Invalidate();
    Settle();
    EXPECT_EQ(Middle(), kMarker);
}

TEST_F(PaintBoxOnForm, NotOpaqueErasesWithItsColour) {
    box_.SetOpaque(false);
    ShowOverMarkedScreen();
    EXPECT_EQ(Middle(), GetSysColor(COLOR_APPWORKSPACE));
}

TEST_F(PaintBoxOnForm, HandlerPaintsWithThePreparedCanvas) {
    box_.SetColor(RGB(0, 0, 250));
    COLORREF brushSeen = 0;
    box_.OnPaint = [&](TObject* sender) {
        EXPECT_EQ(sender, &box_);
        TCanvas& canvas = box_.PaintCanvas();
        brushSeen = ColorToRGB(canvas.Brush.Color());
        canvas.FillRect(box_.ClientRect());
    };
    ShowOverMarkedScreen();
    EXPECT_EQ(brushSeen, RGB(0, 0, 250));
    EXPECT_EQ(Middle(), RGB(0, 0, 250));
}

TEST_F(PaintBoxOnForm, DesignTimeErasesAndOutlinesBeforeTheHandler) {
    box_.SetDesigning(true);
    bool painted = false;
    box_.OnPaint = [&](TObject*) { painted = true; };
    ShowOverMarkedScreen();
    EXPECT_TRUE(painted);
    EXPECT_EQ(Middle(), GetSysColor(COLOR_APPWORKSPACE)) << "erased whatever Opaque says";
    EXPECT_EQ(ScreenPixel(kArea.left, kArea.top), RGB(0, 0, 0)) << "the dashed outline starts at the corner";
}

TEST_F(PaintBoxOnForm, RightDoubleClickRaisesMouseDownThenItsOwnEvent) {
    std::vector<std::string> events;
    box_.OnMouseDown = [&](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
        events.push_back(std::string(button == TMouseButton::Right ? "right" : "other") +
                         ((shift & ssDouble) ? " double" : "") + " at " + std::to_string(x) + "," +
                         std::to_string(y));
    };
    box_.OnRightDblClick = [&](TObject*) { events.push_back("right double click"); };
    box_.OnDblClick = [&](TObject*) { events.push_back("left double click"); };
    form_.Show();
    SendMessageA(box_.Handle(), WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 6));
    EXPECT_EQ(events, (std::vector<std::string>{"right double at 5,6", "right double click"}));

    events.clear();
    SendMessageA(box_.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(1, 2));
    EXPECT_EQ(events, (std::vector<std::string>{"left double click", "other double at 1,2"}));
}

TEST_F(PaintBoxOnForm, ItsWindowClassReceivesDoubleClicks) {
    form_.Show();
    EXPECT_TRUE(GetClassLongPtrA(box_.Handle(), GCL_STYLE) & CS_DBLCLKS);
}

}  // namespace
