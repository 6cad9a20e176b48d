#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/bytes.h"
#include "payload/settings_reader.h"
#include "ui/background.h"
#include "ui/background_layout.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string rectText(const LayoutRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// --- Gradient ----------------------------------------------------------------

TEST(UiGradientTest, BandHeightGrowsWithTheWindowUpToThreePixels) {
    struct Case {
        int32_t height, band;
    } cases[] = {{0, 1}, {1, 1}, {447, 1}, {448, 2}, {671, 2}, {672, 3}, {5000, 3}, {-10, 1}};
    for (const Case& c : cases) EXPECT_EQ(gradientBandHeight(c.height), c.band) << c.height;
}

TEST(UiGradientTest, StepperStepsSumToTheDifferenceExactly) {
    struct Case {
        int32_t difference, steps;
    } cases[] = {{255, 224}, {-255, 224}, {0, 10}, {7, 3}, {-7, 3}, {3, 7}, {-3, 7}, {10, 1}, {5, 0}, {200, 256}};
    for (const Case& c : cases) {
        ColourStepper stepper(c.difference, c.steps);
        int32_t steps = c.steps < 1 ? 1 : c.steps;
        int32_t quotient = c.difference / steps;
        int32_t sum = 0;
        for (int32_t i = 0; i < steps; ++i) {
            int32_t step = stepper.next();
            // Every step is the quotient or one unit more in the difference's direction.
            EXPECT_TRUE(step == quotient || step == quotient + (c.difference < 0 ? -1 : 1))
                << c.difference << "/" << c.steps << " step " << i << " = " << step;
            sum += step;
        }
        EXPECT_EQ(sum, c.difference) << c.difference << "/" << c.steps;
    }
}

struct BandRun {
    std::vector<GradientBand> bands;
};

BandRun runBands(const LayoutRect& area, uint32_t top, uint32_t bottom) {
    BandRun run;
    GradientBands bands(area, top, bottom);
    GradientBand band;
    while (bands.next(band)) run.bands.push_back(band);
    return run;
}

int32_t largestChannelGap(uint32_t a, uint32_t b) {
    int32_t gap = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int32_t d = (int32_t)((a >> shift) & 0xFF) - (int32_t)((b >> shift) & 0xFF);
        if (d < 0) d = -d;
        if (d > gap) gap = d;
    }
    return gap;
}

TEST(UiGradientTest, BandsCoverTheAreaAndEndAtTheBottomColour) {
    struct Case {
        LayoutRect area;
        uint32_t top, bottom;
        int32_t bandHeight;
        bool lastIsBottom;  // as many bands as steps (or more)
    } cases[] = {
        {{0, 0, 1024, 768}, 0xFF8000, 0x000000, 3, true},  // 769 rows: bands of 3
        {{0, 0, 800, 600}, 0x102030, 0xF0E0D0, 2, true},
        // One-pixel bands stop one step short: there is one row fewer than steps.
        {{0, 0, 640, 400}, 0x0000FF, 0x00FF00, 1, false},
        // 674 rows give one band more than there are steps: no overshoot.
        {{0, 0, 100, 673}, 0xFFFFFF, 0x000000, 3, true},
        {{0, 0, 100, 673}, 0x000000, 0xFFFFFF, 3, true},
    };
    for (const Case& c : cases) {
        BandRun run = runBands(c.area, c.top, c.bottom);
        ASSERT_FALSE(run.bands.empty());
        int32_t y = c.area.top;
        for (const GradientBand& band : run.bands) {
            EXPECT_EQ(band.top, y);
            EXPECT_EQ(band.bottom - band.top, c.bandHeight);
            EXPECT_EQ(band.left, c.area.left);
            EXPECT_EQ(band.right, c.area.right + 1) << "right edge widened by one pixel";
            y = band.bottom;
        }
        EXPECT_GE(y, c.area.bottom);
        EXPECT_LT(run.bands.back().top, c.area.bottom);
        uint32_t last = run.bands.back().colour;
        if (c.lastIsBottom) {
            EXPECT_EQ(last, c.bottom) << rectText(c.area);
        } else {
            EXPECT_LE(largestChannelGap(last, c.bottom), 1) << rectText(c.area);
        }
    }
}

