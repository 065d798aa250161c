#include <cstring>
#include <random>
#include <vector>

#include "platform/FileOperations.h"
#include "platform/PathRules.h"
#include "platform/Win32Tools.h"

namespace qm::platform {

namespace {

using win32::Handle;

constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
// Names are counted in UTF-16 units there; bytes are never fewer, so this bound is safe.
constexpr std::size_t kMaxNameBytes = 255;
constexpr int kMaxNameTries = 100'000;
constexpr const char* kStoppedReason = "the operation was stopped";

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// path split at its last separator: the folder (with its separator) and the name.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) {
        return {".\\", path};
    }
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return IsSeparator(folder.back()) ? folder + name : folder + "\\" + name;
}

bool Continue(FileStepHook* hook, FileStep step, const std::string& path) {
    return hook == nullptr || hook->Continue(step, path);
}

FileIdentity IdentityOf(const FileFacts& facts) {
    return FileIdentity{facts.id, facts.size, facts.lastWrite};
}

// Renames the open file (opened with DELETE access) to target, never replacing a file there.
// Returns 0 or the system's error (ERROR_ALREADY_EXISTS when the name is taken,
// ERROR_NOT_SAME_DEVICE across volumes). Acting on the handle moves exactly the file that was
// checked, whatever has happened to its old name meanwhile.
DWORD RenameNoReplace(HANDLE handle, const std::string& target) {
    const std::wstring name = win32::SystemPath(target);
    const std::size_t bytes = sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(bytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, name.data(), name.size() * sizeof(wchar_t));
    if (::SetFileInformationByHandle(handle, FileRenameInfo, info, static_cast<DWORD>(bytes)) ==
        0) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error;
    }
    return 0;
}

// Deletes the open file (opened with DELETE access): exactly that file, never a newcomer at its
// name.
DWORD DeleteByHandle(HANDLE handle) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = TRUE;
    if (::SetFileInformationByHandle(handle, FileDispositionInfo, &info, sizeof info) == 0) {
        return ::GetLastError();
    }
    return 0;
}

// Deletes the open file (opened with DELETE and FILE_WRITE_ATTRIBUTES access) even when it is
// read-only, as a move must: the system refuses to delete a read-only file, so the attribute is
// lifted first and given back when the delete fails all the same.
DWORD DeleteMovedSource(HANDLE handle) {
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) == 0) {
        return ::GetLastError();
    }
    const bool readOnly = (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) {
        FILE_BASIC_INFO writable{};  // zero times: left as they are
        writable.FileAttributes = basic.FileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
        if (writable.FileAttributes == 0) {
            writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        }
        if (::SetFileInformationByHandle(handle, FileBasicInfo, &writable, sizeof writable) == 0) {
            return ::GetLastError();
        }
    }
    const DWORD error = DeleteByHandle(handle);
    if (error != 0 && readOnly) {
        FILE_BASIC_INFO restored{};
        restored.FileAttributes = basic.FileAttributes;
        ::SetFileInformationByHandle(handle, FileBasicInfo, &restored, sizeof restored);
    }
    return error;
}

// Gives the open file its own name in folder, or the first NumberedName free there. Returns the
// name given, or empty with the error that stopped it.
std::string PlaceUnderFreeName(HANDLE handle, const std::string& folder, const std::string& name,
                               DWORD& error) {
    for (int n = 1; n <= kMaxNameTries; ++n) {
        std::string candidate = NumberedName(name, n, kMaxNameBytes);
        error = RenameNoReplace(handle, Join(folder, candidate));
        if (error == 0) {
            return candidate;
        }
        if (error != ERROR_ALREADY_EXISTS) {
            return {};
        }
    }
    return {};
}

