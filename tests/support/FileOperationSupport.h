#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/FileOperations.h"

namespace qm::test {

// A step hook for the file operations: runs the action set for a step the first time the step is
// reached, and records every step reached. An action returns false to make the operation fail
// there, as a system error would.
class StepHook : public platform::FileStepHook {
public:
    using Action = std::function<bool(const std::string& path)>;
    void At(platform::FileStep step, Action action) { m_actions[step] = std::move(action); }
    bool Continue(platform::FileStep step, const std::string& path) override;

    std::vector<platform::FileStep> reached;

private:
    std::map<platform::FileStep, Action> m_actions;
};

// A fresh folder on a file system other than /tmp's (/dev/shm), removed with everything in it
// when destroyed. Path() is empty when the machine has no such file system.
class OtherFileSystemFolder {
public:
    OtherFileSystemFolder();
    ~OtherFileSystemFolder();
    OtherFileSystemFolder(const OtherFileSystemFolder&) = delete;
    OtherFileSystemFolder& operator=(const OtherFileSystemFolder&) = delete;

    // Ends in "/"; empty when unavailable.
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Mounts a fresh tmpfs at folder in a mount namespace of this process alone, so that a test can
// own the top folder of a whole file system (trash folders are made there). Needs the right to
// mount (root here); Mounted() is false when the system refuses. The mount goes with the process.
bool MountPrivateFileSystem(const std::string& folder);

// The whole content of a file, or "<missing>".
std::string ReadAll(const std::string& path);
// Every name in a folder, hidden ones included, sorted.
std::vector<std::string> NamesIn(const std::string& folder);
// The identity the file at path shows now (the search would have listed this).
platform::FileIdentity IdentityNow(const std::string& path);
// Writes bytes over the file at path: the same file, with new content and a later time.
void Rewrite(const std::string& path, const std::string& bytes);
// Renames from to to, replacing a file there (rename(2); on Windows MoveFileEx with
// MOVEFILE_REPLACE_EXISTING): another file takes the name of a listed one. False on failure.
bool RenameOver(const std::string& from, const std::string& to);

}  // namespace qm::test
