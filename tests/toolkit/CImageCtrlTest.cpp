#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/CAppManager.h"
#include "support/PixelSupport.h"
#include "support/TestSupport.h"
#include "toolkit/CImageDialog.h"
#include "toolkit/MouseInput.h"

using testsupport::PumpMessages;
using testsupport::PumpUntil;
using testsupport::ScopedManager;

namespace {

const auto* const gdiplusSession = ::testing::AddGlobalTestEnvironment(new testsupport::GdiplusEnvironment);

constexpr DWORD kQuietPopup = WS_POPUP;

// A skinned dialog that records what reaches its virtual operations.
class SkinDialog : public CImageDialog {
public:
    bool OnButtonDown(CImageButton* b) override { return Log(L'd', b); }
    bool OnButtonHover(CImageButton* b) override { return Log(L'h', b); }
    bool OnButtonRDown(CImageButton* b) override { return Log(L'r', b); }
    bool OnButtonRClick(CImageButton* b) override { return Log(L'R', b); }
    bool OnButtonClick(CImageButton* b) override {
        Log(L'c', b);
        if (b->id == 1001 || b->id == 1002) {
            // As a confirmation dialog does: leave the answer, end the loop and the window.
            dialogResult = b->id == 1001 ? IDOK : IDCANCEL;
            modalRunning = false;
            DestroyWindow(hwnd);
            return false;
        }
        return clickResult;
    }
    void OnDrawBackground(Gdiplus::GpGraphics*) override { ++backgrounds; }
    void OnDrawForeground(Gdiplus::GpGraphics*) override { ++foregrounds; }
    bool PreTranslateMessage(MSG* msg) override { return msg->message == kSwallowed; }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kSwallowed)
            swallowedArrived = true;
        return CImageDialog::OnMessage(msg, wParam, lParam);
    }
    void OnTimer(UINT_PTR id) override {
        KillTimer(hwnd, id);
        if (onTimer)
            onTimer(id);
    }
    bool Log(wchar_t what, CImageButton* b) {
        events.push_back(what);
        ids.push_back(b ? b->id : 0);
        return true;
    }

    static constexpr UINT kSwallowed = WM_APP + 5;
    std::wstring events;
    std::vector<UINT> ids;
    bool clickResult = true;
    bool swallowedArrived = false;
    int backgrounds = 0;
    int foregrounds = 0;
    std::function<void(UINT_PTR)> onTimer;
};

class SkinWindowTest : public ::testing::Test {
protected:
    SkinWindowTest() : scope(manager) {}
    ~SkinWindowTest() override {
        if (dialog.hwnd)
            DestroyWindow(dialog.hwnd);
    }
    HWND Open(int x, int y, int width, int height, bool visible = false, DWORD style = kQuietPopup) {
        HWND window = dialog.CreateAt(0, L"", L"", style, x, y, width, height, nullptr);
        if (window && visible) {
            mouseinput::ShowQuietly(window);
            PumpMessages(30);
        }
        return window;
    }
    LRESULT HitAt(int clientX, int clientY) {
        POINT p = {clientX, clientY};
        ClientToScreen(dialog.hwnd, &p);
        return SendMessageW(dialog.hwnd, WM_NCHITTEST, 0, mouseinput::At(p.x, p.y));
    }

    CAppManager manager;
    ScopedManager scope;
    SkinDialog dialog;
};

TEST_F(SkinWindowTest, ConstructionDefaults) {
    CImageCtrl plain;
    EXPECT_STREQ(plain.className, L"ImageCtrl");
    EXPECT_FALSE(plain.resizable);
    EXPECT_FALSE(plain.shapedRegion);
    EXPECT_EQ(plain.borderWidth, 3);
    EXPECT_EQ(plain.borderHeight, 3);
    EXPECT_EQ(plain.minWidth, 0);
    EXPECT_EQ(plain.minHeight, 0);
    EXPECT_FALSE(plain.icon);
    EXPECT_STREQ(dialog.className, L"ImageDialog");
    EXPECT_EQ(dialog.dialogResult, IDCANCEL);
    EXPECT_FALSE(dialog.modalRunning);
}

TEST_F(SkinWindowTest, CreationStripsTheFrameAndBindsThePainter) {
    ASSERT_NE(Open(10, 10, 300, 200, false, WS_OVERLAPPEDWINDOW), nullptr);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(dialog.hwnd, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, 0u);
    EXPECT_EQ(style & (WS_CLIPCHILDREN | WS_MAXIMIZEBOX | 0x100),
              DWORD(WS_CLIPCHILDREN | WS_MAXIMIZEBOX | 0x100));
    EXPECT_EQ(dialog.paint.hwnd, dialog.hwnd);
    wchar_t name[64] = {};
    GetClassNameW(dialog.hwnd, name, 64);
    EXPECT_STREQ(name, L"ImageDialog");
}

