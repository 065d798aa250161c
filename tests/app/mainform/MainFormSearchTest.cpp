// The search run from the main window, the results view it leads to, marking in that view and the
// statistics: the real window driven through its controls over temporary folder trees.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/mainform/MainForm.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeMenus.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/widgets/MarkupStatusBar.h"
#include "app/widgets/PathListBox.h"
#include "foundation/Error.h"
#include "platform/FileSystem.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using qm::app::DupeTreeModel;
using qm::app::TfrmMain;
using qm::results::EntryStatus;
using qm::results::ResultTree;
using qm::test::Content;
using qm::test::TempTree;

namespace {

// Seven files in three folders: two content sets (*.TXT and *.JPG), a file of the same size as one
// set but other bytes, a same-named file of another size, and a lone file.
std::unique_ptr<TempTree> MethodTree() {
    return std::make_unique<TempTree>(std::initializer_list<qm::test::TreeEntry>{
        {"a/same.txt", Content("AAAA")},
        {"b/same.txt", Content("AAAA")},
        {"a/other.txt", Content("BBBB")},
        {"c/same.txt", Content("CCCCCC")},
        {"a/pic.jpg", Content("JPEG-DATA")},
        {"b/copy.jpg", Content("JPEG-DATA")},
        {"c/lone.dat", Content("nothing like it")},
    });
}

// The folder walk fails with an error of the system's hierarchy.
class ThrowingFileSystem : public qm::platform::FileSystem {
public:
    bool ListFolder(const std::string&, qm::platform::ListDetail,
                    std::vector<qm::platform::DirEntry>&) override {
        throw qm::Error("Disk on fire");
    }
    qm::platform::FileFacts Stat(const std::string& path) override {
        return qm::platform::SystemFileSystem().Stat(path);
    }
    std::unique_ptr<qm::platform::ReadableFile> OpenForRead(const std::string& path) override {
        return qm::platform::SystemFileSystem().OpenForRead(path);
    }
};

const QString kInProgress = QStringLiteral("In Progress");

QString Lines(const QStringList& lines) {
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

class MainFormSearchTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void MethodsShowTheirSets_data();
    void MethodsShowTheirSets();
    void NothingFound();
    void AbortDuringEachStage_data();
    void AbortDuringEachStage();
    void LockAndUnlockLists();
    void CloseQuestion_data();
    void CloseQuestion();
    void CloseWhileWindingDownIsDeferred();
    void FailedSearchShowsErrorAndUnlocks();
    void Marking();
    void BlockedNoteShowsTheNameLiterally();
    void ViewsAndHintLine();
    void StatusPathIsLiteral();

private:
    // Lists root and ticks the "*.*" filter, then sets the method.
    void Prepare(const std::string& root, int method = 0) {
        w->AddSearchPath(root);
        const int global = RowOfMask("*.*");
        QVERIFY(global >= 0);
        w->FilterSG->item(global, 0)->setCheckState(Qt::Checked);
        QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.*"));
        w->SetFCMItemIndex(method);
        QVERIFY(w->SearchBtn->isEnabled());
    }
    int RowOfMask(const std::string& mask) const {
        const auto& rows = w->FilterTable().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].mask == mask) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    void Search() { QTest::mouseClick(w->SearchBtn, Qt::LeftButton); }

