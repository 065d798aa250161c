# The installed layout and the Debian package (cpack -G DEB; scripts/package.sh builds it).
# Who makes the package and the names the desktop knows Quillmere by are set here, once.
set(QM_APP_ID org.quillmere.Quillmere)  # the menu entry, the icon and the AppStream id
set(QM_HOMEPAGE https://quillmere.org)
set(QM_MAINTAINER_NAME "Quillmere Maintainers")
set(QM_MAINTAINER "${QM_MAINTAINER_NAME} <maintainers@quillmere.org>")
# The day of this version, in the formats of the manual pages, AppStream and the changelog.
set(QM_MAN_DATE "December 2026")
set(QM_RELEASE_DATE 2026-12-10)
set(QM_CHANGELOG_DATE "Thu, 10 Dec 2026 12:00:00 +0000")

set(CPACK_PACKAGE_NAME quillmere)
add_subdirectory(packaging)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${QM_MAINTAINER_NAME})
set(CPACK_PACKAGE_CONTACT ${QM_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QM_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QM_HOMEPAGE})
# The libraries the programs link, with their versions, are found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The package installs where the build was configured to install, so that the programs know
# their own folder (Default.ini is never written there): configure with -DCMAKE_INSTALL_PREFIX=/usr.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "duplicate-file finder with a desktop window and a command line")
# The extended description; CPack puts the summary above it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillmere finds the files that are stored more than once on your disks. You
tick the folders to search and the file types to consider, narrow the search
by size, date or folder, and choose how files are compared: by their contents
(the default), size, name, or both.
.
The duplicates are shown as sets in a results tree, where you mark the copies
to send to the trash or move away. Two files are called equal in content only
when their bytes are equal, and every copy is checked again right before it
goes.
.
quillmere-scan runs the same search from scripts and servers, writes the sets
as text, CSV, HTML, RTF or a results file for the window, and can trash or
move the copies.")
include(CPack)
