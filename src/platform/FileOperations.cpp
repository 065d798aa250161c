#include "platform/FileOperations.h"

#include <algorithm>

namespace qm::platform {

namespace {

// length cut back to the start of a UTF-8 sequence, so a cut never splits a character.
std::size_t WholeCharacters(std::string_view text, std::size_t length) {
    while (length > 0 && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    return length;
}

}  // namespace

std::string NumberedName(std::string_view name, int n, std::size_t maxBytes) {
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot > 0;
    std::string_view stem = hasExtension ? name.substr(0, dot) : name;
    std::string_view extension = hasExtension ? name.substr(dot) : std::string_view();
    const std::string suffix = n > 1 ? " (" + std::to_string(n) + ")" : std::string();

    if (stem.size() + suffix.size() + extension.size() > maxBytes) {
        if (suffix.size() + extension.size() >= maxBytes) {
            // An extension this long is no extension worth keeping.
            stem = name;
            extension = {};
        }
        const std::size_t room = maxBytes > suffix.size() + extension.size()
                                     ? maxBytes - suffix.size() - extension.size()
                                     : 0;
        stem = stem.substr(0, WholeCharacters(stem, std::min(room, stem.size())));
    }
    std::string result;
    result.reserve(stem.size() + suffix.size() + extension.size());
    result.append(stem).append(suffix).append(extension);
    return result;
}

std::string NotRegularReason(const FileFacts& facts) {
    if (!facts.exists) {
        return "it no longer exists";
    }
    if (facts.kind == EntryKind::SymbolicLink) {
        return "it is a symbolic link now";
    }
    if (facts.kind != EntryKind::RegularFile) {
        return "it is no longer a regular file";
    }
    return {};
}

std::string MismatchReason(const FileFacts& facts, const FileIdentity& expected) {
    if (std::string reason = NotRegularReason(facts); !reason.empty()) {
        return reason;
    }
    if (facts.id != expected.id) {
        return "another file has taken its place since the search";
    }
    if (facts.size != expected.size || facts.lastWrite != expected.lastWrite) {
        return "it was changed after the search";
    }
    return {};
}

FileOperations& SystemFileOperations() {
    static const std::unique_ptr<FileOperations> operations = MakeFileOperations();
    return *operations;
}

}  // namespace qm::platform
