#include "core/fatal.h"

#include "core/string.h"

void InternalFatal(const char* module, int line) {
    FatalMessage(formatText("Internal Fatal Error\r\nModule: %s\r\nLine: %d", module, line).text());
}
