#include "storage/SettingsFile.h"

#include <algorithm>

#include "foundation/Error.h"
#include "platform/Locale.h"
#include "platform/UserFolders.h"
#include "scope/SearchPathList.h"
#include "storage/FileIo.h"
#include "storage/IniProfile.h"

namespace qm::storage {

namespace {

constexpr std::string_view kDisplay = "Display";
constexpr std::string_view kOptions = "Options";
constexpr std::string_view kIgnoreList = "Ignore List";
constexpr std::string_view kBlockedList = "Blocked List";
constexpr std::string_view kIgnoreFileMask = "Ignore File Mask";
constexpr std::string_view kIgnoreFolderMask = "Ignore Folder Mask";
constexpr std::string_view kSearchPath = "Search Path";
constexpr std::string_view kFilterSettings = "Filter Settings";

constexpr std::string_view kDir = "Dir";
constexpr std::string_view kMask = "Mask";
constexpr std::string_view kFilterMask = "FilterMask";
constexpr std::string_view kFilterDef = "FilterDef";
constexpr std::string_view kFilterStat = "FilterStat";

// What older writers put in place of a search folder or filter mask that is not there.
constexpr std::string_view kAbsent = "<<<<";

constexpr int kMaxUnitIndex = 2;
constexpr int kMaxMethodIndex = 4;
constexpr int kMaxDepth = 50;

std::string Key(std::string_view prefix, std::size_t index) {
    return std::string(prefix) + std::to_string(index);
}

// A family whose keys are read only when present (folder and mask lists); blank entries mean
// nothing and are left out.
std::vector<std::string> ReadList(const IniProfile& profile, std::string_view section,
                                  std::string_view prefix) {
    std::vector<std::string> items;
    for (const std::size_t index : profile.FamilyIndexes(section, prefix)) {
        std::string item = profile.ReadString(section, Key(prefix, index), {});
        if (!item.empty()) {
            items.push_back(std::move(item));
        }
    }
    return items;
}

void WriteList(IniProfile& profile, std::string_view section, std::string_view prefix,
               const std::vector<std::string>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        profile.WriteString(section, Key(prefix, i), items[i]);
    }
}

// The entry as stored, unless it stands for nothing: absent, written as "<<<<", or blank. The
// marker is recognised in the stored text only, so a mask that really is "<<<<" (written
// escaped) comes back.
std::optional<std::string> ReadPresent(const IniProfile& profile, std::string_view section,
                                       const std::string& key) {
    const std::optional<std::string_view> raw = profile.Value(section, key);
    if (!raw || raw->empty() || *raw == kAbsent) {
        return std::nullopt;
    }
    return UnescapeIniValue(*raw);
}

}  // namespace

SettingsFile ParseSettingsText(std::string_view text) {
    const IniProfile profile = IniProfile::Parse(text);
    SettingsFile settings;
    scope::SearchSettings& search = settings.search;

    constexpr std::string_view kGeometryKeys[] = {"Left", "Top", "Width", "Height"};
    if (std::any_of(std::begin(kGeometryKeys), std::end(kGeometryKeys),
                    [&](std::string_view key) { return profile.KeyExists(kDisplay, key); })) {
        const WindowGeometry defaults;
        settings.window = WindowGeometry{profile.ReadInteger(kDisplay, "Left", defaults.left),
                                         profile.ReadInteger(kDisplay, "Top", defaults.top),
                                         profile.ReadInteger(kDisplay, "Width", defaults.width),
                                         profile.ReadInteger(kDisplay, "Height", defaults.height)};
    }

    search.disableScreenSaver = profile.ReadBool(kOptions, "ScreenSaver", false);

    search.ignoreSubFolders = profile.ReadBool(kIgnoreList, "Ignore Sub", false);
    search.ignoredFolders = ReadList(profile, kIgnoreList, kDir);
    search.blockedSubFolders = profile.ReadBool(kBlockedList, "Blocked Sub", false);
    search.blockedFolders = ReadList(profile, kBlockedList, kDir);
    search.excludedFileMasks = ReadList(profile, kIgnoreFileMask, kMask);
    search.excludedFolderMasks = ReadList(profile, kIgnoreFolderMask, kMask);

    for (const std::size_t index : profile.FamilyIndexes(kSearchPath, {})) {
        if (std::optional<std::string> folder = ReadPresent(profile, kSearchPath, Key({}, index))) {
            search.searchFolders.push_back(std::move(*folder));
        }
    }

    settings.activeDirectory = profile.ReadString(kOptions, "Active Directory", {});
    if (settings.activeDirectory.empty()) {
        settings.activeDirectory = platform::HomeFolder();
    }

    search.minSizeText = profile.ReadString(kOptions, "Min Size", "0");
    const int unit = profile.ReadInteger(kOptions, "Min Size Index", 0);
    search.sizeUnitIndex = unit >= 0 && unit <= kMaxUnitIndex ? unit : -1;
    search.maxSizeText = profile.ReadString(kOptions, "Max Size", "0");
    const int method = profile.ReadInteger(kOptions, "File Comparison Method", 0);
    search.methodIndex = method < 0 ? -1 : std::min(method, kMaxMethodIndex);

    settings.activeFilter = profile.ReadString(kFilterSettings, "Active Filter", "*.*");
    for (const std::size_t index : profile.FamilyIndexes(kFilterSettings, kFilterMask)) {
        std::optional<std::string> mask =
            ReadPresent(profile, kFilterSettings, Key(kFilterMask, index));
        if (!mask) {
            continue;
        }
        scope::FilterRow row;
        row.mask = std::move(*mask);
        row.definition = profile.ReadString(kFilterSettings, Key(kFilterDef, index), {});
        row.selected = profile.ReadBool(kFilterSettings, Key(kFilterStat, index), false);
        search.filters.push_back(std::move(row));
    }

    search.previewImages = profile.ReadBool(kOptions, "Preview", false);
    search.includeHidden = profile.ReadBool(kOptions, "Hidden", true);
    search.includeSubFolders = profile.ReadBool(kOptions, "Sub Folders", true);
    search.depthLimit =
        std::clamp(profile.ReadInteger(kOptions, "Sub Folder Depth", 0), 0, kMaxDepth);
    return settings;
}