    // The tree as text: "key" for a root, "  path" for a set head, "    path" for its other files,
    // paths relative to root; a checked row carries "+", a blocked one "B".
    QString Dump(const std::string& root) const {
        QStringList lines;
        const ResultTree& tree = w->DupeModel()->Tree();
        for (const ResultTree::Node& node : tree.Nodes()) {
            if (node.level == 0) {
                lines << QString::fromStdString(node.entry.Key);
                continue;
            }
            std::string path = node.entry.FullPath();
            if (path.rfind(root, 0) == 0) {
                path = path.substr(root.size());
            }
            QString line = QString(node.level * 2, QLatin1Char(' ')) + QString::fromStdString(path);
            if (node.checked) {
                line += QStringLiteral(" +");
            }
            if (node.entry.Status == EntryStatus::Blocked) {
                line += QStringLiteral(" B");
            }
            lines << line;
        }
        return lines.join(QLatin1Char('\n'));
    }
    // The node of a file row by its path relative to root.
    ResultTree::NodeId NodeOfPath(const std::string& root, const std::string& relative) const {
        const ResultTree& tree = w->DupeModel()->Tree();
        for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
            const auto& node = tree.At(static_cast<ResultTree::NodeId>(i));
            if (node.level >= 1 && node.entry.FullPath() == root + relative) {
                return static_cast<ResultTree::NodeId>(i);
            }
        }
        return ResultTree::kNoNode;
    }
    // Presses the space bar on a file row's check box, as the user does.
    void SpaceOnRow(ResultTree::NodeId node) {
        QModelIndex index = w->DupeModel()->IndexOf(node, 0);
        QVERIFY(index.isValid());
        w->DupeTV->expand(index.parent());
        w->DupeTV->setCurrentIndex(index);
        QTest::keyClick(w->DupeTV, Qt::Key_Space);
    }
    // Selects a row (the context menu's items act on it).
    void SelectRow(ResultTree::NodeId node) {
        const QModelIndex index = w->DupeModel()->IndexOf(node, 0);
        w->DupeTV->expand(index.parent());
        w->DupeTV->setCurrentIndex(index);
        w->DupeTV->selectionModel()->select(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    // The controls LockSearchControls disables (menus apart).
    std::vector<QWidget*> LockedControls() const {
        return {w->DirLB,
                w->RemoveDirBtn,
                w->ClearAllBtn,
                w->PathLB,
                w->ScanHiddenCB,
                w->ScanSubFoldersCB,
                w->DepthEdit,
                w->MinSizeEdit,
                w->MinSizeCB,
                w->MaxSizeEdit,
                w->FCM,
                w->FolderExcludeBtn,
                w->DateOptionsBtn,
                w->ExcludeFileMaskBtn,
                w->ExcludeFolderMaskBtn,
                w->FilterSG,
                w->ClearAllFiltersBtn,
                w->SelectAllFiltersBtn,
                w->EditFilterBtn,
                w->DeleteFilterBtn,
                w->NewFilterBtn,
                w->RestoreFilterBtn,
                w->SearchBtn,
                w->ExitBtn,
                w->DupeTV};
    }
    // The controls UnlockSearchControls enables (menus apart).
    std::vector<QWidget*> UnlockedControls() const {
        return {w->DirLB,
                w->RemoveDirBtn,
                w->ClearAllBtn,
                w->PathLB,
                w->PreviewImageCB,
                w->ScanHiddenCB,
                w->ScanSubFoldersCB,
                w->HideOptionsBtn,
                w->DepthEdit,
                w->MinSizeEdit,
                w->MinSizeCB,
                w->MaxSizeEdit,
                w->FCM,
                w->FolderExcludeBtn,
                w->DateOptionsBtn,
                w->ExcludeFileMaskBtn,
                w->ExcludeFolderMaskBtn,
                w->FilterSG,
                w->ClearAllFiltersBtn,
                w->SelectAllFiltersBtn,
                w->NewFilterBtn,
                w->RestoreFilterBtn,
                w->SearchBtn,
                w->ExitBtn,
                w->DupeTV,
                w->EditFilterBtn,
                w->DeleteFilterBtn};
    }
    void VerifyIdleControls() {
        for (QWidget* control : UnlockedControls()) {
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        }
        for (QMenu* menu : {w->FileMenu, w->OptionsMenu, w->HelpMenu}) {
            // A menu kept out of the menu bar (Help, until it has items) counts as disabled.
            QVERIFY2(menu->menuAction()->isEnabled() || !menu->menuAction()->isVisible(),
                     qPrintable(menu->objectName()));
        }
        QVERIFY(!w->SearchBtn->isHidden());
        QVERIFY(w->AbortSearchBtn->isHidden());
        QVERIFY(!w->AbortSearchBtn->isEnabled());
        QVERIFY(!w->SearchInProgress);
        QVERIFY(!w->SearchRunning());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }
    QString StatisticsPrefix(const QString& counts) const {
        return counts + QStringLiteral("Search completed in 0 hour(s) 0 minute(s) and ");
    }

    std::unique_ptr<qm::test::ScriptedPrompter> prompter;
    std::unique_ptr<TfrmMain> w;
};

void MainFormSearchTest::init() {
    prompter = std::make_unique<qm::test::ScriptedPrompter>();
    w = std::make_unique<TfrmMain>(prompter.get());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void MainFormSearchTest::cleanup() {
    QCOMPARE(prompter->unexpected, 0);
    QVERIFY(prompter->ScriptUsedUp());
    w.reset();
    prompter.reset();
}

void MainFormSearchTest::MethodsShowTheirSets_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("statistics");
    // Sets in list order, which leaves the extension keys in order; every set head is the first
    // file of its set.
    QTest::newRow("Contents Only") << 0 << QStringList{"*.JPG", "  a/pic.jpg",  "    b/copy.jpg",
                                                       "*.TXT", "  a/same.txt", "    b/same.txt"}
                                   << "26 bytes in 4 file(s) listed. [13 bytes duplicated in 2 "
                                      "file(s).] ";
    QTest::newRow("Size Only") << 1
                               << QStringList{"*.JPG",         "  a/pic.jpg",   "    b/copy.jpg",
                                              "*.TXT",         "  a/other.txt", "    a/same.txt",
                                              "    b/same.txt"}
                               << "30 bytes in 5 file(s) listed. [17 bytes duplicated in 3 "
                                  "file(s).] ";
    QTest::newRow("Name Only") << 2
                               << QStringList{"*.TXT", "  a/same.txt", "    b/same.txt",
                                              "    c/same.txt"}
                               << "14 bytes in 3 file(s) listed. [10 bytes duplicated in 2 "
                                  "file(s).] ";
    QTest::newRow("Name And Size") << 3 << QStringList{"*.TXT", "  a/same.txt", "    b/same.txt"}
                                   << "8 bytes in 2 file(s) listed. [4 bytes duplicated in 1 "
                                      "file(s).] ";
    QTest::newRow("Contents And Name")
        << 4 << QStringList{"*.TXT", "  a/same.txt", "    b/same.txt"}
        << "8 bytes in 2 file(s) listed. [4 bytes duplicated in 1 file(s).] ";
}

void MainFormSearchTest::MethodsShowTheirSets() {
    QFETCH(int, method);
    QFETCH(QStringList, tree);
    QFETCH(QString, statistics);
    auto files = MethodTree();
    Prepare(files->Root(), method);

    Search();

    QCOMPARE(Dump(files->Root()), tree.join(QLatin1Char('\n')));
    QVERIFY(w->SearchResultsPanel->isVisible());
    QVERIFY(!w->OptionsPanel->isVisible());
    QVERIFY(w->DupeTV->isEnabled());
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(w->DupeTV));
    QCOMPARE(w->DupeInfoLbl->text().left(StatisticsPrefix(statistics).size()),
             StatisticsPrefix(statistics));
    QCOMPARE(w->StatusText(), QStringLiteral("Duplicate file search complete."));
    QVERIFY(!w->HintLineInstalled());
    QCOMPARE(w->SB->Panel0Width(), 0);
    QVERIFY(!w->DeleteMarkedBtn->isEnabled());
    QVERIFY(prompter->messages.empty());
    VerifyIdleControls();

    // The progress panel stays up with the final counts.
    QVERIFY(w->InfoPanel->isVisible());
    for (QLabel* step : {w->Step1Lbl, w->Step2Lbl, w->Step3Lbl}) {
        QCOMPARE(step->text(), QStringLiteral("Done"));
    }
    QCOMPARE(w->FoldersScannedLbl->text(), QStringLiteral("4"));
    QCOMPARE(w->FilesScannedLbl->text(), QStringLiteral("7"));
    QCOMPARE(w->FoldersIgnoredLbl->text(), QStringLiteral("0"));
    QCOMPARE(w->FilesIgnoredLbl->text(), QStringLiteral("0"));

    // Roots expanded, sets collapsed.
    const QModelIndex firstRoot = w->DupeModel()->index(0, 0);
    QVERIFY(w->DupeTV->isExpanded(firstRoot));
    QVERIFY(!w->DupeTV->isExpanded(w->DupeModel()->index(0, 0, firstRoot)));
}