TEST_F(SkinWindowTest, HitTestOfAResizable1230By728Client) {
    ASSERT_NE(Open(50, 20, 1230, 728), nullptr);
    struct Case {
        int x, y;
        LRESULT code;
    };
    const Case cases[] = {
        {0, 0, HTTOPLEFT},    {3, 0, HTTOP},        {2, 727, HTBOTTOMLEFT}, {3, 725, HTBOTTOMLEFT},
        {3, 724, HTCLIENT},   {1227, 0, HTRIGHT},   {1228, 0, HTTOPRIGHT},  {1227, 725, HTBOTTOMRIGHT},
        {1227, 400, HTRIGHT}, {600, 725, HTCLIENT}, {600, 726, HTBOTTOM},   {600, 2, HTTOP},
        {2, 400, HTLEFT},     {3, 400, HTCLIENT},   {600, 400, HTCLIENT},   {1229, 727, HTBOTTOMRIGHT},
    };
    dialog.resizable = true;
    for (const Case& c : cases)
        EXPECT_EQ(HitAt(c.x, c.y), c.code) << c.x << "," << c.y;
    dialog.resizable = false;
    for (const Case& c : cases)
        EXPECT_EQ(HitAt(c.x, c.y), HTCLIENT) << c.x << "," << c.y;
}

TEST_F(SkinWindowTest, HitTestLeftOfThePrimaryMonitor) {
    ASSERT_NE(Open(-100, 20, 400, 300), nullptr);
    dialog.resizable = true;
    EXPECT_EQ(SendMessageW(dialog.hwnd, WM_NCHITTEST, 0, mouseinput::At(-99, 200)), HTLEFT);
    EXPECT_EQ(SendMessageW(dialog.hwnd, WM_NCHITTEST, 0, mouseinput::At(-100, 20)), HTTOPLEFT);
    EXPECT_EQ(SendMessageW(dialog.hwnd, WM_NCHITTEST, 0, mouseinput::At(-50, 200)), HTCLIENT);
}

// The rectangles of a region, as GetRegionData lists them.
std::vector<RECT> RegionRects(HRGN region) {
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<BYTE> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (size == 0 || GetRegionData(region, size, data) != size)
        return {};
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    return std::vector<RECT>(rects, rects + data->rdh.nCount);
}

std::vector<RECT> WindowRegionRects(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    std::vector<RECT> rects;
    if (GetWindowRgn(window, region) != ERROR)
        rects = RegionRects(region);
    DeleteObject(region);
    return rects;
}

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!EqualRect(&a[i], &b[i]))
            return false;
    }
    return true;
}

TEST_F(SkinWindowTest, ShapedRegionCutsTheCornersAndIsARectangleWhenMaximised) {
    dialog.shapedRegion = true;
    ASSERT_NE(Open(100, 100, 295, 190, true), nullptr);
    const POINT polygon[8] = {{0, 1}, {1, 0}, {294, 0}, {295, 1}, {295, 188}, {293, 190}, {2, 190}, {0, 188}};
    HRGN expected = CreatePolygonRgn(polygon, 8, WINDING);
    const std::vector<RECT> wanted = RegionRects(expected);
    DeleteObject(expected);
    ASSERT_FALSE(wanted.empty());
    EXPECT_TRUE(SameRects(WindowRegionRects(dialog.hwnd), wanted));
    // The cut corners, read back point by point.
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(dialog.hwnd, shape);
    EXPECT_FALSE(PtInRegion(shape, 0, 0));
    EXPECT_TRUE(PtInRegion(shape, 1, 1));
    EXPECT_FALSE(PtInRegion(shape, 294, 0));
    EXPECT_FALSE(PtInRegion(shape, 0, 189));
    EXPECT_FALSE(PtInRegion(shape, 294, 189));
    EXPECT_TRUE(PtInRegion(shape, 147, 95));
    DeleteObject(shape);

    ShowWindow(dialog.hwnd, SW_MAXIMIZE);
    RECT client;
    GetClientRect(dialog.hwnd, &client);
    EXPECT_TRUE(SameRects(WindowRegionRects(dialog.hwnd), std::vector<RECT>{client}));
}

