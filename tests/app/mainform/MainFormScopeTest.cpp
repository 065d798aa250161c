// The scope dialogs from the main window: their buttons and Options menu items open them, the
// window does what must follow (the excluded-folder button waits, the blocked-file check runs),
// a search honours what they set, and the lists go through a settings file.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

#include "app/dialogs/FileDateOptionsForm.h"
#include "app/dialogs/FolderListForm.h"
#include "app/dialogs/MaskListForm.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeModel.h"
#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/FolderPicker.h"
#include "app/widgets/FolderTreeView.h"
#include "app/widgets/TreeNodeHelpers.h"
#include "results/Marking.h"
#include "storage/SettingsFile.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using qm::app::TfrmFileDateOptions;
using qm::app::TfrmFolderList;
using qm::app::TfrmMain;
using qm::app::TfrmMaskList;
using qm::results::EntryStatus;
using qm::results::ResultTree;
using qm::test::Content;
using qm::test::TempTree;

namespace {

// Runs action on the first modal dialog that shows, from inside its event loop. Ran() tells
// whether one showed; the timer goes with the script.
class ModalScript {
public:
    explicit ModalScript(std::function<void(QDialog*)> action) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this, action = std::move(action)] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                m_timer.stop();
                m_ran = true;
                action(dialog);
            }
        });
        m_timer.start();
    }
    bool Ran() const { return m_ran; }

private:
    QTimer m_timer;
    bool m_ran = false;
};

// Ticks a folder in a folder dialog's tree as the user does: current node, space bar.
void TickInDialog(TfrmFolderList* dialog, const std::string& folder) {
    const QModelIndex node =
        dialog->Picker()->Model()->LocateNode(QFile::decodeName(folder.c_str()));
    QVERIFY(node.isValid());
    dialog->DirLB->setCurrentIndex(node);
    QTest::keyClick(dialog->DirLB, Qt::Key_Space);
}

void AddMask(TfrmMaskList* dialog, const QString& mask) {
    dialog->NewMaskEdit->setText(mask);
    QTest::mouseClick(dialog->AddBtn, Qt::LeftButton);
}

// Fires an entry point: a button or a menu item.
void Fire(QObject* entry) {
    if (auto* action = qobject_cast<QAction*>(entry)) {
        action->trigger();
    } else if (auto* button = qobject_cast<QAbstractButton*>(entry)) {
        button->click();
    }
}

QString Lines(const QStringList& lines) {
    return lines.join(QLatin1Char('\n'));
}

const qm::platform::LocalDateTime kJune = {2024, 6, 10, 12, 0, 0};
const qm::platform::LocalDateTime kLongAgo = {2010, 3, 1, 12, 0, 0};

// Equal files that a search lists as sets, and those each scope setting takes out: a folder to
// exclude, a folder matching a folder mask, files matching a file mask, files outside June 2024.
std::unique_ptr<TempTree> ScopeTree() {
    const auto june = [](const char* bytes) { return Content(bytes).WithMTimeLocal(kJune); };
    return std::make_unique<TempTree>(std::initializer_list<qm::test::TreeEntry>{
        {"a/same.txt", june("AAAA")},
        {"b/same.txt", june("AAAA")},
        {"skip/same.txt", june("AAAA")},
        {"web cache/same.txt", june("AAAA")},
        {"a/run.log", june("LOG!")},
        {"b/run.log", june("LOG!")},
        {"a/old.dat", Content("OLD").WithMTimeLocal(kLongAgo)},
        {"b/old.dat", Content("OLD").WithMTimeLocal(kLongAgo)},
    });
}

}  // namespace

class MainFormScopeTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void EntryPointsOpenTheirDialogs_data();
    void EntryPointsOpenTheirDialogs();
    void ExcludedFoldersButtonWaitsForItsDialog();
    void BlockedFileCheckRunsWhateverTheAnswer();
    void SearchHonoursWhatTheDialogsSet();
    void ListsGoThroughTheSettingsFile();

