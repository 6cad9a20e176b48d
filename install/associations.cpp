#include "install/associations.h"

String backupValueName(const String& productName) {
    String name = productName;
    name += " Backup";
    name.removeAll("\\");
    name.removeAll("\r");
    name.removeAll("\n");
    name.removeAll("\t");
    return name;
}

bool associationApplies(const FileAssociation& association, const String& languageName) {
    if (association.extension.isEmpty()) return false;
    return association.language.isEmpty() || association.language.equals(languageName);
}

String dottedExtension(const String& extension) {
    if (extension.startsWithChar('.')) return extension;
    String dotted(".");
    dotted += extension;
    return dotted;
}

bool needsBackup(const String& current, const String& replacement) {
    return !current.isBlank() && current.compare(replacement, false) != 0;
}

String associationListLine(const String& extension, const String& typeName, const String& verb) {
    String line;
    line.format("%s~!~%s~!~%s\r\n", extension, typeName, verb);
    return line;
}

String associationFailureText(const String& extension) {
    String text;
    text.format("Failed to associate file type:  \"%s\".\r\n\r\n", extension);
    return text;
}

String productKeysFailureText(const String& productRegistry) {
    String text;
    text.format("Error creating registry keys:\r\n%s\r\n\r\n", productRegistry);
    return text;
}
