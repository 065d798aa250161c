#pragma once

// A results tree of odd file names, and what every export must show for it, written out by hand.

#include <cstdint>
#include <string>
#include <vector>

#include "results/BlockedFolderRule.h"
#include "results/PopulateResultsTree.h"
#include "results/ResultTree.h"
#include "results/ResultsHost.h"
#include "storage/ExportReaders.h"
#include "support/TempTree.h"

namespace qm::storage::testing {

// A text as the tree holds it (raw bytes), as CSV and the text table show it (plain: invalid
// UTF-8 as U+FFFD) and as HTML and RTF show it (visible: controls as their pictures too).
struct OddText {
    std::string raw;
    std::string plain;
    std::string visible;
};

inline OddText Same(const std::string& text) {
    return {text, text, text};
}

struct FixtureFile {
    OddText folder;
    OddText name;
};

struct FixtureSet {
    std::string key;
    std::string group;
    std::int64_t size = 0;
    std::string sizeText;  // with the "," thousands separator
    std::vector<FixtureFile> files;
};

inline const std::string kFixtureDate = "01/05/2006 03:04:05 PM";

// Folders are written with "/" and held with the system's separator.
inline std::vector<FixtureSet> OddSets() {
    const std::string fffd = "\xEF\xBF\xBD";
    const OddText plain = Same(test::NativePath("/data/plain/"));
    const OddText odd = Same(test::NativePath("/data/odd,dir {x}/"));
    const OddText marked = Same(test::NativePath("/data/\xC3\xA9t\xC3\xA9 & <b>/"));
    const OddText badFolder = {test::NativePath("/data/\xFF/"),
                               test::NativePath("/data/" + fffd + "/"),
                               test::NativePath("/data/" + fffd + "/")};
#ifdef _WIN32
    // A backslash separates folders there: no name holds one.
    const std::string slashName = "{brace}[back]slash.txt";
#else
    const std::string slashName = "{brace}\\back\\slash.txt";
#endif
    return {
        {"*.TXT",
         "000001",
         1234567,
         "1,234,567",
         {
             {plain, Same("a,b.txt")},
             {odd, Same("say \"hi\".txt")},
             {marked, Same(slashName)},
             {plain,
              {"line\nfeed\r.txt", "line\nfeed\r.txt",
               "line\xE2\x90\x8A"
               "feed\xE2\x90\x8D.txt"}},
             {badFolder,
              {"bad-\xFF\xFE-\xE6\x97.txt", "bad-" + fffd + fffd + "-" + fffd + ".txt",
               "bad-" + fffd + fffd + "-" + fffd + ".txt"}},
         }},
        {"*.TXT",
         "000002",
         12,
         "12",
         {
             {odd, {"tab\there.txt", "tab\there.txt", "tab\xE2\x90\x89here.txt"}},
             {plain, Same("  leading blank.txt")},
             {marked, Same("&amp; 'apos'.txt")},
         }},
        {"*.HTM",
         "000003",
         1234567,
         "1,234,567",
         {
             {plain, Same("<script>alert(1)<script>.htm")},
             {odd, Same("<script>alert(1)<script>.htm")},
         }},
        {"(None)",
         "000004",
         5'000'000'000,
         "5,000,000,000",
         {
             {plain, Same("<img src=x onerror=alert(1)>.jpg")},
             {marked, Same("\xC3\x86r\xC3\xB8sk\xC3\xB8"
                           "bing \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC "
                           "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt")},
             {odd, Same("emoji \xF0\x9F\x98\x80.png")},
         }},
    };
}

// The tree the window shows for OddSets().
inline results::ResultTree OddTree(const platform::Locale& locale) {
    std::vector<results::ResultLine> lines;
    for (const FixtureSet& set : OddSets()) {
        for (const FixtureFile& file : set.files) {
            lines.push_back(
                {set.group, file.folder.raw + file.name.raw, set.key, set.size, kFixtureDate});
        }
    }
    results::ResultTree tree;
    results::NullResultsHost host;
    results::PopulateResultsTree(tree, lines, host, results::BlockedFolderRule(), locale);
    return tree;
}

inline const std::vector<std::string> kCaptions = {"Extension", "File Name", "File Path",
                                                   "File Size (Bytes)", "Last Modified"};

// Header and rows of OddTree() in the initial column order, as the chosen form shows them.
inline Table ExpectedOddTable(bool visible) {
    Table table = {kCaptions};
    std::string lastKey;
    for (const FixtureSet& set : OddSets()) {
        if (set.key != lastKey) {
            table.push_back({set.key, "", "", "", ""});
            lastKey = set.key;
        }
        bool head = true;
        for (const FixtureFile& file : set.files) {
            table.push_back({head ? ">" : ">>", visible ? file.name.visible : file.name.plain,
                             visible ? file.folder.visible : file.folder.plain, set.sizeText,
                             kFixtureDate});
            head = false;
        }
    }
    return table;
}

}  // namespace qm::storage::testing
