// docs/manifest.md against the builder: every key the reader accepts is in
// the document with the same type and default, the document names no key the
// reader does not know, every name of the name tables is explained, the
// document's whole example is a manifest the builder reads, and every default
// written as a value is the value the reader takes when the key is missing.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "builder/manifest.h"
#include "builder/manifest_keys.h"
#include "builder/manifest_names.h"
#include "builder/payload_writer.h"

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string trimmed(std::string s) {
    size_t first = s.find_first_not_of(' ');
    size_t last = s.find_last_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

// A cell as the builder's key list writes it: without the code marks.
std::string plainCell(const std::string& cell) {
    std::string out;
    for (char c : trimmed(cell))
        if (c != '`') out += c;
    return out;
}

std::vector<std::string> cellsOf(const std::string& row) {
    std::vector<std::string> cells;
    std::string cell;
    for (size_t i = 1; i < row.size(); ++i) {
        if (row[i] == '|') {
            cells.push_back(plainCell(cell));
            cell.clear();
        } else {
            cell += row[i];
        }
    }
    return cells;
}

// The rows of every table marked "<!-- kind: label -->", by label; the
// header and rule rows are left out.
std::map<std::string, std::vector<std::vector<std::string>>> markedTables(const std::string& doc,
                                                                          const std::string& kind) {
    std::map<std::string, std::vector<std::vector<std::string>>> tables;
    std::istringstream lines(doc);
    std::string line, label;
    bool inTable = false;
    int row = 0;
    const std::string marker = "<!-- " + kind + ": ";
    while (std::getline(lines, line)) {
        if (line.compare(0, marker.size(), marker) == 0) {
            label = line.substr(marker.size(), line.size() - marker.size() - 4);
            EXPECT_EQ(0u, tables.count(label)) << "marked twice: " << label;
            tables[label];
            inTable = true;
            row = 0;
        } else if (inTable && line.compare(0, 1, "|") == 0) {
            if (++row > 2) tables[label].push_back(cellsOf(line));
        } else if (inTable && row > 0) {
            inTable = false;
        }
    }
    return tables;
}

class BuilderDocs : public ::testing::Test {
protected:
    void SetUp() override { doc_ = readText(fs::path(TAVO_SOURCE_DIR) / "docs" / "manifest.md"); }
    std::string doc_;
};

TEST_F(BuilderDocs, EveryKeyIsDocumentedWithItsTypeAndDefault) {
    ASSERT_FALSE(doc_.empty());
    auto documented = markedTables(doc_, "keys");
    std::set<std::string> headings;
    for (const std::string& table : build::manifestTables()) {
        std::string heading = build::tableHeading(table);
        headings.insert(heading);
        ASSERT_EQ(1u, documented.count(heading)) << "docs/manifest.md has no key table for " << heading;
        std::map<std::string, std::vector<std::string>> rows;
        for (const auto& row : documented[heading]) {
            ASSERT_GE(row.size(), 4u) << heading;
            rows[row[0]] = row;
        }
        for (const build::ManifestKey& key : build::manifestKeys()) {
            if (key.table != table) continue;
            auto row = rows.find(key.name);
            if (row == rows.end()) {
                ADD_FAILURE() << "docs/manifest.md does not describe " << heading << " " << key.name;
                continue;
            }
            EXPECT_EQ(key.type, row->second[1]) << "type of " << heading << " " << key.name;
            EXPECT_EQ(key.fallback, row->second[2]) << "default of " << heading << " " << key.name;
            EXPECT_FALSE(row->second[3].empty()) << "what " << heading << " " << key.name << " does";
            rows.erase(row);
        }
        for (const auto& extra : rows) ADD_FAILURE() << "docs/manifest.md describes " << heading << " " << extra.first
                                                     << ", which the builder does not accept";
    }
    for (const auto& table : documented)
        EXPECT_EQ(1u, headings.count(table.first)) << "docs/manifest.md has a key table for unknown " << table.first;
}

std::vector<std::string> namesOf(const std::vector<build::NamedValue>& table) {
    std::vector<std::string> names;
    for (const build::NamedValue& v : table) names.push_back(v.name);
    return names;
}

TEST_F(BuilderDocs, EveryNameIsExplained) {
    auto documented = markedTables(doc_, "names");
    const std::map<std::string, std::vector<std::string>> expected = {
        {"flags", build::productFlagNames()},
        {"kinds", namesOf(build::fileKinds())},
        {"install rules", namesOf(build::existenceRules())},
        {"attributes", namesOf(build::fileAttributes())},
        {"systems", namesOf(build::excludedSystems())},
        {"conditions", namesOf(build::deletionConditions())},
        {"value types", namesOf(build::uninstallValueTypes())},
    };
    for (const auto& [label, names] : expected) {
        ASSERT_EQ(1u, documented.count(label)) << "docs/manifest.md has no table of " << label;
        std::vector<std::string> inDoc;
        for (const auto& row : documented[label]) {
            inDoc.push_back(row.at(0));
            EXPECT_FALSE(row.at(1).empty()) << label << " " << row.at(0);
        }
        EXPECT_EQ(names, inDoc) << "the " << label << " of docs/manifest.md, in the builder's order";
    }
    EXPECT_EQ(expected.size(), documented.size());
}

// The first ```toml block of the document, with the files it names made up.
TEST_F(BuilderDocs, TheWholeExampleIsAManifestTheBuilderReads) {
    size_t start = doc_.find("```toml\n");
    ASSERT_NE(std::string::npos, start);
    start += 8;
    std::string example = doc_.substr(start, doc_.find("```\n", start) - start);

    char pattern[] = "/tmp/tavo-docs-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    fs::path dir = pattern;
    auto write = [&](const std::string& name, const std::string& bytes) {
        fs::create_directories((dir / name).parent_path());
        std::ofstream(dir / name, std::ios::binary) << bytes;
    };
    write("art/background.bmp", std::string("BM") + std::string(12, '\0') + std::string("\x28\0\0\0", 4) +
                                    std::string(36, '\0'));
    write("licence.txt", "Terms\n");
    write("scripts/after-install.bat", "echo done\n");
    for (const char* name : {"bin/widget.exe", "docs/manual.txt", "docs/changes.txt", "bin/widgetcore.dll",
                             "bin/widgetctl.ocx", "fonts/WidgetSans.ttf", "bin/widget.ini"})
        write(name, std::string("contents of ") + name);

    build::Manifest m;
    try {
        m = build::readManifestText(example, "example.toml", dir);
    } catch (const build::ManifestError& e) {
        ADD_FAILURE() << e.what();
    }
    fs::remove_all(dir);
    const build::Settings& s = m.installer.settings;
    EXPECT_EQ("Widget", s.productName);
    EXPECT_EQ(7u, m.installer.files.size());  // docs/*.txt gives two
    EXPECT_EQ((std::vector<std::string>{"English", "Deutsch"}), s.languages);
    EXPECT_EQ(2u, s.fileDeletions.size());
}

// What a manifest becomes, as bytes: the settings block and the catalogue.
std::vector<uint8_t> stored(const build::Manifest& m) {
    std::vector<uint8_t> bytes = build::writeSettingsBlock(m.installer.settings);
    std::vector<uint8_t> files = build::writeFileCatalogue(m.installer.files);
    bytes.insert(bytes.end(), files.begin(), files.end());
    return bytes;
}

// A default such as "Setup", true, 0 or [] is a TOML value; one in words
// ("the product name") is not.
bool isLiteral(const std::string& fallback) {
    return fallback[0] == '"' || fallback == "true" || fallback == "false" || fallback == "[]" ||
           fallback.find_first_not_of("0123456789") == std::string::npos;
}

TEST(BuilderDocsDefaults, GivingADocumentedDefaultChangesNothing) {
    char pattern[] = "/tmp/tavo-defaults-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    fs::path dir = pattern;
    std::ofstream(dir / "one.txt") << "1";
    // The smallest content of each table, to which one key is added.
    const std::map<std::string, std::string> base = {
        {"", ""},
        {"product", "[product]\nname = \"W\"\n"},
        {"files[]", "[[files]]\nsource = \"one.txt\"\n"},
        {"delete[]", "[[delete]]\nspec = \"*.tmp\"\n"},
        {"associations[]", "[[associations]]\nextension = \".w\"\ntype = \"W.Doc\"\ncommand = \"w.exe\"\n"},
        {"uninstall-values[]", "[[uninstall-values]]\nname = \"HelpLink\"\n"},
        {"languages[]", "[[languages]]\nname = \"Deutsch\"\n"},
    };
    // Keys that belong to one kind of file.
    const std::map<std::string, std::string> context = {{"version", "kind = \"system\"\n"},
                                                        {"font-name", "kind = \"font\"\n"}};
    auto manifest = [&](const std::string& table, const std::string& line) {
        std::string text = "[product]\nname = \"W\"\n";
        if (table.empty()) return line + text;
        if (table == "product") return text + line;
        auto shape = base.find(table);
        return text + (shape != base.end() ? shape->second : "[" + table + "]\n") + line;
    };
    int checked = 0;
    for (const build::ManifestKey& key : build::manifestKeys()) {
        if (!isLiteral(key.fallback) || key.name[0] == '<') continue;
        std::string line = key.name + " = " + key.fallback + "\n";
        auto kind = context.find(key.name);
        std::string shape = key.table == "files[]" && kind != context.end() ? kind->second : "";
        line = shape + line;
        try {
            build::Manifest without = build::readManifestText(manifest(key.table, shape), "d.toml", dir);
            build::Manifest with = build::readManifestText(manifest(key.table, line), "d.toml", dir);
            EXPECT_EQ(stored(without), stored(with)) << build::tableHeading(key.table) << " " << line;
            ++checked;
        } catch (const build::ManifestError& e) {
            ADD_FAILURE() << build::tableHeading(key.table) << " " << line << e.what();
        }
    }
    fs::remove_all(dir);
    EXPECT_GT(checked, 40);
}

}  // namespace