TEST_F(SkinWindowTest, MaximisingFillsTheWorkArea) {
    ASSERT_NE(Open(100, 100, 400, 300, true), nullptr);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(dialog.hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    MINMAXINFO info = {};
    SendMessageW(dialog.hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxSize.x, monitor.rcWork.right - monitor.rcWork.left);
    EXPECT_EQ(info.ptMaxSize.y, monitor.rcWork.bottom - monitor.rcWork.top);
    EXPECT_EQ(info.ptMaxPosition.x, monitor.rcWork.left);
    EXPECT_EQ(info.ptMaxPosition.y, monitor.rcWork.top);
    ShowWindow(dialog.hwnd, SW_MAXIMIZE);
    RECT placed;
    GetWindowRect(dialog.hwnd, &placed);
    EXPECT_TRUE(EqualRect(&placed, &monitor.rcWork));
}

TEST_F(SkinWindowTest, MinimumSizeHoldsForProgrammaticMoves) {
    dialog.minWidth = 1020;
    dialog.minHeight = 704;
    ASSERT_NE(Open(0, 0, 1100, 720), nullptr);
    MoveWindow(dialog.hwnd, 10, 10, 800, 600, TRUE);
    RECT placed;
    GetWindowRect(dialog.hwnd, &placed);
    EXPECT_EQ(placed.right - placed.left, 1020);
    EXPECT_EQ(placed.bottom - placed.top, 704);
    MINMAXINFO info = {};
    SendMessageW(dialog.hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 1020);
    EXPECT_EQ(info.ptMinTrackSize.y, 704);
    // Without both values there is no minimum.
    dialog.minHeight = 0;
    MoveWindow(dialog.hwnd, 10, 10, 800, 600, TRUE);
    GetWindowRect(dialog.hwnd, &placed);
    EXPECT_EQ(placed.right - placed.left, 800);
}

TEST_F(SkinWindowTest, PainterEventsReachTheVirtualOperations) {
    ASSERT_NE(Open(100, 100, 300, 200, true), nullptr);
    dialog.paint.AddButton(10, 0, 209, 210, 152, 0, RECT{10, 10, 35, 35});
    UpdateWindow(dialog.hwnd);
    EXPECT_GT(dialog.backgrounds, 0);
    EXPECT_GT(dialog.foregrounds, 0);
    dialog.clickResult = false;
    mouseinput::Click(dialog.hwnd, 20, 20);
    SendMessageW(dialog.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, mouseinput::At(20, 20));
    SendMessageW(dialog.hwnd, WM_RBUTTONUP, 0, mouseinput::At(20, 20));
    EXPECT_EQ(dialog.events, L"hdcrR");
    // Claimed by the override: the close button's default action does not run.
    EXPECT_TRUE(IsWindow(dialog.hwnd));
    dialog.clickResult = true;
    mouseinput::Click(dialog.hwnd, 20, 20);
    EXPECT_FALSE(IsWindow(dialog.hwnd));
}

int IconWidth(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return 0;
    BITMAP bits = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bits), &bits);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return bits.bmWidth;
}

HICON WindowIcon(HWND window, WPARAM which) {
    return reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
}

TEST_F(SkinWindowTest, IconsComeFromTheIconGroupInTheWantedSizes) {
    ASSERT_NE(Open(0, 0, 300, 200), nullptr);
    // The big icon is the kept small copy: set before any small icon, it is cleared.
    SendMessageW(dialog.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconW(nullptr, IDI_APPLICATION)));
    ASSERT_TRUE(dialog.LoadIconResource(0, true, 48));
    EXPECT_EQ(WindowIcon(dialog.hwnd, ICON_BIG), nullptr);
    EXPECT_EQ(WindowIcon(dialog.hwnd, ICON_SMALL), nullptr);
    ASSERT_TRUE(dialog.LoadIconResource(0, false, 32));
    EXPECT_EQ(IconWidth(WindowIcon(dialog.hwnd, ICON_SMALL)), 32);
    EXPECT_EQ(WindowIcon(dialog.hwnd, ICON_SMALL), dialog.icon.get());
    EXPECT_EQ(WindowIcon(dialog.hwnd, ICON_BIG), nullptr);
    // Once a small icon exists, the big one becomes that copy.
    ASSERT_TRUE(dialog.LoadIconResource(0, true, 48));
    EXPECT_EQ(WindowIcon(dialog.hwnd, ICON_BIG), dialog.icon.get());
    ASSERT_TRUE(dialog.LoadIconResource(0, false, 16));
    EXPECT_EQ(IconWidth(dialog.icon.get()), 16);
}

