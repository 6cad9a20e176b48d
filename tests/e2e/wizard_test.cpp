// The wizard and the progress dialog of real installers under wine64: the
// language choice and what it changes, the licence refusal, the directory
// dialog's refusals, the disk-space question and a typed directory,
// cancelling during the file phase, and automatic mode, which shows none of
// the wizard.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "builder/build_installer.h"
#include "builder/default_strings.h"
#include "builder/installer_model.h"
#include "payload/format.h"
#include "tests/e2e/installer_factory.h"
#include "tests/e2e/test_support.h"
#include "tests/e2e/wine_prefix.h"
#include "ui/dialog_ids.h"

namespace {

using e2e::bytesOf;
using e2e::expectEndedByItself;
using e2e::kQuietScript;
using e2e::messageBoxes;
using e2e::readBytes;
using e2e::readText;
using e2e::writeBytes;

namespace fs = std::filesystem;
namespace flag = payload::flag;

const char kSetup[] = "C:\\tavo\\setup.exe";
const char kProduct[] = "Widget";
const std::string kDefaultDir = "C:\\Program Files\\Acme\\Widget";
const std::string kUninstallKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Widget";

// A default string as the run shows it, with `prefix` before it (how the
// test languages other than English tell themselves apart).
std::string text(int id, const std::string& prefix = "") {
    std::string t = build::defaultString(id);
    for (size_t at; (at = t.find("<product>")) != std::string::npos;) t.replace(at, 9, kProduct);
    return prefix + t;
}

// A quoted script string: backslashes and quotes escaped.
std::string quoted(const std::string& t) {
    std::string out = "\"";
    for (char c : t) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// The first line of a text: a script's match string cannot hold a line break.
std::string firstLine(const std::string& t) { return t.substr(0, t.find_first_of("\r\n")); }

// The product "Widget" by Acme, shown with its wizard: one file per name.
build::Installer product(const std::vector<std::string>& fileNames = {"app.txt"}) {
    build::Installer installer;
    build::Settings& s = installer.settings;
    s.flagsLow = flag::KeepUninstallRecord.bit | flag::NoBackgroundWindow.bit | flag::DirectoryDialog.bit;
    s.publisher = "Acme";
    s.productName = kProduct;
    s.displayVersion = "1.0";
    s.defaultInstallDir = "Acme\\Widget";
    s.uninstallSubdir = "Uninstall";
    s.volumeBaseName = "WIDGET";
    s.uninstallerName = "Uninstal.exe";
    s.buildTime = {2024, 5, 17, 12, 30, 0};
    s.languages = {"English"};
    for (const std::string& t : build::defaultStringTable()) s.strings.push_back({t});
    for (const std::string& name : fileNames) {
        build::FileEntry file;
        file.name = name;
        file.body = bytesOf(name);
        file.modified = {2021, 1, 1, 0, 0, 0};
        installer.files.push_back(file);
    }
    return installer;
}

// Adds languages after English: each text is the English one behind the
// language's prefix ("DE " for "Deutsch").
void addLanguages(build::Installer& installer, const std::vector<std::string>& names,
                  const std::vector<std::string>& prefixes) {
    build::Settings& s = installer.settings;
    s.languages.insert(s.languages.begin(), names.begin(), names.end());
    for (std::vector<std::string>& byLanguage : s.strings) {
        std::vector<std::string> texts;
        for (const std::string& p : prefixes) texts.push_back(byLanguage[0].empty() ? "" : p + byLanguage[0]);
        byLanguage.insert(byLanguage.begin(), texts.begin(), texts.end());
    }
}

const e2e::Dialog* firstWith(const e2e::RobotRun& run, unsigned controlId) {
    for (const e2e::Dialog& d : run.transcript.dialogs)
        if (d.control(controlId)) return &d;
    return nullptr;
}

std::string controlText(const e2e::Dialog* dialog, unsigned id) {
    const e2e::Control* c = dialog ? dialog->control(id) : nullptr;
    return c ? c->text : "<missing>";
}

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(e2e::requireRobotStubAndPrefix(prefix));
    }

