// The application shell around the views: the File and Help menus, the About box, the web and
// forum commands, the close sequence, and a second start of the program handing over to the first.
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "Shots.h"
#include "app/dialogs/AboutForm.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/SettingsFileCommands.h"
#include "app/widgets/UrlOpener.h"
#include "foundation/Globals.h"
#include "platform/qt/SingleInstance.h"
#include "support/ScriptedPrompter.h"

using qm::app::SettingsPlaces;
using qm::app::TAboutBox;
using qm::app::TfrmMain;
using qm::app::UrlOpener;
using qm::test::ScriptedPrompter;

namespace {

// Records the addresses it is asked to open instead of starting a browser.
class RecordingUrlOpener : public UrlOpener {
public:
    bool Open(const QUrl& url) override {
        opened.push_back(url.toString().toStdString());
        return succeed;
    }
    std::vector<std::string> opened;
    bool succeed = true;
};

// The menu as its user reads it: captions, "-" for a separator, "[caption]" for a submenu.
std::vector<std::string> MenuLayout(const QMenu* menu) {
    std::vector<std::string> layout;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            layout.emplace_back("-");
        } else if (action->menu() != nullptr) {
            layout.push_back("[" + action->text().toStdString() + "]");
        } else {
            layout.push_back(action->text().toStdString());
        }
    }
    return layout;
}

// Runs action on the modal dialog that the next step opens, once it shows.
void WhenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        action(QApplication::activeModalWidget());
    });
}

// A picture of the window with menu open below its title in the menu bar.
void SaveShotWithMenu(TfrmMain& window, QMenu* menu, const QString& fileName) {
    // Opened from the menu bar, as a click on its title does.
    window.menuBar()->setActiveAction(menu->menuAction());
    QTRY_VERIFY(menu->isVisible());
    // Its first item under the pointer, its hint in the status line.
    menu->setActiveAction(menu->actions().constFirst());
    QPixmap shot = window.grab();
    {
        QPainter painter(&shot);
        painter.drawPixmap(window.mapFromGlobal(menu->pos()), menu->grab());
    }
    const QString hint = window.StatusText();
    menu->close();
    QVERIFY2(hint.contains(menu->actions().constFirst()->statusTip()), qPrintable(hint));
    QVERIFY(shot.save(qm::test::ShotPath(fileName)));
}

// A settings folder and recent-files store of their own.
struct OwnPlaces {
    QTemporaryDir dir;
    SettingsPlaces Places() const {
        return {QFile::encodeName(dir.path() + QStringLiteral("/")).toStdString(),
                dir.path() + QStringLiteral("/recent.conf")};
    }
    QString DefaultIni() const { return dir.path() + QStringLiteral("/Default.ini"); }
};

}  // namespace

class MainFormShellTest : public QObject {
    Q_OBJECT
private slots:
    void MenusOfTheShell();
    void WebSiteAndForumCommands();
    void AboutBox();
    void AboutBoxFromTheHelpMenu();
    void ActivationRequestBringsTheWindowBack();
    void CloseSequenceWritesDefaultIni();
    void ASecondStartHandsOverAndEnds();
    void TheProgramStartedTwice();
};