TEST_F(SkinWindowTest, SetIconFreesEveryCopyOnceAndNeverOneStillShown) {
    ASSERT_NE(Open(0, 0, 300, 200), nullptr);
    HICON mine = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
    dialog.SetIcon(mine, false);
    HICON firstCopy = WindowIcon(dialog.hwnd, ICON_SMALL);
    ASSERT_NE(firstCopy, nullptr);
    EXPECT_NE(firstCopy, mine);
    dialog.SetIcon(mine, false);
    HICON secondCopy = WindowIcon(dialog.hwnd, ICON_SMALL);
    EXPECT_NE(secondCopy, nullptr);
    EXPECT_EQ(IconWidth(firstCopy), 0); // destroyed with its replacement

    // A small copy that is also the big icon outlives its replacement as small icon.
    dialog.SetIcon(nullptr, true);
    EXPECT_EQ(WindowIcon(dialog.hwnd, ICON_BIG), secondCopy);
    dialog.SetIcon(mine, false);
    EXPECT_NE(WindowIcon(dialog.hwnd, ICON_SMALL), secondCopy);
    EXPECT_EQ(WindowIcon(dialog.hwnd, ICON_BIG), secondCopy);
    EXPECT_NE(IconWidth(secondCopy), 0);
    // ...until the big icon changes too.
    dialog.SetIcon(nullptr, true);
    EXPECT_EQ(WindowIcon(dialog.hwnd, ICON_BIG), dialog.icon.get());
    EXPECT_EQ(IconWidth(secondCopy), 0);

    // The caller's icon stays the caller's.
    EXPECT_NE(IconWidth(mine), 0);
    DestroyIcon(mine);
    dialog.SetIcon(nullptr, false);
    EXPECT_EQ(WindowIcon(dialog.hwnd, ICON_SMALL), nullptr);
    EXPECT_FALSE(dialog.icon);
    dialog.SetIcon(nullptr, true);
    EXPECT_EQ(WindowIcon(dialog.hwnd, ICON_BIG), nullptr);

    const int before = testsupport::CountGdiObjects();
    for (int i = 0; i < 10; ++i) {
        dialog.LoadIconResource(0, false, 16);
        dialog.LoadIconResource(0, true, 48);
    }
    dialog.SetIcon(nullptr, false);
    dialog.SetIcon(nullptr, true);
    EXPECT_EQ(testsupport::CountGdiObjects(), before);
}

