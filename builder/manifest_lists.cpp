// [[delete]], [[associations]] and [[uninstall-values]].
#include "builder/manifest_sections.h"
#include "payload/format.h"

namespace build {

void readDeletions(const ManifestTable& root, Settings& settings) {
    std::vector<ManifestTable> items = root.tables("delete");
    if (items.size() > size_t(payload::kMaxFileDeletions))
        root.fail("delete", "at most " + std::to_string(payload::kMaxFileDeletions) + " entries");
    for (const ManifestTable& t : items) {
        t.allowOnly({"spec", "condition", "argument", "at-restart"});
        FileDeletion d;
        d.spec = t.text("spec");
        if (d.spec.find_first_not_of(" \t") == std::string::npos) t.fail("spec", "every entry needs a file specification");
        if (d.spec == payload::kFileDeletionEnd) t.fail("spec", "this text ends the list and cannot be a specification");
        d.condition = uint8_t(t.named("condition", deletionConditions(), 0));
        d.argument = t.text("argument");
        bool needsArgument = d.condition >= 1 && d.condition <= 6;
        if (needsArgument && d.argument.empty())
            t.fail("condition", "this condition compares with \"argument\" (a date for date tests, a size for size tests)");
        if (!needsArgument && t.has("argument")) t.fail("argument", "only used with a date or size condition");
        d.flags = t.boolean("at-restart", false) ? payload::kDeletionAtRestart : 0;
        settings.fileDeletions.push_back(d);
    }
}

void readAssociations(const ManifestTable& root, Settings& settings) {
    std::vector<ManifestTable> items = root.tables("associations");
    if (items.size() > size_t(payload::kMaxAssociations))
        root.fail("associations", "at most " + std::to_string(payload::kMaxAssociations) + " entries");
    for (const ManifestTable& t : items) {
        t.allowOnly({"extension", "type", "description", "verb", "verb-caption", "command", "language", "icon",
                     "default-verb"});
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
                t.fail(required, "every association needs \"extension\", \"type\", \"verb\" and \"command\"");
        settings.fileAssociations.push_back(a);
    }
}

void readUninstallValues(const ManifestTable& root, Settings& settings) {
    std::vector<ManifestTable> items = root.tables("uninstall-values");
    if (items.size() > size_t(payload::kMaxUninstallValues))
        root.fail("uninstall-values", "at most " + std::to_string(payload::kMaxUninstallValues) + " entries");
    for (const ManifestTable& t : items) {
        t.allowOnly({"name", "type", "value"});
        UninstallValue v;
        v.name = t.text("name");
        if (v.name.find_first_not_of(" \t") == std::string::npos) t.fail("name", "every value needs a name");
        v.type = uint8_t(t.named("type", uninstallValueTypes(), 0));
        v.value = t.text("value");
        settings.uninstallValues.push_back(v);
    }
}

}  // namespace build