TEST(UiGradientTest, EachBandIsOneStepCloserToTheBottom) {
    // 765 rows: 255 bands of 3, one unit of red each, from 255 down to 0.
    BandRun run = runBands({0, 0, 10, 764}, 0x0000FF, 0x000000);
    ASSERT_EQ(run.bands.size(), 255u);
    EXPECT_EQ(run.bands[0].colour, 0x0000FEu) << "the first band already took a step";
    EXPECT_EQ(run.bands[1].colour, 0x0000FDu);
    EXPECT_EQ(run.bands[254].colour, 0u);
}

// --- Picture --------------------------------------------------------------------

TEST(UiBitmapTargetTest, ScalingRoundsHalfAwayFromZero) {
    struct Case {
        int32_t value, percent, result;
    } cases[] = {{1025, 50, 513}, {769, 50, 385}, {3, 50, 2}, {-3, 50, -2}, {100, 0, 0},
                 {1, 49, 0},      {1, 50, 1},     {200, 33, 66}, {0x7FFFFFFF, 99, 2126008811}};
    for (const Case& c : cases) EXPECT_EQ(scaleByPercent(c.value, c.percent), c.result) << c.value << "*" << c.percent;
}

TEST(UiBitmapTargetTest, TargetFollowsSizeAndProportions) {
    const LayoutRect screen = {0, 0, 1024, 768};  // as the system reports a 1024 x 768 client area
    struct Case {
        const char* what;
        int32_t size, width, height;
        const char* target;
    } cases[] = {
        {"100 % fills the window, proportions ignored", 100, 30, 500, "0,0,1024,768"},
        {"above 100 as well", 250, 30, 500, "0,0,1024,768"},
        {"50 % square: half the window, centred", 50, 64, 64, "255,191,767,575"},
        {"50 % wide: height by the bitmap's proportion", 50, 200, 100, "255,287,767,478"},
        {"50 % tall: width by the bitmap's proportion", 50, 100, 200, "383,191,638,575"},
        {"no rows: height 0, re-centred", 50, 64, 0, "255,383,767,382"},
        {"1 %", 1, 64, 64, "507,380,516,387"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rectText(bitmapTarget(screen, c.size, c.width, c.height)), c.target) << c.what;
    }
}

TEST(UiBitmapTargetTest, PlanChoosesColourPictureOrBoth) {
    struct Case {
        bool empty;
        int32_t size;
        bool fill, picture;
    } cases[] = {
        {true, 50, true, false},  {true, 100, true, false}, {false, 100, false, true}, {false, 150, false, true},
        {false, 50, true, true},  {false, 0, true, false},  {false, -5, true, false},  {false, 1, true, true},
    };
    for (const Case& c : cases) {
        BackgroundPlan plan = backgroundPlan(c.empty, c.size);
        EXPECT_EQ(plan.fill, c.fill) << c.empty << " " << c.size;
        EXPECT_EQ(plan.picture, c.picture) << c.empty << " " << c.size;
    }
}

// --- Title ------------------------------------------------------------------------

TEST(UiTitleTest, LinesAreCutAtEveryLineEndAndTrimmedAtTheEnd) {
    struct Case {
        const char* title;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"One", {"One"}},
        {"  Lead kept  \t", {"  Lead kept"}},
        {"A\r\nB", {"A", "B"}},
        {"A\nB", {"A", "B"}},
        {"A\rB", {"A", "B"}},
        {"A\n\rB", {"A", "B"}},
        {"A \t\r\n\r\nB ", {"A", "", "B"}},
        {"A\r\n", {"A"}},
        {"A\n\nB", {"A", "", "B"}},
    };
    for (const Case& c : cases) {
        Vector<String> lines = titleLines(String(c.title));
        std::vector<std::string> got;
        for (const String& line : lines) got.push_back(line.text());
        EXPECT_EQ(got, c.lines) << c.title;
    }
}

