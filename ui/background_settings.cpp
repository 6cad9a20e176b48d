#include "payload/format.h"
#include "payload/settings_reader.h"
#include "ui/background.h"

String DisplayTitle;
uint32_t TitleColor = 0;
uint8_t TitleShadow = 0;
uint32_t TopColor = 0;
uint32_t BottomColor = 0;
bool MonoColor = false;
int32_t BitmapSize = 0;
PackedBitmap BackgroundBitmap;
bool BackgroundMaximised = false;

void takeBackgroundPlacement(uint32_t productFlagsHigh) {
    BackgroundMaximised = (productFlagsHigh & payload::flag::MaximisedBackground.bit) != 0;
}

void takeBackgroundSettings(const SettingsBlock& block) {
    TitleColor = block.titleColor;
    TitleShadow = block.titleShadow;
    TopColor = block.topColor;
    BottomColor = block.bottomColor;
    MonoColor = block.topColor == block.bottomColor;
    BitmapSize = block.bitmapSize;
    const String& bytes = block.backgroundBitmap;
    parsePackedBitmap((const uint8_t*)bytes.text(), bytes.length(), BackgroundBitmap);
}
