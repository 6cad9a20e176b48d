// The background window's arithmetic, kept apart from the drawing so that it
// can be tested anywhere: the colour bands of the gradient fallback, where
// the picture goes, how the title is cut into lines and how big its font is,
// where a centred window goes, and reading a packed bitmap.
//
// Rectangles follow the library's convention: width = right - left + 1 and
// height = bottom - top + 1, also for the rectangles the system reports
// (whose right and bottom edges are exclusive).
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"

struct LayoutRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;

    int32_t width() const { return right - left + 1; }
    int32_t height() const { return bottom - top + 1; }
};

// --- The gradient without the system's gradient function -------------------

// Pixels per band for a rectangle `height` pixels high: height / 224, forced
// into 1 ... 3.
int32_t gradientBandHeight(int32_t height);

// Spreads `difference` over `steps` whole-number steps that sum to it exactly:
// each step is the quotient, and a running remainder adds one unit in the
// direction of the difference whenever it reaches `steps`. Steps below 1
// count as 1.
class ColourStepper {
public:
    ColourStepper(int32_t difference, int32_t steps);
    int32_t next();

private:
    int32_t quotient_;
    int32_t remainder_;  // magnitude of difference % steps
    int32_t unit_;       // +1 or -1: the direction of the difference
    int32_t steps_;
    int32_t carried_;
};

// One solid band of the fallback gradient: fill top ... bottom (exclusive)
// from left to right (exclusive) with `colour` (0x00BBGGRR).
struct GradientBand {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    uint32_t colour;
};

// The bands from the top colour to the bottom colour over `area`, top first.
// Each band is one step closer to the bottom colour than the one above;
// channels stay within 0 ... 255 even where an extra band would overshoot.
class GradientBands {
public:
    GradientBands(const LayoutRect& area, uint32_t topColour, uint32_t bottomColour);
    // The next band; false when the area is covered.
    bool next(GradientBand& band);

private:
    LayoutRect area_;
    int32_t bandHeight_;
    int32_t y_;
    int32_t channel_[3];
    ColourStepper stepper_[3];
};

// --- The picture -------------------------------------------------------------

// `value` × `percent` / 100, rounded half away from zero.
int32_t scaleByPercent(int32_t value, int32_t percent);

// Where the picture is stretched to inside `client` for `bitmapSize` percent
// (at least 1) and a bitmap of the given size. At 100 or more the whole
// client area. Below, the area is scaled about its centre and then one side
// is changed by the bitmap's proportions, then re-centred.
LayoutRect bitmapTarget(const LayoutRect& client, int32_t bitmapSize, int32_t bitmapWidth, int32_t bitmapHeight);

// What the erase step draws for these settings.
struct BackgroundPlan {
    bool fill;        // the colour (solid or gradient) under the picture
    bool picture;     // the picture at bitmapTarget
};
BackgroundPlan backgroundPlan(bool bitmapEmpty, int32_t bitmapSize);

// --- The title -----------------------------------------------------------------

// The lines of `title`, cut at CR, LF, CR LF or LF CR, each without its
// trailing blanks, tabs, CR and LF. A title ending in a line break has no
// empty last line.
Vector<String> titleLines(const String& title);

// Pixel cell height of a font of `points` at `pixelsPerInch`: trunc(ppi × points / 72).
int32_t fontPixelHeight(int32_t pixelsPerInch, int32_t points);

// Returns the title's width in pixels when drawn at `points`.
typedef int32_t (*MeasureTitle)(int32_t points, void* context);

// The title's font size in points: from 26 down, the first size whose measured
// width + 2 is less than `clientWidth`; sizes of 6 or below are not measured.
int32_t titleFontPoints(int32_t clientWidth, MeasureTitle measure, void* context);

// --- Centring a window on the screen -------------------------------------------

struct WindowPlacement {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// The window's size cut to the screen, placed in the middle (halved by an
// arithmetic shift), never left of or above 0.
WindowPlacement centredPlacement(int32_t screenWidth, int32_t screenHeight, int32_t width, int32_t height);

// --- The packed bitmap -------------------------------------------------------------

// A device-independent bitmap in memory: the bytes of a ".bmp" file after its
// 14-byte file header. Empty when the width is below 1.
struct PackedBitmap {
    int32_t width = 0;
    int32_t height = 0;         // negative: rows stored top-down
    int32_t bitsPerPixel = 0;
    int32_t colourCount = 0;    // entries of the colour table
    int32_t entrySize = 0;      // 3 or 4 bytes
    int32_t bitsOffset = 0;     // header size + colourCount × entrySize
    String data;

    bool isEmpty() const { return width < 1; }
};

// Reads the header of `bytes` into `out` and copies them. Headers of 12 bytes
// (core) and 40 bytes (info; 52 with colour masks) are known. Anything the
// system could not draw without reading outside the bytes leaves `out`
// empty and returns false: an unknown header, 12 bytes or fewer, a colour
// table or pixel rows beyond the end, a width below 1, an unknown depth.
bool parsePackedBitmap(const uint8_t* bytes, int32_t length, PackedBitmap& out);

// Size of a ".bmp" file's own header, which the packed form leaves out.
constexpr int32_t kBitmapFileHeaderSize = 14;

// The length of the packed bitmap that follows `header` (the file's first 14
// bytes): its total-size field less 14. -1 when the header does not begin with
// "BM" or the size is below 14.
int32_t packedBitmapLength(const uint8_t* header);
