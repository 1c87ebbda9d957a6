// A skinned launcher-sized window showing every button look, saved as a picture under the build tree.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/CAppManager.h"
#include "support/PixelSupport.h"
#include "support/TestSupport.h"
#include "toolkit/CImageCtrl.h"
#include "toolkit/ImageHelpers.h"
#include "toolkit/MouseInput.h"

using namespace Gdiplus::DllExports;
using testsupport::Pixels;

namespace {

const auto* const gdiplusSession = ::testing::AddGlobalTestEnvironment(new testsupport::GdiplusEnvironment);

enum class Look { Normal, Hover, Pressed };

// One look of one button, drawn by the button itself for a chosen pointer state.
struct Specimen {
    std::unique_ptr<CImageButton> button;
    Look look;
    std::vector<int> ids; // images shown for the look, top one last
};

// The launcher picture with its link and window buttons, and a gallery of every button look.
class Showcase : public CImageCtrl {
public:
    void Build() {
        paint.AddStatic(145, 1, false, RECT{0, 0, 1230, 728});
        // Link buttons in the dark slot of the top band; window buttons at its right.
        const int links[4] = {131, 134, 132, 133};
        for (int i = 0; i < 4; ++i) {
            const int x = 745 + i * 80;
            paint.AddButton(300 + i, 0, 0, 0, 0, 0, RECT{x, 8, x + 80, 42})->SetImageStrip(links[i]);
        }
        paint.AddButton(20, 0, 0, 0, 0, 0, RECT{1180, 16, 1196, 32})->SetImageStrip(135);
        paint.AddButton(10, 0, 0, 0, 0, 0, RECT{1202, 16, 1218, 32})->SetImageStrip(130);

        // A game-mode title band across the window with its buttons; the tools button shows the
        // checked look.
        paint.AddStatic(217, 2, true, RECT{0, 80, 1230, 105});
        paint.AddStatic(137, 3, false, RECT{6, 84, 22, 100});
        const int band[6][3] = {{196, 208, 151}, {153, 154, 155}, {213, 214, 157},
                                {211, 212, 156}, {215, 216, 158}, {209, 210, 152}};
        for (int i = 0; i < 6; ++i) {
            const int x = 1015 + i * 29;
            paint.AddButton(400 + i, 0, band[i][0], band[i][1], band[i][2], 0, RECT{x, 80, x + 25, 105});
        }
        paint.FindButton(400)->checked = true;

        // Gallery: each button kind in its normal, hover and pressed looks.
        int y = 150;
        for (int i = 0; i < 6; ++i) {
            for (int look = 0; look < 3; ++look)
                AddSpecimen(band[i], RECT{0, 0, 25, 25}, 70 + i * 170 + look * 45, y,
                            static_cast<Look>(look));
        }
        y = 230;
        const int smallStrips[5] = {138, 139, 140, 141, 161};
        int x = 70;
        for (int strip : smallStrips) {
            const int width = strip == 161 ? 64 : 41;
            for (int look = 0; look < 3; ++look) {
                AddStripSpecimen(strip, RECT{0, 0, width, 22}, x, y, static_cast<Look>(look));
                x += width + 8;
            }
            x += 20;
        }
        y = 300;
        const int dialogButtons[2][3] = {{143, 146, 146}, {147, 148, 148}};
        x = 70;
        for (const auto& ids : dialogButtons) {
            for (int look = 0; look < 3; ++look) {
                AddSpecimen(ids, RECT{0, 0, 68, 35}, x, y, static_cast<Look>(look));
                x += 80;
            }
            x += 20;
        }
        // The launcher's link strips, two kinds to a row, below the waiting notice.
        y = 500;
        x = 70;
        for (int strip : links) {
            for (int look = 0; look < 3; ++look) {
                AddStripSpecimen(strip, RECT{0, 0, 80, 34}, x, y, static_cast<Look>(look));
                x += 88;
            }
            x += 20;
            if (x > 600) {
                x = 70;
                y += 50;
            }
        }
        // The close confirmation panel with its two buttons.
        paint.AddStatic(142, 4, false, RECT{860, 300, 1155, 490});
        paint.AddButton(1001, 0, 143, 146, 146, 0, RECT{910, 400, 978, 435});
        paint.AddButton(1002, 0, 147, 148, 148, 0, RECT{1038, 400, 1106, 435});
    }

    void OnDrawForeground(Gdiplus::GpGraphics* graphics) override {
        for (Specimen& s : specimens) {
            const RECT& r = s.button->rect;
            const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
            if (s.look == Look::Normal)
                s.button->Draw(graphics, -1, -1, false, RECT{0, 0, 0, 0});
            else
                s.button->Draw(graphics, cx, cy, s.look == Look::Pressed, RECT{0, 0, 0, 0});
        }
    }