    bool place(const build::Installer& installer) {
        build::InstallerFiles files;
        try {
            files = build::makeInstallerFiles(installer, readBytes(e2e::stubExe(true)), payload::kBuilderVersion);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "the builder refused the installer: " << e.what();
            return false;
        }
        return writeBytes(prefix.unixPath(kSetup), files.installer);
    }

    e2e::RobotRun run(const std::string& arguments, const std::string& script, int timeoutMs = 20000) {
        return prefix.runRobot(std::string(kSetup) + (arguments.empty() ? "" : " " + arguments),
                               script + kQuietScript, timeoutMs);
    }

    std::string host(const std::string& windowsPath) const { return prefix.unixPath(windowsPath); }

    void expectNothingInstalled(const e2e::RobotRun& r) {
        EXPECT_FALSE(fs::exists(host(kDefaultDir))) << r.describe();
        EXPECT_FALSE(prefix.regKeyExists(kUninstallKey));
    }

    e2e::WinePrefix prefix;
};

TEST_F(Wizard, LanguageDialogListsThePayloadLanguagesAndTheChoiceSpeaksInLaterDialogs) {
    build::Installer installer = product();
    addLanguages(installer, {"Deutsch", "Francais"}, {"DE ", "FR "});  // English last
    installer.settings.licenceTexts = {"Licence of <product>"};
    installer.settings.minStepTime = 1000;  // the progress dialog holds still long enough to be seen
    ASSERT_TRUE(place(installer));

    // Wine's locale is not German or French, so English is chosen first.
    // Picking French relabels the dialog, which the robot then sees again.
    const std::string answers =
        "once caption \"Choose Your Language\"\n  pick 1017 1\n"
        "on caption \"Choose Your Language\"\n  click 1001\n"
        "on caption " + quoted(text(44, "FR ")) + "\n  click 1001\n"
        "on caption " + quoted(text(24, "FR ")) + "\n  click 1001\n"
        "on text " + quoted(text(42, "FR ")) + "\n  click 1\n";
    e2e::RobotRun r = run("", answers);
    expectEndedByItself(r);

    const e2e::Dialog* language = firstWith(r, IDC_LANGUAGES);
    ASSERT_NE(language, nullptr) << r.describe();
    EXPECT_EQ(language->caption, "Choose Your Language");
    EXPECT_EQ(language->control(IDC_LANGUAGES)->items, (std::vector<std::string>{"Deutsch", "Francais", "English"}));
    EXPECT_EQ(controlText(language, IDC_ACCEPT), text(48)) << "labelled in the preselected English";
    EXPECT_EQ(controlText(language, IDC_DECLINE), text(49));
    std::vector<const e2e::Dialog*> languageDialogs;
    for (const e2e::Dialog& d : r.transcript.dialogs)
        if (d.control(IDC_LANGUAGES)) languageDialogs.push_back(&d);
    ASSERT_EQ(languageDialogs.size(), 2u) << r.describe();
    EXPECT_EQ(languageDialogs[1]->caption, "Choose Your Language") << "the caption is fixed";
    EXPECT_EQ(controlText(languageDialogs[1], IDC_ACCEPT), text(48, "FR ")) << "relabelled before it closes";
    EXPECT_EQ(controlText(languageDialogs[1], IDC_DECLINE), text(49, "FR "));

    const e2e::Dialog* licence = firstWith(r, IDC_LONG_TEXT);
    ASSERT_NE(licence, nullptr) << r.describe();
    EXPECT_EQ(licence->caption, text(44, "FR "));
    EXPECT_EQ(controlText(licence, IDC_HEADING), text(47, "FR "));
    EXPECT_EQ(controlText(licence, IDC_ACCEPT), text(45, "FR "));
    EXPECT_EQ(controlText(licence, IDC_DECLINE), text(46, "FR "));
    EXPECT_EQ(controlText(licence, IDC_LONG_TEXT), "Licence of Widget");

    const e2e::Dialog* directory = firstWith(r, IDC_DIRECTORY);
    ASSERT_NE(directory, nullptr) << r.describe();
    EXPECT_EQ(directory->caption, text(24, "FR "));
    EXPECT_EQ(controlText(directory, IDC_HEADING), text(11, "FR "));
    EXPECT_EQ(controlText(directory, IDC_BROWSE), text(52, "FR "));
    EXPECT_EQ(controlText(directory, IDC_DIRECTORY), kDefaultDir);

    const e2e::Dialog* progress = firstWith(r, IDC_STATUS);
    ASSERT_NE(progress, nullptr) << r.describe();
    EXPECT_EQ(progress->caption, text(54, "FR "));
    EXPECT_EQ(controlText(progress, IDC_DECLINE), text(49, "FR "));

    std::vector<e2e::Dialog> boxes = messageBoxes(r);
    ASSERT_EQ(boxes.size(), 1u) << r.describe();
    EXPECT_EQ(boxes[0].message(), text(42, "FR "));
    EXPECT_EQ(readText(host(kDefaultDir + "\\app.txt")), "app.txt");
}

