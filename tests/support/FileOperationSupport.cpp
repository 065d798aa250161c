#include "support/FileOperationSupport.h"

#include <stdexcept>

namespace qm::test {

bool StepHook::Continue(platform::FileStep step, const std::string& path) {
    reached.push_back(step);
    const auto it = m_actions.find(step);
    if (it == m_actions.end()) {
        return true;
    }
    const Action action = std::move(it->second);
    m_actions.erase(it);
    return action(path);
}

platform::FileIdentity IdentityNow(const std::string& path) {
    const platform::FileFacts facts = platform::SystemFileOperations().Examine(path);
    if (!facts.exists) {
        throw std::runtime_error("IdentityNow: no file " + path);
    }
    return platform::FileIdentity{facts.id, facts.size, facts.lastWrite};
}

}  // namespace qm::test
