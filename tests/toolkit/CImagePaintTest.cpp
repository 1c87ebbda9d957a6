#include <gtest/gtest.h>

#include <strsafe.h>

#include <memory>
#include <utility>
#include <vector>

#include "app/CAppManager.h"
#include "support/PixelSupport.h"
#include "support/TestSupport.h"
#include "toolkit/CImagePaint.h"
#include "toolkit/CSanDC.h"
#include "toolkit/CWindowCtrl.h"
#include "toolkit/ImageHelpers.h"
#include "toolkit/MouseInput.h"

using namespace Gdiplus::DllExports;
using testsupport::Pixels;
using testsupport::PumpMessages;
using testsupport::PumpUntil;
using testsupport::ScopedManager;

namespace {

const auto* const gdiplusSession = ::testing::AddGlobalTestEnvironment(new testsupport::GdiplusEnvironment);

// A plain window whose painter gets every message, with the painter's events recorded.
class PaintHost : public CWindowCtrl {
public:
    PaintHost() {
        paint.onButtonDown = [this](CImageButton* b) { return Record(downs, b, downResult); };
        paint.onButtonClick = [this](CImageButton* b) { return Record(clicks, b, clickResult); };
        paint.onButtonHover = [this](CImageButton* b) { return Record(hovers, b, hoverResult); };
        paint.onButtonRDown = [this](CImageButton* b) { return Record(rightDowns, b, rightDownResult); };
        paint.onButtonRClick = [this](CImageButton* b) { return Record(rightClicks, b, rightClickResult); };
        paint.onDrawBackground = [this](Gdiplus::GpGraphics*) { ++passes; };
    }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NCCREATE)
            paint.hwnd = hwnd;
        if (msg == WM_NCLBUTTONDOWN && wParam == HTCAPTION) {
            // Recorded instead of entering the system's move loop.
            drags.push_back(lParam);
            return 1;
        }
        return paint.HandleMessage(msg, wParam, lParam) ? 1 : 0;
    }
    bool Record(std::vector<UINT>& log, CImageButton* button, bool result) {
        log.push_back(button ? button->id : 0);
        return result;
    }

    CImagePaint paint;
    std::vector<UINT> downs, clicks, hovers, rightDowns, rightClicks;
    std::vector<LPARAM> drags;
    bool downResult = true;
    bool clickResult = true;
    bool hoverResult = true;
    bool rightDownResult = true;
    bool rightClickResult = true;
    int passes = 0;
};

RECT Rect(int l, int t, int r, int b) {
    return RECT{l, t, r, b};
}

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

// The window's pending update region equals exactly these rectangles.
::testing::AssertionResult UpdateRegionIs(HWND window, std::initializer_list<RECT> rects) {
    HRGN pending = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetUpdateRgn(window, pending, FALSE);
    HRGN expected = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : rects) {
        HRGN part = CreateRectRgnIndirect(&r);
        CombineRgn(expected, expected, part, RGN_OR);
        DeleteObject(part);
    }
    const bool same = (kind == NULLREGION && rects.size() == 0) || EqualRgn(pending, expected);
    RECT box = {};
    GetRgnBox(pending, &box);
    DeleteObject(pending);
    DeleteObject(expected);
    if (same)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "update region kind " << kind << " box " << box.left << ","
                                         << box.top << "," << box.right << "," << box.bottom;
}

class PainterTest : public ::testing::Test {
protected:
    PainterTest() : scope(manager) {}
    ~PainterTest() override {
        if (host.hwnd)
            DestroyWindow(host.hwnd);
    }

    HWND Open(int width = 400, int height = 200, bool visible = true) {
        HWND window = host.CreateAt(0, L"PaintHost", L"", WS_POPUP, 60, 60, width, height, nullptr);
        if (window && visible)
            mouseinput::ShowQuietly(window);
        PumpMessages(30);
        return window;
    }
    // Everything painted and nothing pending, so that later invalidations stand alone.
    void Settle() {
        UpdateWindow(host.hwnd);
        PumpMessages(20);
        ValidateRect(host.hwnd, nullptr);
    }

    CAppManager manager;
    ScopedManager scope;
    PaintHost host;
};

TEST_F(PainterTest, InitialState) {
    CImagePaint& p = host.paint;
    EXPECT_EQ(p.mouseX, -1);
    EXPECT_EQ(p.mouseY, 0);
    EXPECT_TRUE(p.fillBackground);
    EXPECT_EQ(p.backgroundColor, 0xFFFAFAFAu);
    EXPECT_EQ(p.layeredAlpha, 255);
    EXPECT_FALSE(p.layered);
    EXPECT_FALSE(p.draggable);
    EXPECT_FALSE(p.backgroundBrush);
    EXPECT_EQ(p.hotButton, nullptr);
}

