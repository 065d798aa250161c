#include "app/widgets/UrlOpener.h"

#include <QDesktopServices>

namespace qm::app {

bool DesktopUrlOpener::Open(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace qm::app
