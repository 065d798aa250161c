// Where Default.ini lives when the program folder is the folder it was installed into.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/UserFolders.h"
#include "storage/SettingsLocation.h"
#include "support/TempTree.h"

namespace qm::storage {
namespace {

using test::Folder;
using test::SymlinkTo;
using test::TempTree;

#ifndef _WIN32
// Points $XDG_CONFIG_HOME at folder while it lives.
class ConfigHome {
public:
    explicit ConfigHome(const std::string& folder) {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
            m_old = old;
        }
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;
    ~ConfigHome() {
        if (m_old) {
            ::setenv("XDG_CONFIG_HOME", m_old->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
    }

private:
    std::optional<std::string> m_old;
};
#endif

// The tests run as root, who may write into every folder: exactly the user for whom a writable
// installed folder must still not count as a portable copy.
TEST(SettingsLocationTest, TheInstalledFolderIsNeverPortable) {
    TempTree tree{{"bin/", Folder()}, {"portable/", Folder()}, {"config/", Folder()}};
#ifdef _WIN32
    // The user's roaming application data, which no variable redirects.
    const std::string userFolder = platform::UserConfigFolder() + "Quillmere\\";
#else
    tree.Add({"linked", SymlinkTo("bin")});
    ConfigHome configHome(tree.Path("config"));
    const std::string userFolder = tree.Path("config/Quillmere/");
#endif
    ASSERT_TRUE(platform::IsWritableFolder(tree.Path("bin")));

    struct Case {
        const char* programFolder;  // in the tree
        const char* installed;      // in the tree
        bool portable;
    };
    const Case cases[] = {
        {"bin", "bin", false},
        {"bin/", "bin", false},  // spelt with the separator
#ifdef _WIN32
        {"BIN", "bin", false},  // names there ignore case
#else
        {"linked/", "bin/", false},  // reached through a link
#endif
        {"bin/../bin", "bin", false},
        {"portable/", "bin/", true},  // any other writable folder is a portable copy
        {"portable/", "missing/", true},
    };
    for (const Case& c : cases) {
        const std::string programFolder = tree.Path(c.programFolder);
        const std::string expected = c.portable ? tree.Path(c.programFolder) : userFolder;
        EXPECT_EQ(SettingsFolder(programFolder, tree.Path(c.installed)), expected)
            << c.programFolder << " installed in " << c.installed;
    }
}

#ifndef _WIN32
TEST(SettingsLocationTest, TheBuiltInInstallFolderIsNeverPortable) {
    const std::string installed = InstalledProgramFolder();
    ASSERT_FALSE(installed.empty());
    EXPECT_EQ(installed.front(), '/') << installed;
    if (!platform::IsWritableFolder(installed)) {
        GTEST_SKIP() << installed << " is not a folder root may write to here";
    }
    TempTree tree{{"config/", Folder()}};
    ConfigHome configHome(tree.Path("config"));
    EXPECT_EQ(SettingsFolder(installed), tree.Path("config/Quillmere/"));
    EXPECT_EQ(DefaultSettingsPath(installed + "/"), tree.Path("config/Quillmere/Default.ini"));
}
#endif

}  // namespace
}  // namespace qm::storage
