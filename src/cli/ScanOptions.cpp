#include "cli/ScanOptions.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "cli/UsageError.h"
#include "foundation/Globals.h"
#include "platform/Locale.h"
#include "platform/PathRules.h"
#include "storage/SettingsFile.h"

namespace qm::cli {

namespace {

using foundation::kPathDelim;

[[noreturn]] void Fail(const std::string& message) {
    throw UsageError(message);
}

std::string Join(const std::vector<std::string>& items, std::string_view separator) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            text += separator;
        }
        text += items[i];
    }
    return text;
}

std::optional<std::int64_t> ParseDecimal(std::string_view text) {
    std::int64_t value = 0;
    if (text.empty() || text.size() > 18) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS' (also with "T" between). A date without a time of day
// means its first second, or with endOfDay its last, so that --date-to 2024-01-31 takes in the
// whole of that day.
std::optional<platform::LocalDateTime> ParseDateTime(std::string_view text, bool endOfDay) {
    const auto number = [&](std::size_t pos, std::size_t length) -> int {
        if (pos + length > text.size()) {
            return -1;
        }
        int value = 0;
        for (std::size_t i = pos; i < pos + length; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return -1;
            }
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() != 10 && text.size() != 19) {
        return std::nullopt;
    }
    if (text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    platform::LocalDateTime when;
    when.year = number(0, 4);
    when.month = number(5, 2);
    when.day = number(8, 2);
    if (text.size() == 19) {
        if ((text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':') {
            return std::nullopt;
        }
        when.hour = number(11, 2);
        when.minute = number(14, 2);
        when.second = number(17, 2);
    } else if (endOfDay) {
        when.hour = 23;
        when.minute = 59;
        when.second = 59;
    }
    if (when.year < 1 || when.month < 1 || when.month > 12 || when.day < 1 || when.hour < 0 ||
        when.hour > 23 || when.minute < 0 || when.minute > 59 || when.second < 0 ||
        when.second > 59) {
        return std::nullopt;
    }
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (when.year % 4 == 0 && when.year % 100 != 0) || when.year % 400 == 0;
    const int daysInMonth = kDays[when.month - 1] + (when.month == 2 && leap ? 1 : 0);
    if (when.day > daysInMonth) {
        return std::nullopt;
    }
    return when;
}

template <typename T>
T Choice(const std::string& option, const std::string& value,
         const std::vector<std::pair<std::string, T>>& choices) {
    std::vector<std::string> names;
    for (const auto& [name, result] : choices) {
        if (name == value) {
            return result;
        }
        names.push_back(name);
    }
    Fail("invalid value '" + value + "' for " + option + " (one of: " + Join(names, ", ") + ")");
}

// The rules between the options that act on copies; sets copyAction.
void CheckCopyActionOptions(ScanOptions& options, bool trashCopies, bool foldersGiven) {
    const bool move = !options.moveDestination.empty();
    if (trashCopies && move) {
        Fail("--trash-copies and --move-copies-to exclude each other");
    }
    options.copyAction = trashCopies ? CopyAction::Trash
                         : move      ? CopyAction::Move
                                     : CopyAction::None;
    if (options.preservePaths && !move) {
        Fail("--preserve-paths needs --move-copies-to");
    }
    if (options.dryRun && options.copyAction == CopyAction::None) {
        Fail("--dry-run needs --trash-copies or --move-copies-to");
    }
    if (!options.loadPath.empty()) {
        if (options.copyAction == CopyAction::None) {
            Fail("--load needs --trash-copies or --move-copies-to");
        }
        if (foldersGiven) {
            Fail("--load takes the sets from the file: no folder to search may be given");
        }
    }
}

}  // namespace

std::string AbsoluteFolder(const std::string& path, const std::string& workingFolder,
                           platform::PathStyle style) {
    const char delim = platform::PathDelimOf(style);
    std::string full;
    const std::size_t pathRoot = platform::RootLength(path, style);
    if (platform::IsAbsolutePath(path, style)) {
        full = path;
    } else if (pathRoot == 0) {
        full = workingFolder + delim + path;
    } else {
        // "\x" and "C:x" (Windows): the root of the working folder's drive, or the working
        // folder when it is on drive C: itself, else that drive's root.
        const std::string_view workingRoot =
            std::string_view(workingFolder).substr(0, platform::RootLength(workingFolder, style));
        const std::string_view rest = std::string_view(path).substr(pathRoot);
        if (pathRoot == 1) {
            full = std::string(workingRoot) + std::string(rest);
        } else if (workingRoot.size() >= 2 && (workingRoot[0] | 0x20) == (path[0] | 0x20) &&
                   workingRoot[1] == ':') {
            full = workingFolder + delim + std::string(rest);
        } else {
            full = path.substr(0, 2) + delim + std::string(rest);
        }
    }
    // The root keeps its own text, with the native separator at its end.
    const std::size_t root = platform::RootLength(full, style);
    std::string result = full.substr(0, root);
    for (char& c : result) {
        if (c == '/' || (style == platform::PathStyle::Windows && c == '\\')) {
            c = delim;
        }
    }
    if (result.empty() || result.back() != delim) {
        result += delim;
    }
    std::vector<std::string_view> parts;
    std::string_view rest = std::string_view(full).substr(root);
    // Windows takes "/" as a separator too.
    const std::string_view separators = style == platform::PathStyle::Windows ? "\\/" : "/";
    while (!rest.empty()) {
        const std::size_t cut = rest.find_first_of(separators);
        const std::string_view part = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        parts.push_back(part);
    }
    for (const std::string_view part : parts) {
        result += part;
        result += delim;
    }
    return result;
}

ScanOptions ParseScanOptions(const std::vector<std::string>& args,
                             const std::string& workingFolder) {
    ScanOptions options;
    engine::SearchCriteria& criteria = options.criteria;
    std::vector<std::string> masks;
    std::vector<std::string> folders;
    std::optional<platform::LocalDateTime> dateFrom;
    std::optional<platform::LocalDateTime> dateTo;
    bool trashCopies = false;
    std::vector<std::string> settingsFolders;
    // Lists that a settings file filled: the first option after it that adds to one of them
    // starts that list anew, so that options given after the file override it.
    std::set<const std::vector<std::string>*> fromSettings;
    const auto overriding = [&fromSettings](std::vector<std::string> & list) -> auto& {
        if (fromSettings.erase(&list) > 0) {
            list.clear();
        }
        return list;
    };
    const auto applySettings = [&](const std::string& path) {
        const storage::SettingsFile file = storage::ReadSettingsFile(path);
        const scope::SearchSettings& search = file.search;
        settingsFolders.clear();
        for (const std::string& folder : search.searchFolders) {
            settingsFolders.push_back(AbsoluteFolder(folder, workingFolder));
        }
        masks.clear();
        for (const scope::FilterRow& row : search.filters) {
            if (row.selected) {
                masks.push_back(row.mask);
            }
        }
        criteria.minSizeText = search.minSizeText;
        criteria.maxSizeText = search.maxSizeText;
        criteria.sizeUnitIndex = search.sizeUnitIndex;
        // No method chosen searches by contents, as the window does.
        criteria.method = search.methodIndex >= 0 && search.methodIndex <= 4
                              ? static_cast<engine::Method>(search.methodIndex)
                              : engine::Method::ContentsOnly;
        criteria.includeHidden = search.includeHidden;
        criteria.includeSubFolders = search.includeSubFolders;
        criteria.depthLimit = search.depthLimit;
        criteria.ignoredFolders.clear();
        for (const std::string& folder : search.ignoredFolders) {
            criteria.ignoredFolders.push_back(AbsoluteFolder(folder, workingFolder));
        }
        criteria.ignoreSubFolders = search.ignoreSubFolders;
        criteria.excludedFolderMasks = search.excludedFolderMasks;
        criteria.excludedFileMasks = search.excludedFileMasks;
        // Blocked folders protect their files from --trash-copies and --move-copies-to.
        options.blockedFolders.clear();
        for (const std::string& folder : search.blockedFolders) {
            options.blockedFolders.push_back(AbsoluteFolder(folder, workingFolder));
        }
        options.blockedSubFolders = search.blockedSubFolders;
        fromSettings = {&masks, &criteria.ignoredFolders, &criteria.excludedFolderMasks,
                        &criteria.excludedFileMasks, &options.blockedFolders};
    };

    using Handler = std::function<void(const std::string& option, const std::string& value)>;
    struct OptionRule {
        bool takesValue;
        Handler handler;
    };
    const auto flag = [](std::function<void()> set) {
        return OptionRule{
            false, [set = std::move(set)](const std::string&, const std::string&) { set(); }};
    };
    const auto valued = [](Handler handler) { return OptionRule{true, std::move(handler)}; };
    const auto sizeLimit = [](std::string& target) {
        return [&target](const std::string& option, const std::string& value) {
            const auto number = ParseDecimal(value);
            if (!number || *number < 0) {
                Fail("invalid value '" + value + "' for " + option +
                     " (a whole number of units, 0 for no limit)");
            }
            target = std::to_string(*number);
        };
    };

    const std::map<std::string, OptionRule, std::less<>> rules = {
        {"--help", flag([&] { options.help = true; })},
        {"--version", flag([&] { options.version = true; })},
        {"--quiet", flag([&] { options.quiet = true; })},
        {"--hidden", flag([&] { criteria.includeHidden = true; })},
        {"--no-hidden", flag([&] { criteria.includeHidden = false; })},
        {"--recursive", flag([&] { criteria.includeSubFolders = true; })},
        {"--no-recursive", flag([&] { criteria.includeSubFolders = false; })},
        {"--ignore-sub-folders", flag([&] { criteria.ignoreSubFolders = true; })},
        {"--no-ignore-sub-folders", flag([&] { criteria.ignoreSubFolders = false; })},
        {"--mask", valued([&](const std::string& option, const std::string& value) {
             if (value.empty()) {
                 Fail("empty mask for " + option);
             }
             overriding(masks).push_back(value);
         })},
        {"--settings", valued([&](const std::string& option, const std::string& value) {
             if (value.empty()) {
                 Fail("empty file name for " + option);
             }
             applySettings(platform::IsAbsolutePath(value) ? value
                                                           : workingFolder + kPathDelim + value);
         })},
        {"--depth", valued([&](const std::string& option, const std::string& value) {
             const auto number = ParseDecimal(value);
             if (!number || *number < 0 || *number > 50) {
                 Fail("invalid value '" + value + "' for " + option + " (0 to 50, 0 for no limit)");
             }
             criteria.depthLimit = static_cast<int>(*number);
         })},
        {"--min-size", valued(sizeLimit(criteria.minSizeText))},
        {"--max-size", valued(sizeLimit(criteria.maxSizeText))},
        {"--size-unit", valued([&](const std::string& option, const std::string& value) {
             criteria.sizeUnitIndex =
                 Choice<int>(option, value, {{"bytes", 0}, {"kilobytes", 1}, {"megabytes", 2}});
         })},
        {"--method", valued([&](const std::string& option, const std::string& value) {
             criteria.method =
                 Choice<engine::Method>(option, value,
                                        {{"contents", engine::Method::ContentsOnly},
                                         {"size", engine::Method::SizeOnly},
                                         {"name", engine::Method::NameOnly},
                                         {"name-and-size", engine::Method::NameAndSize},
                                         {"contents-and-name", engine::Method::ContentsAndName}});
         })},
        {"--ignore-folder", valued([&](const std::string& option, const std::string& value) {
             if (value.empty()) {
                 Fail("empty folder for " + option);
             }
             const std::string folder = AbsoluteFolder(value, workingFolder);
             auto& list = overriding(criteria.ignoredFolders);
             if (std::find(list.begin(), list.end(), folder) == list.end()) {
                 list.push_back(folder);
             }
         })},
        {"--exclude-folder-mask", valued([&](const std::string& option, const std::string& value) {
             if (value.empty()) {
                 Fail("empty mask for " + option);
             }
             overriding(criteria.excludedFolderMasks).push_back(value);
         })},
        {"--exclude-file-mask", valued([&](const std::string& option, const std::string& value) {
             if (value.empty()) {
                 Fail("empty mask for " + option);
             }
             overriding(criteria.excludedFileMasks).push_back(value);
         })},
        {"--date-kind", valued([&](const std::string& option, const std::string& value) {
             criteria.dateRange.kind =
                 Choice<engine::DateKind>(option, value,
                                          {{"modified", engine::DateKind::Modified},
                                           {"created", engine::DateKind::Created},
                                           {"accessed", engine::DateKind::Accessed}});
         })},
        {"--date-from", valued([&](const std::string& option, const std::string& value) {
             dateFrom = ParseDateTime(value, false);
             if (!dateFrom) {
                 Fail("invalid date '" + value + "' for " + option +
                      " (YYYY-MM-DD or 'YYYY-MM-DD HH:MM:SS')");
             }
         })},
        {"--date-to", valued([&](const std::string& option, const std::string& value) {
             dateTo = ParseDateTime(value, true);
             if (!dateTo) {
                 Fail("invalid date '" + value + "' for " + option +
                      " (YYYY-MM-DD or 'YYYY-MM-DD HH:MM:SS')");
             }
         })},
        {"--format", valued([&](const std::string& option, const std::string& value) {
             options.format = Choice<OutputFormat>(option, value,
                                                   {{"text", OutputFormat::Text},
                                                    {"dat", OutputFormat::Dat},
                                                    {"csv", OutputFormat::Csv},
                                                    {"html", OutputFormat::Html},
                                                    {"rtf", OutputFormat::Rtf},
                                                    {"table", OutputFormat::Table}});
         })},
        {"--output", valued([&](const std::string& option, const std::string& value) {
             if (value.empty()) {
                 Fail("empty file name for " + option);
             }
             options.outputPath = value;
         })},
        {"--trash-copies", flag([&] { trashCopies = true; })},
        {"--move-copies-to", valued([&](const std::string& option, const std::string& value) {
             if (value.empty()) {
                 Fail("empty folder for " + option);
             }
             options.moveDestination =
                 foundation::RemoveTrailingBackslash(AbsoluteFolder(value, workingFolder));
         })},
        {"--preserve-paths", flag([&] { options.preservePaths = true; })},
        {"--blocked-folder", valued([&](const std::string& option, const std::string& value) {
             if (value.empty()) {
                 Fail("empty folder for " + option);
             }
             const std::string folder = AbsoluteFolder(value, workingFolder);
             auto& list = overriding(options.blockedFolders);
             if (std::find(list.begin(), list.end(), folder) == list.end()) {
                 list.push_back(folder);
             }
         })},
        {"--blocked-sub-folders", flag([&] { options.blockedSubFolders = true; })},
        {"--dry-run", flag([&] { options.dryRun = true; })},
        {"--load", valued([&](const std::string& option, const std::string& value) {
             if (value.empty()) {
                 Fail("empty file name for " + option);
             }
             options.loadPath = value;
         })},
    };

    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (arg.empty()) {
                Fail("empty folder name");
            }
            folders.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg[1] != '-') {
            Fail("unknown option '" + arg + "' (see --help)");
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const auto rule = rules.find(name);
        if (rule == rules.end()) {
            Fail("unknown option '" + name + "' (see --help)");
        }
        std::string value;
        if (rule->second.takesValue) {
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                Fail("option '" + name + "' needs a value");
            }
        } else if (equals != std::string::npos) {
            Fail("option '" + name + "' takes no value");
        }
        rule->second.handler(name, value);
    }

    if (options.help || options.version) {
        return options;
    }
    CheckCopyActionOptions(options, trashCopies, !folders.empty());
    if (folders.empty() && settingsFolders.empty() && options.loadPath.empty()) {
        Fail("no folder to search given (see --help)");
    }
    if (masks.empty() && fromSettings.contains(&masks)) {
        Fail("the settings file ticks no file filter (give --mask)");
    }

    if (folders.empty()) {
        // The order and uniqueness of the window's search folder list.
        criteria.searchFolders = storage::SearchFoldersToRestore(
            settingsFolders, platform::UserLocale(), [](const std::string&) { return true; });
    }
    for (const std::string& folder : folders) {
        const std::string absolute = AbsoluteFolder(folder, workingFolder);
        auto& list = criteria.searchFolders;
        if (std::find(list.begin(), list.end(), absolute) == list.end()) {
            list.push_back(absolute);
        }
    }
    criteria.fileMaskText = masks.empty() ? std::string("*.*") : Join(masks, ", ");
    if (dateFrom || dateTo) {
        criteria.dateRange.enabled = true;
        criteria.dateRange.from = dateFrom.value_or(platform::LocalDateTime{1, 1, 1, 0, 0, 0});
        criteria.dateRange.to = dateTo.value_or(platform::LocalDateTime{9999, 12, 31, 23, 59, 59});
    }
    return options;
}

