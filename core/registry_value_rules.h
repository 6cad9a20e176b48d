// How Registry::queryValue turns the system's answer into a Variant: the
// decisions on value type and size, kept apart from the system calls so that
// they are tested on any host.
#pragma once
#include <stdint.h>

// The registry value types, in the system's numbers.
enum : uint32_t {
    RegTypeText = 1,          // REG_SZ
    RegTypeExpandText = 2,    // REG_EXPAND_SZ
    RegTypeBinary = 3,        // REG_BINARY
    RegTypeNumber = 4,        // REG_DWORD
    RegTypeMultiText = 7,     // REG_MULTI_SZ
};

// The size of the buffer of the first query.
constexpr uint32_t FirstQuerySize = 32;

struct ValueReadPlan {
    enum Step : uint8_t {
        Fail,          // the value cannot be read
        Integer,       // the first 4 bytes are the number
        Text,          // `textLength` bytes of the first query are the text
        SecondQuery,   // size a text of `textLength` and query again into it
    };
    Step step;
    int32_t textLength;
};

// What to do with a first query that reported `type` and `size`; `moreData`
// when the value did not fit the first buffer. A text drops its terminating
// zero; an expandable text, binary data and a multi-text keep every byte; a
// number must be 4 bytes; other types fail. A value too large for the first
// buffer always becomes a text (one byte less for a text or multi-text); a
// length below 1 gives an empty text without a second query.
ValueReadPlan planValueRead(uint32_t type, uint32_t size, bool moreData);
