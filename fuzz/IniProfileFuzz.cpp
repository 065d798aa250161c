// The INI profile reader and the settings file reader on any text. Besides not crashing, what
// must hold for every input:
// - a value written into the profile reads back byte for byte after a trip through the text;
// - a settings file read and written again reads back the same: opening and saving loses nothing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "storage/IniProfile.h"
#include "storage/SettingsFile.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void ProfileRoundTrip(std::string_view text) {
    using qm::storage::IniProfile;
    IniProfile profile = IniProfile::Parse(text);
    const std::string value(text.substr(text.size() / 2, 64));
    profile.WriteString("Options", "Hidden", value);  // likely present in the input: in place
    profile.WriteString("Fuzz Section", "Fuzz Key", value);
    profile.WriteInteger("Search Path", "0", static_cast<int>(text.size()));
    const IniProfile reread = IniProfile::Parse(profile.Text());
    Check(reread.Text() == profile.Text());
    Check(reread.ReadString("options", "hidden", {}) == value);
    Check(reread.ReadString("Fuzz Section", "Fuzz Key", {}) == value);
    Check(reread.ReadInteger("Search Path", "0", -1) == static_cast<int>(text.size()));
    (void)reread.FamilyIndexes("Filter Settings", "FilterMask");
}

void SettingsRoundTrip(std::string_view text) {
    using namespace qm::storage;
    const SettingsFile first = ParseSettingsText(text);
    const std::string written = SettingsText(first);
    const SettingsFile second = ParseSettingsText(written);
    SettingsFile expected = first;
    if (first.search.filters.empty()) {
        expected.activeFilter = "*.*";  // the label text is kept only beside a filter table
    }
    Check(second == expected);
    Check(SettingsText(second) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ProfileRoundTrip(text);
    SettingsRoundTrip(text);
    return 0;
}
