#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/command_line.h"

namespace {

std::vector<std::string> atomsOf(const char* text) {
    String rest(text);
    std::vector<std::string> atoms;
    for (;;) {
        String atom = takeAtom(rest);
        if (atom.isEmpty()) break;
        atoms.push_back(atom.text());
    }
    return atoms;
}

TEST(CommandLineAtoms, SplitsOnWhitespaceAndKeepsQuotedSections) {
    struct Case {
        const char* text;
        std::vector<std::string> atoms;
    } cases[] = {
        {"", {}},
        {"  \t\r\n ", {}},
        {"/a", {"/a"}},
        {"/a -b\t/c\r\n/d", {"/a", "-b", "/c", "/d"}},
        {"/d:\"C:\\Program Files\\X\" /a", {"/d:\"C:\\Program Files\\X\"", "/a"}},
        {"/n:\"say \"\"hi\"\"\"", {"/n:\"say \"hi\"\""}},
        {"\"a b\"c d", {"\"a b\"c", "d"}},  // quoted section and letters: one atom
        {"/d:\"open to the end", {"/d:\"open to the end"}},
        {"\"\"", {"\"\""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(atomsOf(c.text), c.atoms) << "text: " << c.text;
    }
}

struct ParseResult {
    bool ok;
    CommandLineOptions options;
    std::string error;
};

ParseResult parse(const char* text) {
    ParseResult r;
    String error;
    r.ok = parseCommandLine(text, r.options, error);
    r.error = error.text();
    return r;
}

TEST(CommandLineOptions, SetsEachOption) {
    EXPECT_TRUE(parse("/a").options.automaticMode);
    EXPECT_TRUE(parse("-A").options.automaticMode);
    EXPECT_FALSE(parse("").options.automaticMode);

    struct Case {
        const char* text;
        const char* installDir;
        const char* productName;
        const char* uninstallName;
        const char* run;
    } cases[] = {
        {"/d:C:\\Dir", "C:\\Dir", "", "", ""},
        {"/D:\"C:\\My Dir\"", "C:\\My Dir", "", "", ""},
        {"/d:\"C:\\Half", "\"C:\\Half", "", "", ""},  // only a pair of quotes is removed
        {"/d:", "", "", "", ""},
        {"/d:one /d:two", "two", "", "", ""},  // later wins
        {"/n:\"Big Product\"", "", "Big Product", "", ""},
        {"-u:\"Old Thing\"", "", "", "Old Thing", ""},
        {"/r:\"prog.exe `C:\\a b\\f.txt`\"", "", "", "", "prog.exe \"C:\\a b\\f.txt\""},
        {"/R:\"x.exe", "", "", "", "x.exe"},
        {"/ - /a", "", "", "", ""},  // bare introducers are ignored
    };
    for (const Case& c : cases) {
        ParseResult r = parse(c.text);
        ASSERT_TRUE(r.ok) << c.text << ": " << r.error;
        EXPECT_STREQ(r.options.installDir.text(), c.installDir) << c.text;
        EXPECT_STREQ(r.options.productName.text(), c.productName) << c.text;
        EXPECT_STREQ(r.options.uninstallName.text(), c.uninstallName) << c.text;
        EXPECT_STREQ(r.options.runAfterInstall.text(), c.run) << c.text;
    }
    ParseResult u = parse("/u:name");
    EXPECT_TRUE(u.options.uninstallMode);
}

TEST(CommandLineOptions, ReportsBadAtoms) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"/auto", "Illegal command line atom:\nauto"},
        {"setup.exe", "Unexpected command line parameter:\nsetup.exe"},
        {"/a \"quoted arg\"", "Unexpected command line parameter:\n\"quoted arg\""},
        {"/r:prog.exe", "Illegal command line atom:\nr:prog.exe"},  // /r needs its quote
        {"/u", "Product name required"},
        {"/uX", "Product name required"},
        {"/uninstall", "Product name required"},
        {"/u:", "Product name required"},
        {"/u /bad", "Illegal command line atom:\nbad"},  // name test comes after all atoms
    };
    for (const Case& c : cases) {
        ParseResult r = parse(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.error, c.error) << c.text;
    }
}

TEST(CommandLineOptions, LooksAtNineteenAtomsOnly) {
    std::string nineteen;
    for (int i = 0; i < 19; ++i) nineteen += "/a ";
    EXPECT_TRUE(parse((nineteen + "/illegal").c_str()).ok);
    EXPECT_TRUE(parse((nineteen + "setup.exe").c_str()).ok);

    std::string eighteen;
    for (int i = 0; i < 18; ++i) eighteen += "/ ";
    EXPECT_FALSE(parse((eighteen + "/illegal").c_str()).ok);
}

TEST(InstallSource, TakesTheProgramPathAndAddsExe) {
    struct Case {
        const char* commandLine;
        const char* source;
    } cases[] = {
        {"C:\\setup.exe /a", "C:\\setup.exe"},
        {"  \t\"C:\\Program Files\\setup.exe\" /a", "C:\\Program Files\\setup.exe"},
        {"\"C:\\odd\"\"name.exe\"", "C:\\odd\"name.exe"},
        {"C:\\dir\\setup", "C:\\dir\\setup.EXE"},
        {"C:\\dir.v2\\setup /a", "C:\\dir.v2\\setup.EXE"},
        {"\"unclosed path", "unclosed path.EXE"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(installSourceFrom(c.commandLine).text(), c.source) << c.commandLine;
    }
}

TEST(ArgumentText, SkipsTheProgramPath) {
    EXPECT_STREQ(argumentTextFrom("setup.exe /a /d:x"), "/a /d:x");
    EXPECT_STREQ(argumentTextFrom("\"C:\\a b\\setup.exe\"   /a"), "/a");
    EXPECT_STREQ(argumentTextFrom("setup.exe"), "");
    EXPECT_STREQ(argumentTextFrom(""), "");
    EXPECT_STREQ(argumentTextFrom(nullptr), "");
}

}  // namespace
