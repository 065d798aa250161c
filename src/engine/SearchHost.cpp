#include "engine/SearchHost.h"

namespace qm::engine {

const char* StepStateText(StepState state) {
    switch (state) {
        case StepState::Pending:
            return "Pending";
        case StepState::InProgress:
            return "In Progress";
        case StepState::Done:
            return "Done";
    }
    return "Pending";
}

}  // namespace qm::engine
