#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace qm::test {

// Wraps a file system (the real one by default) and makes chosen paths fail, because tests run
// as root, where chmod 000 denies nothing. Also records what was listed, opened and read, so a
// test can check that a file was never read, and runs a test's action at a named step of the
// reading (to change a file while it is read, without sleeping). Paths are matched exactly,
// except that folder paths given to FailList or MarkPseudo and passed to ListFolder match with or
// without a trailing "/". Safe to use from several threads (the engine may read files in
// parallel); an action runs on the thread that reads.
class FaultyFileSystem : public platform::FileSystem {
public:
    explicit FaultyFileSystem(platform::FileSystem& inner = platform::SystemFileSystem());

    // ListFolder(folder) returns false, as for a folder that cannot be opened ("Permission
    // denied").
    void FailList(const std::string& folder);
    // ListFolderChecked(folder) with refusePseudo says the folder lies on a pseudo file system
    // of type.
    void MarkPseudo(const std::string& folder, const std::string& type);
    // OpenForRead(path) returns null with errno EACCES, as for a file that cannot be opened.
    void FailOpen(const std::string& path);
    // Reads of path deliver its first bytes bytes, then fail (-1, errno EIO).
    void FailReadAfter(const std::string& path, std::int64_t bytes);
    // Runs action once, as soon as reads of path (over all its opens) have delivered bytes
    // bytes, before that read returns: the step between reading a file's head and its rest.
    void AtBytesRead(const std::string& path, std::int64_t bytes, std::function<void()> action);
    // Stat says the path does not exist, and OpenForRead (a file) or ListFolder (a folder) fails,
    // as if it vanished after it was listed: the listing of its parent still shows it.
    void Vanish(const std::string& path);
    // Undoes every fault of path.
    void Heal(const std::string& path);

    // FileSystem
    bool ListFolder(const std::string& folder, platform::ListDetail detail,
                    std::vector<platform::DirEntry>& entries) override;
    platform::ListOutcome ListFolderChecked(const std::string& folder, platform::ListDetail detail,
                                            std::vector<platform::DirEntry>& entries,
                                            bool refusePseudo) override;
    platform::FileFacts Stat(const std::string& path) override;
    std::unique_ptr<platform::ReadableFile> OpenForRead(const std::string& path) override;

    // What was asked for, in order (folders as passed to ListFolder).
    std::vector<std::string> ListedFolders() const;
    std::vector<std::string> OpenedPaths() const;  // every OpenForRead call, also failed ones
    int OpenCount(const std::string& path) const;
    // Bytes delivered by Read for path, over all opens.
    std::int64_t BytesRead(const std::string& path) const;

    // For the readable-file wrapper.
    void AddBytesRead(const std::string& path, std::int64_t bytes);

private:
    static std::string FolderKey(const std::string& folder);

    platform::FileSystem& m_inner;
    mutable std::mutex m_mutex;
    std::set<std::string> m_failList;
    std::map<std::string, std::string> m_pseudo;
    std::set<std::string> m_failOpen;
    std::set<std::string> m_vanished;
    std::map<std::string, std::int64_t> m_failReadAfter;
    std::vector<std::string> m_listed;
    std::vector<std::string> m_opened;
    std::map<std::string, std::int64_t> m_bytesRead;
    struct ReadAction {
        std::int64_t bytes;
        std::function<void()> action;
    };
    std::multimap<std::string, ReadAction> m_readActions;
};

}  // namespace qm::test
