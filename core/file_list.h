// Texts of file specifications turned into the lists of existing files they
// denote (the line rules are core/file_spec.h's; the directory searches are
// here, Windows only: core/file_list_win32.cpp).
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"

// Flags of ExpandSpecification.
enum : uint32_t {
    ExpandListDirectories = 0x1,  // matching subdirectories are listed too
    ExpandAppend = 0x10,          // `files` is not emptied first
};

// Appends to `files` every existing file that `text` denotes, line by line and
// specification by specification, each file once (letter case ignored),
// in the order found. Relative directories lie inside `defaultDirectory`.
void ExpandFileSpecifications(const String& text, Array<String>& files, const String& defaultDirectory);

// The files matching one absolute specification (a trailing " /s" searches
// every subdirectory too, depth first, parent directory first), as full
// paths; returns the sum of their sizes. `files` is emptied first unless
// ExpandAppend is given.
int64_t ExpandSpecification(Array<String>& files, const String& specification, uint32_t flags);