std::string SettingsText(const SettingsFile& settings) {
    const scope::SearchSettings& search = settings.search;
    IniProfile profile;
    // The order of the writes is the order of the file: a key joins the end of its section.
    if (settings.window) {
        profile.WriteInteger(kDisplay, "Left", settings.window->left);
        profile.WriteInteger(kDisplay, "Top", settings.window->top);
        profile.WriteInteger(kDisplay, "Width", settings.window->width);
        profile.WriteInteger(kDisplay, "Height", settings.window->height);
    }
    profile.WriteBool(kOptions, "ScreenSaver", search.disableScreenSaver);

    profile.WriteBool(kIgnoreList, "Ignore Sub", search.ignoreSubFolders);
    WriteList(profile, kIgnoreList, kDir, search.ignoredFolders);
    profile.WriteBool(kBlockedList, "Blocked Sub", search.blockedSubFolders);
    WriteList(profile, kBlockedList, kDir, search.blockedFolders);
    WriteList(profile, kIgnoreFileMask, kMask, search.excludedFileMasks);
    WriteList(profile, kIgnoreFolderMask, kMask, search.excludedFolderMasks);
    WriteList(profile, kSearchPath, {}, search.searchFolders);

    if (!settings.activeDirectory.empty()) {
        profile.WriteString(kOptions, "Active Directory", settings.activeDirectory);
    }
    profile.WriteString(kOptions, "Min Size", search.minSizeText);
    profile.WriteInteger(kOptions, "Min Size Index", search.sizeUnitIndex);
    profile.WriteString(kOptions, "Max Size", search.maxSizeText);
    profile.WriteInteger(kOptions, "File Comparison Method", search.methodIndex);

    if (!search.filters.empty()) {
        profile.WriteString(kFilterSettings, "Active Filter", settings.activeFilter);
        for (std::size_t i = 0; i < search.filters.size(); ++i) {
            const scope::FilterRow& row = search.filters[i];
            profile.WriteString(kFilterSettings, Key(kFilterMask, i), row.mask);
            profile.WriteString(kFilterSettings, Key(kFilterDef, i), row.definition);
            profile.WriteBool(kFilterSettings, Key(kFilterStat, i), row.selected);
        }
    }

    profile.WriteBool(kOptions, "Preview", search.previewImages);
    profile.WriteBool(kOptions, "Hidden", search.includeHidden);
    profile.WriteBool(kOptions, "Sub Folders", search.includeSubFolders);
    profile.WriteInteger(kOptions, "Sub Folder Depth", search.depthLimit);
    return profile.Text();
}

SettingsFile ReadSettingsFile(const std::string& path) {
    return ParseSettingsText(ReadWholeFile(path));
}

void WriteSettingsFile(const std::string& path, const SettingsFile& settings) {
    const std::string text = SettingsText(settings);
    try {
        WriteFileAtomically(path, text);
    } catch (const FileError&) {
        throw FileError("Unable to write to " + path);
    }
}

std::vector<std::string> SearchFoldersToRestore(
    const std::vector<std::string>& stored, const platform::Locale& locale,
    const std::function<bool(const std::string&)>& folderExists) {
    scope::SearchPathList list(locale, folderExists);
    for (const std::string& folder : stored) {
        list.Add(folder);
    }
    return list.Paths();
}

std::vector<scope::FilterRow> FilterRowsToRestore(std::vector<scope::FilterRow> stored,
                                                  const platform::Locale& locale) {
    std::stable_sort(stored.begin(), stored.end(),
                     [&](const scope::FilterRow& a, const scope::FilterRow& b) {
                         const int order = locale.Compare(a.mask, b.mask);
                         return order != 0 ? order < 0 : a.mask < b.mask;
                     });
    return stored;
}

}  // namespace qm::storage
