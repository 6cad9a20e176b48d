#include "payload/memory_stream.h"

#include <string.h>

#include "core/bytes.h"
#include "payload/format.h"

bool MemoryStream::read(void* buffer, uint32_t count) {
    uint32_t available = remaining();
    uint32_t copied = count < available ? count : available;
    if (copied > 0) memcpy(buffer, data_ + position_, copied);
    if (copied < count) memset((uint8_t*)buffer + copied, 0, count - copied);
    position_ += copied;
    return copied == count;
}

bool MemoryStream::readU8(uint8_t& value) { return read(&value, 1); }

bool MemoryStream::readU16(uint16_t& value) {
    uint8_t b[2];
    bool whole = read(b, 2);
    value = (uint16_t)readLE16(b);
    return whole;
}

bool MemoryStream::readU32(uint32_t& value) {
    uint8_t b[4];
    bool whole = read(b, 4);
    value = readLE32(b);
    return whole;
}

bool MemoryStream::readI32(int32_t& value) {
    uint32_t u = 0;
    bool whole = readU32(u);
    value = (int32_t)u;
    return whole;
}

bool MemoryStream::readU64(uint64_t& value) {
    uint8_t b[8];
    bool whole = read(b, 8);
    value = readLE64(b);
    return whole;
}

bool MemoryStream::readDateTime(DateTime& value) {
    uint8_t b[payload::kDateTimeSize];
    bool whole = read(b, sizeof b);
    int32_t* fields[] = {&value.year, &value.month, &value.day, &value.hour, &value.minute, &value.second};
    for (int i = 0; i < 6; ++i) *fields[i] = (int32_t)readLE32(b + 4 * i);
    return whole;
}

bool MemoryStream::skipReserved() {
    uint8_t b[payload::kReservedSize];
    return read(b, sizeof b);
}

bool MemoryStream::readText(String& text) {
    uint32_t available = remaining();
    if (available == 0) {
        text.clear();
        return false;
    }
    const uint8_t* start = data_ + position_;
    const void* zero = memchr(start, 0, available);
    uint32_t length = zero ? (uint32_t)((const uint8_t*)zero - start) : available;
    text.assign((const char*)start, (int32_t)length);
    position_ += zero ? length + 1 : length;
    return zero != nullptr;
}

const uint8_t* MemoryStream::take(uint32_t count) {
    if (count > remaining()) return nullptr;
    const uint8_t* at = data_ + position_;
    position_ += count;
    return at;
}

// A count beyond the end copies only what is there: the zeros a plain read
// would add can never make a valid block (the end marker is read as zero),
// and a forged count must not make the reader allocate it.
bool MemoryStream::readBytes(uint32_t count, String& out) {
    uint32_t available = remaining();
    uint32_t copied = count < available ? count : available;
    out.clear();
    if (copied > 0) out.assign((const char*)data_ + position_, (int32_t)copied);
    position_ += copied;
    return copied == count;
}