TEST(UiTitleTest, FontPixelHeightTruncates) {
    EXPECT_EQ(fontPixelHeight(96, 26), 34);
    EXPECT_EQ(fontPixelHeight(120, 26), 43);
    EXPECT_EQ(fontPixelHeight(96, 6), 8);
    EXPECT_EQ(fontPixelHeight(72, 10), 10);
}

struct FakeMeasure {
    int32_t pixelsPerPoint;
    std::vector<int32_t> measured;
};

int32_t measureFake(int32_t points, void* context) {
    FakeMeasure* fake = static_cast<FakeMeasure*>(context);
    fake->measured.push_back(points);
    return points * fake->pixelsPerPoint;
}

TEST(UiTitleTest, FontShrinksByWholePointsUntilTwoPixelsAreSpare) {
    struct Case {
        int32_t clientWidth, pixelsPerPoint, points;
    } cases[] = {
        {1000, 10, 26},  // 260 + 2 < 1000
        {263, 10, 26},   // 262 < 263
        {262, 10, 25},   // 262 is not less than 262
        {203, 10, 20},
        {73, 10, 7},
        {72, 10, 6},     // 7 does not fit; 6 is taken without measuring
        {10, 1000, 6},
    };
    for (const Case& c : cases) {
        FakeMeasure fake = {c.pixelsPerPoint, {}};
        EXPECT_EQ(titleFontPoints(c.clientWidth, measureFake, &fake), c.points) << c.clientWidth;
        ASSERT_FALSE(fake.measured.empty());
        EXPECT_EQ(fake.measured.front(), 26);
        for (int32_t points : fake.measured) EXPECT_GT(points, 6) << "sizes of 6 or below are not measured";
    }
}

// --- Centring -------------------------------------------------------------------------

TEST(UiCentreTest, WindowIsCutToTheScreenAndCentred) {
    struct Case {
        int32_t screenWidth, screenHeight, width, height;
        WindowPlacement placed;
    } cases[] = {
        {1024, 768, 400, 300, {312, 234, 400, 300}},
        {1025, 769, 400, 300, {312, 234, 400, 300}},
        {1024, 768, 2000, 1000, {0, 0, 1024, 768}},
        {1024, 768, 2000, 100, {0, 334, 1024, 100}},
        {640, 480, 640, 480, {0, 0, 640, 480}},
    };
    for (const Case& c : cases) {
        WindowPlacement p = centredPlacement(c.screenWidth, c.screenHeight, c.width, c.height);
        EXPECT_EQ(p.x, c.placed.x) << c.width << "x" << c.height;
        EXPECT_EQ(p.y, c.placed.y) << c.width << "x" << c.height;
        EXPECT_EQ(p.width, c.placed.width);
        EXPECT_EQ(p.height, c.placed.height);
    }
}

// --- Packed bitmaps ------------------------------------------------------------------------

// A packed bitmap with an info header (40 bytes) or core header (12 bytes)
// and `extra` bytes after it; the caller sizes `extra` for the case.
Bytes infoBitmap(int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t imageSize,
                 uint32_t coloursUsed, size_t extra) {
    Bytes b(40 + extra, 0);
    writeLE32(&b[0], 40);
    writeLE32(&b[4], (uint32_t)width);
    writeLE32(&b[8], (uint32_t)height);
    writeLE16(&b[12], 1);
    writeLE16(&b[14], bits);
    writeLE32(&b[16], compression);
    writeLE32(&b[20], imageSize);
    writeLE32(&b[32], coloursUsed);
    return b;
}

