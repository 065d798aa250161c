// The file commands of the results view (open, explore, execute, properties, terminal, clipboard)
// on the real window after a real search, with the desktop replaced so that nothing is started.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ResultsWindowFixture.h"
#include "app/dialogs/FilePropertiesForm.h"
#include "app/mainform/MainForm.h"
#include "app/results/FileCommands.h"
#include "platform/qt/DesktopServices.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using qm::app::TfrmFileProperties;
using qm::app::TfrmMain;
using qm::platform::EClipboardError;
using qm::platform::TerminalOutcome;
using qm::results::ResultTree;
using qm::test::Content;
using qm::test::FocusRow;
using qm::test::NodeOfPath;
using qm::test::RootOfKey;
using qm::test::TempTree;

namespace {

// Records what the commands hand to the desktop and answers as told.
class FakeDesktop : public qm::platform::DesktopServices {
public:
    bool Open(const std::string& path) override {
        calls.push_back("open " + path);
        return openWorks;
    }
    bool Explore(const std::string& folder, const std::string& file) override {
        calls.push_back("explore " + folder + " " + file);
        return exploreWorks;
    }
    TerminalOutcome OpenTerminal(const std::string& folder) override {
        calls.push_back("terminal " + folder);
        return terminal;
    }
    void SetClipboardText(const QString& text) override {
        if (clipboardFails) {
            throw EClipboardError("could not open the clipboard.", 5, "Access is denied.");
        }
        calls.push_back("clipboard " + text.toStdString());
    }

    std::vector<std::string> calls;
    bool openWorks = true;
    bool exploreWorks = true;
    TerminalOutcome terminal = TerminalOutcome::Started;
    bool clipboardFails = false;
};

using Command = void (TfrmMain::*)();

QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

}  // namespace

Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(std::function<void(FakeDesktop&)>)

class MainFormFileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void ToolbarButtonsAndHints();
    void ButtonsFollowTheFocusedRow();
    void ContextMenuOrder();
    void CommandsHandTheRowToTheDesktop_data();
    void CommandsHandTheRowToTheDesktop();
    void VanishedFolderOrFileIsReported_data();
    void VanishedFolderOrFileIsReported();
    void RefusalsAreReported_data();
    void RefusalsAreReported();
    void NothingHappensWithoutAFileRow_data();
    void NothingHappensWithoutAFileRow();
    void DoubleClickExecutes();
    void ClipboardFailureReachesTheErrorDisplay();
    void CopyPathPutsTheFolderOnTheRealClipboard();
    void PropertiesOpenBesideTheWindow();

private:
    std::string Root() const { return tree->Root(); }
    ResultTree::NodeId Row(const std::string& relative) const {
        return NodeOfPath(*w, tree->Path(relative));
    }

    std::unique_ptr<TempTree> tree;
    std::unique_ptr<qm::test::ScriptedPrompter> prompter;
    std::unique_ptr<TfrmMain> w;
    FakeDesktop desktop;
};

void MainFormFileCommandsTest::init() {
    tree = std::make_unique<TempTree>(std::initializer_list<qm::test::TreeEntry>{
        {"photos/beach.jpg", Content("JPEG-BYTES")},
        {"backup/beach.jpg", Content("JPEG-BYTES")},
        {"notes/todo.txt", Content("milk")},
        {"old notes/todo.txt", Content("milk")},
    });
    prompter = std::make_unique<qm::test::ScriptedPrompter>();
    w = std::make_unique<TfrmMain>(prompter.get());
    desktop = FakeDesktop();
    w->SetDesktopServices(&desktop);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QVERIFY(qm::test::SearchAll(*w, Root()));
    QVERIFY(Row("photos/beach.jpg") != ResultTree::kNoNode);
}

void MainFormFileCommandsTest::cleanup() {
    QCOMPARE(prompter->unexpected, 0);
    w.reset();
    prompter.reset();
    tree.reset();
}

void MainFormFileCommandsTest::ToolbarButtonsAndHints() {
    struct Expected {
        QToolButton* button;
        const char* hint;
    };
    const Expected buttons[] = {
        {w->OpenTargetBtn,
         "Open the folder containing the target file (one selected in the treeview below)."},
        {w->ExploreTargetBtn,
         "Explore the folder containing the target file (one selected in the treeview below)."},
        {w->ExecuteBtn,
         "Execute the file selected in the treeview below with its associated application."},
    };
    for (const Expected& e : buttons) {
        QVERIFY(e.button->isVisible());
        QCOMPARE(e.button->toolTip(), QString::fromLatin1(e.hint));
        QCOMPARE(e.button->statusTip(), QString::fromLatin1(e.hint));
    }
    // Left to right: ... the grid button, open, explore, execute, the preview toggle, and the
    // button back to the options last.
    const QList<QToolButton*> order = {w->GridToggleBtn, w->OpenTargetBtn,  w->ExploreTargetBtn,
                                       w->ExecuteBtn,    w->PreviewImageCB, w->HideOptionsBtn};
    for (qsizetype i = 1; i < order.size(); ++i) {
        QVERIFY2(order[i - 1]->x() < order[i]->x(), qPrintable(order[i]->objectName()));
    }
    QVERIFY(w->PreviewImageCB->isVisible());
    QVERIFY(w->PreviewImageCB->isCheckable());
    QVERIFY(w->PreviewImageCB->isChecked());
}

