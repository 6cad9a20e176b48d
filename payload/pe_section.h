// Finding the payload section in the installer's own file by walking its PE
// headers. Pure: the file is reached through FileBytes.
#pragma once
#include <stdint.h>

// Random access to the installer's file.
class FileBytes {
public:
    // Reads exactly `count` bytes at `offset` into `out`; false when they are
    // not all there.
    virtual bool readAt(uint32_t offset, void* out, uint32_t count) = 0;

protected:
    ~FileBytes() = default;
};

// FileBytes over bytes already in memory (the builder's inspect, tests).
// The bytes stay the caller's.
class BufferBytes final : public FileBytes {
public:
    BufferBytes(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}
    bool readAt(uint32_t offset, void* out, uint32_t count) override;

private:
    const uint8_t* data_;
    uint32_t size_;
};

// Where the payload section lies, and what removing it from the image needs.
struct PayloadSection {
    uint32_t peHeaderOffset;   // from offset 0x3C, low 16 bits
    uint32_t sectionCount;
    uint32_t tableOffset;      // file offset of the section table
    uint32_t slot;             // index of the payload section's entry
    uint32_t memoryOffset;     // where the loader mapped it, from the image base
    uint32_t memorySize;       // how much of it the loader mapped (0: the file data size)
    uint32_t fileDataSize;
    uint32_t fileDataOffset;
};

enum SectionSearch {
    SectionFound = 0,
    SectionMissing = -1,
    // Otherwise the corrupt-payload code: 43 for the PE header offset, 44 for
    // the section count or an unreadable section table.
};

// Walks the headers; fills `out` and returns SectionFound, or SectionMissing,
// or a corrupt-payload code. The section name is compared case-sensitively.
int findPayloadSection(FileBytes& file, PayloadSection& out);