TEST_F(Wizard, DecliningTheLicenceOrTheLanguageInstallsNothing) {
    build::Installer installer = product();
    installer.settings.licenceTexts = {"Licence of <product>"};
    ASSERT_TRUE(place(installer));
    e2e::RobotRun declined = run("", "on caption " + quoted(text(44)) + "\n  click 1003\n");
    expectEndedByItself(declined);
    ASSERT_NE(firstWith(declined, IDC_LONG_TEXT), nullptr) << declined.describe();
    EXPECT_EQ(firstWith(declined, IDC_DIRECTORY), nullptr) << declined.describe();
    EXPECT_EQ(messageBoxes(declined).size(), 0u) << declined.describe();
    expectNothingInstalled(declined);

    addLanguages(installer, {"Deutsch"}, {"DE "});
    ASSERT_TRUE(place(installer));
    e2e::RobotRun cancelled = run("", "on caption \"Choose Your Language\"\n  click 1003\n");
    expectEndedByItself(cancelled);
    EXPECT_EQ(firstWith(cancelled, IDC_LONG_TEXT), nullptr) << cancelled.describe();
    expectNothingInstalled(cancelled);
}

TEST_F(Wizard, DirectoryDialogRefusesBadPathsAndInstallsInATypedOne) {
    build::Installer installer = product();
    installer.settings.flagsHigh |= flag::RefuseUncDirectory.bit;
    ASSERT_TRUE(place(installer));

    const std::string dialog = "once caption " + quoted(text(24)) + "\n";
    const std::string answers =
        dialog + "  type 1015 \"relative\\\\dir\"\n  click 1001\n" +
        dialog + "  type 1015 \"\\\\\\\\server\\\\share\\\\Widget\"\n  click 1001\n" +
        dialog + "  type 1015 \"C:\\\\Program Files\"\n  click 1001\n" +
        dialog + "  type 1015 \"C:\\\\Typed\\\\Widget\"\n  click 1001\n" +
        "on caption " + quoted(text(21)) + "\n  click 1\n"
        "on text " + quoted(text(42)) + "\n  click 1\n";
    e2e::RobotRun r = run("", answers);
    expectEndedByItself(r);

    std::vector<e2e::Dialog> boxes = messageBoxes(r);
    ASSERT_EQ(boxes.size(), 4u) << r.describe();
    EXPECT_EQ(boxes[0].message(), text(14) + "\r\nrelative\\dir");
    EXPECT_EQ(boxes[1].message(), text(66));
    std::string programs = text(18);
    programs.replace(programs.find("%s"), 2, "C:\\Program Files");
    EXPECT_EQ(boxes[2].message(), programs);
    EXPECT_EQ(boxes[3].message(), text(42));
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(boxes[i].caption, text(21)) << i;

    int directoryDialogs = 0;
    for (const e2e::Dialog& d : r.transcript.dialogs) directoryDialogs += d.control(IDC_DIRECTORY) != nullptr;
    EXPECT_EQ(directoryDialogs, 4) << "each refusal goes back to the dialog";
    EXPECT_EQ(readText(host("C:\\Typed\\Widget\\app.txt")), "app.txt");
    EXPECT_FALSE(fs::exists(host(kDefaultDir)));
    std::optional<e2e::RegValue> location = prefix.regQuery(kUninstallKey, "InstallLocation");
    ASSERT_TRUE(location.has_value());
    EXPECT_EQ(location->data, "C:\\Typed\\Widget");
}

