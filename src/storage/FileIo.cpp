#include "storage/FileIo.h"

#include "foundation/Error.h"
#include "platform/WholeFile.h"

namespace qm::storage {

void WriteFileAtomically(const std::string& path, std::string_view content) {
    if (path.empty()) {
        throw FileError("Cannot write a file without a name.");
    }
    if (const std::string reason = platform::ReplaceFileContent(path, content); !reason.empty()) {
        throw FileError("Cannot write \"" + path + "\": " + reason);
    }
}

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    if (const std::string reason = platform::ReadFileContent(path, text); !reason.empty()) {
        throw FileError("Cannot read \"" + path + "\": " + reason);
    }
    return text;
}

}  // namespace qm::storage
