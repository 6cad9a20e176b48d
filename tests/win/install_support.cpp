// What writing file bodies expects from the driver and the user interface,
// for the test program: the run's option word, string 31, the failure block
// and the corrupt-payload stop (a line on stderr, exit code 1).
#include <cstdio>
#include <cstdlib>

#include "core/string.h"
#include "core/system_paths.h"
#include "driver/failure.h"
#include "driver/run_settings.h"
#include "ui/localised_text.h"

ProductFlagWords ProductFlags = {0, 0};

const char* LocalisedText(int id) { return id == 31 ? "Error writing" : ""; }

void AppendFailure(String& errorText, const char* name) {
    errorText.appendFormat("Error writing %s\r\n%s\r\n", name, lastSystemErrorText());
}

void ReportCorrupt(int code) {
    std::fprintf(stderr, "FATAL ERROR: corrupt payload %d\n", code);
    std::exit(1);
}
