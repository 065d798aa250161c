#include "support/FaultyFileSystem.h"

#include <algorithm>
#include <cerrno>

#include "platform/PathRules.h"

namespace qm::test {

namespace {

class FaultyReadableFile final : public platform::ReadableFile {
public:
    FaultyReadableFile(std::unique_ptr<platform::ReadableFile> inner, FaultyFileSystem& owner,
                       std::string path, std::int64_t failAfter)
        : m_inner(std::move(inner)),
          m_owner(owner),
          m_path(std::move(path)),
          m_failAfter(failAfter) {}

    std::int64_t Read(void* buffer, std::size_t length) override {
        if (m_failAfter >= 0) {
            const std::int64_t left = m_failAfter - m_delivered;
            if (left <= 0) {
                errno = EIO;
                return -1;
            }
            length = std::min<std::size_t>(length, static_cast<std::size_t>(left));
        }
        const std::int64_t count = m_inner->Read(buffer, length);
        if (count > 0) {
            m_delivered += count;
            m_owner.AddBytesRead(m_path, count);
        }
        return count;
    }

    platform::FileFacts Facts() override { return m_inner->Facts(); }
    platform::FileFacts CurrentFacts() override { return m_inner->CurrentFacts(); }

private:
    std::unique_ptr<platform::ReadableFile> m_inner;
    FaultyFileSystem& m_owner;
    std::string m_path;
    std::int64_t m_failAfter;  // -1: never fail
    std::int64_t m_delivered = 0;
};

}  // namespace

FaultyFileSystem::FaultyFileSystem(platform::FileSystem& inner) : m_inner(inner) {}

std::string FaultyFileSystem::FolderKey(const std::string& folder) {
    std::string key = folder;
    while (key.size() > 1 && (key.back() == '/' || key.back() == platform::kPathDelim)) {
        key.pop_back();
    }
    return key;
}

void FaultyFileSystem::FailList(const std::string& folder) {
    std::lock_guard lock(m_mutex);
    m_failList.insert(FolderKey(folder));
}

void FaultyFileSystem::MarkPseudo(const std::string& folder, const std::string& type) {
    std::lock_guard lock(m_mutex);
    m_pseudo[FolderKey(folder)] = type;
}

void FaultyFileSystem::AtBytesRead(const std::string& path, std::int64_t bytes,
                                   std::function<void()> action) {
    std::lock_guard lock(m_mutex);
    m_readActions.emplace(path, ReadAction{bytes, std::move(action)});
}

void FaultyFileSystem::FailOpen(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_failOpen.insert(path);
}

void FaultyFileSystem::FailReadAfter(const std::string& path, std::int64_t bytes) {
    std::lock_guard lock(m_mutex);
    m_failReadAfter[path] = bytes;
}

void FaultyFileSystem::Vanish(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_vanished.insert(path);
}

void FaultyFileSystem::Heal(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_failList.erase(FolderKey(path));
    m_pseudo.erase(FolderKey(path));
    m_failOpen.erase(path);
    m_vanished.erase(path);
    m_failReadAfter.erase(path);
}

bool FaultyFileSystem::ListFolder(const std::string& folder, platform::ListDetail detail,
                                  std::vector<platform::DirEntry>& entries) {
    return ListFolderChecked(folder, detail, entries, false).result == platform::ListResult::Listed;
}

platform::ListOutcome FaultyFileSystem::ListFolderChecked(const std::string& folder,
                                                          platform::ListDetail detail,
                                                          std::vector<platform::DirEntry>& entries,
                                                          bool refusePseudo) {
    {
        std::lock_guard lock(m_mutex);
        m_listed.push_back(folder);
        const std::string key = FolderKey(folder);
        if (m_failList.count(key) != 0) {
            entries.clear();
            return {platform::ListResult::Failed, "Permission denied"};
        }
        if (m_vanished.count(key) != 0 || m_vanished.count(folder) != 0) {
            entries.clear();
            return {platform::ListResult::Failed, "No such file or directory"};
        }
        if (const auto it = m_pseudo.find(key); refusePseudo && it != m_pseudo.end()) {
            entries.clear();
            return {platform::ListResult::PseudoFileSystem, it->second};
        }
    }
    return m_inner.ListFolderChecked(folder, detail, entries, refusePseudo);
}

platform::FileFacts FaultyFileSystem::Stat(const std::string& path) {
    {
        std::lock_guard lock(m_mutex);
        if (m_vanished.count(path) != 0 || m_vanished.count(FolderKey(path)) != 0) {
            return {};
        }
    }
    return m_inner.Stat(path);
}

std::unique_ptr<platform::ReadableFile> FaultyFileSystem::OpenForRead(const std::string& path) {
    std::int64_t failAfter = -1;
    {
        std::lock_guard lock(m_mutex);
        m_opened.push_back(path);
        if (m_failOpen.count(path) != 0) {
            errno = EACCES;
            return nullptr;
        }
        if (m_vanished.count(path) != 0) {
            errno = ENOENT;
            return nullptr;
        }
        if (const auto it = m_failReadAfter.find(path); it != m_failReadAfter.end()) {
            failAfter = it->second;
        }
    }
    auto file = m_inner.OpenForRead(path);
    if (!file) {
        return nullptr;
    }
    return std::make_unique<FaultyReadableFile>(std::move(file), *this, path, failAfter);
}

void FaultyFileSystem::AddBytesRead(const std::string& path, std::int64_t bytes) {
    std::vector<std::function<void()>> due;
    {
        std::lock_guard lock(m_mutex);
        const std::int64_t total = m_bytesRead[path] += bytes;
        const auto [begin, end] = m_readActions.equal_range(path);
        for (auto it = begin; it != end;) {
            if (it->second.bytes <= total) {
                due.push_back(std::move(it->second.action));
                it = m_readActions.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Outside the lock: an action may use this file system.
    for (const std::function<void()>& action : due) {
        action();
    }
}

std::vector<std::string> FaultyFileSystem::ListedFolders() const {
    std::lock_guard lock(m_mutex);
    return m_listed;
}

std::vector<std::string> FaultyFileSystem::OpenedPaths() const {
    std::lock_guard lock(m_mutex);
    return m_opened;
}

int FaultyFileSystem::OpenCount(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count(m_opened.begin(), m_opened.end(), path));
}

std::int64_t FaultyFileSystem::BytesRead(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_bytesRead.find(path);
    return it == m_bytesRead.end() ? 0 : it->second;
}

}  // namespace qm::test
