#include "ui/background_layout.h"

#include "core/bytes.h"

// --- Gradient bands ------------------------------------------------------------

int32_t gradientBandHeight(int32_t height) {
    int32_t band = height / 224;
    if (band < 1) return 1;
    if (band > 3) return 3;
    return band;
}

ColourStepper::ColourStepper(int32_t difference, int32_t steps) {
    steps_ = steps < 1 ? 1 : steps;
    quotient_ = difference / steps_;
    int32_t rest = difference % steps_;
    unit_ = difference < 0 ? -1 : 1;
    remainder_ = rest < 0 ? -rest : rest;
    carried_ = 0;
}

int32_t ColourStepper::next() {
    carried_ += remainder_;
    if (carried_ < steps_) return quotient_;
    carried_ -= steps_;
    return quotient_ + unit_;
}

namespace {

int32_t channelOf(uint32_t colour, int index) { return (int32_t)((colour >> (8 * index)) & 0xFF); }

int32_t clampChannel(int32_t value) {
    if (value < 0) return 0;
    if (value > 255) return 255;
    return value;
}

}  // namespace

GradientBands::GradientBands(const LayoutRect& area, uint32_t topColour, uint32_t bottomColour)
    : area_(area),
      bandHeight_(gradientBandHeight(area.height())),
      y_(area.top),
      channel_{channelOf(topColour, 0), channelOf(topColour, 1), channelOf(topColour, 2)},
      stepper_{ColourStepper(channelOf(topColour, 0) - channelOf(bottomColour, 0), area.height() / bandHeight_),
               ColourStepper(channelOf(topColour, 1) - channelOf(bottomColour, 1), area.height() / bandHeight_),
               ColourStepper(channelOf(topColour, 2) - channelOf(bottomColour, 2), area.height() / bandHeight_)} {}

bool GradientBands::next(GradientBand& band) {
    if (y_ >= area_.bottom) return false;
    uint32_t colour = 0;
    for (int i = 0; i < 3; ++i) {
        channel_[i] -= stepper_[i].next();
        colour |= (uint32_t)clampChannel(channel_[i]) << (8 * i);
    }
    band.left = area_.left;
    band.top = y_;
    band.right = area_.right + 1;
    band.bottom = y_ + bandHeight_;
    band.colour = colour;
    y_ += bandHeight_;
    return true;
}

// --- The picture -----------------------------------------------------------------

int32_t scaleByPercent(int32_t value, int32_t percent) {
    int64_t twice = (int64_t)value * percent * 2;
    if (twice >= 0) return (int32_t)((twice + 100) / 200);
    return (int32_t)-((-twice + 100) / 200);
}

LayoutRect bitmapTarget(const LayoutRect& client, int32_t bitmapSize, int32_t bitmapWidth, int32_t bitmapHeight) {
    LayoutRect t = client;
    if (bitmapSize >= 100) return t;
    int32_t width = scaleByPercent(t.width(), bitmapSize);
    int32_t height = scaleByPercent(t.height(), bitmapSize);
    t.left = (t.right - width + t.left) / 2;
    t.top = (t.bottom - height + t.top) / 2;
    t.right = t.left + width - 1;
    t.bottom = t.top + height - 1;

    int32_t scaledWidth = scaleByPercent(bitmapWidth, bitmapSize);
    int32_t scaledHeight = scaleByPercent(bitmapHeight, bitmapSize);
    if (scaledWidth > scaledHeight) {
        int32_t newHeight = (int32_t)((int64_t)height * scaledHeight / scaledWidth);
        t.top = (t.bottom - newHeight + t.top + 1) >> 1;
        t.bottom = t.top + newHeight - 1;
    } else if (scaledHeight != 0) {
        int32_t newWidth = (int32_t)((int64_t)width * scaledWidth / scaledHeight);
        t.left = (t.right - newWidth + t.left + 1) >> 1;
        t.right = t.left + newWidth - 1;
    }
    return t;
}

BackgroundPlan backgroundPlan(bool bitmapEmpty, int32_t bitmapSize) {
    BackgroundPlan plan;
    plan.fill = bitmapEmpty || bitmapSize < 100;
    plan.picture = !bitmapEmpty && bitmapSize > 0;
    return plan;
}

// --- The title -----------------------------------------------------------------------

Vector<String> titleLines(const String& title) {
    Vector<String> lines;
    String rest = title;
    while (!rest.isEmpty()) {
        String line = rest.takeLine();
        line.trimEndOf(String::blanks);
        lines.append(moveValue(line));
    }
    return lines;
}

int32_t fontPixelHeight(int32_t pixelsPerInch, int32_t points) {
    return (int32_t)((int64_t)pixelsPerInch * points / 72);
}