Bytes coreBitmap(uint16_t width, uint16_t height, uint16_t bits, size_t extra) {
    Bytes b(12 + extra, 0);
    writeLE32(&b[0], 12);
    writeLE16(&b[4], width);
    writeLE16(&b[6], height);
    writeLE16(&b[8], 1);
    writeLE16(&b[10], bits);
    return b;
}

TEST(UiPackedBitmapTest, KnownHeadersGiveTheirLayout) {
    struct Case {
        const char* what;
        Bytes bytes;
        int32_t width, height, bits, colours, entrySize, bitsOffset;
    } cases[] = {
        {"24 bits, rows padded to 4 bytes", infoBitmap(2, 2, 24, 0, 0, 0, 16), 2, 2, 24, 0, 4, 40},
        {"top-down rows", infoBitmap(2, -2, 24, 0, 0, 0, 16), 2, -2, 24, 0, 4, 40},
        {"8 bits, full colour table", infoBitmap(4, 1, 8, 0, 0, 0, 1024 + 4), 4, 1, 8, 256, 4, 1064},
        {"8 bits, colours used", infoBitmap(4, 1, 8, 0, 0, 2, 8 + 4), 4, 1, 8, 2, 4, 48},
        {"16 bits with masks", infoBitmap(2, 1, 16, 3, 0, 0, 12 + 4), 2, 1, 16, 0, 4, 52},
        {"32 bits with a table", infoBitmap(1, 1, 32, 0, 0, 3, 12 + 4), 1, 1, 32, 3, 4, 52},
        {"run lengths within the data", infoBitmap(8, 8, 8, 1, 10, 2, 8 + 10), 8, 8, 8, 2, 4, 48},
        {"core header, 1 bit", coreBitmap(8, 1, 1, 6 + 4), 8, 1, 1, 2, 3, 18},
        {"core header, 24 bits", coreBitmap(1, 1, 24, 4), 1, 1, 24, 0, 3, 12},
    };
    for (const Case& c : cases) {
        PackedBitmap bitmap;
        ASSERT_TRUE(parsePackedBitmap(c.bytes.data(), (int32_t)c.bytes.size(), bitmap)) << c.what;
        EXPECT_EQ(bitmap.width, c.width) << c.what;
        EXPECT_EQ(bitmap.height, c.height) << c.what;
        EXPECT_EQ(bitmap.bitsPerPixel, c.bits) << c.what;
        EXPECT_EQ(bitmap.colourCount, c.colours) << c.what;
        EXPECT_EQ(bitmap.entrySize, c.entrySize) << c.what;
        EXPECT_EQ(bitmap.bitsOffset, c.bitsOffset) << c.what;
        ASSERT_EQ(bitmap.data.length(), (int32_t)c.bytes.size()) << c.what;
        EXPECT_EQ(memcmp(bitmap.data.text(), c.bytes.data(), c.bytes.size()), 0) << c.what;
        EXPECT_FALSE(bitmap.isEmpty());
    }
}

