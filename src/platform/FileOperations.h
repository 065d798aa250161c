#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace qm::platform {

// What the search saw of a file: the file it was (device and file id) and its state then (size and
// modification time). A file is acted on only while it still shows all four.
struct FileIdentity {
    FileId id;
    std::int64_t size = 0;
    FileTime lastWrite = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The outcome of one operation on one file. reason is a short clause for the user, naming what
// went wrong ("it was changed after the search", "cannot create \"/x/.Trash-0\": Permission
// denied"); empty on success.
struct FileOperationResult {
    bool ok = false;
    std::string reason;
    std::string newPath;  // where the file is now: its place in the trash or the destination
};

// Two files read side by side. equal is true only when both were read to the end, showed the
// same bytes and neither changed while it was read.
struct ContentComparison {
    bool equal = false;
    std::string reason;     // why the comparison could not be made (empty when it was made)
    FileIdentity identity;  // of the first file, as it was read
    FileIdentity otherIdentity;
};

// The points inside an operation where a test may step in: change files there to race the
// operation, or stop it as if the system had failed at that moment.
enum class FileStep : std::uint8_t {
    Checked,           // the file showed its identity; nothing has been changed yet
    TrashInfoWritten,  // the trash's information file is written; the file is still in place
    Copied,            // across file systems: the copy is written and flushed, not yet verified
    Verified,          // the copy matches the source; it has no name in the destination yet
    Placed,            // the copy has its name in the destination; the source is still there
};

// Test hook. Continue returns false to make the operation fail at that step, as a system error
// would; the operation then undoes what it did. path is the file being acted on.
class FileStepHook {
public:
    virtual ~FileStepHook() = default;
    virtual bool Continue(FileStep step, const std::string& path) = 0;
};

// Removing and moving the user's files. Every operation first checks that path still names a
// regular file (not a link) of the expected identity; otherwise it fails and the file is left
// alone. No operation ever replaces an existing file or deletes a file permanently. Calls come
// from one thread at a time.
class FileOperations {
public:
    virtual ~FileOperations() = default;

    // Facts of path, not following a final symbolic link.
    virtual FileFacts Examine(const std::string& path) = 0;

    // Reads path and other (neither through a final link) and compares their bytes.
    virtual ContentComparison CompareContent(const std::string& path, const std::string& other) = 0;

    // Sends the file to the trash. Fails, and leaves the file where it is, when no trash can take
    // it; it never deletes instead.
    virtual FileOperationResult MoveToTrash(const std::string& path,
                                            const FileIdentity& expected) = 0;

    // Moves the file into folder (which must exist) under its own name, or under the first
    // NumberedName not taken there. Across file systems the file is copied, flushed, verified,
    // given its name and only then removed from its old place; a failure at any point leaves the
    // source as it was and no copy behind. Fails when the file already lies in folder.
    virtual FileOperationResult MoveToFolder(const std::string& path, const std::string& folder,
                                             const FileIdentity& expected) = 0;

    // Makes folder and its missing parents. ok is true when folder exists afterwards.
    virtual FileOperationResult CreateFolders(const std::string& folder) = 0;
};

struct FileOperationsOptions {
    // The folder whose "Trash" folder is the home trash. Empty: the user's data folder, read from
    // the environment at each use ($XDG_DATA_HOME, else ~/.local/share).
    std::string dataHome;
    FileStepHook* hook = nullptr;  // not owned; must outlive the operations
    // Across file systems the copy is made as a file without a name where the system can; false
    // always uses a named temporary file (to test that way too).
    bool unnamedTemporary = true;
};

std::unique_ptr<FileOperations> MakeFileOperations(const FileOperationsOptions& options = {});

// The operations with the default options; lives as long as the program.
FileOperations& SystemFileOperations();

// Why facts (taken without following a final link) are not those of an existing regular file:
// "it no longer exists", "it is a symbolic link now", "it is no longer a regular file"; empty
// when they are.
std::string NotRegularReason(const FileFacts& facts);

// NotRegularReason, or why the file is not the expected one ("another file has taken its place
// since the search", "it was changed after the search"); empty when it is.
std::string MismatchReason(const FileFacts& facts, const FileIdentity& expected);

// The name a file takes on the n-th try in a folder where name is taken: "a.txt" for n 1,
// "a (2).txt" for n 2 and so on; a leading "." does not start an extension (".profile (2)").
// The result is cut, at a whole character, to at most maxBytes bytes (the stem is shortened).
std::string NumberedName(std::string_view name, int n, std::size_t maxBytes = 255);

}  // namespace qm::platform
