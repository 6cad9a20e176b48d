// Typed, position-aware access to the tables of a manifest. Every accessor
// turns a wrong value into ONE ManifestError of the form
// "file:line:column: key 'key.path': problem", naming the place of the
// offending value (or of its table when the key is missing).
#pragma once
#include <toml++/toml.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "builder/build_observer.h"
#include "builder/installer_model.h"
#include "builder/manifest_keys.h"
#include "builder/manifest_names.h"

namespace build {

struct ManifestError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What every table of one manifest shares.
struct ManifestContext {
    std::string fileName;              // as the messages show it
    std::filesystem::path directory;   // sources and text files are relative to it
    BuildObserver* observer = nullptr; // told about the files read, if set
};

// A place in the manifest; line 0: unknown (the message then names line 1),
// column 0: not known.
struct Spot {
    uint32_t line = 0;
    uint32_t column = 0;
};

// "file:line:column" (or "file:line" without a column).
std::string spotText(const std::string& fileName, Spot spot);

// One table of the manifest, with the key path it was found at ("" for the
// root, "files[2]" for an element of an array of tables).
class ManifestTable {
public:
    ManifestTable(const toml::table* table, std::string path, const ManifestContext& context,
                  std::string codepage, Spot spot);

    const std::string& path() const { return path_; }
    const ManifestContext& context() const { return context_; }
    const std::string& codepage() const { return codepage_; }
    bool has(const char* key) const;
    bool isString(const char* key) const { return has(key) && node(key)->is_string(); }
    bool isInteger(const char* key) const { return has(key) && node(key)->is_integer(); }
    // The keys, in the order of the file.
    std::vector<std::string> keys() const;

    // Rejects keys that `table` of the key list (manifest_keys.h) does not
    // have, naming the first unknown one, the nearest known one and the valid ones.
    void allowOnly(const std::string& table) const;

    // A sub-table (an empty one when the key is missing).
    ManifestTable table(const char* key) const;
    // The tables of an array of tables, named "key[i]".
    std::vector<ManifestTable> tables(const char* key) const;
    // The same table read with another code page.
    ManifestTable withCodepage(std::string codepage) const;

    // Single-line text, converted to the code page. Empty when missing.
    std::string text(const char* key, const std::string& fallback = "") const;
    std::optional<std::string> optionalText(const char* key) const;
    // Like text, with line breaks made CR LF.
    std::string multiLineText(const char* key) const;
    // A text given inline or as { file = "path" }: file bytes are taken as
    // UTF-8 when they are valid UTF-8 (then converted), else as ANSI already.
    std::string textOrFile(const char* key) const;
    // A list of texts, each a file path or { text = "..." }.
    std::vector<std::string> textList(const char* key) const;
    bool boolean(const char* key, bool fallback) const;
    int64_t integer(const char* key, int64_t min, int64_t max, int64_t fallback) const;
    // A number in the range, or a name of the table.
    uint32_t named(const char* key, const std::vector<NamedValue>& names, uint32_t fallback) const;
    // A list of names of single-bit values, OR-ed; nullopt when missing.
    std::optional<uint32_t> bitNames(const char* key, const std::vector<NamedValue>& names) const;
    // A list of plain strings (not converted).
    std::vector<std::string> nameList(const char* key) const;
    // "#RRGGBB" as the Windows colour word 0x00BBGGRR.
    uint32_t colour(const char* key, uint32_t fallback) const;
    // A TOML date-time or date; nullopt when missing.
    std::optional<DateTime> dateTime(const char* key) const;
    // A byte count: an integer or a text with a K, M or G suffix (powers of 1024).
    int64_t byteCount(const char* key, int64_t fallback) const;
    // The bytes of a file named by the key, relative to the manifest.
    std::vector<uint8_t> fileBytes(const char* key) const;

    std::string keyPath(const std::string& key) const;
    // Where the key's value is; the table's own place when the key is missing.
    Spot spotOf(const char* key) const;
    [[noreturn]] void fail(const std::string& key, const std::string& problem) const;
    // Fails at element `index` of the array `key`, named "key[index]".
    [[noreturn]] void failItem(const char* key, size_t index, const std::string& problem) const;
    [[noreturn]] void failAt(Spot spot, const std::string& key, const std::string& problem) const;

    // A string as written (no code page conversion), e.g. a host path.
    std::string pathText(const char* key) const;
    // `utf8` in the code page; fails naming `key` when a character does not fit.
    std::string toAnsi(const std::string& utf8, const std::string& key) const;

private:
    const toml::node* node(const char* key) const;
    std::string textFromFile(const std::string& relative, const std::string& key, Spot spot) const;

    const toml::table* table_;
    std::string path_;
    const ManifestContext& context_;
    std::string codepage_;
    Spot spot_;
};

// Pure helpers, exposed for the tests.
std::optional<uint32_t> parseColour(const std::string& text);
// Converts UTF-8 to `codepage` (an iconv name such as "CP1252"); nullopt when
// a character has no byte there or the code page is unknown.
std::optional<std::string> utf8ToCodepage(const std::string& utf8, const std::string& codepage);
bool isValidUtf8(const std::string& bytes);
// Whether iconv knows `codepage`.
bool isKnownCodepage(const std::string& codepage);
// CR, LF, CR LF and LF CR line breaks all become CR LF.
std::string withCrLf(const std::string& text);

}  // namespace build
