#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/PixelSupport.h"
#include "toolkit/CImageStatic.h"
#include "toolkit/ImageHelpers.h"

using namespace Gdiplus::DllExports;
using testsupport::Canvas;
using testsupport::Pixels;
using testsupport::ReadImage;

namespace {

const auto* const gdiplusSession = ::testing::AddGlobalTestEnvironment(new testsupport::GdiplusEnvironment);

struct SkinImage {
    int id;
    UINT width;
    UINT height;
};

// Every skin image the executable carries, with its size.
const SkinImage kSkinImages[] = {
    {130, 33, 16}, {131, 160, 34},   {132, 160, 34}, {133, 160, 34}, {134, 160, 34}, {135, 31, 16},
    {137, 50, 50}, {138, 82, 22},    {139, 82, 22},  {140, 82, 22},  {141, 82, 22},  {142, 295, 190},
    {143, 68, 35}, {145, 1230, 728}, {146, 68, 35},  {147, 68, 35},  {148, 68, 35},  {149, 400, 30},
    {150, 20, 20}, {151, 25, 25},    {152, 25, 25},  {153, 25, 25},  {154, 25, 25},  {155, 25, 25},
    {156, 25, 25}, {157, 25, 25},    {158, 25, 25},  {159, 500, 4},  {160, 500, 4},  {161, 128, 22},
    {196, 25, 25}, {208, 25, 25},    {209, 25, 25},  {210, 25, 25},  {211, 25, 25},  {212, 25, 25},
    {213, 25, 25}, {214, 25, 25},    {215, 25, 25},  {216, 25, 25},  {217, 25, 25},  {219, 4, 16},
    {220, 4, 16},  {221, 434, 85},   {226, 20, 20},  {227, 20, 20},  {228, 20, 20},
};

TEST(LoadPngResource, EverySkinImageLoadsAtItsSize) {
    EXPECT_EQ(std::size(kSkinImages), 47u);
    for (const SkinImage& expected : kSkinImages) {
        ImagePtr image = LoadPngResource(expected.id);
        ASSERT_TRUE(image) << "id " << expected.id;
        UINT width = 0, height = 0;
        GdipGetImageWidth(image.get(), &width);
        GdipGetImageHeight(image.get(), &height);
        EXPECT_EQ(width, expected.width) << "id " << expected.id;
        EXPECT_EQ(height, expected.height) << "id " << expected.id;
    }
}

TEST(LoadPngResource, AbsentIdsGiveNull) {
    for (int id : {0, 136, 144, 128, 129, 999}) {
        EXPECT_FALSE(LoadPngResource(id)) << "id " << id;
    }
}

TEST(LoadPngResource, TwoLoadsOfOneIdAreIndependent) {
    ImagePtr first = LoadPngResource(143);
    ImagePtr second = LoadPngResource(143);
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.get(), second.get());
    const Pixels original = ReadImage(second.get());

    // Painting over one leaves the other as it was, and so does disposing of it.
    Gdiplus::GpGraphics* graphics = nullptr;
    ASSERT_EQ(GdipGetImageGraphicsContext(first.get(), &graphics), Gdiplus::Ok);
    GdipGraphicsClear(graphics, 0xFF0000FF);
    GdipDeleteGraphics(graphics);
    EXPECT_EQ(ReadImage(first.get()).At(34, 17), 0xFF0000FFu);
    EXPECT_EQ(ReadImage(second.get()).argb, original.argb);
    first.reset();
    EXPECT_EQ(ReadImage(second.get()).argb, original.argb);
}

TEST(LoadPngResource, LoadingAndDisposingLeavesNoMemoryBehind) {
    // A leak of the resource copy or the stream would grow by at least one block per round.
    EXPECT_TRUE(testsupport::LeavesNothingBehind([] { LoadPngResource(145).reset(); }, 20));
}

TEST(CropImage, StripHalvesAreCopiedExactly) {
    ImagePtr strip = LoadPngResource(131);
    ASSERT_TRUE(strip);
    const Pixels whole = ReadImage(strip.get());
    ASSERT_EQ(whole.width, 160);
    for (int x : {0, 80}) {
        ImagePtr half = CropImage(strip.get(), x, 80, 34);
        ASSERT_TRUE(half);
        Gdiplus::PixelFormat format = 0;
        GdipGetImagePixelFormat(half.get(), &format);
        EXPECT_EQ(format, PixelFormat32bppARGB);
        const Pixels cropped = ReadImage(half.get());
        ASSERT_EQ(cropped.width, 80);
        ASSERT_EQ(cropped.height, 34);
        int differing = 0;
        for (int row = 0; row < 34; ++row) {
            for (int column = 0; column < 80; ++column) {
                if (cropped.At(column, row) != whole.At(x + column, row))
                    ++differing;
            }
        }
        EXPECT_EQ(differing, 0) << "half starting at " << x;
    }
    // The halves differ from each other: the right one is the hover look.
    EXPECT_NE(ReadImage(CropImage(strip.get(), 0, 80, 34).get()).argb,
              ReadImage(CropImage(strip.get(), 80, 80, 34).get()).argb);
}