void MainFormShellTest::MenusOfTheShell() {
    ScriptedPrompter prompter;
    TfrmMain window(&prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(MenuLayout(window.FileMenu),
             (std::vector<std::string>{"&Open Search Settings", "&Save Search Settings", "-",
                                       "&Load Previous Search Results", "-", "[&Recent Files]",
                                       "-", "E&xit"}));
    QCOMPARE(MenuLayout(window.HelpMenu),
             (std::vector<std::string>{"&About Quillmere...", "-", "&Forums", "&Website"}));
    QVERIFY(window.HelpMenu->menuAction()->isVisible());
    QCOMPARE(window.menuBar()->actions().size(), 3);

    struct Item {
        QAction* action;
        QKeySequence shortcut;
        QString hint;
    };
    const QString forum = QString::fromLatin1(qm::app::kForumAddress);
    const QString webSite = QString::fromLatin1(qm::app::kWebSiteAddress);
    const Item items[] = {
        {window.FileMenuOpenItem, QKeySequence(Qt::CTRL | Qt::Key_O),
         QStringLiteral("Load search settings which includes folders and extensions.")},
        {window.FileMenuSaveItem, QKeySequence(Qt::CTRL | Qt::Key_S),
         QStringLiteral("Save current search settings which includes folders and extensions.")},
        {window.FileMenuExitItem, {}, QStringLiteral("Exit Quillmere.")},
        {window.HelpMenuAboutItem,
         {},
         QStringLiteral("Some general information about this software.")},
        {window.Forums1,
         {},
         QStringLiteral("Visit the Quillmere forums at <U>") + forum +
             QStringLiteral("</U><FONT COLOR=\"#0000FF\"> for news and updates.")},
        {window.Website1,
         {},
         QStringLiteral("Visit the Quillmere website at <U>") + webSite +
             QStringLiteral("</U><FONT COLOR=\"#0000FF\">.")},
    };
    for (const Item& item : items) {
        const QByteArray name = item.action->objectName().toLatin1();
        QVERIFY2(item.action->shortcut() == item.shortcut, name.constData());
        QVERIFY2(item.action->statusTip() == item.hint, name.constData());
        QVERIFY2(!item.action->icon().isNull(), name.constData());
        // The hint reaches the status line, its link underlined.
        window.SetStatusText(QString());
        QVERIFY2(item.action->showStatusText(&window), name.constData());
        QVERIFY2(window.StatusText().contains(item.hint), name.constData());
    }
}

void MainFormShellTest::WebSiteAndForumCommands() {
    ScriptedPrompter prompter;
    RecordingUrlOpener browser;
    TfrmMain window(&prompter);
    window.UseUrlOpener(&browser);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.Forums1->trigger();
    window.Website1->trigger();
    QCOMPARE(browser.opened,
             (std::vector<std::string>{qm::app::kForumAddress, qm::app::kWebSiteAddress}));
    // No browser to take it: nothing is said.
    browser.succeed = false;
    window.Website1->trigger();
    QCOMPARE(browser.opened.size(), std::size_t{3});
    QVERIFY(prompter.errors.empty() && prompter.messages.empty() && prompter.questions.empty());
}

void MainFormShellTest::AboutBox() {
    RecordingUrlOpener browser;
    QWidget owner;
    owner.resize(800, 634);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));

    TAboutBox box(browser, &owner);
    QCOMPARE(box.windowTitle(), QStringLiteral("About Quillmere..."));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.VersionLbl->text(), QString::fromStdString(qm::foundation::GetFileVersionText()));
    QCOMPARE(box.size(), QSize(354, 413));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QVERIFY(box.OkBtn->isDefault());
    QCOMPARE(box.focusWidget(), static_cast<QWidget*>(box.OkBtn));
    for (const QLabel* link : {box.WebSiteLbl, box.ForumLbl}) {
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    }
    QVERIFY(box.grab().save(qm::test::ShotPath(QStringLiteral("about-box.png"))));

    // The links open the web site and the forum.
    emit box.WebSiteLbl->linkActivated(QString::fromLatin1(qm::app::kWebSiteAddress));
    emit box.ForumLbl->linkActivated(QString::fromLatin1(qm::app::kForumAddress));
    QCOMPARE(browser.opened,
             (std::vector<std::string>{qm::app::kWebSiteAddress, qm::app::kForumAddress}));

    // Esc alone closes it; with Shift, Ctrl or Alt it does not.
    for (const Qt::KeyboardModifier modifier :
         {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        QTest::keyClick(&box, Qt::Key_Escape, modifier);
        QVERIFY2(box.isVisible(), qPrintable(QKeySequence(modifier).toString()));
    }
    QTest::keyClick(&box, Qt::Key_Escape);
    QVERIFY(!box.isVisible());

    // OK closes it, and so does Enter, the default button.
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(box.OkBtn, Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClick(&box, Qt::Key_Return);
    QVERIFY(!box.isVisible());
}

void MainFormShellTest::AboutBoxFromTheHelpMenu() {
    ScriptedPrompter prompter;
    RecordingUrlOpener browser;
    TfrmMain window(&prompter);
    window.UseUrlOpener(&browser);
    window.move(100, 80);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SaveShotWithMenu(window, window.FileMenu, QStringLiteral("file-menu.png"));
    SaveShotWithMenu(window, window.HelpMenu, QStringLiteral("help-menu.png"));

    TAboutBox* box = nullptr;
    QWidget* boxParent = nullptr;
    QPoint offset;
    WhenModal([&](QWidget* modal) {
        box = qobject_cast<TAboutBox*>(modal);
        boxParent = modal->parentWidget();
        offset = modal->frameGeometry().center() - window.frameGeometry().center();
        if (box != nullptr) {
            // Through the link, while the box is open.
            emit box->ForumLbl->linkActivated(QString::fromLatin1(qm::app::kForumAddress));
            QTest::mouseClick(box->OkBtn, Qt::LeftButton);
        } else {
            modal->close();
        }
    });
    window.HelpMenuAboutItem->trigger();
    QVERIFY(box != nullptr);
    QCOMPARE(boxParent, static_cast<QWidget*>(&window));
    // Centred on the main window.
    QVERIFY2(offset.manhattanLength() <= 4,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    QCOMPARE(browser.opened, std::vector<std::string>{qm::app::kForumAddress});
    // Made for one use: released when it closes.
    QTRY_VERIFY(window.findChildren<TAboutBox*>().isEmpty());
}

void MainFormShellTest::ActivationRequestBringsTheWindowBack() {
    ScriptedPrompter prompter;
    TfrmMain window(&prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    window.ActivationRequest();
    QTRY_VERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());

    // A maximised window that was minimised comes back maximised.
    window.showMaximized();
    QTRY_VERIFY(window.isMaximized());
    window.setWindowState(window.windowState() | Qt::WindowMinimized);
    QTRY_VERIFY(window.isMinimized());
    window.ActivationRequest();
    QTRY_VERIFY(!window.isMinimized());
    QVERIFY(window.isMaximized());

    window.hide();
    window.ActivationRequest();
    QVERIFY(window.isVisible());
    QVERIFY(prompter.errors.empty());
}

void MainFormShellTest::CloseSequenceWritesDefaultIni() {
    // E&xit, the Exit button and the window's close box all close through the same sequence.
    const std::vector<std::pair<const char*, std::function<void(TfrmMain&)>>> ways = {
        {"menu", [](TfrmMain& w) { w.FileMenuExitItem->trigger(); }},
        {"button", [](TfrmMain& w) { QTest::mouseClick(w.ExitBtn, Qt::LeftButton); }},
        {"close box", [](TfrmMain& w) { w.close(); }},
    };
    for (const auto& [name, closeIt] : ways) {
        OwnPlaces own;
        ScriptedPrompter prompter;
        {
            TfrmMain window(own.Places(), &prompter);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.MinSizeEdit->setText(QStringLiteral("77"));
            QVERIFY2(!QFile::exists(own.DefaultIni()), name);
            closeIt(window);
            QVERIFY2(!window.isVisible(), name);
            QVERIFY2(QFile::exists(own.DefaultIni()), name);
        }
        TfrmMain again(own.Places(), &prompter);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QVERIFY2(again.MinSizeEdit->text() == QStringLiteral("77"), name);
        QVERIFY2(prompter.errors.empty(), name);
    }
}

// A second start of the program, a process of its own, finds this process's window as the
// running instance: it hands over the activation request and ends with 0, and the window comes
// back from the task bar.
void MainFormShellTest::ASecondStartHandsOverAndEnds() {
    QTemporaryDir runtime;
    QTemporaryDir home;
    QVERIFY(runtime.isValid() && home.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":71"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    qm::platform::SingleInstance instance(qm::platform::InstanceFolder(environment, ::getuid()),
                                          qm::platform::InstanceName(environment, ::getuid()));
    QCOMPARE(instance.Claim(), qm::platform::SingleInstance::Role::First);
    OwnPlaces own;
    ScriptedPrompter prompter;
    TfrmMain window(own.Places(), &prompter);
    // As the program wires them.
    connect(&instance, &qm::platform::SingleInstance::ActivationRequested, &window,
            &TfrmMain::ActivationRequest);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(QM_APP_BINARY), {});
    QVERIFY(second.waitForStarted(10000));
    // The window must answer while the second start waits, so no blocking wait here.
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY(!window.isMinimized());
}

// Both starts the program itself: the first keeps running with its window, the second ends
// with 0 within a few seconds.
void MainFormShellTest::TheProgramStartedTwice() {
    QTemporaryDir runtime;
    QTemporaryDir home;
    QVERIFY(runtime.isValid() && home.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":72"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString endpoint = QDir(qm::platform::InstanceFolder(environment, ::getuid()))
                                 .filePath(qm::platform::InstanceName(environment, ::getuid()));

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(QStringLiteral(QM_APP_BINARY), {});
    QVERIFY(first.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(endpoint), 20000);

    for (int start = 0; start < 2; ++start) {
        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(QM_APP_BINARY), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
    }
    first.kill();
    QVERIFY(first.waitForFinished(10000));
}

QTEST_MAIN(MainFormShellTest)
#include "MainFormShellTest.moc"
