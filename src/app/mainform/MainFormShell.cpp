// TfrmMain: the application shell around the views: the Help menu and the About box, coming to
// the front when another start asks, and the steps of closing and destroying the window.
#include <QAction>
#include <QCoreApplication>
#include <QUrl>

#include "app/dialogs/AboutForm.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/SettingsFileCommands.h"
#include "app/widgets/UrlOpener.h"

namespace qm::app {

void TfrmMain::ConnectHelp() {
    connect(HelpMenuAboutItem, &QAction::triggered, this, &TfrmMain::HelpMenuAboutItemClick);
    connect(Forums1, &QAction::triggered, this, &TfrmMain::Forums1Click);
    connect(Website1, &QAction::triggered, this, &TfrmMain::Website1Click);
}

void TfrmMain::UseUrlOpener(UrlOpener* opener) {
    m_urlOpener = opener;
}

UrlOpener& TfrmMain::Browser() {
    if (m_urlOpener == nullptr) {
        if (!m_ownUrlOpener) {
            m_ownUrlOpener = std::make_unique<DesktopUrlOpener>();
        }
        return *m_ownUrlOpener;
    }
    return *m_urlOpener;
}

void TfrmMain::HelpMenuAboutItemClick() {
    TAboutBox box(Browser(), this);
    box.exec();
    QCoreApplication::processEvents();
}

void TfrmMain::Forums1Click() {
    // Nothing is reported when no browser takes it.
    Browser().Open(QUrl(QString::fromLatin1(kForumAddress)));
    QCoreApplication::processEvents();
}

void TfrmMain::Website1Click() {
    Browser().Open(QUrl(QString::fromLatin1(kWebSiteAddress)));
    QCoreApplication::processEvents();
}

void TfrmMain::ActivationRequest() {
    if (isMinimized()) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    }
    if (!isVisible()) {
        show();
    }
    raise();
    activateWindow();
}

void TfrmMain::FormClose() {
    // Default.ini keeps what the user leaves; a failure is shown, and the window closes anyway.
    FileMenuSaveItemClick(SettingsOrigin::MainWindow);
}

void TfrmMain::FormDestroy() {
    m_settingsFiles->WriteRecentFiles();
}

}  // namespace qm::app