private:
    void Prepare(const std::string& root) {
        w->AddSearchPath(root);
        const auto& rows = w->FilterTable().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].mask == "*.*") {
                w->FilterSG->item(static_cast<int>(i), 0)->setCheckState(Qt::Checked);
            }
        }
        w->SetFCMItemIndex(0);
        QVERIFY(w->SearchBtn->isEnabled());
    }
    void Search() { QTest::mouseClick(w->SearchBtn, Qt::LeftButton); }
    // The results as text: "key", "  head" and "    other" rows, paths relative to root; a
    // blocked row carries " B".
    QString Dump(const std::string& root) const {
        QStringList lines;
        for (const ResultTree::Node& node : w->DupeModel()->Tree().Nodes()) {
            if (node.level == 0) {
                lines << QString::fromStdString(node.entry.Key);
                continue;
            }
            std::string path = node.entry.FullPath();
            if (path.rfind(root, 0) == 0) {
                path = path.substr(root.size());
            }
            QString line = QString(node.level * 2, QLatin1Char(' ')) + QString::fromStdString(path);
            if (node.entry.Status == EntryStatus::Blocked) {
                line += QStringLiteral(" B");
            }
            lines << line;
        }
        return Lines(lines);
    }

    std::unique_ptr<qm::test::ScriptedPrompter> prompter;
    std::unique_ptr<TfrmMain> w;
};

void MainFormScopeTest::init() {
    prompter = std::make_unique<qm::test::ScriptedPrompter>();
    w = std::make_unique<TfrmMain>(prompter.get());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void MainFormScopeTest::cleanup() {
    QCOMPARE(prompter->unexpected, 0);
    QVERIFY(prompter->ScriptUsedUp());
    w.reset();
    prompter.reset();
}

void MainFormScopeTest::EntryPointsOpenTheirDialogs_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("dialog");
    const QString excludedHint = QStringLiteral(
        "Any files located in the these folder(s) will be ignored from duplicate file search.");
    const QString blockedHint = QStringLiteral(
        "Any files located in these folder(s) will not be allowed to be moved or deleted.");
    const QString fileMaskHint = QStringLiteral(
        "Exclude all files that match a certain mask. For example: exclude all files that match "
        "\"*.log\" or \"*.tmp\".");
    const QString folderMaskHint = QStringLiteral(
        "Exclude all folders that match a certain mask. For example: exclude all folders that "
        "contain \"system32\".");
    QTest::newRow("excluded folders button")
        << "FolderExcludeBtn"
        << "Excluded Folders"
        << "Select which folders to ignore from scan (recycle bin, windows etc) are good items to "
           "place here."
        << "frmIgnoreList";
    QTest::newRow("excluded folders menu item")
        << "IgnoredFolderAction"
        << "&Excluded Folders" << excludedHint << "frmIgnoreList";
    QTest::newRow("blocked folders button")
        << "BlockedFolderBtn" << QString() << blockedHint << "frmBlockedList";
    QTest::newRow("blocked folders menu item")
        << "BlockedFolderAction"
        << "&Blocked Folders" << blockedHint << "frmBlockedList";
    QTest::newRow("date button")
        << "DateOptionsBtn"
        << "File Date Options"
        << "Limit the file scan to a certain date when the file was last accessed, created or "
           "modified."
        << "frmFileDateOptions";
    QTest::newRow("file mask button")
        << "ExcludeFileMaskBtn"
        << "Exclude File Mask" << fileMaskHint << "frmExcludeFileMask";
    QTest::newRow("file mask menu item")
        << "ExcludeFileMaskItem"
        << "Exclude File Mask" << fileMaskHint << "frmExcludeFileMask";
    QTest::newRow("folder mask button")
        << "ExcludeFolderMaskBtn"
        << "Exclude Folder Mask" << folderMaskHint << "frmExcludeFolderMask";
    QTest::newRow("folder mask menu item")
        << "ExcludeFolderMaskItem"
        << "Exclude Folder Mask" << folderMaskHint << "frmExcludeFolderMask";
}

