// The full-screen window behind every dialog of the run: a colour gradient
// (or one colour), optionally a picture, and the display title in large type
// with a drop shadow. It owns the dialogs and message boxes, so they stay in
// front of it.
//
// The settings below are process-wide. An installation takes them from the
// settings block (takeBackgroundSettings); an uninstallation sets them from
// the uninstall record. The window reads them whenever it paints, so a
// change shows after RepaintBackgroundWindow.
#pragma once
#include <stdint.h>

#include "core/string.h"
#include "ui/background_layout.h"

struct SettingsBlock;

extern String DisplayTitle;         // may hold several lines; blank: no title
extern uint32_t TitleColor;         // 0x00BBGGRR
extern uint8_t TitleShadow;         // shadow offset in pixels; 0: none
extern uint32_t TopColor;           // top edge, or the single colour
extern uint32_t BottomColor;
extern bool MonoColor;              // true: all TopColor
extern int32_t BitmapSize;          // percent; <= 0 no picture, >= 100 fills the window
extern PackedBitmap BackgroundBitmap;
extern bool BackgroundMaximised;    // shown maximised instead of over the work area

// Takes the option word's placement bit (high 0x100) over. Called as soon
// as the option word is read, before the window is created.
void takeBackgroundPlacement(uint32_t productFlagsHigh);

// Takes colours, shadow, picture and its size over from the settings block
// (MonoColor when top and bottom colour are equal). The display title is
// set later, once the language is known. A picture that does not parse is
// left out.
void takeBackgroundSettings(const SettingsBlock& block);

// --- Windows only (ui/background_win32.cpp) ---

// Creates and shows the window (once per run) and makes it the run's
// BackgroundWindow. `instance` is the module's instance handle. Failure ends
// the run under "FATAL ERROR". Returns the window handle.
void* CreateBackgroundWindow(void* instance);

// What the entry point calls once the option word is read: takes the
// placement bit over and creates the window unless low bit 0x20000000
// switches it off. The uninstaller calls it after setting the other values.
void OpenBackgroundWindow(uint32_t productFlagsLow, uint32_t productFlagsHigh, void* instance);

// Invalidates the whole window, background included, so that it paints the
// current settings; nothing when there is no window.
void RepaintBackgroundWindow();

// Loads a ".bmp" file ("bmp" is added when `path` has no extension) into
// BackgroundBitmap. False, with the bitmap unchanged, when the file cannot be
// opened or does not start with "BM"; a file whose picture does not parse
// leaves the bitmap empty.
bool LoadBackgroundBitmapFile(const String& path);
