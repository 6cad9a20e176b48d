// The parts of the manifest reader, one per group of tables; used by manifest.cpp.
#pragma once
#include "builder/installer_model.h"
#include "builder/manifest_fields.h"

namespace build {

// [[files]]: glob sources, kinds, shortcuts, attributes, times.
void readFiles(const ManifestTable& root, Installer& installer);
// [[delete]], [[associations]], [[uninstall-values]].
void readDeletions(const ManifestTable& root, Settings& settings);
void readAssociations(const ManifestTable& root, Settings& settings);
void readUninstallValues(const ManifestTable& root, Settings& settings);
// [strings] and [[languages]]: the language names and the string table.
void readLanguages(const ManifestTable& root, Settings& settings);

}  // namespace build