void MainFormSearchTest::NothingFound() {
    auto files = MethodTree();
    Prepare(files->Root(), 0);
    Search();
    const QString before = w->DupeInfoLbl->text();
    QVERIFY(!before.isEmpty());

    // c/ alone holds no two files with the same bytes.
    w->ClearAllBtnClick();
    w->AddSearchPath(files->Path("c/"));
    w->HideOptionsBtnClick();
    Search();

    QCOMPARE(prompter->messages.size(), std::size_t{1});
    const QString message = QString::fromStdString(prompter->messages[0]);
    QVERIFY2(message.startsWith(QStringLiteral(
                 "No duplicate files were found for the selected search criteria.\r\n\r\n"
                 "Search completed in 0 hour(s) 0 minute(s) and ")),
             qPrintable(message));
    QVERIFY(message.endsWith(QStringLiteral(" second(s).")));
    QVERIFY(w->OptionsPanel->isVisible());
    QVERIFY(!w->SearchResultsPanel->isVisible());
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(w->DirLB));
    // The statistics still ran: the nothing-found status line; the label keeps its text.
    QCOMPARE(w->StatusText(),
             QStringLiteral("<B>Duplicate file search complete. </B>No duplicate files were found "
                            "with the selected search criteria."));
    QCOMPARE(w->DupeInfoLbl->text(), before);
    QCOMPARE(w->DupeModel()->rowCount(), 0);
    // The earlier results are gone, so nothing to return to.
    QVERIFY(!w->ViewResultsPanel->isVisible());
    VerifyIdleControls();
}

