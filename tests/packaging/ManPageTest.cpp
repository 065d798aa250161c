// quillmere-scan's manual page against its --help and its parser: every option, every value of
// an option with a fixed set of values, the output formats and the exit statuses.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ScanCommand.h"
#include "cli/ScanOptions.h"
#include "cli/UsageError.h"

namespace qm::cli {
namespace {

// The manual page as man shows it, near enough: font changes and escapes gone, one string per
// input line (requests keep their leading dot).
std::vector<std::string> ManPageLines() {
    std::ifstream file(QM_SCAN_MAN_PAGE);
    EXPECT_TRUE(file) << "cannot read " << QM_SCAN_MAN_PAGE;
    const std::vector<std::pair<std::string, std::string>> escapes = {
        {"\\fB", ""}, {"\\fI", ""},   {"\\fR", ""}, {"\\fP", ""},
        {"\\-", "-"}, {"\\(aq", "'"}, {"\\&", ""},  {"\\e", "\\"}};
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind(".\\\"", 0) == 0) {
            continue;
        }
        for (const auto& [escape, text] : escapes) {
            for (std::size_t at = line.find(escape); at != std::string::npos;
                 at = line.find(escape, at + text.size())) {
                line.replace(at, escape.size(), text);
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// The lines of one .SH section, without its heading.
std::vector<std::string> Section(const std::vector<std::string>& lines, const std::string& name) {
    std::vector<std::string> section;
    bool inside = false;
    for (const std::string& line : lines) {
        if (line.rfind(".SH ", 0) == 0) {
            std::string heading = line.substr(4);
            if (heading.size() >= 2 && heading.front() == '"' && heading.back() == '"') {
                heading = heading.substr(1, heading.size() - 2);
            }
            inside = heading == name;
        } else if (inside) {
            section.push_back(line);
        }
    }
    return section;
}

// The entries of a .TP list: the tag line's words (requests stripped) mapped to its paragraph.
std::map<std::string, std::string> TaggedEntries(const std::vector<std::string>& section) {
    std::map<std::string, std::string> entries;
    std::string tag;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const std::string& line = section[i];
        if (line == ".TP" && i + 1 < section.size()) {
            tag = section[++i];
            if (tag.rfind('.', 0) == 0) {
                tag = tag.substr(tag.find(' ') + 1);
            }
            entries[tag];
        } else if (line.rfind(".SS", 0) == 0 || line == ".PP") {
            tag.clear();
        } else if (!tag.empty()) {
            entries[tag] += line + "\n";
        }
    }
    return entries;
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        found.insert((*it)[1].str());
    }
    return found;
}

const std::regex kOption(R"((--[a-z][a-z-]*[a-z]))");

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

// The options --help names, each at the start of an entry or in its text.
std::set<std::string> HelpOptions() {
    return Matches(HelpText(), kOption);
}

// The options a .TP tag of the manual page's OPTIONS describes.
std::set<std::string> ManPageOptionTags() {
    std::set<std::string> options;
    for (const auto& [tag, text] : TaggedEntries(Section(ManPageLines(), "OPTIONS"))) {
        const std::set<std::string> inTag = Matches(tag, kOption);
        options.insert(inTag.begin(), inTag.end());
    }
    return options;
}

// The values the parser accepts for option, from its own message for a value it refuses.
std::vector<std::string> ParserChoices(const std::string& option) {
    try {
        ParseScanOptions({option, "no-such-value", "/"}, "/");
    } catch (const UsageError& error) {
        const std::string message = error.what();
        const std::string lead = "(one of: ";
        const std::size_t start = message.find(lead);
        if (start == std::string::npos) {
            ADD_FAILURE() << option << ": " << message;
            return {};
        }
        std::vector<std::string> choices;
        std::stringstream list(
            message.substr(start + lead.size(), message.rfind(')') - start - lead.size()));
        std::string choice;
        while (std::getline(list, choice, ',')) {
            choices.push_back(choice.substr(choice.find_first_not_of(' ')));
        }
        return choices;
    }
    ADD_FAILURE() << option << " took an unknown value";
    return {};
}

bool ContainsWord(const std::string& text, const std::string& word) {
    return std::regex_search(text, std::regex("(^|[^a-z-])" + word + "($|[^a-z-])"));
}

// --help's entry of option: its line and the lines that go on its text.
std::string HelpEntry(const std::string& option) {
    std::stringstream help(HelpText());
    std::string entry;
    std::string line;
    bool inside = false;
    while (std::getline(help, line)) {
        const bool startsEntry = line.rfind("      --", 0) == 0;
        if (startsEntry) {
            inside = ContainsWord(line.substr(0, line.find("  ", 6)), option);
        } else if (line.rfind("        ", 0) != 0) {
            inside = false;
        }
        if (inside) {
            entry += line + "\n";
        }
    }
    return entry;
}

TEST(ManPageTest, DescribesEveryOptionOfHelpAndNoOther) {
    const std::set<std::string> help = HelpOptions();
    ASSERT_TRUE(help.contains("--settings") && help.contains("--load")) << HelpText();
    EXPECT_EQ(ManPageOptionTags(), help);
    // Nor does the rest of the page (examples, synopsis) name an option --help does not know.
    const std::set<std::string> mentioned = Matches(Joined(ManPageLines()), kOption);
    for (const std::string& option : mentioned) {
        EXPECT_TRUE(help.contains(option)) << option << " is not an option of --help";
    }
}

TEST(ManPageTest, EveryOptionOfHelpIsOneTheParserKnows) {
    for (const std::string& option : HelpOptions()) {
        try {
            ParseScanOptions({option}, "/");
        } catch (const UsageError& error) {
            EXPECT_EQ(std::string(error.what()).find("unknown option"), std::string::npos)
                << error.what();
        }
    }
}

TEST(ManPageTest, NamesEveryValueOfOptionsWithFixedValues) {
    const std::map<std::string, std::string> entries =
        TaggedEntries(Section(ManPageLines(), "OPTIONS"));
    for (const std::string option : {"--method", "--size-unit", "--date-kind"}) {
        const std::vector<std::string> choices = ParserChoices(option);
        ASSERT_FALSE(choices.empty()) << option;
        std::string manEntry;
        for (const auto& [tag, text] : entries) {
            if (ContainsWord(tag, option)) {
                manEntry += text;
            }
        }
        const std::string helpEntry = HelpEntry(option);
        ASSERT_FALSE(manEntry.empty()) << option;
        ASSERT_FALSE(helpEntry.empty()) << option;
        for (const std::string& choice : choices) {
            EXPECT_TRUE(ContainsWord(manEntry, choice)) << option << " " << choice << "\n"
                                                        << manEntry;
            EXPECT_TRUE(ContainsWord(helpEntry, choice)) << option << " " << choice << "\n"
                                                         << helpEntry;
        }
    }
}

TEST(ManPageTest, DescribesEveryOutputFormat) {
    const std::vector<std::string> formats = ParserChoices("--format");
    ASSERT_FALSE(formats.empty());
    std::set<std::string> described;
    for (const auto& [tag, text] : TaggedEntries(Section(ManPageLines(), "OUTPUT FORMATS"))) {
        described.insert(tag);
        EXPECT_FALSE(text.empty()) << tag;
    }
    EXPECT_EQ(described, std::set<std::string>(formats.begin(), formats.end()));
    const std::string helpEntry = HelpEntry("--format");
    for (const std::string& format : formats) {
        EXPECT_TRUE(ContainsWord(helpEntry, format)) << format << "\n" << helpEntry;
    }
}

TEST(ManPageTest, ListsTheExitStatusesOfTheCommand) {
    const std::set<std::string> statuses = {std::to_string(kExitSearchRan),
                                            std::to_string(kExitError), std::to_string(kExitUsage),
                                            std::to_string(kExitAborted)};
    std::set<std::string> described;
    for (const auto& [tag, text] : TaggedEntries(Section(ManPageLines(), "EXIT STATUS"))) {
        described.insert(tag);
    }
    EXPECT_EQ(described, statuses);
    const std::string help = HelpText();
    // The closing paragraphs of --help, about what the command reports.
    const std::size_t closing = help.find("The last line on standard error");
    ASSERT_NE(closing, std::string::npos) << help;
    const std::string exitPart = help.substr(closing);
    for (const std::string& status : statuses) {
        EXPECT_TRUE(std::regex_search(exitPart, std::regex("\\b" + status + "\\b")))
            << status << " is missing from --help";
    }
}

}  // namespace
}  // namespace qm::cli
