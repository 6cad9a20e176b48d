// A forward-only reader over bytes in memory that never leaves them: a read
// that would pass the end copies what is left, zero-fills the rest of the
// caller's buffer and reports false. The settings block relies on that (a
// short block reads as zeros and empty texts and fails a later check); the
// data region's readers turn a false into their own corrupt-payload code.
#pragma once
#include <stdint.h>

#include "core/date_time.h"
#include "core/string.h"

class MemoryStream {
public:
    // Reads the `size` bytes at `data`; the bytes must outlive the stream.
    MemoryStream(const uint8_t* data, uint32_t size) : data_(data), size_(data ? size : 0), position_(0) {}

    // Copies the next `count` bytes to `buffer`: true when they were all
    // there; otherwise copies what is left, zero-fills the rest, moves to
    // the end and returns false.
    bool read(void* buffer, uint32_t count);

    // Little-endian fields; a short read gives the zero-filled value and false.
    bool readU8(uint8_t& value);
    bool readU16(uint16_t& value);
    bool readU32(uint32_t& value);
    bool readI32(int32_t& value);
    bool readU64(uint64_t& value);
    bool readDateTime(DateTime& value);  // six i32: year month day hour minute second
    bool skipReserved();                 // the 20 unused bytes of the settings block

    // The text up to the next zero byte, which is consumed. A text that runs
    // to the end of the bytes ends there; the result is then false.
    bool readText(String& text);

    // The next `count` bytes where they lie, and the stream moves past them;
    // null (and the stream unmoved) when fewer remain.
    const uint8_t* take(uint32_t count);

    // `count` bytes copied into `out` (binary); false as for read.
    bool readBytes(uint32_t count, String& out);

    uint32_t position() const { return position_; }
    uint32_t remaining() const { return size_ - position_; }
    bool atEnd() const { return position_ >= size_; }

private:
    const uint8_t* data_;
    uint32_t size_;
    uint32_t position_;
};