void MainFormSearchTest::AbortDuringEachStage_data() {
    QTest::addColumn<int>("stage");
    QTest::newRow("folder scan") << 1;
    QTest::newRow("file scan") << 2;
    QTest::newRow("file comparison") << 3;
}

void MainFormSearchTest::AbortDuringEachStage() {
    QFETCH(int, stage);
    auto files = MethodTree();
    Prepare(files->Root(), 0);
    // A first search leaves a label text that the aborted one must not replace.
    Search();
    const QString statistics = w->DupeInfoLbl->text();
    w->HideOptionsBtnClick();

    QLabel* const stepLabel = stage == 1 ? w->Step1Lbl : stage == 2 ? w->Step2Lbl : w->Step3Lbl;
    bool clicked = false;
    bool abortUsable = false;
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] {
        if (!clicked && stepLabel->text() == kInProgress) {
            clicked = true;
            abortUsable = w->AbortSearchBtn->isVisible() && w->AbortSearchBtn->isEnabled();
            QTest::mouseClick(w->AbortSearchBtn, Qt::LeftButton);
        }
    });
    Search();
    w->SearchHost().SetYieldHook({});

    QVERIFY(clicked);
    QVERIFY(abortUsable);
    QVERIFY(w->AbortRequested);
    QCOMPARE(w->StatusText(), QStringLiteral("<B>Scan aborted.</B>"));
    QCOMPARE(w->SB->Panel0Width(), 0);
    QCOMPARE(w->DupeModel()->rowCount(), 0);
    QCOMPARE(w->DupeInfoLbl->text(), statistics);
    QVERIFY(w->OptionsPanel->isVisible());
    QVERIFY(!w->SearchResultsPanel->isVisible());
    QVERIFY(!w->ViewResultsPanel->isVisible());
    QVERIFY(prompter->messages.empty());
    QVERIFY(prompter->errors.empty());
    VerifyIdleControls();

    // The next search runs normally again.
    Search();
    QVERIFY(!w->AbortRequested);
    QVERIFY(w->SearchResultsPanel->isVisible());
    QCOMPARE(w->DupeModel()->Tree().FileRowCount(), std::size_t{4});
}