std::string HelpText() {
    return R"(Usage: quillmere-scan [OPTION]... FOLDER...
  or:  quillmere-scan --settings FILE.ini [OPTION]... [FOLDER]...
Finds duplicate files in the FOLDERs (and their sub folders) with Quillmere's search engine.

Files:
      --settings FILE.ini       search as a settings file saved by the window says: its search
                                folders, the masks of its ticked filters, sizes and unit, method,
                                hidden files, sub folders and depth, excluded folders and masks.
                                Options after it override it (a list option starts its list
                                anew); FOLDERs given on the command line replace its folders
      --mask MASK               file-name mask to search (repeatable; default "*.*", every file)
      --hidden, --no-hidden     include hidden files and folders, or not (default: include)
      --recursive, --no-recursive
                                search sub folders, or not (default: search them)
      --depth N                 search at most N folder levels deep (0 to 50; default 0, no limit)
      --min-size N, --max-size N
                                only files of at least / at most N units (default 0, no limit)
      --size-unit UNIT          bytes, kilobytes (1,024 bytes) or megabytes (1,024,000 bytes);
                                default kilobytes, as in the window
      --ignore-folder DIR       skip this folder (repeatable)
      --ignore-sub-folders, --no-ignore-sub-folders
                                skip the sub folders of ignored folders too, or not (default: not)
      --exclude-folder-mask M   skip folders whose name matches M (repeatable)
      --exclude-file-mask M     skip files whose name matches M (repeatable)
      --date-kind KIND          modified (default), created or accessed: the time --date-from
                                and --date-to test
      --date-from WHEN, --date-to WHEN
                                only files whose time lies in this window, both ends included;
                                WHEN is YYYY-MM-DD or 'YYYY-MM-DD HH:MM:SS' (local time; a date
                                alone is its first second for --date-from, its last for --date-to)

Comparison:
      --method METHOD           contents (default: equal bytes), size, name, name-and-size or
                                contents-and-name

Output:
      --format FORMAT           text (default): the duplicate sets, one path per line, a blank
                                line between sets; dat: a Quillmere results file that the window
                                loads (group|path|key|size|date, CR LF); csv, html, rtf, table:
                                the window's exports of the results tree (a header row, then a
                                row per extension group and per file, ">" marking the first file
                                of a set and ">>" the others); csv as RFC 4180, table the same
                                with one blank between cells
      --output FILE             write the results to FILE (replaced only when complete) instead
                                of standard output
      --quiet                   show no progress (progress is shown only on a terminal) and
                                do not name the folders and files that had to be skipped

