// docs/manifest.md against the builder: every key the reader accepts is in
// the document with the same type and default, the document names no key the
// reader does not know, every name of the name tables is explained, and the
// document's whole example is a manifest the builder reads.
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

}  // namespace