void MainFormFileCommandsTest::ButtonsFollowTheFocusedRow() {
    const QList<QToolButton*> buttons = {w->OpenTargetBtn, w->ExploreTargetBtn, w->ExecuteBtn};
    const auto enabled = [&](bool expected) {
        for (QToolButton* button : buttons) {
            if (button->isEnabled() != expected) {
                return false;
            }
        }
        return true;
    };
    QVERIFY(enabled(false));  // after the search nothing has the focus
    FocusRow(*w, RootOfKey(*w, "*.JPG"));
    QVERIFY(enabled(false));
    FocusRow(*w, Row("photos/beach.jpg"));
    QVERIFY(enabled(true));
    FocusRow(*w, Row("backup/beach.jpg"));
    QVERIFY(enabled(true));
    FocusRow(*w, RootOfKey(*w, "*.TXT"));
    QVERIFY(enabled(false));
    // From the keyboard: down from the root row onto its first set.
    w->DupeTV->setFocus();
    QTest::keyClick(w->DupeTV, Qt::Key_Down);
    QVERIFY(enabled(true));
}

void MainFormFileCommandsTest::ContextMenuOrder() {
    FocusRow(*w, Row("photos/beach.jpg"));
    QMenu* menu = w->DupeTV->MenuForContextPopup();
    QVERIFY(menu != nullptr);
    QCOMPARE(MenuTexts(menu),
             QStringList({"Command Prompt Here", "Copy Path to Clipboard", "Explore Target Folder",
                          "Open Target Folder", "-", "Execute File", "-",
                          "Mark All Files in This Folder", "Unmark All Files in This Folder",
                          "Mark All Files With Multiple Extensions", "-", "P&roperties"}));
    const QList<QAction*> named = {w->Commandprompthere1, w->CopyPathtoClipboard1,
                                   w->TVMenuExploreItem,  w->TVMenuOpenItem,
                                   w->TVMenuExecuteItem,  w->TVMenuPropertiesItem};
    const QStringList names = {"Commandprompthere1", "CopyPathtoClipboard1",
                               "TVMenuExploreItem",  "TVMenuOpenItem",
                               "TVMenuExecuteItem",  "TVMenuPropertiesItem"};
    for (qsizetype i = 0; i < named.size(); ++i) {
        QCOMPARE(named[i]->objectName(), names[i]);
        QVERIFY(menu->actions().contains(named[i]));
    }
}

void MainFormFileCommandsTest::CommandsHandTheRowToTheDesktop_data() {
    QTest::addColumn<QString>("via");  // a toolbar button or a menu item, by object name
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("call");  // with ROOT for the tree's root folder
    QTest::newRow("open folder") << "OpenTargetBtn"
                                 << "photos/beach.jpg"
                                 << "open ROOTphotos/";
    QTest::newRow("open folder from the menu") << "TVMenuOpenItem"
                                               << "old notes/todo.txt"
                                               << "open ROOTold notes/";
    QTest::newRow("explore") << "ExploreTargetBtn"
                             << "backup/beach.jpg"
                             << "explore ROOTbackup/ ROOTbackup/beach.jpg";
    QTest::newRow("explore from the menu") << "TVMenuExploreItem"
                                           << "photos/beach.jpg"
                                           << "explore ROOTphotos/ ROOTphotos/beach.jpg";
    QTest::newRow("execute") << "ExecuteBtn"
                             << "old notes/todo.txt"
                             << "open ROOTold notes/todo.txt";
    QTest::newRow("execute from the menu") << "TVMenuExecuteItem"
                                           << "photos/beach.jpg"
                                           << "open ROOTphotos/beach.jpg";
    QTest::newRow("command prompt") << "Commandprompthere1"
                                    << "old notes/todo.txt"
                                    << "terminal ROOTold notes/";
    QTest::newRow("copy path: the folder with its separator") << "CopyPathtoClipboard1"
                                                              << "photos/beach.jpg"
                                                              << "clipboard ROOTphotos/";
}