TEST(CropImage, WithoutSourceOrSizeGivesNull) {
    EXPECT_FALSE(CropImage(nullptr, 0, 10, 10));
    ImagePtr strip = LoadPngResource(131);
    EXPECT_FALSE(CropImage(strip.get(), 0, 0, 34));
}

// A family the system has, to check MakeFont with.
std::wstring InstalledFamily() {
    for (const wchar_t* name : {L"Tahoma", L"Arial", L"DejaVu Sans", L"Liberation Sans"}) {
        Gdiplus::GpFontFamily* family = nullptr;
        if (GdipCreateFontFamilyFromName(name, nullptr, &family) == Gdiplus::Ok) {
            GdipDeleteFontFamily(family);
            return name;
        }
    }
    return L"";
}

std::wstring FamilyOf(Gdiplus::GpFont* font) {
    Gdiplus::GpFontFamily* family = nullptr;
    if (GdipGetFamily(font, &family) != Gdiplus::Ok)
        return L"";
    wchar_t name[LF_FACESIZE] = {};
    GdipGetFamilyName(family, name, LANG_NEUTRAL);
    GdipDeleteFontFamily(family);
    return name;
}

TEST(MakeFont, NamedFamilyInPoints) {
    const std::wstring family = InstalledFamily();
    ASSERT_FALSE(family.empty());
    FontPtr font = MakeFont(family.c_str(), 9.0f, Gdiplus::FontStyleBold);
    ASSERT_TRUE(font);
    EXPECT_EQ(FamilyOf(font.get()), family);
    Gdiplus::REAL size = 0;
    GdipGetFontSize(font.get(), &size);
    EXPECT_FLOAT_EQ(size, 9.0f);
    Gdiplus::Unit unit = Gdiplus::UnitPixel;
    GdipGetFontUnit(font.get(), &unit);
    EXPECT_EQ(unit, Gdiplus::UnitPoint);
    INT style = 0;
    GdipGetFontStyle(font.get(), &style);
    EXPECT_EQ(style, Gdiplus::FontStyleBold);
}

TEST(MakeFont, MissingFamilyFallsBackToGenericSansSerif) {
    Gdiplus::GpFontFamily* generic = nullptr;
    const bool haveGeneric = GdipGetGenericFontFamilySansSerif(&generic) == Gdiplus::Ok && generic;
    FontPtr font = MakeFont(L"No Such Family Anywhere", 9.0f, 0);
    if (!haveGeneric) {
        // Not even the generic family: the font stays empty, and nothing fails.
        EXPECT_FALSE(font);
        return;
    }
    wchar_t genericName[LF_FACESIZE] = {};
    GdipGetFamilyName(generic, genericName, LANG_NEUTRAL);
    ASSERT_TRUE(font);
    EXPECT_EQ(FamilyOf(font.get()), genericName);
}

TEST(AddRoundRect, AppendsAnOpenRoundedOutline) {
    Gdiplus::GpPath* raw = nullptr;
    ASSERT_EQ(GdipCreatePath(Gdiplus::FillModeAlternate, &raw), Gdiplus::Ok);
    PathPtr path(raw);
    AddRoundRect(raw, RECT{10, 20, 110, 80}, 8, 6);

    INT count = 0;
    GdipGetPointCount(raw, &count);
    ASSERT_GT(count, 8);
    std::vector<Gdiplus::PointF> points(count);
    std::vector<BYTE> types(count);
    GdipGetPathPoints(raw, points.data(), count);
    GdipGetPathTypes(raw, types.data(), count);
    // Starts on the left edge at the end of the top-left corner, ends with the left edge line.
    EXPECT_NEAR(points.front().X, 10, 0.01);
    EXPECT_NEAR(points.front().Y, 26, 0.01);
    EXPECT_NEAR(points.back().X, 10, 0.01);
    EXPECT_NEAR(points.back().Y, 74, 0.01);
    EXPECT_EQ(types.back() & Gdiplus::PathPointTypeCloseSubpath, 0);
    Gdiplus::GpRect bounds;
    GdipGetPathWorldBoundsI(raw, &bounds, nullptr, nullptr);
    EXPECT_EQ(bounds.X, 10);
    EXPECT_EQ(bounds.Y, 20);
    EXPECT_EQ(bounds.Width, 100);
    EXPECT_EQ(bounds.Height, 60);

    // Stroked: the edges are drawn, the rounded-off corner pixels are not.
    Canvas canvas(130, 100);
    Gdiplus::GpPen* pen = nullptr;
    GdipCreatePen1(0xFFFF0000, 1.0f, Gdiplus::UnitPixel, &pen);
    GdipDrawPath(canvas.graphics(), pen, raw);
    GdipDeletePen(pen);
    const Pixels drawn = canvas.Read();
    EXPECT_GT(testsupport::AlphaOf(drawn.At(60, 20)), 0);
    EXPECT_GT(testsupport::AlphaOf(drawn.At(10, 50)), 0);
    EXPECT_GT(testsupport::AlphaOf(drawn.At(110, 50)), 0);
    EXPECT_GT(testsupport::AlphaOf(drawn.At(60, 80)), 0);
    EXPECT_EQ(testsupport::AlphaOf(drawn.At(10, 20)), 0);
    EXPECT_EQ(testsupport::AlphaOf(drawn.At(110, 80)), 0);
}

