#pragma once

#include <string>

#include "foundation/Error.h"

namespace qm::cli {

// The command line is not one the scanner understands; what() is one line naming the option.
// Reported with exit status 2.
class UsageError : public FormatError {
public:
    using FormatError::FormatError;
};

}  // namespace qm::cli