void MainFormFileCommandsTest::CommandsHandTheRowToTheDesktop() {
    QFETCH(QString, via);
    QFETCH(QString, row);
    QFETCH(QString, call);
    FocusRow(*w, Row(row.toStdString()));
    if (auto* button = w->findChild<QToolButton*>(via)) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        auto* item = w->findChild<QAction*>(via);
        QVERIFY(item != nullptr);
        item->trigger();
    }
    call.replace(QStringLiteral("ROOT"), QString::fromStdString(Root()));
    QCOMPARE(desktop.calls, std::vector<std::string>{call.toStdString()});
    QVERIFY(prompter->messages.empty());
}

void MainFormFileCommandsTest::VanishedFolderOrFileIsReported_data() {
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("gone");  // what is removed after the search
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("reported");  // the path in the message
    QTest::newRow("open: folder removed") << &TfrmMain::OpenTargetBtnClick << "backup"
                                          << "backup/beach.jpg"
                                          << "backup/";
    QTest::newRow("explore: folder removed") << &TfrmMain::ExploreTargetBtnClick << "backup"
                                             << "backup/beach.jpg"
                                             << "backup/";
    QTest::newRow("command prompt: folder removed")
        << &TfrmMain::Commandprompthere1Click << "old notes"
        << "old notes/todo.txt"
        << "old notes/";
    QTest::newRow("execute: file deleted") << &TfrmMain::ExecuteBtnClick << "photos/beach.jpg"
                                           << "photos/beach.jpg"
                                           << "photos/beach.jpg";
    QTest::newRow("execute: folder removed") << &TfrmMain::ExecuteBtnClick << "old notes"
                                             << "old notes/todo.txt"
                                             << "old notes/todo.txt";
    QTest::newRow("properties: file deleted")
        << &TfrmMain::TVMenuPropertiesItemClick << "notes/todo.txt"
        << "notes/todo.txt"
        << "notes/todo.txt";
}

void MainFormFileCommandsTest::VanishedFolderOrFileIsReported() {
    QFETCH(Command, command);
    QFETCH(QString, gone);
    QFETCH(QString, row);
    QFETCH(QString, reported);
    tree->Remove(gone.toStdString());
    FocusRow(*w, Row(row.toStdString()));
    (w.get()->*command)();
    QVERIFY(desktop.calls.empty());
    QCOMPARE(
        prompter->messages,
        std::vector<std::string>{"Unable to open \"" + tree->Path(reported.toStdString()) + "\""});
    QVERIFY(w->findChild<TfrmFileProperties*>() == nullptr);
}

void MainFormFileCommandsTest::RefusalsAreReported_data() {
    QTest::addColumn<Command>("command");
    QTest::addColumn<std::function<void(FakeDesktop&)>>("refuse");
    QTest::addColumn<QString>("message");  // ROOT for the tree's root folder
    QTest::newRow("open") << &TfrmMain::OpenTargetBtnClick
                          << std::function<void(FakeDesktop&)>(
                                 [](FakeDesktop& d) { d.openWorks = false; })
                          << "Unable to open \"ROOTphotos/\"";
    QTest::newRow("explore") << &TfrmMain::ExploreTargetBtnClick
                             << std::function<void(FakeDesktop&)>(
                                    [](FakeDesktop& d) { d.exploreWorks = false; })
                             << "Unable to open \"ROOTphotos/\"";
    QTest::newRow("execute") << &TfrmMain::ExecuteBtnClick
                             << std::function<void(FakeDesktop&)>(
                                    [](FakeDesktop& d) { d.openWorks = false; })
                             << "Unable to open \"ROOTphotos/beach.jpg\"";
    QTest::newRow("terminal fails") << &TfrmMain::Commandprompthere1Click
                                    << std::function<void(FakeDesktop&)>([](FakeDesktop& d) {
                                           d.terminal = TerminalOutcome::Failed;
                                       })
                                    << "Unable to open \"ROOTphotos/\"";
    QTest::newRow("no terminal installed") << &TfrmMain::Commandprompthere1Click
                                           << std::function<void(FakeDesktop&)>([](FakeDesktop& d) {
                                                  d.terminal = TerminalOutcome::NotInstalled;
                                              })
                                           << QString::fromLatin1(qm::app::kNoTerminalMessage);
}

void MainFormFileCommandsTest::RefusalsAreReported() {
    QFETCH(Command, command);
    QFETCH(std::function<void(FakeDesktop&)>, refuse);
    QFETCH(QString, message);
    refuse(desktop);
    FocusRow(*w, Row("photos/beach.jpg"));
    (w.get()->*command)();
    QCOMPARE(desktop.calls.size(), std::size_t{1});
    message.replace(QStringLiteral("ROOT"), QString::fromStdString(Root()));
    QCOMPARE(prompter->messages, std::vector<std::string>{message.toStdString()});
}

