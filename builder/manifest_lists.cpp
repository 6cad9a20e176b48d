// [[delete]], [[associations]] and [[uninstall-values]].
#include <cstdio>

#include "builder/manifest_sections.h"
#include "core/string.h"
#include "core/timestamp_format.h"
#include "payload/format.h"

namespace build {
namespace {

constexpr int32_t kSomeYear = 2000;  // only whether the text reads as a date matters here

bool isDateCondition(uint32_t condition) { return condition >= 1 && condition <= 3; }
bool isSizeCondition(uint32_t condition) { return condition >= 4 && condition <= 6; }

// The installer reads the argument of a date test as a month-first date with
// an optional time, and stops with a corrupt-payload report when it cannot;
// so a date it cannot read is refused here. A TOML date is written for it.
std::string dateArgument(const ManifestTable& t) {
    if (!t.isString("argument")) {
        std::optional<DateTime> given = t.dateTime("argument");
        char text[40];
        snprintf(text, sizeof text, "%04d-%02d-%02d", given->year, given->month, given->day);
        std::string out = text;
        if (given->hour >= 0) {
            snprintf(text, sizeof text, " %02d:%02d:%02d", given->hour, given->minute, given->second);
            out += text;
        }
        return out;
    }
    std::string text = t.text("argument");
    Timestamp parsed = ParseTimestamp(String(text.c_str()), kSomeYear);
    if (parsed.date.isNull() && !parsed.time.isSet())
        t.fail("argument", "\"" + text + "\" is not a date the installer can read; write it as 2020-01-31, "
                           "2020-01-31 18:30 or 01/31/2020 (month first)");
    return text;
}

std::string sizeArgument(const ManifestTable& t) {
    if (t.isInteger("argument")) return std::to_string(t.integer("argument", 0, INT64_MAX, 0));
    std::string text = t.text("argument");
    std::string digits;
    for (char c : text)
        if (c != ',') digits += c;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        t.fail("argument", "\"" + text + "\" is not a number of bytes; write it as 1048576 or \"1,048,576\"");
    return text;
}

std::string deletionArgument(const ManifestTable& t, uint32_t condition) {
    if (!isDateCondition(condition) && !isSizeCondition(condition)) {
        if (t.has("argument")) t.fail("argument", "only used with a date or size condition (\"date-...\", \"size-...\")");
        return "";
    }
    if (!t.has("argument"))
        t.fail("argument", std::string("missing; the condition compares with it: ") +
                               (isDateCondition(condition) ? "give a date such as \"2020-01-31\""
                                                           : "give a number of bytes such as 1048576"));
    return isDateCondition(condition) ? dateArgument(t) : sizeArgument(t);
}

}  // namespace

void readDeletions(const ManifestTable& root, Settings& settings) {
    std::vector<ManifestTable> items = root.tables("delete");
    if (items.size() > size_t(payload::kMaxFileDeletions))
        root.fail("delete", "at most " + std::to_string(payload::kMaxFileDeletions) + " entries");
    for (const ManifestTable& t : items) {
        t.allowOnly("delete[]");
        FileDeletion d;
        d.spec = t.text("spec");
        if (d.spec.find_first_not_of(" \t") == std::string::npos) t.fail("spec", "missing or blank; every [[delete]] table names its files, such as '%InstallDir%\\*.tmp'");
        if (d.spec == payload::kFileDeletionEnd) t.fail("spec", "this text ends the list and cannot be a specification");
        d.condition = uint8_t(t.named("condition", deletionConditions(), 0));
        d.argument = deletionArgument(t, d.condition);
        d.flags = t.boolean("at-restart", false) ? payload::kDeletionAtRestart : 0;
        settings.fileDeletions.push_back(d);
    }
}

void readAssociations(const ManifestTable& root, Settings& settings) {
    std::vector<ManifestTable> items = root.tables("associations");
    if (items.size() > size_t(payload::kMaxAssociations))
        root.fail("associations", "at most " + std::to_string(payload::kMaxAssociations) + " entries");
    for (const ManifestTable& t : items) {
        t.allowOnly("associations[]");
        FileAssociation a;
        a.extension = t.text("extension");
        a.typeName = t.text("type");
        a.description = t.text("description");
        a.verb = t.text("verb", "open");
        a.verbCaption = t.text("verb-caption");
        a.command = t.text("command");
        a.language = t.text("language");
        a.icon = t.text("icon");
        a.flags = t.boolean("default-verb", false) ? payload::kAssociationDefaultVerb : 0;
        for (const char* required : {"extension", "type", "verb", "command"})
            if (t.text(required, required == std::string("verb") ? a.verb : "").find_first_not_of(" \t") == std::string::npos)
                t.fail(required, "missing or blank; every association needs \"extension\", \"type\", \"verb\" and \"command\"");
        settings.fileAssociations.push_back(a);
    }
}

void readUninstallValues(const ManifestTable& root, Settings& settings) {
    std::vector<ManifestTable> items = root.tables("uninstall-values");
    if (items.size() > size_t(payload::kMaxUninstallValues))
        root.fail("uninstall-values", "at most " + std::to_string(payload::kMaxUninstallValues) + " entries");
    for (const ManifestTable& t : items) {
        t.allowOnly("uninstall-values[]");
        UninstallValue v;
        v.name = t.text("name");
        if (v.name.find_first_not_of(" \t") == std::string::npos) t.fail("name", "missing or blank; every uninstall value needs a name, such as \"HelpLink\"");
        v.type = uint8_t(t.named("type", uninstallValueTypes(), 0));
        v.value = t.text("value");
        settings.uninstallValues.push_back(v);
    }
}

}  // namespace build
