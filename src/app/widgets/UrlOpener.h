#pragma once

#include <QUrl>

namespace qm::app {

// Opens a web address in the user's browser. The windows are handed one, so tests see what would
// be opened without a browser starting.
class UrlOpener {
public:
    UrlOpener() = default;
    UrlOpener(const UrlOpener&) = delete;
    UrlOpener& operator=(const UrlOpener&) = delete;
    virtual ~UrlOpener() = default;

    // Whether the desktop took the request; a failure is the caller's to report or not.
    virtual bool Open(const QUrl& url) = 0;
};

// The desktop's browser (on Linux through the freedesktop handlers, xdg-open).
class DesktopUrlOpener : public UrlOpener {
public:
    bool Open(const QUrl& url) override;
};

}  // namespace qm::app