void MainFormFileCommandsTest::NothingHappensWithoutAFileRow_data() {
    QTest::addColumn<bool>("rootRow");  // a root row selected; else nothing selected
    QTest::newRow("root row") << true;
    QTest::newRow("nothing selected") << false;
}

void MainFormFileCommandsTest::NothingHappensWithoutAFileRow() {
    QFETCH(bool, rootRow);
    FocusRow(*w, Row("photos/beach.jpg"));
    if (rootRow) {
        FocusRow(*w, RootOfKey(*w, "*.JPG"));
    } else {
        w->DupeTV->selectionModel()->clearSelection();
    }
    for (Command command :
         {&TfrmMain::OpenTargetBtnClick, &TfrmMain::ExploreTargetBtnClick,
          &TfrmMain::ExecuteBtnClick, &TfrmMain::TVMenuPropertiesItemClick,
          &TfrmMain::Commandprompthere1Click, &TfrmMain::CopyPathtoClipboard1Click}) {
        (w.get()->*command)();
    }
    QVERIFY(desktop.calls.empty());
    QVERIFY(prompter->messages.empty());
    QVERIFY(w->findChild<TfrmFileProperties*>() == nullptr);
}

void MainFormFileCommandsTest::DoubleClickExecutes() {
    const ResultTree::NodeId head = Row("photos/beach.jpg");
    FocusRow(*w, head);
    const QRect cell = w->DupeTV->visualRect(w->DupeModel()->IndexOf(head, 1));
    QVERIFY(cell.isValid());
    QTest::mouseDClick(w->DupeTV->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(desktop.calls, std::vector<std::string>{"open " + tree->Path("photos/beach.jpg")});

    desktop.calls.clear();
    const QModelIndex root = w->DupeModel()->IndexOf(RootOfKey(*w, "*.TXT"), 0);
    const QRect rootCell = w->DupeTV->visualRect(root);
    QTest::mouseDClick(w->DupeTV->viewport(), Qt::LeftButton, {}, rootCell.center());
    QVERIFY(desktop.calls.empty());
    QVERIFY(prompter->messages.empty());
}

void MainFormFileCommandsTest::ClipboardFailureReachesTheErrorDisplay() {
    desktop.clipboardFails = true;
    FocusRow(*w, Row("photos/beach.jpg"));
    try {
        w->CopyPathtoClipboard1Click();
        QFAIL("the clipboard error was swallowed");
    } catch (const EClipboardError& error) {
        QCOMPARE(std::string(error.what()),
                 std::string("APIClipboard: could not open the clipboard.\r\nSystem error code: "
                             "5\r\nSystem error message: Access is denied."));
    }
    QVERIFY(prompter->messages.empty());
}

void MainFormFileCommandsTest::CopyPathPutsTheFolderOnTheRealClipboard() {
    w->SetDesktopServices(nullptr);  // the session's own clipboard
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    FocusRow(*w, Row("old notes/todo.txt"));
    w->CopyPathtoClipboard1->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString::fromStdString(tree->Path("old notes/")));
}

void MainFormFileCommandsTest::PropertiesOpenBesideTheWindow() {
    FocusRow(*w, Row("old notes/todo.txt"));
    w->TVMenuPropertiesItem->trigger();
    auto* dialog = w->findChild<TfrmFileProperties*>();
    QVERIFY(dialog != nullptr);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());  // the window stays usable beside it
    QCOMPARE(dialog->windowTitle(), QStringLiteral("todo.txt Properties"));
    QCOMPARE(dialog->NameValue->text(), QStringLiteral("todo.txt"));
    QCOMPARE(dialog->FolderValue->text(), QString::fromStdString(tree->Path("old notes/")));
    QCOMPARE(dialog->SizeValue->text(), QStringLiteral("4 bytes"));
    QVERIFY(prompter->messages.empty());
    // A second one for another file stands beside the first.
    FocusRow(*w, Row("photos/beach.jpg"));
    w->TVMenuPropertiesItem->trigger();
    QCOMPARE(w->findChildren<TfrmFileProperties*>().size(), 2);
    // OK closes and releases it.
    QPointer<TfrmFileProperties> first(dialog);
    QTest::mouseClick(dialog->OkBtn, Qt::LeftButton);
    QTRY_VERIFY(first.isNull());
    QCOMPARE(w->findChildren<TfrmFileProperties*>().size(), 1);
}

QTEST_MAIN(MainFormFileCommandsTest)
#include "MainFormFileCommandsTest.moc"
