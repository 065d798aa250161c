#include "platform/PathRules.h"

#include "platform/Locale.h"

namespace qm::platform {

namespace {

bool IsSeparator(char c) {
    // Windows takes "/" as a separator too.
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The end of the part that starts at from: the next separator or the end of path.
std::size_t PartEnd(std::string_view path, std::size_t from) {
    std::size_t i = from;
    while (i < path.size() && !IsSeparator(path[i])) {
        ++i;
    }
    return i;
}

// "server\share\" at from: the length up to and including the separator after the share (or the
// end of path).
std::size_t ShareRootEnd(std::string_view path, std::size_t from) {
    const std::size_t server = PartEnd(path, from);
    if (server >= path.size()) {
        return path.size();
    }
    const std::size_t share = PartEnd(path, server + 1);
    return share >= path.size() ? path.size() : share + 1;
}

std::size_t WindowsRootLength(std::string_view path) {
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
        return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\?\" and "\\.\" name a path for the system as it stands.
        if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
            const std::string_view rest = path.substr(4);
            if (rest.size() >= 4 && (rest.substr(0, 3) == "UNC" || rest.substr(0, 3) == "unc") &&
                IsSeparator(rest[3])) {
                return 8 + (ShareRootEnd(path.substr(8), 0));
            }
            if (rest.size() >= 2 && IsDriveLetter(rest[0]) && rest[1] == ':') {
                return rest.size() >= 3 && IsSeparator(rest[2]) ? 7 : 6;
            }
            return 4 + PartEnd(rest, 0) + (PartEnd(rest, 0) < rest.size() ? 1 : 0);
        }
        return 2 + ShareRootEnd(path.substr(2), 0);
    }
    if (!path.empty() && IsSeparator(path[0])) {
        return 1;
    }
    return 0;
}

}  // namespace

std::size_t RootLength(std::string_view path, PathStyle style) {
    if (style == PathStyle::Posix) {
        return !path.empty() && path[0] == '/' ? 1 : 0;
    }
    return WindowsRootLength(path);
}

bool IsAbsolutePath(std::string_view path, PathStyle style) {
    const std::size_t root = RootLength(path, style);
    if (style == PathStyle::Posix) {
        return root > 0;
    }
    // "\" and "C:" depend on the current drive or its folder.
    return root > 2 || (root == 2 && IsSeparator(path[0]));
}

bool IsRootPath(std::string_view path, PathStyle style) {
    return !path.empty() && RootLength(path, style) == path.size();
}

bool SamePath(std::string_view a, std::string_view b, const Locale& locale, PathStyle style) {
    if (style == PathStyle::Windows) {
        return a == b || locale.ToUpper(a) == locale.ToUpper(b);
    }
    return a == b;
}

}  // namespace qm::platform
