#include "storage/RecentFiles.h"

#include <algorithm>

#include "scope/SearchPathList.h"

namespace qm::storage {

namespace {

bool IsBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// Characters as the menu shows them: every byte but a UTF-8 continuation byte starts one.
std::size_t CharacterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

std::string RecentFileMissingMessage(std::string_view path) {
    return "The recently used file \"" + std::string(path) + "\" could not be located.";
}

std::string ShortenRecentPath(std::string_view path, char delim) {
    if (CharacterCount(path) <= kRecentPathWidth) {
        return std::string(path);
    }
    const std::size_t lastDelim = path.rfind(delim);
    if (lastDelim == std::string_view::npos) {
        return std::string(path);
    }
    const std::string tail =
        "..." + std::string(1, delim) + std::string(path.substr(lastDelim + 1));
    const std::size_t tailWidth = CharacterCount(tail);
    // The longest run of whole leading folders that still fits, possibly none.
    std::string_view head;
    for (std::size_t cut = path.find(delim); cut < lastDelim; cut = path.find(delim, cut + 1)) {
        const std::string_view candidate = path.substr(0, cut + 1);
        if (CharacterCount(candidate) + tailWidth > kRecentPathWidth) {
            break;
        }
        head = candidate;
    }
    return std::string(head) + tail;
}

std::string RecentFileCaption(std::size_t position, std::string_view path, char delim) {
    std::string caption = "&" + std::to_string(position) + " ";
    for (const char c : ShortenRecentPath(path, delim)) {
        if (c == '&') {
            caption += '&';
        }
        caption += c;
    }
    return caption;
}

void RecentFiles::Load(const std::vector<std::string>& stored) {
    m_paths.clear();
    for (const std::string& path : stored) {
        if (path.empty() || m_paths.size() == kMaxRecentFiles) {
            break;
        }
        const bool listed = std::any_of(m_paths.begin(), m_paths.end(), [&](const std::string& p) {
            return scope::SamePath(p, path, *m_locale);
        });
        if (!listed) {
            m_paths.push_back(path);
        }
    }
}

bool RecentFiles::Add(std::string_view path) {
    if (IsBlank(path)) {
        return false;
    }
    const auto listed = std::find_if(m_paths.begin(), m_paths.end(), [&](const std::string& p) {
        return scope::SamePath(p, path, *m_locale);
    });
    if (listed != m_paths.end()) {
        std::rotate(m_paths.begin(), listed, listed + 1);
        return listed != m_paths.begin();
    }
    m_paths.insert(m_paths.begin(), std::string(path));
    if (m_paths.size() > kMaxRecentFiles) {
        m_paths.pop_back();
    }
    return true;
}

std::vector<std::string> RecentFiles::Captions() const {
    std::vector<std::string> captions;
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
        captions.push_back(RecentFileCaption(i + 1, m_paths[i]));
    }
    return captions;
}

}  // namespace qm::storage