void MainFormSearchTest::LockAndUnlockLists() {
    auto files = MethodTree();
    Prepare(files->Root(), 0);
    // "Scan Sub Folders" unticked disables the depth; the search enables it all the same.
    w->ScanSubFoldersCB->setChecked(false);
    QVERIFY(!w->DepthEdit->isEnabled());
    w->AddSearchPath(files->Path("a/"));
    w->AddSearchPath(files->Path("b/"));

    QStringList stillEnabled;
    bool seen = false;
    bool abortReady = false;
    bool menusLocked = true;
    bool waitCursor = false;
    bool searching = false;
    w->SearchHost().SetYieldHook([&] {
        if (seen) {
            return;
        }
        seen = true;
        for (QWidget* control : LockedControls()) {
            if (control->isEnabled()) {
                stillEnabled << control->objectName();
            }
        }
        for (QMenu* menu : {w->FileMenu, w->OptionsMenu, w->HelpMenu}) {
            menusLocked = menusLocked && !menu->menuAction()->isEnabled();
        }
        abortReady = w->AbortSearchBtn->isVisible() && w->AbortSearchBtn->isEnabled() &&
                     !w->SearchBtn->isVisible();
        waitCursor = QApplication::overrideCursor() != nullptr &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        searching = w->SearchInProgress && !w->AbortRequested && w->InfoPanel->isVisible();
        // The progress panel's own close button stays usable.
        QVERIFY(w->InfoPanelCloseBtn->isEnabled());
    });
    w->SearchHost().SetMinYieldInterval(0);
    Search();
    w->SearchHost().SetYieldHook({});

    QVERIFY(seen);
    QCOMPARE(stillEnabled, QStringList());
    QVERIFY(menusLocked);
    QVERIFY(abortReady);
    QVERIFY(waitCursor);
    QVERIFY(searching);
    VerifyIdleControls();
    QVERIFY(!w->ScanSubFoldersCB->isChecked());
    QVERIFY(w->DepthEdit->isEnabled());
    // Sub folders were not scanned: the root alone has no files; a/ and b/ hold one set each.
    QCOMPARE(Dump(files->Root()), Lines({"*.JPG", "  a/pic.jpg", "    b/copy.jpg", "*.TXT",
                                         "  a/same.txt", "    b/same.txt"}));

    // Edit and Delete follow the filter table, not the cursor.
    w->SetFilterGridRow(0);
    w->UnlockSearchControls();
    QVERIFY(w->EditFilterBtn->isEnabled());
    QVERIFY(w->DeleteFilterBtn->isEnabled());
}