TEST(UiPackedBitmapTest, AnythingThatWouldBeReadBeyondTheDataLeavesItEmpty) {
    Bytes v4Header = infoBitmap(2, 2, 24, 0, 0, 0, 200);
    writeLE32(&v4Header[0], 108);
    Bytes shortInfo = infoBitmap(2, 2, 24, 0, 0, 0, 0);
    shortInfo.resize(39);
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"pixel rows one byte short", infoBitmap(2, 2, 24, 0, 0, 0, 15)},
        {"colour table one byte short", infoBitmap(4, 1, 8, 0, 0, 0, 1024 + 3)},
        {"colours used beyond any size", infoBitmap(1, 1, 8, 0, 0, 0xFFFFFFFF, 64)},
        {"rows beyond any size", infoBitmap(1, (int32_t)0x80000000, 8, 0, 0, 1, 64)},
        {"width beyond any size", infoBitmap(0x7FFFFFFF, 1, 32, 0, 0, 0, 64)},
        {"width times rows beyond 64 bits", infoBitmap(0x7F7F7F7F, 0x7F7F7F7F, 24, 0, 0, 0, 64)},
        {"width 0", infoBitmap(0, 2, 24, 0, 0, 0, 64)},
        {"negative width", infoBitmap(-2, 2, 24, 0, 0, 0, 64)},
        {"unknown depth", infoBitmap(2, 2, 7, 0, 0, 0, 64)},
        {"run lengths without a size", infoBitmap(8, 8, 8, 1, 0, 2, 64)},
        {"run lengths beyond the data", infoBitmap(8, 8, 8, 1, 100, 2, 64)},
        {"compressed form the system cannot bound", infoBitmap(8, 8, 24, 4, 10, 0, 64)},
        {"other header size", v4Header},
        {"info header cut short", shortInfo},
        {"only a core header", coreBitmap(1, 1, 24, 0)},
        {"core header, colour table short", coreBitmap(8, 1, 8, 100)},
        {"nothing", Bytes()},
    };
    for (const Case& c : cases) {
        PackedBitmap bitmap;
        Bytes good = infoBitmap(1, 1, 24, 0, 0, 0, 4);
        ASSERT_TRUE(parsePackedBitmap(good.data(), (int32_t)good.size(), bitmap));
        EXPECT_FALSE(parsePackedBitmap(c.bytes.data(), (int32_t)c.bytes.size(), bitmap)) << c.what;
        EXPECT_TRUE(bitmap.isEmpty()) << c.what << ": an earlier picture must not survive";
        EXPECT_TRUE(bitmap.data.isEmpty()) << c.what;
    }
    PackedBitmap bitmap;
    EXPECT_FALSE(parsePackedBitmap(nullptr, 100, bitmap));
}

TEST(UiPackedBitmapTest, FileHeaderMustStartWithBM) {
    struct Case {
        const char* magic;
        uint32_t total;
        int32_t length;
    } cases[] = {
        {"BM", 100, 86}, {"BM", 14, 0}, {"BM", 13, -1}, {"BM", 0xFFFFFFFF, -1}, {"BX", 100, -1}, {"MB", 100, -1},
    };
    for (const Case& c : cases) {
        uint8_t header[14] = {};
        memcpy(header, c.magic, 2);
        writeLE32(header + 2, c.total);
        EXPECT_EQ(packedBitmapLength(header), c.length) << c.magic << " " << c.total;
    }
}

// --- Settings taken from the settings block -----------------------------------------------------

TEST(UiBackgroundSettingsTest, SettingsBlockGivesColoursPictureAndPlacement) {
    SettingsBlock block;
    block.titleColor = 0x00FFFF;
    block.titleShadow = 3;
    block.topColor = 0x800000;
    block.bottomColor = 0x800000;
    block.bitmapSize = 50;
    Bytes picture = infoBitmap(1, 1, 24, 0, 0, 0, 4);
    block.backgroundBitmap.assign((const char*)picture.data(), (int32_t)picture.size());
    takeBackgroundSettings(block);
    EXPECT_EQ(TitleColor, 0x00FFFFu);
    EXPECT_EQ(TitleShadow, 3);
    EXPECT_TRUE(MonoColor) << "equal colours mean one colour";
    EXPECT_EQ(BitmapSize, 50);
    EXPECT_EQ(BackgroundBitmap.width, 1);

    block.bottomColor = 0;
    block.backgroundBitmap = "not a bitmap at all";
    takeBackgroundSettings(block);
    EXPECT_FALSE(MonoColor);
    EXPECT_TRUE(BackgroundBitmap.isEmpty());

    takeBackgroundPlacement(0x100);
    EXPECT_TRUE(BackgroundMaximised);
    takeBackgroundPlacement(0xFEFF);
    EXPECT_FALSE(BackgroundMaximised);
}

}  // namespace
