// Formats random patterns with a few random typed arguments (patterns can come
// from a payload), then takes random text apart with the String operations
// that read payload texts.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "core/format.h"
#include "core/string.h"

namespace {

// The texts outlive the arguments that point at them.
struct Arguments {
    FormatArg* list = nullptr;
    int count = 0;
    std::string texts[4];
};

void makeArguments(FuzzedDataProvider& in, Arguments& args) {
    args.count = in.ConsumeIntegralInRange(0, 4);
    // Exactly `count` elements: reading past them is a heap overflow for ASan.
    args.list = static_cast<FormatArg*>(malloc(sizeof(FormatArg) * (args.count ? args.count : 1)));
    for (int i = 0; i < args.count; ++i) {
        switch (in.ConsumeIntegralInRange(0, 7)) {
        case 0: args.list[i] = FormatArg(in.ConsumeIntegral<int>()); break;
        case 1: args.list[i] = FormatArg(in.ConsumeIntegral<unsigned>()); break;
        case 2: args.list[i] = FormatArg(in.ConsumeIntegral<long long>()); break;
        case 3: args.list[i] = FormatArg(in.ConsumeIntegral<unsigned long long>()); break;
        case 4: {
            uint64_t bits = in.ConsumeIntegral<uint64_t>();
            double d;
            memcpy(&d, &bits, sizeof d);
            args.list[i] = FormatArg(d);
            break;
        }
        case 5: args.list[i] = FormatArg(in.ConsumeIntegral<char>()); break;
        case 6: args.list[i] = FormatArg((const char*)nullptr); break;
        default:
            args.texts[i] = in.ConsumeRandomLengthString(64);
            args.list[i] = FormatArg(args.texts[i].c_str());
            break;
        }
    }
}

void fuzzFormat(FuzzedDataProvider& in) {
    Arguments args;
    makeArguments(in, args);
    // Short patterns keep each run fast: every conversion may write 128 KB.
    std::string pattern = in.ConsumeRandomLengthString(256);
    String out("prefix");
    formatAppend(out, pattern.c_str(), args.list, args.count);
    // The formatter never writes a zero byte, so the text stays a C string.
    if (strlen(out.text()) != (size_t)out.length()) {
        abort();
    }
    free(args.list);
}

void fuzzText(FuzzedDataProvider& in) {
    std::string what = in.ConsumeRandomLengthString(8);
    std::string with = in.ConsumeRandomLengthString(8);
    uint32_t options = in.ConsumeIntegral<uint32_t>();
    int32_t start = in.ConsumeIntegralInRange<int32_t>(-2, 300);
    int32_t count = in.ConsumeBool() ? String::all : in.ConsumeIntegralInRange<int32_t>(-1, 300);
    std::string rest = in.ConsumeRemainingBytesAsString();
    String text(rest.data(), (int32_t)rest.size());

    text.toInteger();
    text.toInteger64();
    text.find(what.c_str(), start, options, count);
    text.findChar(what.empty() ? '"' : what[0], start, options);

    String replaced(text);
    replaced.replaceAll(what.c_str(), with.c_str(), options, start);

    String normal(text);
    normal.normaliseLineEndings();
    if (normal.normaliseLineEndings() != 0) {
        abort();  // a second pass has nothing left to change
    }
    int32_t taken = 0;
    while (!text.isEmpty()) {
        taken += text.takeLine().length();
    }
    if (taken > (int32_t)rest.size()) {
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool()) {
        fuzzFormat(in);
    } else {
        fuzzText(in);
    }
    return 0;
}
