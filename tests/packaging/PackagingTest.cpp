// The installed files that describe the programs must keep up with the programs: every
// command and exit code in the manual pages, one version everywhere, the menu entry named
// as the panel names itself and worded with its own Japanese texts.
#include "support/TempDir.h"

#include "ctl/CommandLine.h"
#include "ctl/Help.h"
#include "panel/ControlApp.h"
#include "resources/Texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>

namespace {

const std::string packagingDir = QUOREL_PACKAGING_DIR;

std::string packagingFile(const std::string& name) {
    const std::string text = TempDir::read(packagingDir + "/" + name);
    EXPECT_FALSE(text.empty()) << name << " is missing or empty";
    return text;
}

// The lines of one section of a manual page, from its .SH heading to the next.
std::vector<std::string> manualSection(const std::string& page, const std::string& heading) {
    std::istringstream in(packagingFile("man/" + page));
    std::vector<std::string> lines;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(".SH", 0) == 0) {
            inside = line == ".SH " + heading || line == ".SH \"" + heading + "\"";
            continue;
        }
        if (inside)
            lines.push_back(line);
    }
    EXPECT_FALSE(lines.empty()) << page << " has no section " << heading;
    return lines;
}

// The words that head each tagged paragraph (.TP) of the section, without the font macro
// and the roff escapes: ".BR on \", \" off" gives {"on", "off"}.
std::vector<std::vector<std::string>> tags(const std::vector<std::string>& section) {
    std::vector<std::vector<std::string>> all;
    for (size_t i = 0; i + 1 < section.size(); ++i) {
        if (section[i] != ".TP")
            continue;
        const std::string tag = std::regex_replace(
            section[i + 1], std::regex(R"(\\f[BIRP]|\\-|\[[^\]]*\]|["|,])"), " ");
        std::istringstream in(tag);
        std::string macro;
        in >> macro;
        all.emplace_back(std::istream_iterator<std::string>(in),
                         std::istream_iterator<std::string>());
    }
    return all;
}

std::set<std::string> firstWords(const std::vector<std::vector<std::string>>& tagged) {
    std::set<std::string> words;
    for (const auto& tag : tagged)
        if (!tag.empty())
            words.insert(tag.front());
    return words;
}

// Runs a program and gives what it printed on standard output.
std::string outputOf(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        EXPECT_EQ(::pclose(pipe), 0) << command;
    }
    return out;
}

// The first word of each line indented by two spaces: the command column of a help text.
std::set<std::string> helpColumnWords(const std::string& help, const std::string& pattern) {
    std::set<std::string> words;
    const std::regex row(pattern);
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_search(line, m, row))
            words.insert(m[1]);
    }
    return words;
}

TEST(ManualPages, QuorelctlDescribesEveryCommand) {
    std::set<std::string> described;
    for (const auto& tag : tags(manualSection("quorelctl.1", "COMMANDS")))
        described.insert(tag.begin(), tag.end());
    for (const std::string& command : ctl::commandNames())
        EXPECT_TRUE(described.count(command)) << "quorelctl.1 lacks the command " << command;
}

TEST(ManualPages, QuorelctlListsExactlyTheExitCodes) {
    const std::set<std::string> codes = helpColumnWords(ctl::exitCodeHelp(), R"(^ +(\d+)  )");
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(firstWords(tags(manualSection("quorelctl.1", "EXIT STATUS"))), codes);
}

// A roff escape written through a tool that read "\f" as a form feed renders as stray
// letters ("jaR|PenR"): a page holds no control byte but its line ends.
TEST(ManualPages, HoldNoControlCharacterButTheLineEnds) {
    for (const char* page : {"quorel.1", "quorelctl.1", "quorel-sim.1"}) {
        const std::string text = packagingFile(std::string("man/") + page);
        const auto bad = std::find_if(text.begin(), text.end(), [](char c) {
            return (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F;
        });
        EXPECT_EQ(bad, text.end()) << page << " at byte " << (bad - text.begin());
    }
}

TEST(ManualPages, SimulatorDescribesExactlyTheCommandsItTakes) {
    const std::set<std::string> commands =
        helpColumnWords(outputOf(std::string(QUOREL_SIM_PATH) + " --help"), R"(^  ([a-z]+))");
    ASSERT_TRUE(commands.count("unplug"));
    EXPECT_EQ(firstWords(tags(manualSection("quorel-sim.1", "COMMANDS"))), commands);
}

struct VersionPlace {
    const char* name;
    const char* file;
    const char* pattern; // the first match's group 1 is the version
};

void PrintTo(const VersionPlace& place, std::ostream* os) {
    *os << place.file;
}

class VersionAgreesWithTheProject : public testing::TestWithParam<VersionPlace> {};

TEST_P(VersionAgreesWithTheProject, InFile) {
    const VersionPlace& place = GetParam();
    const std::string text = packagingFile(place.file);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, std::regex(place.pattern))) << place.file;
    EXPECT_EQ(m[1].str(), QUOREL_PROJECT_VERSION) << place.file;
}

INSTANTIATE_TEST_SUITE_P(
    Files, VersionAgreesWithTheProject,
    testing::Values(
        VersionPlace{"QuorelManual", "man/quorel.1", R"re(^\.TH .* "Quorel ([0-9.]+)")re"},
        VersionPlace{"QuorelctlManual", "man/quorelctl.1", R"re(^\.TH .* "Quorel ([0-9.]+)")re"},
        VersionPlace{"SimulatorManual", "man/quorel-sim.1", R"re(^\.TH .* "Quorel ([0-9.]+)")re"},
        VersionPlace{"MetainfoLatestRelease", "io.github.quorel.Quorel.metainfo.xml",
                     R"re(<release version="([0-9.]+)")re"},
        VersionPlace{"DebianChangelogLatestEntry", "debian/changelog",
                     R"(^quorel \(([0-9.]+)-[0-9]+\))"}),
    [](const testing::TestParamInfo<VersionPlace>& info) { return info.param.name; });

// The value of a key of the desktop entry's one group; empty when it is not there.
std::string desktopValue(const std::string& entry, const std::string& key) {
    std::istringstream in(entry);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    return {};
}

TEST(DesktopEntry, IsNamedAsThePanelNamesItself) {
    const std::string id = DesktopEntryId;
    const std::string entry = packagingFile(id + ".desktop");
    EXPECT_EQ(desktopValue(entry, "Icon"), id);
    EXPECT_TRUE(TempDir::exists(packagingDir + "/" + id + ".svg"));
    EXPECT_NE(packagingFile(id + ".metainfo.xml").find("<id>" + id + "</id>"), std::string::npos);
}

TEST(DesktopEntry, SpeaksJapaneseWithThePanelsOwnTexts) {
    const std::string entry = packagingFile(std::string(DesktopEntryId) + ".desktop");
    EXPECT_EQ(desktopValue(entry, "Name[ja]"), texts::MainCaption);
    EXPECT_EQ(desktopValue(entry, "GenericName[ja]"), texts::AboutLine1);
    EXPECT_EQ(desktopValue(entry, "Comment[ja]"),
              std::string(texts::AboutLine2) + "　" + texts::AboutLine3);
}

} // namespace