TEST(CImageStatic, StartsUnanchoredAndEmpty) {
    CImageStatic item;
    EXPECT_EQ(item.rightMargin, -1);
    EXPECT_EQ(item.bottomMargin, -1);
    EXPECT_EQ(item.fixedLeft, -1);
    EXPECT_EQ(item.fixedTop, -1);
    EXPECT_FALSE(item.smoothEdges);
    EXPECT_FALSE(item.image);
    RECT zero = {0, 0, 0, 0};
    EXPECT_TRUE(EqualRect(&item.rect, &zero));
}

TEST(CImageStatic, DrawsAtItsRectOrTheGivenOne) {
    CImageStatic item;
    item.image = LoadPngResource(150);
    item.rect = {5, 5, 25, 25};
    struct Case {
        RECT target;
        POINT inside;
        POINT outside;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, {15, 15}, {45, 15}},
        {{0, 7, 0, 9}, {15, 15}, {45, 15}}, // zero width: still the own rect
        {{40, 0, 60, 20}, {50, 10}, {15, 15}},
    };
    for (const Case& c : cases) {
        Canvas canvas(70, 40);
        item.Draw(canvas.graphics(), c.target);
        const Pixels drawn = canvas.Read();
        EXPECT_GT(testsupport::AlphaOf(drawn.At(c.inside.x, c.inside.y)), 0);
        EXPECT_EQ(drawn.At(c.outside.x, c.outside.y), 0u);
    }
    item.image.reset();
    Canvas empty(70, 40);
    item.Draw(empty.graphics(), RECT{0, 0, 0, 0});
    for (uint32_t pixel : empty.Read().argb)
        ASSERT_EQ(pixel, 0u);
}

TEST(CImageStatic, ClippedDrawShowsTheSamePixelsInsideTheClipOnly) {
    CImageStatic item;
    item.image = LoadPngResource(145);
    item.rect = {10, 5, 1240, 733};
    Canvas whole(1250, 740);
    item.Draw(whole.graphics(), RECT{0, 0, 0, 0});
    const Pixels expected = whole.Read();

    Canvas clipped(1250, 740);
    GdipSetClipRectI(clipped.graphics(), 700, 10, 200, 40, Gdiplus::CombineModeReplace);
    GdipSetClipRectI(clipped.graphics(), 1000, 600, 300, 300, Gdiplus::CombineModeUnion);
    item.Draw(clipped.graphics(), RECT{0, 0, 0, 0});
    const Pixels shown = clipped.Read();
    int wrong = 0;
    for (int y = 0; y < 740; ++y) {
        for (int x = 0; x < 1250; ++x) {
            const bool inside = (x >= 700 && x < 900 && y >= 10 && y < 50) || (x >= 1000 && y >= 600);
            if (shown.At(x, y) != (inside ? expected.At(x, y) : 0u))
                ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(CImageStatic, SmoothEdgesKeepTheEndsOfAStretchedTileClean) {
    CImageStatic item;
    item.image = LoadPngResource(217);
    ASSERT_TRUE(item.image);
    item.smoothEdges = true;
    item.rect = {0, 0, 1366, 25};
    Canvas canvas(1366, 25);
    item.Draw(canvas.graphics(), RECT{0, 0, 0, 0});
    const Pixels band = canvas.Read();
    const Pixels tile = ReadImage(item.image.get());
    for (int row = 0; row < 25; ++row) {
        const uint32_t middle = band.At(683, row);
        EXPECT_TRUE(testsupport::ColorsNear(middle, tile.At(12, row), 6)) << "row " << row;
        for (int column : {0, 1, 2, 1363, 1364, 1365}) {
            const uint32_t end = band.At(column, row);
            EXPECT_EQ(testsupport::AlphaOf(end), 255) << "column " << column << " row " << row;
            EXPECT_TRUE(testsupport::ColorsNear(end, middle, 6))
                << std::hex << end << " vs " << middle << " at column " << std::dec << column << " row "
                << row;
        }
    }
}

} // namespace
