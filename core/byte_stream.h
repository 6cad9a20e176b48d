// The two faces of a byte stream: a sink that takes blocks and a source that
// gives them. File has both; code that only moves bytes takes a face, so that
// it works on any stream. Objects are never deleted through a face.
#pragma once
#include <stdint.h>

class ByteSink {
public:
    // True when all `count` bytes were taken; a count of 0 succeeds.
    virtual bool writeBlock(const void* data, int32_t count) = 0;

protected:
    ~ByteSink() = default;
};

class ByteSource {
public:
    // True when exactly `count` bytes were read into `buffer`; a count of 0
    // succeeds, a negative count or a null buffer fails.
    virtual bool readBlock(void* buffer, int32_t count) = 0;
    // The position of the next byte, -1 when the stream cannot tell.
    virtual int32_t position() = 0;
    // True while bytes are left to read.
    virtual bool moreToRead() = 0;

protected:
    ~ByteSource() = default;
};
