// The stub's first code: restores the packed code and data (when the stub
// was squeezed) and enters the stub. Until the restore is done nothing but
// this file's section and the imported functions exists, so the whole boot
// is this one file, compiled without link-time optimisation, library calls,
// jump tables or constant data (driver/CMakeLists.txt), into `.boot`.
#pragma code_seg(".boot")

#include <windows.h>

#include "boot/lzma_decode.cpp"
#include "boot/restore_image.cpp"

extern "C" void TavoEntry();

namespace {

// Restores the image, or says why not and ends the process.
void restoreImage(uint8_t* image, uint32_t imageSize, const uint8_t* section, uint32_t size) {
    uint32_t scratchSize = PackedImageScratchSize(section, size);
    uint8_t* scratch =
        scratchSize ? (uint8_t*)VirtualAlloc(nullptr, scratchSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr;
    if (!scratch || !RestorePackedImage(image, imageSize, (uintptr_t)image, section, size, scratch)) {
        // The text lives in the packed section: this code has no data of its own.
        if (scratchSize) MessageBoxA(nullptr, PackedImageMessage(section), nullptr, MB_ICONERROR);
        ExitProcess(1);
    }
    VirtualFree(scratch, 0, MEM_RELEASE);
    for (uint32_t i = 0; i < PackedImageRegionCount(section); ++i) {
        PackedRegion r = PackedImageRegion(section, i);
        DWORD old;
        VirtualProtect(image + r.address, r.size, r.protection, &old);
    }
    FlushInstructionCache(GetCurrentProcess(), nullptr, 0);
}

// The address of `.packed`, which the squeezer writes into this instruction
// (packed_image::kAddressMarker): 0 in a stub as linked.
uint32_t packedSectionAddress() {
    uint32_t address;
    asm volatile(".byte 0xEB, 0x04\n\t.ascii \"TVPK\"\n\tmovl $0, %%eax" : "=a"(address));
    return address;
}

}  // namespace

extern "C" void TavoBoot() {
    // Not __ImageBase: the compiler reaches that through a pointer among the packed data.
    uint8_t* image = (uint8_t*)GetModuleHandleA(nullptr);
    if (uint32_t address = packedSectionAddress()) {
        uint32_t imageSize = MappedImageSize(image);
        uint32_t size = PackedSectionSize(image, imageSize, address);
        if (!size) ExitProcess(1);  // without the section there is not even a text to show
        restoreImage(image, imageSize, image + address, size);
    }
    TavoEntry();
}