// Reads up to length bytes at the current position, as many as there are.
bool ReadChunk(HANDLE handle, char* buffer, std::size_t length, std::size_t& got) {
    got = 0;
    while (got < length) {
        DWORD n = 0;
        if (::ReadFile(handle, buffer + got, static_cast<DWORD>(length - got), &n, nullptr) == 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    return true;
}

bool Rewind(HANDLE handle) {
    LARGE_INTEGER zero{};
    return ::SetFilePointerEx(handle, zero, nullptr, FILE_BEGIN) != 0;
}

bool WriteAll(HANDLE handle, const char* data, std::size_t length) {
    while (length > 0) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length, kChunkBytes));
        if (::WriteFile(handle, data, want, &written, nullptr) == 0) {
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
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

// The file at path, opened for reading, renaming and deleting (never through a link), with
// its facts. reason says why there is none, or why it is not the expected file.
struct OpenedFile {
    Handle handle;
    FileFacts facts;
    std::string reason;
};

OpenedFile OpenChecked(const std::string& path, DWORD access) {
    OpenedFile file;
    file.handle = win32::OpenNoFollow(path, access | FILE_READ_ATTRIBUTES | SYNCHRONIZE);
    if (!file.handle.Valid()) {
        const DWORD error = ::GetLastError();
        file.reason = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                          ? "it no longer exists"
                          : win32::ErrorText(error);
        return file;
    }
    file.facts = win32::FactsOfHandle(file.handle.Get());
    file.reason = NotRegularReason(file.facts);
    return file;
}

class Win32FileOperations final : public FileOperations {
public:
    explicit Win32FileOperations(const FileOperationsOptions& options) : m_options(options) {}

    FileFacts Examine(const std::string& path) override { return SystemFileSystem().Stat(path); }

    ContentComparison CompareContent(const std::string& path, const std::string& other) override {
        ContentComparison result;
        OpenedFile sides[2] = {OpenChecked(path, GENERIC_READ), OpenChecked(other, GENERIC_READ)};
        for (const OpenedFile& side : sides) {
            if (!side.reason.empty()) {
                result.reason = side.reason;
                return result;
            }
        }
        result.identity = IdentityOf(sides[0].facts);
        result.otherIdentity = IdentityOf(sides[1].facts);
        if (result.identity.size != result.otherIdentity.size) {
            return result;
        }
        if (!SameBytes(sides[0].handle.Get(), sides[1].handle.Get(), result.reason)) {
            if (result.reason == kDiffers) {
                result.reason.clear();
            }
            return result;
        }
        // Equal bytes count only when neither file changed while it was read.
        for (int i = 0; i < 2; ++i) {
            const FileIdentity before = i == 0 ? result.identity : result.otherIdentity;
            if (IdentityOf(win32::FactsOfHandle(sides[i].handle.Get())) != before) {
                return result;
            }
        }
        result.equal = true;
        return result;
    }

    // The recycle bin is reached only through the shell's file operation, whose refusal of a
    // permanent delete cannot be proven here (Wine has no recycle bin of that kind): until it
    // can, the file stays where it is and says why. Never a delete instead.
    FileOperationResult MoveToTrash(const std::string& path,
                                    const FileIdentity& expected) override {
        FileOperationResult result;
        const OpenedFile file = OpenChecked(path, 0);
        result.reason = file.reason.empty() ? MismatchReason(file.facts, expected) : file.reason;
        if (result.reason.empty()) {
            result.reason = "this build cannot use the Recycle Bin; the file was left where it was";
        }
        return result;
    }

    FileOperationResult MoveToFolder(const std::string& path, const std::string& folder,
                                     const FileIdentity& expected) override {
        FileOperationResult result;
        OpenedFile source = OpenChecked(path, GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES);
        if (source.reason.empty()) {
            source.reason = MismatchReason(source.facts, expected);
        }
        if (!source.reason.empty()) {
            result.reason = source.reason;
            return result;
        }
        const Handle destination = win32::OpenNoFollow(folder, FILE_READ_ATTRIBUTES);
        const FileFacts destinationFacts =
            destination.Valid() ? win32::FactsOfHandle(destination.Get()) : FileFacts{};
        if (destinationFacts.kind != EntryKind::Folder) {
            result.reason =
                "cannot open the folder " + Quoted(folder) + ": " +
                win32::ErrorText(destination.Valid() ? ERROR_DIRECTORY : ::GetLastError());
            return result;
        }
        const auto [sourceFolder, name] = SplitPath(path);
        const Handle from = win32::OpenNoFollow(sourceFolder, FILE_READ_ATTRIBUTES);
        if (from.Valid() && win32::FactsOfHandle(from.Get()).id == destinationFacts.id) {
            result.reason = "it is in that folder already";
            return result;
        }
        if (!Continue(m_options.hook, FileStep::Checked, path)) {
            result.reason = kStoppedReason;
            return result;
        }
        DWORD error = 0;
        const std::string placed = PlaceUnderFreeName(source.handle.Get(), folder, name, error);
        if (error == ERROR_NOT_SAME_DEVICE) {
            return CopyAcross(source, folder, name, expected, path);
        }
        if (error != 0 || placed.empty()) {
            result.reason = "cannot move it: " + win32::ErrorText(error);
            return result;
        }
        result.ok = true;
        result.newPath = Join(folder, placed);
        return result;
    }

    FileOperationResult CreateFolders(const std::string& folder) override {
        FileOperationResult result;
        std::string path = folder;
        const std::size_t root = RootLength(path);
        while (path.size() > root && path.size() > 1 && IsSeparator(path.back())) {
            path.pop_back();
        }
        for (std::size_t cut = path.find_first_of("\\/", root);;
             cut = path.find_first_of("\\/", cut + 1)) {
            const std::string part = path.substr(0, cut);
            if (part.size() > root &&
                ::CreateDirectoryW(win32::SystemPath(part).c_str(), nullptr) == 0 &&
                ::GetLastError() != ERROR_ALREADY_EXISTS) {
                result.reason = "cannot create the folder " + Quoted(part) + ": " +
                                win32::ErrorText(::GetLastError());
                return result;
            }
            if (cut == std::string::npos) {
                break;
            }
        }
        const DWORD attributes = ::GetFileAttributesW(win32::SystemPath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            const DWORD error =
                attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : ERROR_DIRECTORY;
            result.reason =
                "cannot create the folder " + Quoted(path) + ": " + win32::ErrorText(error);
            return result;
        }
        result.ok = true;
        result.newPath = path;
        return result;
    }

private:
    static constexpr const char* kDiffers = "differs";

    std::vector<char>& Buffer(int which) {
        std::vector<char>& buffer = m_buffers[which];
        if (buffer.size() != kChunkBytes) {
            buffer.resize(kChunkBytes);
        }
        return buffer;
    }

    // Reads both files from the start and compares them. False with reason kDiffers on a
    // difference, or the system's reason on an error.
    bool SameBytes(HANDLE a, HANDLE b, std::string& reason) {
        if (!Rewind(a) || !Rewind(b)) {
            reason = "cannot read it: " + win32::ErrorText(::GetLastError());
            return false;
        }
        std::vector<char>& bufferA = Buffer(0);
        std::vector<char>& bufferB = Buffer(1);
        for (;;) {
            std::size_t gotA = 0;
            std::size_t gotB = 0;
            if (!ReadChunk(a, bufferA.data(), kChunkBytes, gotA) ||
                !ReadChunk(b, bufferB.data(), kChunkBytes, gotB)) {
                reason = "cannot read it: " + win32::ErrorText(::GetLastError());
                return false;
            }
            if (gotA != gotB || std::memcmp(bufferA.data(), bufferB.data(), gotA) != 0) {
                reason = kDiffers;
                return false;
            }
            if (gotA == 0) {
                return true;
            }
        }
    }

    // Across volumes: copy into the destination under a private name, flush, verify, name it
    // there, check that the source did not change, and only then delete the source. Every
    // failure removes the copy and leaves the source as it was.
    FileOperationResult CopyAcross(OpenedFile& source, const std::string& folder,
                                   const std::string& name, const FileIdentity& expected,
                                   const std::string& path) {
        FileOperationResult result;
        Handle copy;
        for (int tries = 0; tries < 100 && !copy.Valid(); ++tries) {
            copy = Handle(::CreateFileW(
                win32::SystemPath(Join(folder, PrivateName("move"))).c_str(),
                GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
            if (!copy.Valid() && ::GetLastError() != ERROR_FILE_EXISTS) {
                break;
            }
        }
        if (!copy.Valid()) {
            result.reason = "cannot write in the folder " + Quoted(folder) + ": " +
                            win32::ErrorText(::GetLastError());
            return result;
        }
        bool keepCopy = false;
        const auto dropCopy = [&] {
            if (!keepCopy) {
                DeleteByHandle(copy.Get());
            }
        };
        const auto fail = [&](const std::string& reason) {
            dropCopy();
            result.reason = reason;
            return result;
        };

        std::vector<char>& buffer = Buffer(0);
        if (!Rewind(source.handle.Get())) {
            return fail("cannot read it: " + win32::ErrorText(::GetLastError()));
        }
        for (;;) {
            std::size_t got = 0;
            if (!ReadChunk(source.handle.Get(), buffer.data(), kChunkBytes, got)) {
                return fail("cannot read it: " + win32::ErrorText(::GetLastError()));
            }
            if (got == 0) {
                break;
            }
            if (!WriteAll(copy.Get(), buffer.data(), got)) {
                return fail("cannot write the copy: " + win32::ErrorText(::GetLastError()));
            }
        }
        // The times follow the file.
        FILE_BASIC_INFO times{};
        if (::GetFileInformationByHandleEx(source.handle.Get(), FileBasicInfo, &times,
                                           sizeof times) == 0) {
            return fail("cannot read its times: " + win32::ErrorText(::GetLastError()));
        }
        FILE_BASIC_INFO copyTimes = times;
        copyTimes.ChangeTime.QuadPart = 0;                 // 0: left as the system keeps it
        copyTimes.FileAttributes = FILE_ATTRIBUTE_HIDDEN;  // until it has its name
        if (::SetFileInformationByHandle(copy.Get(), FileBasicInfo, &copyTimes, sizeof copyTimes) ==
                0 ||
            ::FlushFileBuffers(copy.Get()) == 0) {
            return fail("cannot flush the copy: " + win32::ErrorText(::GetLastError()));
        }
        if (!Continue(m_options.hook, FileStep::Copied, path)) {
            return fail(kStoppedReason);
        }
        std::string reason;
        if (!SameBytes(source.handle.Get(), copy.Get(), reason)) {
            return fail(reason == kDiffers ? "the copy differs from the file; it was left where "
                                             "it was"
                                           : "cannot verify the copy: " + reason);
        }
        if (!Continue(m_options.hook, FileStep::Verified, path)) {
            return fail(kStoppedReason);
        }
        DWORD error = 0;
        const std::string placed = PlaceUnderFreeName(copy.Get(), folder, name, error);
        if (error != 0 || placed.empty()) {
            return fail("cannot name the copy in " + Quoted(folder) + ": " +
                        win32::ErrorText(error));
        }
        if (!Continue(m_options.hook, FileStep::Placed, path)) {
            return fail(kStoppedReason);
        }
        // The source must still be the file that was copied, unchanged, and still at its path.
        const FileFacts atPath = SystemFileSystem().Stat(path);
        if (IdentityOf(win32::FactsOfHandle(source.handle.Get())) != expected ||
            !MismatchReason(atPath, expected).empty()) {
            return fail("it changed while it was being copied; it was left where it was");
        }
        error = DeleteMovedSource(source.handle.Get());
        if (error != 0) {
            return fail("cannot remove it from its folder: " + win32::ErrorText(error));
        }
        keepCopy = true;
        // The copy shows the file's own attributes once the file is gone from its place.
        times.ChangeTime.QuadPart = 0;
        times.FileAttributes =
            times.FileAttributes == 0 ? FILE_ATTRIBUTE_NORMAL : times.FileAttributes;
        ::SetFileInformationByHandle(copy.Get(), FileBasicInfo, &times, sizeof times);
        result.ok = true;
        result.newPath = Join(folder, placed);
        return result;
    }

    FileOperationsOptions m_options;
    std::vector<char> m_buffers[2];
};

}  // namespace

std::unique_ptr<FileOperations> MakeFileOperations(const FileOperationsOptions& options) {
    return std::make_unique<Win32FileOperations>(options);
}

}  // namespace qm::platform