void MainFormScopeTest::EntryPointsOpenTheirDialogs() {
    QFETCH(QString, entry);
    QFETCH(QString, text);
    QFETCH(QString, hint);
    QFETCH(QString, dialog);
    QObject* control = w->findChild<QObject*>(entry);
    QVERIFY(control);
    if (auto* action = qobject_cast<QAction*>(control)) {
        QVERIFY(w->OptionsMenu->actions().contains(action));
        QCOMPARE(action->text(), text);
        QCOMPARE(action->statusTip(), hint);
    } else {
        auto* button = qobject_cast<QAbstractButton*>(control);
        QVERIFY(button);
        if (!text.isEmpty()) {
            QCOMPARE(button->text(), text);
        }
        QCOMPARE(button->toolTip(), hint);
        QVERIFY(button->isEnabled());
    }

    // Each opening makes a new modal dialog, gone once it is closed.
    for (int opening = 0; opening < 2; ++opening) {
        QString shown;
        ModalScript script([&](QDialog* open) {
            shown = open->objectName();
            QVERIFY(open->isModal());
            QTest::keyClick(open, Qt::Key_Escape);
        });
        Fire(control);
        QVERIFY(script.Ran());
        QCOMPARE(shown, dialog);
        QTRY_VERIFY(w->findChildren<QDialog*>().isEmpty());
    }
}

void MainFormScopeTest::ExcludedFoldersButtonWaitsForItsDialog() {
    for (QObject* entry :
         std::initializer_list<QObject*>{w->FolderExcludeBtn, w->IgnoredFolderAction}) {
        bool disabledWhileOpen = false;
        ModalScript script([&](QDialog* dialog) {
            disabledWhileOpen = !w->FolderExcludeBtn->isEnabled();
            QTest::mouseClick(qobject_cast<TfrmFolderList*>(dialog)->OkBtn, Qt::LeftButton);
        });
        Fire(entry);
        QVERIFY(script.Ran());
        QVERIFY(disabledWhileOpen);
        QVERIFY(w->FolderExcludeBtn->isEnabled());
    }
}

void MainFormScopeTest::BlockedFileCheckRunsWhateverTheAnswer() {
    auto files = ScopeTree();
    Prepare(files->Root());
    Search();
    const QString unblocked = Dump(files->Root());
    QVERIFY(unblocked.contains(QStringLiteral("b/same.txt")));
    QVERIFY(!unblocked.contains(QStringLiteral(" B")));

    // The list changed behind the dialog (as a settings file does); Cancel changes nothing, yet
    // the rows follow the list once the dialog is gone.
    w->BlockedList().Add(files->Path("b/"));
    QStringList statusSeen;
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] { statusSeen << w->StatusText(); });
    ModalScript cancel([&](QDialog* dialog) {
        statusSeen.clear();
        QTest::mouseClick(qobject_cast<TfrmFolderList*>(dialog)->CancelBtn, Qt::LeftButton);
    });
    QTest::mouseClick(w->BlockedFolderBtn, Qt::LeftButton);
    QVERIFY(cancel.Ran());
    QCOMPARE(w->BlockedList().Items(), std::vector<std::string>{files->Path("b/")});
    QVERIFY(statusSeen.contains(QString::fromUtf8(qm::results::kCheckingBlockedText)));
    const QString blockedB = Dump(files->Root());
    QVERIFY(blockedB.contains(QStringLiteral("b/same.txt B")));
    QVERIFY(blockedB.contains(QStringLiteral("b/run.log B")));
    QVERIFY(!blockedB.contains(QStringLiteral("a/same.txt B")));

    // Through the menu: b/ unticked, a/ ticked, OK.
    ModalScript swap([&](QDialog* dialog) {
        auto* folders = qobject_cast<TfrmFolderList*>(dialog);
        TickInDialog(folders, files->Path("b"));
        TickInDialog(folders, files->Path("a"));
        QTest::mouseClick(folders->OkBtn, Qt::LeftButton);
    });
    w->BlockedFolderAction->trigger();
    w->SearchHost().SetYieldHook({});
    QVERIFY(swap.Ran());
    QCOMPARE(w->BlockedList().Items(), std::vector<std::string>{files->Path("a/")});
    const QString blockedA = Dump(files->Root());
    QVERIFY(blockedA.contains(QStringLiteral("a/same.txt B")));
    QVERIFY(!blockedA.contains(QStringLiteral("b/same.txt B")));
    QVERIFY(w->StatusText().isEmpty());
}