    std::vector<Specimen> specimens;

private:
    void AddSpecimen(const int (&ids)[3], RECT size, int x, int y, Look look) {
        auto button = std::make_unique<CImageButton>(hwnd, 0, x, y, x + size.right, y + size.bottom, L"");
        button->SetImages(ids[0], ids[1], ids[2], 0);
        specimens.push_back({std::move(button), look, {ids[static_cast<int>(look)]}});
    }
    void AddStripSpecimen(int strip, RECT size, int x, int y, Look look) {
        auto button = std::make_unique<CImageButton>(hwnd, 0, x, y, x + size.right, y + size.bottom, L"");
        button->SetImageStrip(strip);
        specimens.push_back({std::move(button), look, {strip}});
    }
};

std::wstring BesideTheTest(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + name;
}

// How many pixels of an image, placed at (left, top) on the screenshot, show through unchanged
// where the image is opaque.
int OpaqueMismatches(const Pixels& shot, const Pixels& image, int left, int top, int imageX = 0,
                     int width = -1) {
    if (width < 0)
        width = image.width;
    int off = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t wanted = image.At(imageX + x, y);
            if (testsupport::AlphaOf(wanted) == 255 &&
                !testsupport::ColorsNear(shot.At(left + x, top + y), wanted, 3))
                ++off;
        }
    }
    return off;
}

TEST(SkinScreenshot, EveryButtonLookOnTheLauncher) {
    CAppManager manager;
    testsupport::ScopedManager scope(manager);
    Showcase window;
    ASSERT_NE(window.CreateAt(0, L"", L"", WS_POPUP, 60, 20, 1230, 728, nullptr), nullptr);
    window.Build();
    mouseinput::ShowQuietly(window.hwnd);
    // The official-site link hovered by the pointer, through the painter.
    mouseinput::Move(window.hwnd, 780, 25);
    UpdateWindow(window.hwnd);
    testsupport::PumpMessages(300);

    RECT placed;
    GetWindowRect(window.hwnd, &placed);
    const Pixels shot = testsupport::CaptureScreen(placed);
    ASSERT_EQ(shot.width, 1230);
    ASSERT_EQ(shot.height, 728);
    const std::wstring path = BesideTheTest(L"toolkit_skin_screenshot.png");
    ASSERT_TRUE(testsupport::SavePng(shot, path.c_str()));
    std::printf("screenshot: %ls\n", path.c_str());

    const Pixels launcher = testsupport::ReadImage(LoadPngResource(145).get());
    // The top band and the bottom band of the launcher picture.
    EXPECT_TRUE(testsupport::ColorsNear(shot.At(300, 20), launcher.At(300, 20), 3));
    EXPECT_TRUE(testsupport::ColorsNear(shot.At(600, 700), launcher.At(600, 700), 3));
    // The hovered link shows the right half of its strip, the next one the left half.
    const Pixels officialSite = testsupport::ReadImage(LoadPngResource(131).get());
    EXPECT_EQ(OpaqueMismatches(shot, officialSite, 745, 8, 80, 80), 0);
    const Pixels topUp = testsupport::ReadImage(LoadPngResource(134).get());
    EXPECT_EQ(OpaqueMismatches(shot, topUp, 825, 8, 0, 80), 0);
    // The checked tools button shows its pressed look, the close button its normal one.
    EXPECT_EQ(OpaqueMismatches(shot, testsupport::ReadImage(LoadPngResource(151).get()), 1015, 80), 0);
    EXPECT_EQ(OpaqueMismatches(shot, testsupport::ReadImage(LoadPngResource(209).get()), 1160, 80), 0);
    // Every look of the gallery is the image it stands for (strips: the right half).
    for (const Specimen& s : window.specimens) {
        const RECT& r = s.button->rect;
        const Pixels image = testsupport::ReadImage(LoadPngResource(s.ids.front()).get());
        if (image.width == r.right - r.left) {
            EXPECT_EQ(OpaqueMismatches(shot, image, r.left, r.top), 0) << s.ids.front();
        } else if (image.width / 2 == r.right - r.left) {
            const int half = image.width / 2;
            EXPECT_EQ(OpaqueMismatches(shot, image, r.left, r.top, s.look == Look::Normal ? 0 : half, half),
                      0)
                << s.ids.front();
        }
    }
    // The stretched title band is clean to its ends.
    const Pixels tile = testsupport::ReadImage(LoadPngResource(217).get());
    for (int row = 80; row < 105; ++row) {
        EXPECT_TRUE(testsupport::ColorsNear(shot.At(0, row), tile.At(12, row - 80), 8)) << row;
        EXPECT_TRUE(testsupport::ColorsNear(shot.At(1229, row), tile.At(12, row - 80), 8)) << row;
    }
    DestroyWindow(window.hwnd);
}

} // namespace