// A size of whole gigabytes as the size texts give it: two decimals in GB
// below a terabyte, in TB above.
std::string gigabyteText(uint64_t bytes) {
    const double gigabyte = 1024.0 * 1024 * 1024;
    char out[32];
    if (bytes < 1024 * (uint64_t)gigabyte) snprintf(out, sizeof out, "%.2f GB", bytes / gigabyte);
    else snprintf(out, sizeof out, "%.2f TB", bytes / gigabyte / 1024);
    return out;
}

// Wine reports the free space of the host file system behind drive C:, and
// no honest payload needs that much. This one's header records more than
// the whole disk holds: every file at the largest size a payload may give.
// The catalogue keeps the real bodies, so a run that goes on past the
// question finds the first body cut short and reports the payload corrupt.
TEST_F(Wizard, DiskSpaceQuestionWhenTheNeedReachesTheFreeSpace) {
    const uint64_t capacity = fs::space(host("C:\\")).capacity;
    const uint64_t largest = payload::kMaxFileSize;
    std::vector<std::string> names;
    for (uint64_t i = 0; i <= capacity / largest; ++i) names.push_back("part" + std::to_string(i) + ".bin");
    const uint64_t needed = names.size() * largest;  // whole clusters already
    e2e::InstallerImage image = e2e::makeInstaller(product(names));
    ASSERT_TRUE(image.error.empty()) << image.error;
    for (size_t i = 0; i < names.size(); ++i) image.putHeaderU32(e2e::header::kFileSizes + 4 * i, (uint32_t)largest);
    ASSERT_TRUE(writeBytes(host(kSetup), image.bytes));

    // S(19) up to the free space, which the host decides.
    std::string question = text(19);
    question.replace(question.find("%s"), 2, gigabyteText(needed));
    question.replace(question.find("%c"), 2, "C");
    const std::string asked = question.substr(0, question.find("%s"));
    const std::string directory = "once caption " + quoted(text(24)) + "\n";
    auto answering = [&](int answer) {
        return directory + "  click 1001\n" + "once text " + quoted(asked.substr(asked.find(" needs "))) +
               "\n  click " + std::to_string(answer) + "\n" + directory + "  click 1003\n";
    };
    auto expectAsked = [&](const e2e::Dialog& box) {
        EXPECT_EQ(box.caption, text(20));
        EXPECT_EQ(box.message().substr(0, asked.size()), asked) << box.message();
        EXPECT_EQ(box.buttons(), (std::vector<std::string>{"&Yes", "&No"}));
    };

    // No: back to the directory dialog, whose cancel then ends the run.
    e2e::RobotRun declined = run("", answering(7));
    expectEndedByItself(declined);
    std::vector<e2e::Dialog> boxes = messageBoxes(declined);
    ASSERT_EQ(boxes.size(), 1u) << declined.describe();
    expectAsked(boxes[0]);
    int directoryDialogs = 0;
    for (const e2e::Dialog& d : declined.transcript.dialogs) directoryDialogs += d.control(IDC_DIRECTORY) != nullptr;
    EXPECT_EQ(directoryDialogs, 2) << declined.describe();
    expectNothingInstalled(declined);

    // Yes: the installation goes on, makes the folder and opens the data.
    e2e::RobotRun accepted = run("", answering(6));
    expectEndedByItself(accepted);
    boxes = messageBoxes(accepted);
    ASSERT_EQ(boxes.size(), 2u) << accepted.describe();
    expectAsked(boxes[0]);
    std::string corrupt = text(13);
    corrupt.replace(corrupt.find("%d"), 2, "100");
    EXPECT_EQ(boxes[1].caption, "FATAL ERROR");
    EXPECT_EQ(boxes[1].message(), corrupt);
    EXPECT_TRUE(fs::is_directory(host(kDefaultDir))) << accepted.describe();
    EXPECT_FALSE(fs::exists(host(kDefaultDir + "\\" + names[0])));
    EXPECT_FALSE(prefix.regKeyExists(kUninstallKey));
}