void MainFormScopeTest::SearchHonoursWhatTheDialogsSet() {
    auto files = ScopeTree();
    Prepare(files->Root());
    Search();
    // Without a scope, every set is there.
    QCOMPARE(Dump(files->Root()),
             Lines({"*.DAT", "  a/old.dat", "    b/old.dat", "*.LOG", "  a/run.log",
                    "    b/run.log", "*.TXT", "  a/same.txt", "    b/same.txt", "    skip/same.txt",
                    "    web cache/same.txt"}));
    w->HideOptionsBtn->click();

    ModalScript ignore([&](QDialog* dialog) {
        auto* folders = qobject_cast<TfrmFolderList*>(dialog);
        TickInDialog(folders, files->Path("skip"));
        QTest::mouseClick(folders->OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(w->FolderExcludeBtn, Qt::LeftButton);
    QVERIFY(ignore.Ran());

    ModalScript fileMask([&](QDialog* dialog) {
        auto* masks = qobject_cast<TfrmMaskList*>(dialog);
        AddMask(masks, QStringLiteral("*.LOG"));
        QTest::mouseClick(masks->OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(w->ExcludeFileMaskBtn, Qt::LeftButton);
    QVERIFY(fileMask.Ran());

    ModalScript folderMask([&](QDialog* dialog) {
        auto* masks = qobject_cast<TfrmMaskList*>(dialog);
        AddMask(masks, QStringLiteral("*cache*"));
        QTest::mouseClick(masks->OkBtn, Qt::LeftButton);
    });
    QTest::mouseClick(w->ExcludeFolderMaskBtn, Qt::LeftButton);
    QVERIFY(folderMask.Ran());

    ModalScript dates([&](QDialog* dialog) {
        auto* date = qobject_cast<TfrmFileDateOptions*>(dialog);
        date->UseDateCB->setChecked(true);
        date->DateCB->setCurrentIndex(0);
        date->DP1->setDateTime(QDateTime(QDate(2024, 6, 1), QTime(0, 0)));
        date->DP2->setDateTime(QDateTime(QDate(2024, 6, 30), QTime(23, 59, 59)));
        QTest::mouseClick(date->OKBtn, Qt::LeftButton);
    });
    QTest::mouseClick(w->DateOptionsBtn, Qt::LeftButton);
    QVERIFY(dates.Ran());

    QCOMPARE(w->IgnoreList().Items(), std::vector<std::string>{files->Path("skip/")});
    QCOMPARE(w->ExcludeFileMasks().Items(), std::vector<std::string>{"*.LOG"});
    QCOMPARE(w->ExcludeFolderMasks().Items(), std::vector<std::string>{"*cache*"});
    QVERIFY(w->CurrentCriteria().dateRange.enabled);
    Search();
    QCOMPARE(Dump(files->Root()), Lines({"*.TXT", "  a/same.txt", "    b/same.txt"}));
}

void MainFormScopeTest::ListsGoThroughTheSettingsFile() {
    auto files = ScopeTree();
    ModalScript ignore([&](QDialog* dialog) {
        auto* folders = qobject_cast<TfrmFolderList*>(dialog);
        TickInDialog(folders, files->Path("skip"));
        folders->ScanSubFoldersCB->setChecked(true);
        QTest::mouseClick(folders->OkBtn, Qt::LeftButton);
    });
    w->IgnoredFolderAction->trigger();
    QVERIFY(ignore.Ran());
    ModalScript blocked([&](QDialog* dialog) {
        auto* folders = qobject_cast<TfrmFolderList*>(dialog);
        TickInDialog(folders, files->Path("a"));
        TickInDialog(folders, files->Path("web cache"));
        QTest::mouseClick(folders->OkBtn, Qt::LeftButton);
    });
    w->BlockedFolderAction->trigger();
    QVERIFY(blocked.Ran());
    for (QAction* item : {w->ExcludeFileMaskItem, w->ExcludeFolderMaskItem}) {
        ModalScript masks([&](QDialog* dialog) {
            auto* list = qobject_cast<TfrmMaskList*>(dialog);
            AddMask(list, QStringLiteral("*.tmp"));
            AddMask(list, QStringLiteral(" two words "));
            QTest::mouseClick(list->OkBtn, Qt::LeftButton);
        });
        item->trigger();
        QVERIFY(masks.Ran());
    }
    ModalScript dates([&](QDialog* dialog) {
        auto* date = qobject_cast<TfrmFileDateOptions*>(dialog);
        date->UseDateCB->setChecked(true);
        QTest::mouseClick(date->OKBtn, Qt::LeftButton);
    });
    w->DateOptionsBtn->click();
    QVERIFY(dates.Ran());

    const qm::scope::SearchSettings saved = w->CurrentSettings();
    QCOMPARE(saved.ignoredFolders, std::vector<std::string>{files->Path("skip/")});
    QVERIFY(saved.ignoreSubFolders);
    QCOMPARE(saved.blockedFolders,
             (std::vector<std::string>{files->Path("a/"), files->Path("web cache/")}));
    QVERIFY(!saved.blockedSubFolders);
    const std::vector<std::string> masks = {" two words ", "*.tmp"};
    QCOMPARE(saved.excludedFileMasks, masks);
    QCOMPARE(saved.excludedFolderMasks, masks);

    // Written, read back into a new window (as at the next start): the same lists and flags, and
    // the dialogs show them; the date window is not part of it.
    const std::string ini = files->Path("Default.ini");
    qm::storage::SettingsFile file;
    file.search = saved;
    qm::storage::WriteSettingsFile(ini, file);
    w.reset();
    w = std::make_unique<TfrmMain>(prompter.get());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->ApplySettings(qm::storage::ReadSettingsFile(ini).search);
    const qm::scope::SearchSettings restored = w->CurrentSettings();
    QCOMPARE(restored.ignoredFolders, saved.ignoredFolders);
    QCOMPARE(restored.ignoreSubFolders, true);
    QCOMPARE(restored.blockedFolders, saved.blockedFolders);
    QCOMPARE(restored.excludedFileMasks, masks);
    QCOMPARE(restored.excludedFolderMasks, masks);
    QVERIFY(!w->CurrentCriteria().dateRange.enabled);

    ModalScript show([&](QDialog* dialog) {
        auto* folders = qobject_cast<TfrmFolderList*>(dialog);
        QVERIFY(folders->ScanSubFoldersCB->isChecked());
        QCOMPARE(folders->Picker()->Paths(), saved.ignoredFolders);
        QVERIFY(qm::app::IsNodeTicked(folders->Picker()->Model()->LocateNode(
            QFile::decodeName(files->Path("skip").c_str()))));
        QTest::mouseClick(folders->CancelBtn, Qt::LeftButton);
    });
    w->FolderExcludeBtn->click();
    QVERIFY(show.Ran());
    ModalScript showMasks([&](QDialog* dialog) {
        auto* list = qobject_cast<TfrmMaskList*>(dialog);
        QCOMPARE(list->Masks(), masks);
        QCOMPARE(list->MaskLB->count(), 2);
        QTest::mouseClick(list->CancelBtn, Qt::LeftButton);
    });
    w->ExcludeFolderMaskBtn->click();
    QVERIFY(showMasks.Ran());
}

QTEST_MAIN(MainFormScopeTest)
#include "MainFormScopeTest.moc"
