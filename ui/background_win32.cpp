// The background window on Windows: class, placement, erase and paint.
#include <windows.h>

#include "core/path.h"
#include "core/system_info.h"
#include "driver/failure.h"
#include "payload/format.h"
#include "ui/background.h"

namespace {

const char kClassName[] = "TAV Window Class";
const char kWindowFailure[] = "Failed to create the installer's window.  Please reboot your machine and try again.";

bool classRegistered = false;

// The system's gradient function, looked up once: it is missing on the
// oldest systems, which get the band fallback instead.
typedef decltype(&::GradientFill) GradientFillFunction;
bool gradientLookedUp = false;
void* gradientEntry = nullptr;

GradientFillFunction gradientFunction() {
    if (!gradientLookedUp) {
        gradientLookedUp = true;
        BindFunction("msimg32.dll", "GradientFill", gradientEntry);
    }
    return gradientEntry ? asFunction<GradientFillFunction>(gradientEntry) : nullptr;
}

LayoutRect layoutOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

void fillSolid(HDC dc, const RECT& area, uint32_t colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

void setVertex(TRIVERTEX& v, LONG x, LONG y, uint32_t colour) {
    v.x = x;
    v.y = y;
    v.Red = (COLOR16)((colour & 0xFF) << 8);
    v.Green = (COLOR16)(((colour >> 8) & 0xFF) << 8);
    v.Blue = (COLOR16)(((colour >> 16) & 0xFF) << 8);
    v.Alpha = 0;
}

void paintGradient(HDC dc, const RECT& area, uint32_t top, uint32_t bottom) {
    if (GradientFillFunction fill = gradientFunction()) {
        TRIVERTEX vertices[2];
        setVertex(vertices[0], area.left, area.top, top);
        setVertex(vertices[1], area.right, area.bottom, bottom);
        GRADIENT_RECT corners = {0, 1};
        fill(dc, vertices, 2, &corners, 1, GRADIENT_FILL_RECT_V);
        return;
    }
    GradientBands bands(layoutOf(area), top, bottom);
    GradientBand band;
    while (bands.next(band)) {
        RECT r = {band.left, band.top, band.right, band.bottom};
        fillSolid(dc, r, band.colour);
    }
}

void paintPicture(HDC dc, const RECT& client) {
    const PackedBitmap& bitmap = BackgroundBitmap;
    LayoutRect t = bitmapTarget(layoutOf(client), BitmapSize, bitmap.width, bitmap.height);
    const char* data = bitmap.data.text();
    StretchDIBits(dc, t.left, t.top, t.width(), t.height(), 0, 0, bitmap.width, bitmap.height,
                  data + bitmap.bitsOffset, (const BITMAPINFO*)data, DIB_RGB_COLORS, SRCCOPY);
}

void eraseBackground(HWND window, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    BackgroundPlan plan = backgroundPlan(BackgroundBitmap.isEmpty(), BitmapSize);
    if (plan.fill) {
        if (MonoColor) {
            fillSolid(dc, client, TopColor);
        } else {
            paintGradient(dc, client, TopColor, BottomColor);
        }
    }
    if (plan.picture) paintPicture(dc, client);
}

HFONT createTitleFont(HDC dc, int32_t points) {
    int32_t height = fontPixelHeight(GetDeviceCaps(dc, LOGPIXELSY), points);
    return CreateFontA(height, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, "Times New Roman");
}

int32_t measureTitle(int32_t points, void* context) {
    HDC dc = (HDC)context;
    HFONT font = createTitleFont(dc, points);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, DisplayTitle.text(), DisplayTitle.length(), &size);
    SelectObject(dc, previous);
    DeleteObject(font);
    return size.cx;
}

void drawTitleLines(HDC dc, const Vector<String>& lines, int32_t x, int32_t y, int32_t lineHeight) {
    for (const String& line : lines) {
        TextOutA(dc, x, y, line.text(), line.length());
        y += lineHeight;
    }
}

void paintTitle(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!DisplayTitle.isBlank()) {
        RECT client;
        GetClientRect(window, &client);
        int32_t points = titleFontPoints(layoutOf(client).width(), measureTitle, dc);
        HFONT font = createTitleFont(dc, points);
        int32_t lineHeight = fontPixelHeight(GetDeviceCaps(dc, LOGPIXELSY), points);
        HGDIOBJ previous = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        Vector<String> lines = titleLines(DisplayTitle);
        if (TitleShadow != 0) {
            SetTextColor(dc, 0);
            drawTitleLines(dc, lines, TitleShadow + 2, TitleShadow, lineHeight);
        }
        SetTextColor(dc, TitleColor);
        drawTitleLines(dc, lines, 2, 0, lineHeight);
        SelectObject(dc, previous);
        DeleteObject(font);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK backgroundProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            eraseBackground(window, (HDC)wParam);
            return 1;
        case WM_PAINT:
            paintTitle(window);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

void registerClassOnce(HINSTANCE instance) {
    if (classRegistered) return;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = backgroundProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) FatalMessage(kWindowFailure);
    classRegistered = true;
}

}  // namespace

void* CreateBackgroundWindow(void* instance) {
    registerClassOnce((HINSTANCE)instance);
    RECT area = {0, 0, 0, 0};
    if (!BackgroundMaximised && !SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        BackgroundMaximised = true;
    }
    if (BackgroundMaximised) area = RECT{0, 0, 0, 0};
    HWND window = CreateWindowExA(0, kClassName, "", WS_POPUP, area.left, area.top, area.right - area.left,
                                  area.bottom - area.top, nullptr, nullptr, (HINSTANCE)instance, nullptr);
    if (!window) FatalMessage(kWindowFailure);
    BackgroundWindow = window;
    ShowWindow(window, SW_HIDE);
    ShowWindow(window, BackgroundMaximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    return window;
}

void OpenBackgroundWindow(uint32_t productFlagsLow, uint32_t productFlagsHigh, void* instance) {
    takeBackgroundPlacement(productFlagsHigh);
    if (productFlagsLow & payload::flag::NoBackgroundWindow.bit) return;
    CreateBackgroundWindow(instance);
}

void RepaintBackgroundWindow() {
    if (!BackgroundWindow) return;
    InvalidateRect((HWND)BackgroundWindow, nullptr, TRUE);
    UpdateWindow((HWND)BackgroundWindow);
}

bool LoadBackgroundBitmapFile(const String& path) {
    String name = path;
    addExtension(name, "bmp");
    HANDLE file = CreateFileA(name.text(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    uint8_t header[kBitmapFileHeaderSize];
    DWORD got = 0;
    bool loaded = false;
    int32_t length = -1;
    if (ReadFile(file, header, sizeof header, &got, nullptr) && got == sizeof header) {
        length = packedBitmapLength(header);
    }
    // The size field is the file's word, not a promise: read no more than is there.
    DWORD fileSize = GetFileSize(file, nullptr);
    if (length >= 0 && fileSize != INVALID_FILE_SIZE && fileSize - kBitmapFileHeaderSize < (DWORD)length) {
        length = (int32_t)(fileSize - kBitmapFileHeaderSize);
    }
    String bytes;
    if (length >= 0 && bytes.tryResize(length)) {
        got = 0;
        if (length == 0 || ReadFile(file, bytes.buffer(), (DWORD)length, &got, nullptr)) {
            parsePackedBitmap((const uint8_t*)bytes.text(), (int32_t)got, BackgroundBitmap);
            loaded = true;
        }
    }
    CloseHandle(file);
    return loaded;
}