// The status line that opens the file phase ("Checking the installation
// files...") stays up for the step time, long enough for the robot to see the
// progress dialog hold still and click its cancel button.
build::Installer slowProduct(std::vector<std::string>& names) {
    names = {"first.txt", "second.txt", "third.txt"};
    build::Installer installer = product(names);
    installer.settings.flagsLow &= ~flag::DirectoryDialog.bit;
    installer.settings.minStepTime = 1500;
    return installer;
}

std::string cancelScript(int answer) {
    return "once caption " + quoted(text(54)) + " text " + quoted(text(62)) + "\n  click 1003\n"
           "on text " + quoted(firstLine(text(28))) + "\n  click " + std::to_string(answer) + "\n"
           "on text " + quoted(text(42)) + "\n  click 1\n"
           "on caption " + quoted(text(54)) + "\n  ignore\n";
}

TEST_F(Wizard, CancelDuringTheFilePhaseAnsweredNoGoesOnToAFullInstallation) {
    std::vector<std::string> names;
    ASSERT_TRUE(place(slowProduct(names)));
    e2e::RobotRun r = run("", cancelScript(7), 40000);
    expectEndedByItself(r);
    std::vector<e2e::Dialog> boxes = messageBoxes(r);
    ASSERT_EQ(boxes.size(), 2u) << r.describe();
    EXPECT_EQ(boxes[0].caption, text(20));
    EXPECT_EQ(boxes[0].message(), text(28));
    EXPECT_EQ(boxes[0].buttons(), (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(boxes[1].message(), text(42));
    for (const std::string& name : names) EXPECT_EQ(readText(host(kDefaultDir + "\\" + name)), name);
    EXPECT_TRUE(prefix.regKeyExists(kUninstallKey));
}

TEST_F(Wizard, CancelDuringTheFilePhaseAnsweredYesEndsTheRun) {
    std::vector<std::string> names;
    ASSERT_TRUE(place(slowProduct(names)));
    e2e::RobotRun r = run("", cancelScript(6), 40000);
    expectEndedByItself(r);
    std::vector<e2e::Dialog> boxes = messageBoxes(r);
    ASSERT_EQ(boxes.size(), 1u) << r.describe();
    EXPECT_EQ(boxes[0].message(), text(28));
    for (const std::string& name : names) EXPECT_FALSE(fs::exists(host(kDefaultDir + "\\" + name))) << name;
    EXPECT_FALSE(prefix.regKeyExists(kUninstallKey));
}

TEST_F(Wizard, AutomaticModeShowsNoWizardDialog) {
    build::Installer installer = product();
    addLanguages(installer, {"Deutsch"}, {"DE "});
    installer.settings.licenceTexts = {"Licence of <product>"};
    installer.settings.readmeTexts = {"Readme of <product>"};
    installer.settings.flagsLow |= flag::ConfirmDirectory.bit;
    ASSERT_TRUE(place(installer));
    e2e::RobotRun r = run("/a", "");
    expectEndedByItself(r);
    EXPECT_EQ(messageBoxes(r).size(), 0u) << r.describe();
    for (unsigned id : {IDC_LANGUAGES, IDC_LONG_TEXT, IDC_DIRECTORY})
        EXPECT_EQ(firstWith(r, id), nullptr) << id << "\n" << r.describe();
    EXPECT_EQ(readText(host(kDefaultDir + "\\app.txt")), "app.txt");
}

}  // namespace
