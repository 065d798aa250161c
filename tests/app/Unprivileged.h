#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace qm::test {

// While alive and active, file access is checked as the unprivileged user and group 65534 when the
// tests run as root (only the effective ids change, so they can be given back and the window stays
// in this process); as any other user that user's own rights apply already. Ok() is false when the
// ids could not be changed.
class Unprivileged {
public:
    explicit Unprivileged(bool active = true) {
        if (!active || ::geteuid() != 0) {
            return;
        }
        m_wasRoot = true;
        m_ok = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~Unprivileged() {
        if (m_wasRoot) {
            (void)::seteuid(0);
            (void)::setegid(0);
        }
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

    bool Ok() const { return m_ok; }

private:
    bool m_wasRoot = false;
    bool m_ok = true;
};

// Lets every user into folder (a temporary folder is made for its owner alone), so that what an
// unprivileged user may not do inside it is decided by the modes of its entries.
inline bool OpenToEveryone(const std::string& folder) {
    return ::chmod(folder.c_str(), 0755) == 0;
}

}  // namespace qm::test