void MainFormSearchTest::CloseQuestion_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void MainFormSearchTest::CloseQuestion() {
    QFETCH(bool, yes);
    auto files = MethodTree();
    Prepare(files->Root(), 0);
    prompter->Answer(yes);

    bool asked = false;
    bool visibleAfterClose = false;
    bool abortedInside = false;
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] {
        if (!asked && w->Step2Lbl->text() == kInProgress) {
            asked = true;
            w->close();
            // Nothing the search uses is gone: the window is still there and searching.
            visibleAfterClose = w->isVisible();
            abortedInside = w->AbortRequested;
        }
    });
    Search();
    w->SearchHost().SetYieldHook({});

    QVERIFY(asked);
    QCOMPARE(prompter->questions,
             std::vector<std::string>{"There is a search in progress.  Do you wish to abort the "
                                      "search and exit Quillmere?"});
    QVERIFY(visibleAfterClose);
    QCOMPARE(abortedInside, yes);
    if (yes) {
        // The search wound down first, then the window closed.
        QCOMPARE(w->StatusText(), QStringLiteral("<B>Scan aborted.</B>"));
        QCOMPARE(w->DupeModel()->rowCount(), 0);
        QVERIFY(!w->isVisible());
        VerifyIdleControls();
    } else {
        // The search went on untouched.
        QVERIFY(w->isVisible());
        QVERIFY(w->SearchResultsPanel->isVisible());
        QCOMPARE(Dump(files->Root()), Lines({"*.JPG", "  a/pic.jpg", "    b/copy.jpg", "*.TXT",
                                             "  a/same.txt", "    b/same.txt"}));
        // Idle, the window closes without a question.
        prompter->questions.clear();
        QVERIFY(w->close());
        QVERIFY(prompter->questions.empty());
    }
}

void MainFormSearchTest::CloseWhileWindingDownIsDeferred() {
    auto files = MethodTree();
    Prepare(files->Root(), 0);
    bool done = false;
    bool visibleAfterClose = false;
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] {
        if (!done && w->Step2Lbl->text() == kInProgress) {
            done = true;
            QTest::mouseClick(w->AbortSearchBtn, Qt::LeftButton);
            // No search counts as in progress any more, so no question; but the run is still on
            // the stack and the window waits for it.
            w->close();
            visibleAfterClose = w->isVisible();
        }
    });
    Search();
    QVERIFY(done);
    QVERIFY(prompter->questions.empty());
    QVERIFY(visibleAfterClose);
    QVERIFY(!w->isVisible());
}

void MainFormSearchTest::FailedSearchShowsErrorAndUnlocks() {
    auto files = MethodTree();
    Prepare(files->Root(), 0);
    ThrowingFileSystem failing;
    w->SetSearchFileSystem(&failing);

    Search();

    QCOMPARE(prompter->errors, std::vector<std::string>{"Disk on fire"});
    QVERIFY(prompter->messages.empty());
    VerifyIdleControls();
    for (QLabel* step : {w->Step1Lbl, w->Step2Lbl, w->Step3Lbl}) {
        QVERIFY(step->text() != kInProgress);
    }
    QCOMPARE(w->StatusText(), QString());
    QCOMPARE(w->SB->Panel0Width(), 0);
    QVERIFY(w->OptionsPanel->isVisible());
    QCOMPARE(w->DupeModel()->rowCount(), 0);

    // The window is not stuck: the next search with a working file system finds the sets.
    w->SetSearchFileSystem(nullptr);
    Search();
    QCOMPARE(w->DupeModel()->Tree().FileRowCount(), std::size_t{4});
}