int32_t titleFontPoints(int32_t clientWidth, MeasureTitle measure, void* context) {
    const int32_t largest = 26;
    const int32_t smallest = 6;
    for (int32_t points = largest; points > smallest; --points) {
        if ((int64_t)measure(points, context) + 2 < clientWidth) return points;
    }
    return smallest;
}

// --- Centring -----------------------------------------------------------------------------

WindowPlacement centredPlacement(int32_t screenWidth, int32_t screenHeight, int32_t width, int32_t height) {
    WindowPlacement p;
    p.width = width < screenWidth ? width : screenWidth;
    p.height = height < screenHeight ? height : screenHeight;
    p.x = (screenWidth - p.width) >> 1;
    p.y = (screenHeight - p.height) >> 1;
    if (p.x < 0) p.x = 0;
    if (p.y < 0) p.y = 0;
    return p;
}

// --- The packed bitmap -------------------------------------------------------------------------

namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kInfoHeaderWithMasks = 52;

// Compression kinds the system draws from memory: plain rows, run lengths of
// 8 and 4 bits, plain rows with colour masks.
constexpr uint32_t kPlainRows = 0;
constexpr uint32_t kMaskedRows = 3;

bool knownDepth(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

struct BitmapHeader {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t bits = 0;
    uint32_t colours = 0;
    uint32_t entrySize = 0;
    uint32_t compression = kPlainRows;
    uint32_t imageSize = 0;  // bytes of pixel data as the header states it
};

bool readBitmapHeader(const uint8_t* bytes, int32_t length, BitmapHeader& h) {
    h.headerSize = readLE32(bytes);
    if (h.headerSize == kCoreHeaderSize) {
        h.width = (int32_t)readLE16(bytes + 4);
        h.height = (int32_t)readLE16(bytes + 6);
        h.bits = readLE16(bytes + 10);
        h.colours = h.bits < 24 && knownDepth(h.bits) ? 1u << h.bits : 0;
        h.entrySize = 3;
        return true;
    }
    if (h.headerSize != kInfoHeaderSize || length < (int32_t)kInfoHeaderSize) return false;
    h.width = (int32_t)readLE32(bytes + 4);
    h.height = (int32_t)readLE32(bytes + 8);
    h.bits = readLE16(bytes + 14);
    h.compression = readLE32(bytes + 16);
    h.imageSize = readLE32(bytes + 20);
    h.colours = readLE32(bytes + 32);
    if (h.colours == 0 && h.bits < 16 && knownDepth(h.bits)) h.colours = 1u << h.bits;
    h.entrySize = 4;
    if (h.compression == kMaskedRows) h.headerSize = kInfoHeaderWithMasks;
    return true;
}

// Whether the pixel data the system reads for this header fits in `room`
// bytes. Each size is compared before it is multiplied, so nothing overflows.
bool pixelsFit(const BitmapHeader& h, uint32_t room) {
    const uint32_t runLength8 = 1, runLength4 = 2;
    if (h.compression == runLength8 || h.compression == runLength4) return h.imageSize > 0 && h.imageSize <= room;
    if (h.compression != kPlainRows && h.compression != kMaskedRows) return false;
    uint64_t stride = ((uint64_t)(uint32_t)h.width * h.bits + 31) / 32 * 4;
    uint32_t rows = h.height < 0 ? 0u - (uint32_t)h.height : (uint32_t)h.height;
    if (rows == 0) return true;
    return stride <= room && rows <= room / (uint32_t)stride;
}

}  // namespace

bool parsePackedBitmap(const uint8_t* bytes, int32_t length, PackedBitmap& out) {
    out = PackedBitmap();
    if (!bytes || length <= (int32_t)kCoreHeaderSize) return false;
    BitmapHeader h;
    if (!readBitmapHeader(bytes, length, h)) return false;
    if (h.width < 1 || !knownDepth(h.bits)) return false;
    uint32_t available = (uint32_t)length;
    if (h.headerSize > available || h.colours > (available - h.headerSize) / h.entrySize) return false;
    uint32_t bitsOffset = h.headerSize + h.colours * h.entrySize;
    if (!pixelsFit(h, available - bitsOffset)) return false;

    out.width = h.width;
    out.height = h.height;
    out.bitsPerPixel = (int32_t)h.bits;
    out.colourCount = (int32_t)h.colours;
    out.entrySize = (int32_t)h.entrySize;
    out.bitsOffset = (int32_t)bitsOffset;
    out.data.assign((const char*)bytes, length);
    return true;
}

int32_t packedBitmapLength(const uint8_t* header) {
    if (header[0] != 'B' || header[1] != 'M') return -1;
    uint32_t total = readLE32(header + 2);
    if (total < (uint32_t)kBitmapFileHeaderSize || total > 0x7FFFFFFF) return -1;
    return (int32_t)(total - kBitmapFileHeaderSize);
}