Acting on the copies (every file of a set but its first, as "Mark all" marks them; the first
file of a set is never touched):
      --trash-copies            move the copies to the trash (the freedesktop trash: the home
                                trash, or the trash folder at the top of the file's file
                                system); a file that no trash can take stays where it is
      --move-copies-to DIR      move the copies into the existing folder DIR; a name taken
                                there gets a new one ("a (2).txt"), nothing is ever replaced
      --preserve-paths          with --move-copies-to: recreate each copy's folder path below
                                DIR (/home/ann/a.txt goes to DIR/home/ann/a.txt)
      --blocked-folder DIR      never act on files in DIR (repeatable)
      --blocked-sub-folders     nor on files in the sub folders of blocked folders
      --dry-run                 check and print what would be done; change nothing
      --load FILE               take the sets from the results file FILE (written with
                                --format dat or saved by the window) instead of searching; then
                                no FOLDER is given
Before a copy goes, it must still be the file the search listed (a regular file, not a link,
of the same device, file id, size and modification time) and, for sets found by content,
another copy must still be there unchanged; sets from a results file are compared byte for
byte with the first file instead. A copy that fails a check is left alone. With these options,
standard output gets one line per file acted on or refused and then the totals; the results
themselves go only to --output. Ctrl+C stops between two files.
      --help                    show this help and exit
      --version                 show the version and exit

The last line on standard error sums up the result and the time taken; the line before it
counts the files and folders ignored. Each folder that cannot be listed and each file that cannot
be read (or changed while it was compared) is named on standard error, one line each; folders of
pseudo file systems (proc, sysfs, ...) are skipped and named the same way. Ctrl+C aborts the
search: nothing is written and the exit status is 130.
Exit status: 0 when the search ran (duplicates found or not), 1 on an error (a search folder that
cannot be listed is one) or when a copy could not be trashed or moved (in a dry run: would not
be), 2 on bad usage.
)";
}

}  // namespace qm::cli