void MainFormSearchTest::Marking() {
    TempTree files({
        {"a/one.txt", Content("one!")},
        {"b/one.txt", Content("one!")},
        {"keep/one.txt", Content("one!")},
        {"a/two.txt", Content("second")},
        {"b/two.txt", Content("second")},
        {"a/arch.tar.gz", Content("archive-bytes")},
        {"b/arch.tar.gz", Content("archive-bytes")},
    });
    const std::string root = files.Root();
    w->BlockedList().Add(files.Path("keep/"));
    Prepare(root, 0);
    Search();

    // Sets of 4-byte, 6-byte and 13-byte files: 12 + 12 + 26 bytes listed, 8 + 6 + 13 duplicated.
    const QString prefix =
        StatisticsPrefix("50 bytes in 7 file(s) listed. [27 bytes duplicated in 4 file(s).] ");
    QCOMPARE(w->DupeInfoLbl->text().left(prefix.size()), prefix);
    const QString fresh = Dump(root);
    QCOMPARE(fresh, Lines({"*.GZ", "  a/arch.tar.gz", "    b/arch.tar.gz", "*.TXT", "  a/one.txt",
                           "    b/one.txt", "    keep/one.txt B", "  a/two.txt", "    b/two.txt"}));

    // By box: a click checks, the statistics follow, the delete and move commands come on.
    SpaceOnRow(NodeOfPath(root, "b/two.txt"));
    QVERIFY(w->DupeModel()->Tree().At(NodeOfPath(root, "b/two.txt")).checked);
    QCOMPARE(w->StatusText(), QStringLiteral("1 file(s) selected (6 bytes total)"));
    QVERIFY(w->DeleteMarkedBtn->isEnabled());
    QVERIFY(w->MoveToFolderBtn->isEnabled());
    SpaceOnRow(NodeOfPath(root, "b/two.txt"));
    QCOMPARE(w->StatusText(), QStringLiteral("0 file(s) selected (0 bytes total)"));
    QVERIFY(!w->DeleteMarkedBtn->isEnabled());

    // A blocked row refuses.
    SpaceOnRow(NodeOfPath(root, "keep/one.txt"));
    QVERIFY(!w->DupeModel()->Tree().At(NodeOfPath(root, "keep/one.txt")).checked);
    QCOMPARE(w->SB->PlainText(), QStringLiteral("Note: one.txt can not be marked for deletion "
                                                "because it is in the blocked folder list."));

    // A removed row refuses too.
    const ResultTree::NodeId removed = NodeOfPath(root, "b/arch.tar.gz");
    w->DupeModel()->ModifyRecords(
        [&](ResultTree& tree) { tree.At(removed).entry.Status = EntryStatus::Removed; });
    SpaceOnRow(removed);
    QCOMPARE(w->StatusText(), QStringLiteral("The file has been deleted or moved already."));
    QVERIFY(!w->DupeModel()->Tree().At(removed).checked);

    // Mark all: every file but the set heads, the blocked one excepted.
    QTest::mouseClick(w->MarkAllBtn, Qt::LeftButton);
    QCOMPARE(Dump(root),
             Lines({"*.GZ", "  a/arch.tar.gz", "    b/arch.tar.gz +", "*.TXT", "  a/one.txt",
                    "    b/one.txt +", "    keep/one.txt B", "  a/two.txt", "    b/two.txt +"}));
    QCOMPARE(w->StatusText(), QStringLiteral("3 file(s) selected (23 bytes total)"));
    QVERIFY(w->DeleteMarkedBtn->isEnabled());

    // Unmark all.
    QTest::mouseClick(w->UnMarkAllBtn, Qt::LeftButton);
    QCOMPARE(Dump(root), fresh);
    QCOMPARE(w->StatusText(), QStringLiteral("0 file(s) selected (0 bytes total)"));
    QVERIFY(!w->DeleteMarkedBtn->isEnabled());

    // By folder, from the context menu of a row in a/: the set heads in a/ are marked too.
    SelectRow(NodeOfPath(root, "a/two.txt"));
    QVERIFY(w->DupeTV->MenuForContextPopup() != nullptr);
    w->DupeTV->MarkAllInDirItem()->trigger();
    QCOMPARE(Dump(root),
             Lines({"*.GZ", "  a/arch.tar.gz +", "    b/arch.tar.gz", "*.TXT", "  a/one.txt +",
                    "    b/one.txt", "    keep/one.txt B", "  a/two.txt +", "    b/two.txt"}));
    QCOMPARE(w->StatusText(), QStringLiteral("3 file(s) selected (23 bytes total)"));
    w->DupeTV->UnMarkAllInDirItem()->trigger();
    QCOMPARE(Dump(root), fresh);

    // By double extension: both copies of arch.tar.gz, except the removed one (Status not None).
    w->DupeTV->MarkDoubleExtensionItem()->trigger();
    QCOMPARE(Dump(root),
             Lines({"*.GZ", "  a/arch.tar.gz +", "    b/arch.tar.gz", "*.TXT", "  a/one.txt",
                    "    b/one.txt", "    keep/one.txt B", "  a/two.txt", "    b/two.txt"}));
    QCOMPARE(w->StatusText(), QStringLiteral("1 file(s) selected (13 bytes total)"));

    // A root row opens no context menu.
    SelectRow(w->DupeModel()->Tree().Root(0));
    QVERIFY(w->DupeTV->MenuForContextPopup() == nullptr);

    // A new blocked folder applies to Mark all at once.
    w->BlockedList().Add(files.Path("b/"));
    QTest::mouseClick(w->MarkAllBtn, Qt::LeftButton);
    QCOMPARE(w->StatusText(), QStringLiteral("1 file(s) selected (13 bytes total)"));
}

