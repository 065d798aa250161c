#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/PosixFileTools.h"

namespace qm::platform::posix {

namespace {

// More tries than any folder has copies of one name; beyond that something else is wrong.
constexpr int kMaxNameTries = 100'000;

}  // namespace

void Fd::Reset() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

FileIdentity IdentityOf(const struct stat& st) {
    FileIdentity identity;
    identity.id.device = (static_cast<std::uint64_t>(major(st.st_dev)) << 32) | minor(st.st_dev);
    identity.id.inode = st.st_ino;
    identity.size = static_cast<std::int64_t>(st.st_size);
    identity.lastWrite = ToFileTime(st.st_mtim);
    return identity;
}

FileFacts FactsOf(const struct stat& st) {
    FileFacts facts;
    facts.exists = true;
    facts.kind = S_ISREG(st.st_mode)   ? EntryKind::RegularFile
                 : S_ISDIR(st.st_mode) ? EntryKind::Folder
                 : S_ISLNK(st.st_mode) ? EntryKind::SymbolicLink
                                       : EntryKind::Other;
    const FileIdentity identity = IdentityOf(st);
    facts.size = identity.size;
    facts.lastWrite = identity.lastWrite;
    facts.id = identity.id;
    return facts;
}

std::string MismatchReason(const struct stat& st, const FileIdentity& expected) {
    return platform::MismatchReason(FactsOf(st), expected);
}

std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t cut = path.rfind('/');
    if (cut == std::string::npos) {
        return {".", path};
    }
    return {cut == 0 ? std::string("/") : path.substr(0, cut), path.substr(cut + 1)};
}

Fd OpenFolderHandle(const std::string& folder, bool forReading) {
    const int flags = (forReading ? O_RDONLY : O_PATH) | O_DIRECTORY | O_CLOEXEC;
    return Fd(::open(folder.empty() ? "." : folder.c_str(), flags));
}

std::string RealPathOf(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string buffer(4096, '\0');
    for (;;) {
        const ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            // A folder removed meanwhile reads "... (deleted)": no path to trust.
            return !buffer.empty() && buffer.front() == '/' ? buffer : std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
}

int RenameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to) {
    if (::renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) {
        return error;
    }
    // No no-replace rename here (some network file systems): a hard link never replaces either.
    struct stat before {};
    if (::fstatat(fromDir, from.c_str(), &before, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno;
    }
    if (::linkat(fromDir, from.c_str(), toDir, to.c_str(), 0) != 0) {
        const int linkError = errno;
        return linkError == EPERM || linkError == EOPNOTSUPP ? EOPNOTSUPP : linkError;
    }
    struct stat now {};
    const bool same = ::fstatat(fromDir, from.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
                      now.st_dev == before.st_dev && now.st_ino == before.st_ino;
    if (!same || ::unlinkat(fromDir, from.c_str(), 0) != 0) {
        const int unlinkError = same ? errno : ESTALE;
        ::unlinkat(toDir, to.c_str(), 0);
        return unlinkError;
    }
    return 0;
}

std::string PlaceUnderFreeName(const std::string& name, std::size_t maxBytes,
                               const std::function<int(const std::string&)>& place, int& error) {
    for (int n = 1; n <= kMaxNameTries; ++n) {
        std::string candidate = NumberedName(name, n, maxBytes);
        error = place(candidate);
        if (error == 0) {
            return candidate;
        }
        if (error != EEXIST) {
            return {};
        }
    }
    return {};
}

bool Continue(FileStepHook* hook, FileStep step, const std::string& path) {
    return hook == nullptr || hook->Continue(step, path);
}

std::string PrivateName(const std::string& tag) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = ".quillmere-" + tag + "-";
    std::uint64_t value = random();
    for (int i = 0; i < 16; ++i, value >>= 4) {
        name += kDigits[value & 0xF];
    }
    return name;
}

}  // namespace qm::platform::posix