TEST_F(SkinWindowTest, SkinnedWindowsComeAndGoWithoutLeaking) {
    auto cycle = [this] {
        dialog.shapedRegion = true;
        ASSERT_NE(Open(40, 40, 295, 190, true), nullptr);
        dialog.LoadIconResource(0, true, 48);
        dialog.LoadIconResource(0, false, 16);
        dialog.paint.AddStatic(142, 1, false, RECT{0, 0, 295, 190});
        dialog.paint.AddButton(1001, 0, 143, 146, 146, 0, RECT{40, 130, 108, 165});
        dialog.paint.AddButton(1002, 0, 147, 148, 148, 0, RECT{180, 130, 248, 165});
        SetWindowPos(dialog.hwnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateWindow(dialog.hwnd);
        mouseinput::Move(dialog.hwnd, 50, 140);
        UpdateWindow(dialog.hwnd);
        DestroyWindow(dialog.hwnd);
    };
    EXPECT_TRUE(testsupport::LeavesNothingBehind(cycle, 12));
}

// ---- The modal loop ----

TEST_F(SkinWindowTest, ModalLoopEndsWhenTheDialogDestroysItselfAndTheOuterLoopGoesOn) {
    bool modalReturned = false;
    bool outerRanAfter = false;
    // A helper window of the outer loop opens the dialog, as the game window opens its confirmation.
    HWND starter =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    dialog.onTimer = [](UINT_PTR) {};
    std::function<void()> openDialog = [&] {
        ASSERT_NE(Open(300, 300, 295, 190, true), nullptr);
        dialog.paint.AddButton(1001, 0, 143, 146, 146, 0, RECT{40, 130, 108, 165});
        mouseinput::Park(dialog.hwnd, 50, 140);
        PostMessageW(dialog.hwnd, WM_MOUSEMOVE, 0, mouseinput::At(50, 140));
        PostMessageW(dialog.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, mouseinput::At(50, 140));
        PostMessageW(dialog.hwnd, WM_LBUTTONUP, 0, mouseinput::At(50, 140));
        modalReturned = dialog.RunModalLoop();
        // The outer loop is still ours: its next message arrives, then it is ended.
        PostMessageW(starter, WM_APP + 1, 0, 0);
    };
    testsupport::PumpMessages(10);
    PostMessageW(starter, WM_APP, 0, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == starter && msg.message == WM_APP) {
            openDialog();
        } else if (msg.hwnd == starter && msg.message == WM_APP + 1) {
            outerRanAfter = true;
            PostQuitMessage(0);
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    DestroyWindow(starter);
    EXPECT_TRUE(modalReturned);
    EXPECT_TRUE(outerRanAfter);
    EXPECT_EQ(dialog.dialogResult, IDOK);
    EXPECT_FALSE(dialog.modalRunning);
    EXPECT_EQ(dialog.hwnd, nullptr);
}

TEST_F(SkinWindowTest, QuitEndsTheModalLoopAndIsPostedAgain) {
    ASSERT_NE(Open(300, 300, 295, 190, true), nullptr);
    PostQuitMessage(7);
    EXPECT_TRUE(dialog.RunModalLoop());
    EXPECT_FALSE(dialog.modalRunning);
    EXPECT_TRUE(IsWindow(dialog.hwnd));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(SkinWindowTest, QuitEndsTheEnclosingManagerLoopToo) {
    ASSERT_NE(Open(300, 300, 295, 190, true), nullptr);
    bool modalReturned = false;
    dialog.onTimer = [&](UINT_PTR id) {
        if (id == 1) {
            SetTimer(dialog.hwnd, 2, 10, nullptr);
            modalReturned = dialog.RunModalLoop();
        } else {
            PostQuitMessage(3);
        }
    };
    SetTimer(dialog.hwnd, 1, 10, nullptr);
    EXPECT_TRUE(manager.RunMessageLoop()); // returns only on WM_QUIT
    EXPECT_TRUE(modalReturned);
    EXPECT_TRUE(IsWindow(dialog.hwnd));
}

TEST_F(SkinWindowTest, ClearingModalRunningEndsTheLoopWithTheWindowAlive) {
    ASSERT_NE(Open(300, 300, 295, 190, true), nullptr);
    dialog.onTimer = [&](UINT_PTR) { dialog.modalRunning = false; };
    SetTimer(dialog.hwnd, 1, 10, nullptr);
    EXPECT_TRUE(dialog.RunModalLoop());
    EXPECT_TRUE(IsWindow(dialog.hwnd));
    EXPECT_FALSE(dialog.modalRunning);
}

TEST_F(SkinWindowTest, NestedAndWrongThreadLoopsAreRefused) {
    ASSERT_NE(Open(300, 300, 295, 190, true), nullptr);
    bool fromOtherThread = true;
    std::thread other([&] { fromOtherThread = dialog.RunModalLoop(); });
    other.join();
    EXPECT_FALSE(fromOtherThread);
    EXPECT_FALSE(dialog.modalRunning);

    int nested = -1;
    dialog.onTimer = [&](UINT_PTR) {
        nested = dialog.RunModalLoop() ? 1 : 0;
        EXPECT_TRUE(dialog.modalRunning); // the refusal leaves the running loop alone
        DestroyWindow(dialog.hwnd);
    };
    SetTimer(dialog.hwnd, 1, 10, nullptr);
    EXPECT_TRUE(dialog.RunModalLoop());
    EXPECT_EQ(nested, 0);
    EXPECT_FALSE(dialog.modalRunning);
}

TEST_F(SkinWindowTest, LoopWithoutAWindowDoesNotStart) {
    EXPECT_FALSE(dialog.RunModalLoop()); // never created: no manager bound yet
    ASSERT_NE(Open(300, 300, 100, 100), nullptr);
    DestroyWindow(dialog.hwnd);
    PostMessageW(nullptr, WM_APP, 0, 0);
    EXPECT_FALSE(dialog.RunModalLoop());
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE)); // the queue was not touched
}

TEST_F(SkinWindowTest, ModalLoopOffersMessagesToTheWindowsFirst) {
    ASSERT_NE(Open(300, 300, 295, 190, true), nullptr);
    PostMessageW(dialog.hwnd, SkinDialog::kSwallowed, 0, 0);
    dialog.onTimer = [&](UINT_PTR) { DestroyWindow(dialog.hwnd); };
    SetTimer(dialog.hwnd, 1, 30, nullptr);
    EXPECT_TRUE(dialog.RunModalLoop());
    EXPECT_FALSE(dialog.swallowedArrived);
}

} // namespace
