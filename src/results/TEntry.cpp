#include "results/TEntry.h"

namespace qm::results {

const char* StatusHintLine(EntryStatus status) {
    switch (status) {
        case EntryStatus::None:
            return "Status: None.";
        case EntryStatus::Removed:
            return "Status: File deleted successfully.";
        case EntryStatus::Failed:
            return "Status: Unable to delete (file might be in use).";
        case EntryStatus::Blocked:
            return "Status: File blocked from deletion (file is in blocked folder).";
        case EntryStatus::Marked:
            return "Status: File marked for deletion.";
    }
    return "Status: None.";
}

}  // namespace qm::results