TEST_F(PainterTest, CreationMakesTheBackgroundBrushUnlessTransparent) {
    ASSERT_NE(Open(), nullptr);
    EXPECT_TRUE(host.paint.backgroundBrush);
    DestroyWindow(host.hwnd);
    EXPECT_FALSE(host.paint.backgroundBrush);

    host.paint.backgroundColor = 0x00FFFFFF;
    ASSERT_NE(Open(), nullptr);
    EXPECT_FALSE(host.paint.backgroundBrush);
    host.paint.SetBackgroundColor(0xFF102030);
    EXPECT_TRUE(host.paint.backgroundBrush);
    EXPECT_TRUE(host.paint.fillBackground);
    EXPECT_EQ(host.paint.backgroundColor, 0x00FFFFFFu);
}

TEST_F(PainterTest, HoverChangeInvalidatesOnlyTheTwoButtons) {
    ASSERT_NE(Open(), nullptr);
    CImageButton* a = host.paint.AddButton(1, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    CImageButton* b = host.paint.AddButton(2, 0, 211, 212, 156, 0, Rect(200, 100, 225, 125));
    Settle();

    mouseinput::Move(host.hwnd, 20, 20);
    EXPECT_EQ(host.paint.hotButton, a);
    EXPECT_TRUE(host.paint.tracking);
    EXPECT_TRUE(UpdateRegionIs(host.hwnd, {a->rect}));
    ValidateRect(host.hwnd, nullptr);

    mouseinput::Move(host.hwnd, 210, 110);
    EXPECT_EQ(host.paint.hotButton, b);
    EXPECT_TRUE(UpdateRegionIs(host.hwnd, {a->rect, b->rect}));
    EXPECT_EQ(host.hovers, (std::vector<UINT>{1, 2}));
    ValidateRect(host.hwnd, nullptr);

    // Off every button: only the old one is repainted.
    mouseinput::Move(host.hwnd, 100, 150);
    EXPECT_EQ(host.paint.hotButton, nullptr);
    EXPECT_TRUE(UpdateRegionIs(host.hwnd, {b->rect}));
    EXPECT_EQ(host.paint.mouseX, 100);
    EXPECT_EQ(host.paint.mouseY, 150);
}

TEST_F(PainterTest, MovingInsideTheHotButtonRepaintsNothing) {
    ASSERT_NE(Open(), nullptr);
    host.paint.AddButton(1, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    mouseinput::Move(host.hwnd, 20, 20);
    Settle();
    const size_t hovers = host.hovers.size();
    for (POINT p : {POINT{21, 20}, POINT{34, 34}, POINT{10, 10}}) {
        mouseinput::Move(host.hwnd, p.x, p.y);
        EXPECT_TRUE(UpdateRegionIs(host.hwnd, {}));
    }
    EXPECT_EQ(host.hovers.size(), hovers);
}

TEST_F(PainterTest, InertAndHiddenButtonsNeverBecomeHot) {
    ASSERT_NE(Open(), nullptr);
    struct Case {
        UINT id;
        bool visible;
        bool hot;
    };
    const Case cases[] = {{99, true, true},   {100, true, false}, {175, true, false},
                          {250, true, false}, {251, true, true},  {7, false, false}};
    for (const Case& c : cases) {
        CImageButton* button = host.paint.AddButton(c.id, 0, 209, 210, 152, 0, Rect(50, 50, 75, 75));
        button->visible = c.visible;
        Settle();
        mouseinput::Move(host.hwnd, 60, 60);
        EXPECT_EQ(host.paint.hotButton != nullptr, c.hot) << c.id;
        mouseinput::Down(host.hwnd, 60, 60);
        mouseinput::Up(host.hwnd, 60, 60);
        EXPECT_EQ(!host.clicks.empty(), c.hot) << c.id;
        if (!c.hot) {
            EXPECT_FALSE(host.paint.leftPressed) << c.id;
        }
        host.clicks.clear();
        mouseinput::Move(host.hwnd, 200, 150);
        host.paint.RemoveButton(c.id);
    }
}

TEST_F(PainterTest, PressDragOffAndReleaseOutsideDoesNotClick) {
    ASSERT_NE(Open(), nullptr);
    CImageButton* button = host.paint.AddButton(5, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    mouseinput::Move(host.hwnd, 20, 20);
    mouseinput::Down(host.hwnd, 20, 20);
    EXPECT_TRUE(host.paint.leftPressed);
    EXPECT_TRUE(host.paint.captured);
    EXPECT_EQ(GetCapture(), host.hwnd);
    EXPECT_TRUE(SameRect(host.paint.pressedRect, button->rect));
    EXPECT_EQ(host.downs, (std::vector<UINT>{5}));

    // While held, the hot button stays even off its rectangle.
    mouseinput::Move(host.hwnd, 150, 150);
    EXPECT_EQ(host.paint.hotButton, button);
    mouseinput::Up(host.hwnd, 150, 150);
    EXPECT_TRUE(host.clicks.empty());
    EXPECT_EQ(host.paint.hotButton, nullptr);
    EXPECT_EQ(host.paint.mouseX, -1);
    EXPECT_FALSE(host.paint.leftPressed);
    EXPECT_FALSE(host.paint.captured);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(SameRect(host.paint.pressedRect, Rect(-1, -1, -1, -1)));
}

TEST_F(PainterTest, PressDragOffAndBackInsideClicks) {
    ASSERT_NE(Open(), nullptr);
    host.paint.AddButton(5, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    mouseinput::Move(host.hwnd, 20, 20);
    mouseinput::Down(host.hwnd, 20, 20);
    mouseinput::Move(host.hwnd, 150, 150);
    mouseinput::Move(host.hwnd, 30, 30);
    mouseinput::Up(host.hwnd, 30, 30);
    EXPECT_EQ(host.clicks, (std::vector<UINT>{5}));
    EXPECT_NE(host.paint.hotButton, nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(PainterTest, CaptionBandDragsAtY40AndNotAt41) {
    ASSERT_NE(Open(), nullptr);
    host.paint.AddButton(5, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    struct Case {
        bool draggable;
        POINT press;
        bool drags;
    };
    const Case cases[] = {
        {true, {100, 40}, true},   {true, {100, 41}, false}, {true, {100, 0}, true},
        {false, {100, 20}, false}, {true, {20, 20}, false}, // on a button
    };
    for (const Case& c : cases) {
        host.paint.draggable = c.draggable;
        host.drags.clear();
        mouseinput::Move(host.hwnd, c.press.x, c.press.y);
        mouseinput::Down(host.hwnd, c.press.x, c.press.y);
        PumpMessages(20);
        mouseinput::Up(host.hwnd, c.press.x, c.press.y);
        ASSERT_EQ(host.drags.size(), c.drags ? 1u : 0u) << c.press.x << "," << c.press.y;
        if (c.drags) {
            EXPECT_EQ(host.drags.front(), mouseinput::At(c.press.x, c.press.y));
        }
    }
}

TEST_F(PainterTest, ExplicitCaptionRectDragsAnywhereInIt) {
    ASSERT_NE(Open(), nullptr);
    host.paint.draggable = true;
    host.paint.captionRect = Rect(0, 0, 400, 200);
    mouseinput::Move(host.hwnd, 300, 150);
    mouseinput::Down(host.hwnd, 300, 150);
    PumpMessages(20);
    EXPECT_EQ(host.drags.size(), 1u);
    host.paint.captionRect = Rect(0, 100, 400, 120);
    host.drags.clear();
    mouseinput::Down(host.hwnd, 300, 20);
    PumpMessages(20);
    EXPECT_TRUE(host.drags.empty());
}

TEST_F(PainterTest, DoubleClickInTheBandTogglesMaximiseWithBothButtons) {
    ASSERT_NE(Open(), nullptr);
    host.paint.draggable = true;
    SendMessageW(host.hwnd, WM_LBUTTONDBLCLK, 0, mouseinput::At(100, 40));
    EXPECT_FALSE(IsZoomed(host.hwnd)); // no maximise and restore buttons

    CImageButton* maximize = host.paint.AddButton(30, 0, 211, 212, 156, 0, Rect(300, 5, 325, 30));
    CImageButton* restore = host.paint.AddButton(40, 0, 215, 216, 158, 0, Rect(300, 5, 325, 30));
    SendMessageW(host.hwnd, WM_LBUTTONDBLCLK, 0, mouseinput::At(100, 41));
    EXPECT_FALSE(IsZoomed(host.hwnd));
    SendMessageW(host.hwnd, WM_LBUTTONDBLCLK, 0, mouseinput::At(100, 40));
    EXPECT_TRUE(IsZoomed(host.hwnd));
    EXPECT_FALSE(maximize->visible);
    EXPECT_TRUE(restore->visible);
    SendMessageW(host.hwnd, WM_LBUTTONDBLCLK, 0, mouseinput::At(100, 40));
    EXPECT_FALSE(IsZoomed(host.hwnd));
    EXPECT_TRUE(maximize->visible);
    EXPECT_FALSE(restore->visible);
}

TEST_F(PainterTest, CloseButtonDestroysTheWindowAndTouchesNothingAfterwards) {
    HWND other =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 600, 400, 50, 50, nullptr, nullptr, nullptr, nullptr);
    mouseinput::ShowQuietly(other);
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    host.paint.AddButton(10, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    host.paint.AddStatic(145, 1, false, Rect(0, 0, 400, 200));
    mouseinput::Move(window, 20, 20);
    mouseinput::Down(window, 20, 20);
    UpdateWindow(other);
    ValidateRect(other, nullptr);
    // Handled at once: the painter stops, its window and elements are gone.
    EXPECT_EQ(mouseinput::Up(window, 20, 20), 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(host.clicks, (std::vector<UINT>{10}));
    EXPECT_EQ(host.paint.hwnd, nullptr);
    EXPECT_TRUE(host.paint.buttons.empty());
    EXPECT_TRUE(host.paint.statics.empty());
    EXPECT_EQ(host.paint.hotButton, nullptr);
    // No repaint request went astray to other windows.
    EXPECT_TRUE(UpdateRegionIs(other, {}));
    DestroyWindow(other);
}

TEST_F(PainterTest, DefaultActionsAndHowToSkipThem) {
    ASSERT_NE(Open(), nullptr);
    CImageButton* close = host.paint.AddButton(10, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    close->noDefaultAction = true;
    mouseinput::Click(host.hwnd, 20, 20);
    EXPECT_TRUE(IsWindow(host.hwnd));
    EXPECT_EQ(host.clicks.size(), 1u); // the owner still hears of it

    close->noDefaultAction = false;
    host.clickResult = false;
    mouseinput::Click(host.hwnd, 20, 20);
    EXPECT_TRUE(IsWindow(host.hwnd));
    host.clickResult = true;

    host.paint.AddButton(20, 0, 213, 214, 157, 0, Rect(50, 10, 75, 35));
    mouseinput::Click(host.hwnd, 60, 20);
    EXPECT_TRUE(IsIconic(host.hwnd));
    ShowWindow(host.hwnd, SW_RESTORE);

    CImageButton* maximize = host.paint.AddButton(30, 0, 211, 212, 156, 0, Rect(100, 10, 125, 35));
    CImageButton* restore = host.paint.AddButton(40, 0, 215, 216, 158, 0, Rect(100, 10, 125, 35));
    restore->visible = false;
    mouseinput::Click(host.hwnd, 110, 20);
    EXPECT_TRUE(IsZoomed(host.hwnd));
    EXPECT_TRUE(restore->visible);
    // The hidden maximise button stays hot until the pointer leaves it.
    mouseinput::Move(host.hwnd, 300, 150);
    mouseinput::Click(host.hwnd, 110, 20);
    EXPECT_FALSE(IsZoomed(host.hwnd));
    EXPECT_TRUE(maximize->visible);
}

TEST_F(PainterTest, RightClickNeedsReleaseInsideThePressedButton) {
    ASSERT_NE(Open(), nullptr);
    host.paint.AddButton(5, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    mouseinput::Move(host.hwnd, 20, 20);
    SendMessageW(host.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, mouseinput::At(20, 20));
    EXPECT_TRUE(host.paint.rightPressed);
    EXPECT_EQ(GetCapture(), host.hwnd);
    SendMessageW(host.hwnd, WM_RBUTTONUP, 0, mouseinput::At(25, 25));
    EXPECT_EQ(host.rightDowns, (std::vector<UINT>{5}));
    EXPECT_EQ(host.rightClicks, (std::vector<UINT>{5}));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(host.paint.rightPressed);

    SendMessageW(host.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, mouseinput::At(20, 20));
    SendMessageW(host.hwnd, WM_RBUTTONUP, 0, mouseinput::At(150, 150));
    EXPECT_EQ(host.rightClicks.size(), 1u);
    EXPECT_EQ(host.paint.hotButton, nullptr);
    EXPECT_TRUE(SameRect(host.paint.rightPressedRect, Rect(-1, -1, -1, -1)));
}

TEST_F(PainterTest, HandlersThatSayFalseEndTheMessageAsHandled) {
    ASSERT_NE(Open(), nullptr);
    CImageButton* button = host.paint.AddButton(5, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));

    // Hover: the button still becomes hot, the message counts as handled.
    host.hoverResult = false;
    EXPECT_EQ(mouseinput::Move(host.hwnd, 20, 20), 1);
    EXPECT_EQ(host.paint.hotButton, button);
    host.hoverResult = true;

    // Right press: recorded as pressed, but no capture is taken.
    host.rightDownResult = false;
    EXPECT_EQ(SendMessageW(host.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, mouseinput::At(20, 20)), 1);
    EXPECT_TRUE(host.paint.rightPressed);
    EXPECT_TRUE(SameRect(host.paint.rightPressedRect, button->rect));
    EXPECT_FALSE(host.paint.captured);
    EXPECT_EQ(GetCapture(), nullptr);
    host.rightDownResult = true;

    // Right click: the result stays 0 and the pressed rectangle is left as it was.
    host.rightClickResult = false;
    EXPECT_EQ(SendMessageW(host.hwnd, WM_RBUTTONUP, 0, mouseinput::At(21, 21)), 0);
    EXPECT_EQ(host.rightClicks, (std::vector<UINT>{5}));
    EXPECT_FALSE(host.paint.rightPressed);
    EXPECT_TRUE(SameRect(host.paint.rightPressedRect, button->rect));
    host.rightClickResult = true;
    EXPECT_EQ(SendMessageW(host.hwnd, WM_RBUTTONUP, 0, mouseinput::At(21, 21)), 0);
    EXPECT_TRUE(SameRect(host.paint.rightPressedRect, Rect(-1, -1, -1, -1)));

    // Left press: pressed, but without capture.
    host.downResult = false;
    EXPECT_EQ(mouseinput::Down(host.hwnd, 20, 20), 1);
    EXPECT_TRUE(host.paint.leftPressed);
    EXPECT_FALSE(host.paint.captured);
    EXPECT_EQ(GetCapture(), nullptr);
    host.downResult = true;

    // Left click claimed by the owner: the handling ends at once, before the pressed rectangle is
    // reset.
    host.clickResult = false;
    EXPECT_EQ(mouseinput::Up(host.hwnd, 20, 20), 1);
    EXPECT_EQ(host.clicks, (std::vector<UINT>{5}));
    EXPECT_FALSE(host.paint.leftPressed);
    EXPECT_TRUE(SameRect(host.paint.pressedRect, button->rect));
}

TEST_F(PainterTest, RightPressIgnoresVisibilityAndARightPressElsewhereClearsTheRect) {
    ASSERT_NE(Open(), nullptr);
    CImageButton* button = host.paint.AddButton(5, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    mouseinput::Move(host.hwnd, 20, 20);
    button->visible = false; // hidden while hot, as a maximise button is on its own click
    SendMessageW(host.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, mouseinput::At(20, 20));
    EXPECT_EQ(host.rightDowns, (std::vector<UINT>{5}));
    EXPECT_EQ(GetCapture(), host.hwnd);
    SendMessageW(host.hwnd, WM_RBUTTONUP, 0, mouseinput::At(20, 20));
    EXPECT_EQ(host.rightClicks, (std::vector<UINT>{5}));
    EXPECT_EQ(GetCapture(), nullptr);

    // A left press there is not on a button any more.
    mouseinput::Down(host.hwnd, 20, 20);
    EXPECT_FALSE(host.paint.leftPressed);
    EXPECT_TRUE(SameRect(host.paint.pressedRect, Rect(-1, -1, -1, -1)));
    mouseinput::Up(host.hwnd, 20, 20);
    EXPECT_TRUE(host.clicks.empty());

    SendMessageW(host.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, mouseinput::At(200, 150));
    EXPECT_TRUE(SameRect(host.paint.rightPressedRect, Rect(-1, -1, -1, -1)));
    EXPECT_FALSE(host.paint.rightPressed);
    SendMessageW(host.hwnd, WM_RBUTTONUP, 0, mouseinput::At(200, 150));
}

TEST_F(PainterTest, DoubleClickLeavesThePointerPositionAlone) {
    ASSERT_NE(Open(), nullptr);
    mouseinput::Move(host.hwnd, 20, 20);
    EXPECT_EQ(SendMessageW(host.hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, mouseinput::At(100, 30)), 0);
    EXPECT_EQ(host.paint.mouseX, 20);
    EXPECT_EQ(host.paint.mouseY, 20);
}

TEST_F(PainterTest, LeavingAMaximisedWindowKeepsThePointerOnTheHotButton) {
    ASSERT_NE(Open(), nullptr);
    ShowWindow(host.hwnd, SW_MAXIMIZE);
    PumpMessages(20);
    ASSERT_TRUE(IsZoomed(host.hwnd));
    RECT client;
    GetClientRect(host.hwnd, &client);
    // A close button in the top right corner, as on a maximised title band.
    const RECT corner = Rect(client.right - 25, 0, client.right, 25);
    CImageButton* close = host.paint.AddButton(5, 0, 209, 210, 152, 0, corner);
    mouseinput::Move(host.hwnd, client.right - 5, 5);
    ASSERT_EQ(host.paint.hotButton, close);
    Settle();

    SendMessageW(host.hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(host.paint.hotButton, nullptr);
    EXPECT_FALSE(host.paint.tracking);
    EXPECT_EQ(host.paint.mouseX, client.right - 5);
    EXPECT_EQ(host.paint.mouseY, 5);
    EXPECT_TRUE(UpdateRegionIs(host.hwnd, {corner}));

    // With the pointer elsewhere the position is forgotten.
    mouseinput::Move(host.hwnd, client.right - 5, 5);
    mouseinput::Park(host.hwnd, 200, 150);
    SendMessageW(host.hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(host.paint.mouseX, -1);
    EXPECT_EQ(host.paint.mouseY, -1);
}

TEST_F(PainterTest, LeavingTheWindowDropsTheHotButtonUnlessPressed) {
    ASSERT_NE(Open(), nullptr);
    CImageButton* button = host.paint.AddButton(5, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    mouseinput::Move(host.hwnd, 20, 20);
    Settle();
    SendMessageW(host.hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(host.paint.tracking);
    EXPECT_EQ(host.paint.hotButton, nullptr);
    EXPECT_EQ(host.paint.mouseX, -1);
    EXPECT_EQ(host.paint.mouseY, -1);
    EXPECT_TRUE(UpdateRegionIs(host.hwnd, {button->rect}));

    mouseinput::Move(host.hwnd, 20, 20);
    mouseinput::Down(host.hwnd, 20, 20);
    SendMessageW(host.hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(host.paint.hotButton, button);
    EXPECT_TRUE(host.paint.leftPressed);
    mouseinput::Up(host.hwnd, 20, 20);
}

TEST_F(PainterTest, HidingTheWindowForgetsThePointer) {
    ASSERT_NE(Open(), nullptr);
    mouseinput::Move(host.hwnd, 20, 20);
    EXPECT_EQ(host.paint.mouseX, 20);
    ShowWindow(host.hwnd, SW_HIDE);
    EXPECT_EQ(host.paint.mouseX, -1);
    EXPECT_EQ(host.paint.mouseY, -1);
}

TEST_F(PainterTest, EraseBackgroundPaintsOnlyAfterASizeChange) {
    ASSERT_NE(Open(0, 0, false), nullptr);
    HDC dc = GetDC(host.hwnd);
    int passes = host.passes;
    // A zero-size client area equals the initial last rectangle: nothing to paint.
    EXPECT_EQ(SendMessageW(host.hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(host.passes, passes);

    SetWindowPos(host.hwnd, nullptr, 0, 0, 300, 100,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    passes = host.passes;
    EXPECT_EQ(SendMessageW(host.hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(host.passes, passes + 1);
    EXPECT_TRUE(SameRect(host.paint.lastClientRect, Rect(0, 0, 300, 100)));
    EXPECT_EQ(SendMessageW(host.hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(host.passes, passes + 1);
    ReleaseDC(host.hwnd, dc);
}

struct AnchorCase {
    const char* what;
    RECT start;
    int rightMargin, bottomMargin;
    int cx, cy;
    RECT end;
};

TEST_F(PainterTest, RelayoutAnchorsButtons) {
    const AnchorCase cases[] = {
        {"right margin 25", {900, 5, 925, 30}, 25, -1, 1000, 700, {950, 5, 975, 30}},
        {"no anchors", {900, 5, 925, 30}, -1, -1, 1000, 700, {900, 5, 925, 30}},
        {"bottom margin 10", {10, 600, 90, 634}, -1, 10, 1000, 700, {10, 656, 90, 690}},
        {"both", {10, 10, 30, 30}, 0, 0, 500, 400, {480, 380, 500, 400}},
    };
    for (const AnchorCase& c : cases) {
        CImageButton* button = host.paint.AddButton(1, 0, 0, 0, 0, 0, c.start);
        button->rightMargin = c.rightMargin;
        button->bottomMargin = c.bottomMargin;
        host.paint.Relayout(c.cx, c.cy);
        EXPECT_TRUE(SameRect(button->rect, c.end)) << c.what;
    }
}

struct StaticAnchorCase {
    const char* what;
    RECT start;
    int rightMargin, bottomMargin, fixedLeft, fixedTop;
    int cx, cy;
    RECT end;
};

TEST_F(PainterTest, RelayoutStretchesOrMovesStatics) {
    const StaticAnchorCase cases[] = {
        {"full-width band at 1000", {0, 0, 1366, 25}, 0, -1, 0, -1, 1000, 700, {0, 0, 1000, 25}},
        {"full-width band at 1920", {0, 0, 1366, 25}, 0, -1, 0, -1, 1920, 700, {0, 0, 1920, 25}},
        {"right margin 10 moves", {100, 0, 300, 25}, 10, -1, -1, -1, 1000, 700, {790, 0, 990, 25}},
        {"bottom stretch", {0, 25, 50, 100}, -1, 0, -1, 25, 1000, 700, {0, 25, 50, 700}},
        {"bottom move", {0, 600, 50, 650}, -1, 5, -1, -1, 1000, 700, {0, 645, 50, 695}},
        {"no anchors", {3, 4, 5, 6}, -1, -1, 0, 0, 1000, 700, {3, 4, 5, 6}},
    };
    for (const StaticAnchorCase& c : cases) {
        CImageStatic* item = host.paint.AddStatic(0, 1, false, c.start);
        item->rightMargin = c.rightMargin;
        item->bottomMargin = c.bottomMargin;
        item->fixedLeft = c.fixedLeft;
        item->fixedTop = c.fixedTop;
        host.paint.Relayout(c.cx, c.cy);
        EXPECT_TRUE(SameRect(item->rect, c.end)) << c.what << ": " << item->rect.left << "," << item->rect.top
                                                 << "," << item->rect.right << "," << item->rect.bottom;
    }
}

TEST_F(PainterTest, ResizingTheWindowRelaysOutAndRepaintsAll) {
    ASSERT_NE(Open(), nullptr);
    CImageButton* close = host.paint.AddButton(10, 0, 209, 210, 152, 0, Rect(370, 5, 395, 30));
    close->rightMargin = 5;
    CImageStatic* band = host.paint.AddStatic(217, 1, true, Rect(0, 0, 400, 25));
    band->rightMargin = 0;
    band->fixedLeft = 0;
    Settle();
    SetWindowPos(host.hwnd, nullptr, 0, 0, 600, 200,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    EXPECT_TRUE(SameRect(close->rect, Rect(570, 5, 595, 30)));
    EXPECT_TRUE(SameRect(band->rect, Rect(0, 0, 600, 25)));
    EXPECT_TRUE(UpdateRegionIs(host.hwnd, {Rect(0, 0, 600, 200)}));
}

TEST_F(PainterTest, ElementsAreReplacedInPlace) {
    ASSERT_NE(Open(), nullptr);
    CImageButton* first = host.paint.AddButton(3, 0, 209, 210, 152, 0, Rect(0, 0, 25, 25));
    StringCchCopyW(first->text, CImageButton::kTextSize, L"caption");
    CImageButton* again = host.paint.AddButton(3, 99, 211, 0, 0, 0, Rect(5, 5, 30, 30));
    EXPECT_EQ(again, first);
    EXPECT_EQ(host.paint.buttons.size(), 1u);
    EXPECT_STREQ(again->text, L"");
    EXPECT_TRUE(SameRect(again->rect, Rect(5, 5, 30, 30)));
    EXPECT_FALSE(again->stateImages[CImageButton::Hover]);
    EXPECT_EQ(host.paint.FindButton(3), first);
    EXPECT_EQ(host.paint.FindButton(4), nullptr);

    CImageStatic* item = host.paint.AddStatic(145, 8, false, Rect(0, 0, 10, 10));
    EXPECT_TRUE(item->image);
    EXPECT_EQ(host.paint.AddStatic(0, 8, true, Rect(1, 1, 2, 2)), item);
    EXPECT_FALSE(item->image);
    EXPECT_TRUE(item->smoothEdges);
    EXPECT_EQ(host.paint.statics.size(), 1u);

    mouseinput::Move(host.hwnd, 10, 10);
    EXPECT_EQ(host.paint.hotButton, first);
    EXPECT_TRUE(host.paint.RemoveButton(3));
    EXPECT_EQ(host.paint.hotButton, nullptr);
    EXPECT_FALSE(host.paint.RemoveButton(3));
    EXPECT_TRUE(host.paint.RemoveStatic(8));
    EXPECT_FALSE(host.paint.RemoveStatic(8));
    EXPECT_EQ(host.paint.FindStatic(8), nullptr);
}

TEST_F(PainterTest, PaintDrawsBackgroundStaticsThenButtons) {
    ASSERT_NE(Open(), nullptr);
    host.paint.SetBackgroundColor(0xFF204060);
    host.paint.AddStatic(150, 1, false, Rect(100, 20, 140, 60));
    host.paint.AddButton(5, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    host.paint.AddButton(6, 0, 211, 212, 156, 0, Rect(50, 10, 75, 35));
    // A later element covers an earlier one: the button lies over the static.
    host.paint.AddButton(7, 0, 143, 146, 0, 0, Rect(120, 40, 188, 75));
    mouseinput::Move(host.hwnd, 60, 20);
    InvalidateRect(host.hwnd, nullptr, TRUE);
    UpdateWindow(host.hwnd);
    const Pixels shown = testsupport::CaptureClient(host.hwnd);
    ASSERT_EQ(shown.width, 400);

    testsupport::Canvas expected(400, 200, 0xFF204060);
    for (auto [id, box] : {std::pair{150, Rect(100, 20, 140, 60)}, std::pair{209, Rect(10, 10, 35, 35)},
                           std::pair{212, Rect(50, 10, 75, 35)}, std::pair{143, Rect(120, 40, 188, 75)}}) {
        ImagePtr image = LoadPngResource(id);
        GdipDrawImageRectI(expected.graphics(), image.get(), box.left, box.top, box.right - box.left,
                           box.bottom - box.top);
    }
    const Pixels wanted = expected.Read();
    int off = 0;
    for (size_t i = 0; i < wanted.argb.size(); ++i) {
        if (!testsupport::ColorsNear(shown.argb[i], wanted.argb[i], 2))
            ++off;
    }
    EXPECT_EQ(off, 0);
}

TEST_F(PainterTest, LayeredWindowRepaintsThroughUpdateLayeredWindowInPlace) {
    ASSERT_NE(Open(295, 190), nullptr);
    host.paint.AddStatic(142, 1, false, Rect(0, 0, 295, 190));
    CImageButton* ok = host.paint.AddButton(1001, 0, 143, 146, 146, 0, Rect(40, 130, 108, 165));
    host.paint.EnableLayered();
    EXPECT_TRUE(host.paint.layered);
    EXPECT_FALSE(host.paint.fillBackground);
    EXPECT_NE(host.paint.updateLayeredWindow, nullptr);
    EXPECT_TRUE(GetWindowLongW(host.hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);

    SetWindowPos(host.hwnd, nullptr, 210, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    int passes = host.passes;
    mouseinput::Move(host.hwnd, 50, 140);
    EXPECT_EQ(host.paint.hotButton, ok);
    EXPECT_GT(host.passes, passes);
    EXPECT_TRUE(UpdateRegionIs(host.hwnd, {}));
    RECT placed;
    GetWindowRect(host.hwnd, &placed);
    EXPECT_TRUE(SameRect(placed, Rect(210, 120, 505, 310)));

    passes = host.passes;
    ShowWindow(host.hwnd, SW_HIDE);
    mouseinput::ShowQuietly(host.hwnd);
    EXPECT_GT(host.passes, passes);
    passes = host.passes;
    SetWindowPos(host.hwnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_GT(host.passes, passes);
    GetWindowRect(host.hwnd, &placed);
    EXPECT_TRUE(SameRect(placed, Rect(210, 120, 510, 320)));
}

TEST_F(PainterTest, WindowEndClearsThePainterForTheNextWindow) {
    ASSERT_NE(Open(), nullptr);
    host.paint.AddButton(5, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    host.paint.AddStatic(145, 1, false, Rect(0, 0, 400, 200));
    host.paint.EnableLayered();
    mouseinput::Move(host.hwnd, 20, 20);
    mouseinput::Down(host.hwnd, 20, 20);
    DestroyWindow(host.hwnd);
    CImagePaint& p = host.paint;
    EXPECT_TRUE(p.buttons.empty());
    EXPECT_TRUE(p.statics.empty());
    EXPECT_EQ(p.hotButton, nullptr);
    EXPECT_EQ(p.hwnd, nullptr);
    EXPECT_FALSE(p.layered);
    EXPECT_FALSE(p.backgroundBrush);
    EXPECT_EQ(p.mouseX, -1);
    EXPECT_FALSE(p.leftPressed);
    EXPECT_FALSE(p.captured);
    // Callbacks stay bound.
    EXPECT_TRUE(static_cast<bool>(p.onButtonClick));

    // A new window hovers and clicks as if the old press never was.
    ASSERT_NE(Open(), nullptr);
    host.paint.AddButton(6, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
    host.clicks.clear();
    mouseinput::Click(host.hwnd, 20, 20);
    EXPECT_EQ(host.clicks, (std::vector<UINT>{6}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(PainterTest, ADownHandlerThatEndsTheWindowLeavesNoCaptureForTheNextOne) {
    for (UINT message : {UINT(WM_LBUTTONDOWN), UINT(WM_RBUTTONDOWN)}) {
        ASSERT_NE(Open(), nullptr);
        host.paint.AddButton(5, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
        auto& handler = message == WM_LBUTTONDOWN ? host.paint.onButtonDown : host.paint.onButtonRDown;
        auto kept = handler;
        handler = [this](CImageButton*) {
            DestroyWindow(host.hwnd);
            return true;
        };
        mouseinput::Move(host.hwnd, 20, 20);
        SendMessageW(host.hwnd, message, 0, mouseinput::At(20, 20));
        EXPECT_EQ(host.paint.hwnd, nullptr);
        EXPECT_FALSE(host.paint.captured) << message;
        handler = kept;

        // The next window captures its own presses again.
        ASSERT_NE(Open(), nullptr);
        host.paint.AddButton(6, 0, 209, 210, 152, 0, Rect(10, 10, 35, 35));
        mouseinput::Move(host.hwnd, 20, 20);
        mouseinput::Down(host.hwnd, 20, 20);
        EXPECT_EQ(GetCapture(), host.hwnd) << message;
        mouseinput::Up(host.hwnd, 20, 20);
        DestroyWindow(host.hwnd);
    }
}

TEST_F(PainterTest, WindowsComeAndGoWithoutLeaking) {
    auto cycle = [this] {
        ASSERT_NE(Open(), nullptr);
        host.paint.AddStatic(145, 1, false, Rect(0, 0, 400, 200));
        host.paint.AddStatic(217, 2, true, Rect(0, 0, 400, 25));
        for (UINT id = 1; id <= 4; ++id) {
            CImageButton* b =
                host.paint.AddButton(id, 0, 209, 210, 152, 0, Rect(id * 30, 5, id * 30 + 25, 30));
            b->SetImageStrip(131);
            b->SetTextColors(0xFF000000, 0xFFFF0000, 0xFF00FF00);
        }
        host.paint.AddStatic(150, 1, false, Rect(0, 0, 20, 20));           // replaces an image
        host.paint.AddButton(2, 0, 211, 212, 156, 0, Rect(60, 5, 85, 30)); // and a button's images
        UpdateWindow(host.hwnd);
        mouseinput::Move(host.hwnd, 40, 10);
        mouseinput::Move(host.hwnd, 70, 10);
        UpdateWindow(host.hwnd);
        host.paint.EnableLayered();
        mouseinput::Move(host.hwnd, 100, 10);
        PumpMessages(10);
        DestroyWindow(host.hwnd);
    };
    EXPECT_TRUE(testsupport::LeavesNothingBehind(cycle, 15));
}

TEST(SanDC, CopiesOnlyItsRectangleWhenDone) {
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 50, 40);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(target, canvas);
    const RECT all = {0, 0, 50, 40};
    FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const int gdiBefore = testsupport::CountGdiObjects();
    {
        const RECT copy = {10, 5, 20, 15};
        CSanDC surface(target, all, &copy);
        ASSERT_TRUE(surface.memDC);
        FillRect(surface.memDC.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EXPECT_EQ(GetPixel(target, 12, 7), RGB(0, 0, 0)); // nothing copied before the end
    }
    EXPECT_EQ(GetPixel(target, 10, 5), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(target, 19, 14), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(target, 20, 14), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(target, 9, 5), RGB(0, 0, 0));
    EXPECT_EQ(testsupport::CountGdiObjects(), gdiBefore);
    {
        CSanDC whole(target, all, nullptr);
        EXPECT_TRUE(SameRect(whole.copyRect, all));
        FillRect(whole.memDC.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    EXPECT_EQ(GetPixel(target, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(target, 49, 39), RGB(255, 255, 255));
    SelectObject(target, old);
    DeleteObject(canvas);
    DeleteDC(target);
}

} // namespace
