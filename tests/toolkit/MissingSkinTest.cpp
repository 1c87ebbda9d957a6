// Built without the skin resources: every image is missing.
#include <gtest/gtest.h>

#include "app/CAppManager.h"
#include "support/PixelSupport.h"
#include "support/TestSupport.h"
#include "toolkit/CImageCtrl.h"
#include "toolkit/ImageHelpers.h"
#include "toolkit/MouseInput.h"

using testsupport::ScopedManager;

namespace {

const auto* const gdiplusSession = ::testing::AddGlobalTestEnvironment(new testsupport::GdiplusEnvironment);

TEST(MissingSkin, ImagesLoadAsNull) {
    for (int id : {130, 131, 145, 217})
        EXPECT_FALSE(LoadPngResource(id)) << id;
}

TEST(MissingSkin, ButtonWithoutImagesDrawsOnlyItsOtherParts) {
    CImageButton button(nullptr, 1, 0, 0, 40, 20, L"");
    button.SetImages(209, 210, 152, 0);
    button.SetImageStrip(131);
    for (const ImagePtr& image : button.stateImages)
        EXPECT_FALSE(image);
    Gdiplus::GpSolidFill* fill = nullptr;
    Gdiplus::DllExports::GdipCreateSolidFill(0xFF336699, &fill);
    button.backBrushes[CImageButton::Normal].reset(fill);
    testsupport::Canvas canvas(40, 20);
    button.Draw(canvas.graphics(), 10, 10, true, RECT{0, 0, 0, 0});
    EXPECT_EQ(canvas.Read().At(20, 10), 0xFF336699u);
}

TEST(MissingSkin, ElementsWithoutImagesStillLayOutAndHitTest) {
    CAppManager manager;
    ScopedManager scope(manager);
    CImageCtrl window;
    ASSERT_NE(window.CreateAt(0, L"", L"", WS_POPUP, 80, 80, 300, 200, nullptr), nullptr);
    mouseinput::ShowQuietly(window.hwnd);
    CImageButton* close = window.paint.AddButton(10, 0, 209, 210, 152, 0, RECT{270, 5, 295, 30});
    close->rightMargin = 5;
    CImageStatic* picture = window.paint.AddStatic(145, 1, false, RECT{0, 0, 300, 200});
    EXPECT_FALSE(picture->image);
    picture->rightMargin = 0;
    picture->fixedLeft = 0;
    SetWindowPos(window.hwnd, nullptr, 0, 0, 400, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(close->rect.right, 395);
    EXPECT_EQ(picture->rect.right, 400);
    UpdateWindow(window.hwnd);
    mouseinput::Move(window.hwnd, 380, 10);
    EXPECT_EQ(window.paint.hotButton, close);
    mouseinput::Click(window.hwnd, 380, 10);
    EXPECT_FALSE(IsWindow(window.hwnd));
}

TEST(MissingSkin, WithoutTheIconGroupTheWindowKeepsItsIcon) {
    CAppManager manager;
    ScopedManager scope(manager);
    CImageCtrl window;
    ASSERT_NE(window.CreateAt(0, L"", L"", WS_POPUP, 0, 0, 100, 100, nullptr), nullptr);
    window.SetIcon(LoadIconW(nullptr, IDI_APPLICATION), false);
    const LRESULT installed = SendMessageW(window.hwnd, WM_GETICON, ICON_SMALL, 0);
    ASSERT_NE(installed, 0);
    EXPECT_FALSE(window.LoadIconResource(0, false, 16));
    EXPECT_FALSE(window.LoadIconResource(0, true, 48));
    EXPECT_EQ(SendMessageW(window.hwnd, WM_GETICON, ICON_SMALL, 0), installed);
    DestroyWindow(window.hwnd);
}

} // namespace