void MainFormSearchTest::BlockedNoteShowsTheNameLiterally() {
    // A file name that looks like markup is still just a name.
    TempTree files({
        {"a/<B>x<U>.txt", Content("same")},
        {"b/<B>x<U>.txt", Content("same")},
    });
    w->BlockedList().Add(files.Path("b/"));
    Prepare(files.Root(), 0);
    Search();
    SpaceOnRow(NodeOfPath(files.Root(), "b/<B>x<U>.txt"));
    QCOMPARE(w->SB->PlainText(), QStringLiteral("Note: <B>x<U>.txt can not be marked for "
                                                "deletion because it is in the blocked folder "
                                                "list."));
}

void MainFormSearchTest::ViewsAndHintLine() {
    auto files = MethodTree();
    Prepare(files->Root(), 0);
    Search();
    QVERIFY(!w->HintLineInstalled());
    SpaceOnRow(NodeOfPath(files->Root(), "b/same.txt"));

    QTest::mouseClick(w->HideOptionsBtn, Qt::LeftButton);
    QVERIFY(w->OptionsPanel->isVisible());
    QVERIFY(!w->SearchResultsPanel->isVisible());
    QVERIFY(w->ViewResultsPanel->isVisible());
    QVERIFY(w->HintLineInstalled());
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(w->ViewSearchResultsBtn));

    QTest::mouseClick(w->ViewSearchResultsBtn, Qt::LeftButton);
    QVERIFY(!w->OptionsPanel->isVisible());
    QVERIFY(w->SearchResultsPanel->isVisible());
    // The tree kept its marks; the hint line stays installed this way round.
    QVERIFY(w->DupeModel()->Tree().At(NodeOfPath(files->Root(), "b/same.txt")).checked);
    QVERIFY(w->HintLineInstalled());

    // A search hides the way back while it runs.
    QTest::mouseClick(w->HideOptionsBtn, Qt::LeftButton);
    bool hidden = false;
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] { hidden = !w->ViewResultsPanel->isVisible(); });
    Search();
    w->SearchHost().SetYieldHook({});
    QVERIFY(hidden);
    QVERIFY(w->SearchResultsPanel->isVisible());
}

void MainFormSearchTest::StatusPathIsLiteral() {
    // A folder name that looks like markup shows as typed in the scanning line.
    TempTree files({{"<B>bold/f.txt", Content("x")}});
    Prepare(files.Root(), 0);
    QStringList seen;
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] { seen << w->SB->PlainText(); });
    Search();
    w->SearchHost().SetYieldHook({});
    bool found = false;
    for (const QString& line : seen) {
        found = found || (line.startsWith(QStringLiteral("Scanning ")) &&
                          line.contains(QStringLiteral("<B>bold/")));
    }
    QVERIFY2(found, qPrintable(seen.join(QLatin1Char('\n'))));
    QCOMPARE(prompter->messages.size(), std::size_t{1});  // nothing found
}

QTEST_MAIN(MainFormSearchTest)
#include "MainFormSearchTest.moc"
