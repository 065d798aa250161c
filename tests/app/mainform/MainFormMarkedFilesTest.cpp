// Deleting and moving the marked files from the main window: the real window searches a
// temporary folder tree, the user marks and clicks, and the files go to a trash kept in a
// temporary data folder (XDG_DATA_HOME) or to a temporary destination.
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Shots.h"
#include "app/dialogs/SelectDirForm.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/results/MarkedFileCommands.h"
#include "app/widgets/FolderTreeView.h"
#include "app/widgets/MarkupStatusBar.h"
#include "app/widgets/QtText.h"
#include "support/FileOperationSupport.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using qm::app::DupeTreeModel;
using qm::app::TfrmMain;
using qm::results::EntryStatus;
using qm::results::ResultTree;
using qm::test::Content;
using qm::test::ReadAll;
using qm::test::TempTree;

namespace {

namespace fs = std::filesystem;

const char* const kConfirmDelete = "Are you sure you want to delete all the marked files?";
const char* const kLoseOneSet =
    "Every file of 1 duplicate set(s) is marked, so no copy of those files would be kept. Are you "
    "sure you want to delete every copy?";

// Two content sets: *.JPG (a/two.jpg, b/two.jpg) and *.TXT (a/one.txt, b/one.txt, c/one.txt).
// Mark All marks b/two.jpg, b/one.txt and c/one.txt; the a/ files are the set heads.
std::unique_ptr<TempTree> SetsTree() {
    return std::make_unique<TempTree>(std::initializer_list<qm::test::TreeEntry>{
        {"files/a/one.txt", Content("AAAA")},
        {"files/b/one.txt", Content("AAAA")},
        {"files/c/one.txt", Content("AAAA")},
        {"files/a/two.jpg", Content("JPEG!!")},
        {"files/b/two.jpg", Content("JPEG!!")},
        {"dest/", qm::test::Folder()},
    });
}

const QStringList kMarkedByMarkAll = {"b/two.jpg", "b/one.txt", "c/one.txt"};

// What is at a path: its bytes, "<missing>", or "-> target" for a symbolic link.
std::string StateOf(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        return "-> " + fs::read_symlink(path, ec).string();
    }
    return ReadAll(path);
}

// The trash fails for one file, after its information file is written, as a full disk would.
class RefuseTrashFor : public qm::platform::FileStepHook {
public:
    explicit RefuseTrashFor(std::string path) : m_path(std::move(path)) {}
    bool Continue(qm::platform::FileStep step, const std::string& path) override {
        return step != qm::platform::FileStep::TrashInfoWritten || path != m_path;
    }

private:
    std::string m_path;
};

}  // namespace

class MainFormMarkedFilesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void ButtonsOnTheToolbar();
    void DeleteConfirmation_data();
    void DeleteConfirmation();
    void SecondQuestion_data();
    void SecondQuestion();
    void RemovedRowsArePaintedAndLocked();
    void FailedRows_data();
    void FailedRows();
    void FailedRowsComeBackMarked();
    void Move_data();
    void Move();
    void DestinationDialogCancelled_data();
    void DestinationDialogCancelled();
    void DestinationDialogOk();
    void LockedWhileTheFilesGo();
    void CloseDuringTheWalk();
    void ShotAfterDeleteWithOneFailure();

private:
    // Searches files/ of the tree with "Contents Only" and the "*.*" filter.
    void SearchTree() {
        w->AddSearchPath(tree->Path("files/"));
        const auto& rows = w->FilterTable().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].mask == "*.*") {
                w->FilterSG->item(static_cast<int>(i), 0)->setCheckState(Qt::Checked);
            }
        }
        w->SetFCMItemIndex(0);
        QVERIFY(w->SearchBtn->isEnabled());
        QTest::mouseClick(w->SearchBtn, Qt::LeftButton);
        QVERIFY(w->SearchResultsPanel->isVisible());
        QCOMPARE(w->DupeModel()->Tree().FileRowCount(), std::size_t{5});
    }
    void SearchAndMarkAll() {
        SearchTree();
        QTest::mouseClick(w->MarkAllBtn, Qt::LeftButton);
        QCOMPARE(MarkedRows(), kMarkedByMarkAll);
    }
    std::string FilePath(const QString& relative) const {
        return tree->Path("files/" + relative.toStdString());
    }
    ResultTree::NodeId Node(const QString& relative) const {
        const ResultTree& results = w->DupeModel()->Tree();
        for (std::size_t i = 0; i < results.NodeCount(); ++i) {
            const auto& node = results.At(static_cast<ResultTree::NodeId>(i));
            if (node.level >= 1 && node.entry.FullPath() == FilePath(relative)) {
                return static_cast<ResultTree::NodeId>(i);
            }
        }
        return ResultTree::kNoNode;
    }
    const ResultTree::Node& Row(const QString& relative) const {
        return w->DupeModel()->Tree().At(Node(relative));
    }
    // Rows with the given status, in the tree's order, relative to files/.
    QStringList RowsWith(EntryStatus status) const {
        QStringList rows;
        const std::string prefix = tree->Path("files/");
        for (const auto& node : w->DupeModel()->Tree().Nodes()) {
            if (node.level >= 1 && node.entry.Status == status) {
                rows << QString::fromStdString(node.entry.FullPath().substr(prefix.size()));
            }
        }
        return rows;
    }
    QStringList MarkedRows() const { return RowsWith(EntryStatus::Marked); }
    // Names in the trash's files folder.
    QStringList Trashed() const {
        QStringList names;
        for (const std::string& name : qm::test::NamesIn(TrashFiles())) {
            names << QString::fromStdString(name);
        }
        return names;
    }
    std::string TrashFiles() const { return dataHome->filePath("Trash/files").toStdString(); }
    // Presses the space bar on a row's check box, as the user does.
    void SpaceOnRow(const QString& relative) {
        const QModelIndex index = w->DupeModel()->IndexOf(Node(relative), 0);
        QVERIFY(index.isValid());
        w->DupeTV->expand(index.parent());
        w->DupeTV->setCurrentIndex(index);
        QTest::keyClick(w->DupeTV, Qt::Key_Space);
    }
    // The status texts the window shows while a command walks the rows.
    void RecordWalkTexts() {
        walkTexts.clear();
        w->SearchHost().SetMinYieldInterval(0);
        w->SearchHost().SetYieldHook([this] {
            if (walkTexts.isEmpty() || walkTexts.last() != w->StatusText()) {
                walkTexts << w->StatusText();
            }
            progressShown = progressShown || w->SB->Panel0Width() == 150;
        });
    }

    std::unique_ptr<QTemporaryDir> dataHome;
    std::unique_ptr<TempTree> tree;
    std::unique_ptr<qm::test::ScriptedPrompter> prompter;
    std::unique_ptr<TfrmMain> w;
    QStringList walkTexts;
    bool progressShown = false;
};

void MainFormMarkedFilesTest::init() {
    dataHome = std::make_unique<QTemporaryDir>();
    QVERIFY(dataHome->isValid());
    // The system's file operations read it at each use: the trash is a temporary one.
    qputenv("XDG_DATA_HOME", dataHome->path().toLocal8Bit());
    tree = SetsTree();
    prompter = std::make_unique<qm::test::ScriptedPrompter>();
    w = std::make_unique<TfrmMain>(prompter.get());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    walkTexts.clear();
    progressShown = false;
}

void MainFormMarkedFilesTest::cleanup() {
    QCOMPARE(prompter->unexpected, 0);
    QVERIFY(prompter->ScriptUsedUp());
    w.reset();
    prompter.reset();
    tree.reset();
    dataHome.reset();
    qunsetenv("XDG_DATA_HOME");
}

void MainFormMarkedFilesTest::ButtonsOnTheToolbar() {
    SearchTree();
    // Shown after the marking buttons, before the colour menu; disabled while nothing is marked.
    QList<QToolButton*> order;
    for (QObject* child : w->TreeOptionsPanel->children()) {
        if (auto* button = qobject_cast<QToolButton*>(child); button && !button->isHidden()) {
            order << button;
        }
    }
    const auto position = [&](QToolButton* button) {
        return w->TreeOptionsPanel->layout()->indexOf(button);
    };
    QVERIFY(order.contains(w->DeleteMarkedBtn));
    QVERIFY(order.contains(w->MoveToFolderBtn));
    QVERIFY(position(w->UnMarkAllBtn) < position(w->DeleteMarkedBtn));
    QCOMPARE(position(w->MoveToFolderBtn), position(w->DeleteMarkedBtn) + 1);
    QVERIFY(position(w->MoveToFolderBtn) < position(w->ColorSettingsBtn));
    QCOMPARE(w->DeleteMarkedBtn->toolTip(),
             QStringLiteral("Move the marked file(s) to the Recycle Bin."));
    QCOMPARE(w->MoveToFolderBtn->toolTip(),
             QStringLiteral("Move marked files to a folder.  Clicking this button will present an "
                            "option to select which drive/folder the marked files will be moved "
                            "to."));
    QVERIFY(!w->DeleteMarkedBtn->isEnabled());
    QVERIFY(!w->MoveToFolderBtn->isEnabled());

    // The check-state refresh enables them while any file row is checked.
    SpaceOnRow(QStringLiteral("c/one.txt"));
    QVERIFY(w->DeleteMarkedBtn->isEnabled());
    QVERIFY(w->MoveToFolderBtn->isEnabled());
    SpaceOnRow(QStringLiteral("c/one.txt"));
    QVERIFY(!w->DeleteMarkedBtn->isEnabled());
    QVERIFY(!w->MoveToFolderBtn->isEnabled());
}

void MainFormMarkedFilesTest::DeleteConfirmation_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void MainFormMarkedFilesTest::DeleteConfirmation() {
    QFETCH(bool, yes);
    SearchAndMarkAll();
    const QString statusBefore = w->StatusText();
    const QString statistics = w->DupeInfoLbl->text();
    prompter->Answer(yes);
    RecordWalkTexts();

    QTest::mouseClick(w->DeleteMarkedBtn, Qt::LeftButton);

    // Every set keeps its head, so there is no second question.
    QCOMPARE(prompter->questions, std::vector<std::string>{kConfirmDelete});
    if (!yes) {
        QCOMPARE(w->StatusText(), statusBefore);
        QVERIFY(walkTexts.isEmpty());
        QCOMPARE(MarkedRows(), kMarkedByMarkAll);
        for (const QString& file : kMarkedByMarkAll) {
            QVERIFY(fs::exists(FilePath(file)));
        }
        QCOMPARE(Trashed(), QStringList());
        return;
    }
    QCOMPARE(walkTexts.value(0), QStringLiteral("<BLINK>Deleting files</BLINK>, please wait..."));
    QVERIFY(progressShown);
    QCOMPARE(w->StatusText(), QStringLiteral("3 file(s) moved to the Recycle Bin."));
    QCOMPARE(w->SB->Panel0Width(), 0);
    QCOMPARE(RowsWith(EntryStatus::Removed), kMarkedByMarkAll);
    QCOMPARE(MarkedRows(), QStringList());
    for (const QString& file : kMarkedByMarkAll) {
        QVERIFY2(!fs::exists(FilePath(file)), qPrintable(file));
        QVERIFY2(Row(file).checked, qPrintable(file));
    }
    QCOMPARE(Trashed(), (QStringList{"one (2).txt", "one.txt", "two.jpg"}));
    QCOMPARE(ReadAll(FilePath(QStringLiteral("a/one.txt"))), std::string("AAAA"));
    QCOMPARE(ReadAll(FilePath(QStringLiteral("a/two.jpg"))), std::string("JPEG!!"));
    // The statistics and the buttons wait for the next marking.
    QCOMPARE(w->DupeInfoLbl->text(), statistics);
    QVERIFY(w->DeleteMarkedBtn->isEnabled());
    QVERIFY(w->MoveToFolderBtn->isEnabled());

    // Nothing is marked any more: a second delete acts on nothing.
    prompter->Answer(true);
    QTest::mouseClick(w->DeleteMarkedBtn, Qt::LeftButton);
    QCOMPARE(w->StatusText(), QStringLiteral("0 file(s) moved to the Recycle Bin."));
}

void MainFormMarkedFilesTest::SecondQuestion_data() {
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("No to the first") << QList<bool>{false} << 1 << false;
    QTest::newRow("No to the second") << QList<bool>{true, false} << 2 << false;
    QTest::newRow("Yes to both") << QList<bool>{true, true} << 2 << true;
}

void MainFormMarkedFilesTest::SecondQuestion() {
    QFETCH(QList<bool>, answers);
    QFETCH(int, questions);
    QFETCH(bool, deleted);
    SearchAndMarkAll();
    // Both copies of the picture are marked now.
    SpaceOnRow(QStringLiteral("a/two.jpg"));
    const QString statusBefore = w->StatusText();
    for (const bool answer : answers) {
        prompter->Answer(answer);
    }

    QTest::mouseClick(w->DeleteMarkedBtn, Qt::LeftButton);

    const std::vector<std::string> asked = {kConfirmDelete, kLoseOneSet};
    QCOMPARE(prompter->questions,
             std::vector<std::string>(asked.begin(), asked.begin() + questions));
    if (!deleted) {
        QCOMPARE(w->StatusText(), statusBefore);
        QCOMPARE(MarkedRows().size(), 4);
        QVERIFY(fs::exists(FilePath(QStringLiteral("a/two.jpg"))));
        QVERIFY(fs::exists(FilePath(QStringLiteral("b/two.jpg"))));
        QCOMPARE(Trashed(), QStringList());
        return;
    }
    QCOMPARE(w->StatusText(), QStringLiteral("4 file(s) moved to the Recycle Bin."));
    QCOMPARE(RowsWith(EntryStatus::Removed),
             (QStringList{"a/two.jpg", "b/two.jpg", "b/one.txt", "c/one.txt"}));
    QVERIFY(!fs::exists(FilePath(QStringLiteral("a/two.jpg"))));
    QVERIFY(!fs::exists(FilePath(QStringLiteral("b/two.jpg"))));
}

void MainFormMarkedFilesTest::RemovedRowsArePaintedAndLocked() {
    SearchAndMarkAll();
    prompter->Answer(true);
    QTest::mouseClick(w->DeleteMarkedBtn, Qt::LeftButton);
    QCOMPARE(RowsWith(EntryStatus::Removed), kMarkedByMarkAll);

    DupeTreeModel* model = w->DupeModel();
    const QModelIndex removed = model->IndexOf(Node(QStringLiteral("c/one.txt")), 0);
    const QModelIndex kept = model->IndexOf(Node(QStringLiteral("a/one.txt")), 0);
    for (int column = 1; column < 5; ++column) {
        const QModelIndex cell = removed.siblingAtColumn(column);
        const QFont font = cell.data(Qt::FontRole).value<QFont>();
        QVERIFY(font.strikeOut());
        QVERIFY(!font.bold());
        QCOMPARE(cell.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        const QModelIndex keptCell = kept.siblingAtColumn(column);
        QVERIFY(!keptCell.data(Qt::FontRole).value<QFont>().strikeOut());
        QVERIFY(keptCell.data(Qt::ForegroundRole).value<QBrush>().color() != QColor(255, 0, 0));
    }
    const QStringList hint = removed.data(Qt::ToolTipRole).toString().split(QLatin1Char('\n'));
    QCOMPARE(hint.value(hint.size() - 2), QStringLiteral("Status: File deleted successfully."));
    QVERIFY2(hint.last().startsWith(QStringLiteral("Now at: ")), qPrintable(hint.last()));

    // The box of a removed row can no longer be changed; the status line says why.
    SpaceOnRow(QStringLiteral("c/one.txt"));
    QVERIFY(Row(QStringLiteral("c/one.txt")).checked);
    QCOMPARE(w->StatusText(), QStringLiteral("The file has been deleted or moved already."));
    QVERIFY(!model->setData(removed, Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(Row(QStringLiteral("c/one.txt")).entry.Status, EntryStatus::Removed);
}

void MainFormMarkedFilesTest::FailedRows_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("failed");
    QTest::addColumn<QString>("status");
    const QString oneFailed =
        QStringLiteral("2 file(s) moved to the Recycle Bin. Unable to delete 1 file(s).");
    QTest::newRow("changed after the search")
        << "rewrite c" << QStringList{"c/one.txt"} << oneFailed;
    QTest::newRow("vanished") << "remove c" << QStringList{"c/one.txt"} << oneFailed;
    QTest::newRow("replaced by a link") << "link c" << QStringList{"c/one.txt"} << oneFailed;
    QTest::newRow("replaced by another copy")
        << "replace c" << QStringList{"c/one.txt"} << oneFailed;
    // The set's only copy that stays is no longer what it was, so b/one.txt stays too; then
    // b/one.txt is the copy that c/one.txt leaves behind.
    QTest::newRow("surviving copy changed") << "rewrite a" << QStringList{"b/one.txt"} << oneFailed;
    QTest::newRow("trash refuses") << "trash refuses c" << QStringList{"c/one.txt"} << oneFailed;
}

void MainFormMarkedFilesTest::FailedRows() {
    QFETCH(QString, change);
    QFETCH(QStringList, failed);
    QFETCH(QString, status);
    SearchAndMarkAll();

    const std::string c = FilePath(QStringLiteral("c/one.txt"));
    RefuseTrashFor hook(c);
    std::unique_ptr<qm::platform::FileOperations> refusing;
    if (change == "rewrite c") {
        qm::test::Rewrite(c, "ZZZZ");
    } else if (change == "remove c") {
        fs::remove(c);
    } else if (change == "link c") {
        fs::remove(c);
        fs::create_symlink(FilePath(QStringLiteral("a/one.txt")), c);
    } else if (change == "replace c") {
        // Same bytes, same size, another file: not the one that was listed.
        fs::remove(c);
        fs::copy_file(FilePath(QStringLiteral("a/one.txt")), c);
    } else if (change == "rewrite a") {
        qm::test::Rewrite(FilePath(QStringLiteral("a/one.txt")), "AAAA");
    } else if (change == "trash refuses c") {
        qm::platform::FileOperationsOptions options;
        options.hook = &hook;
        refusing = qm::platform::MakeFileOperations(options);
        w->MarkedFiles().SetFileOperations(refusing.get());
    }
    std::map<QString, std::string> before;
    for (const QString& row : failed) {
        before[row] = StateOf(FilePath(row));
    }
    prompter->Answer(true);

    QTest::mouseClick(w->DeleteMarkedBtn, Qt::LeftButton);

    QCOMPARE(w->StatusText(), status);
    QCOMPARE(RowsWith(EntryStatus::Failed), failed);
    for (const QString& row : failed) {
        // Untouched, and still checked for another try.
        QCOMPARE(StateOf(FilePath(row)), before[row]);
        QVERIFY(Row(row).checked);
        const QModelIndex index = w->DupeModel()->IndexOf(Node(row), 1);
        QVERIFY(!index.data(Qt::FontRole).value<QFont>().strikeOut());
        // The hint says why the file stayed.
        const QStringList hint = index.data(Qt::ToolTipRole).toString().split(QLatin1Char('\n'));
        QCOMPARE(hint.value(hint.size() - 2),
                 QStringLiteral("Status: Unable to delete (file might be in use)."));
        QVERIFY2(
            hint.last().startsWith(QStringLiteral("Left as it was: ")) && hint.last().size() > 20,
            qPrintable(hint.last()));
    }
    for (const QString& row : kMarkedByMarkAll) {
        if (!failed.contains(row)) {
            QCOMPARE(Row(row).entry.Status, EntryStatus::Removed);
            QVERIFY(!fs::exists(FilePath(row)));
            // The hint says where in the trash the file is now.
            const QString hint =
                w->DupeModel()->IndexOf(Node(row), 1).data(Qt::ToolTipRole).toString();
            const QString now = hint.section(QStringLiteral("\nNow at: "), 1);
            QVERIFY2(now.startsWith(QString::fromStdString(TrashFiles() + "/")), qPrintable(hint));
            QCOMPARE(ReadAll(qm::app::PathBytes(now)),
                     std::string(row.endsWith(QStringLiteral(".jpg")) ? "JPEG!!" : "AAAA"));
        }
    }
    w->MarkedFiles().SetFileOperations(nullptr);
}

void MainFormMarkedFilesTest::FailedRowsComeBackMarked() {
    SearchAndMarkAll();
    qm::test::Rewrite(FilePath(QStringLiteral("c/one.txt")), "ZZZZ");
    prompter->Answer(true);
    QTest::mouseClick(w->DeleteMarkedBtn, Qt::LeftButton);
    QCOMPARE(RowsWith(EntryStatus::Failed), QStringList{"c/one.txt"});

    // Failed is not Marked: a repeat acts on nothing until the marks change.
    prompter->Answer(true);
    QTest::mouseClick(w->DeleteMarkedBtn, Qt::LeftButton);
    QCOMPARE(w->StatusText(), QStringLiteral("0 file(s) moved to the Recycle Bin."));
    QCOMPARE(RowsWith(EntryStatus::Failed), QStringList{"c/one.txt"});

    // The next marking makes it Marked again; a new try is refused again, the file untouched.
    SpaceOnRow(QStringLiteral("a/two.jpg"));
    SpaceOnRow(QStringLiteral("a/two.jpg"));
    QCOMPARE(MarkedRows(), QStringList{"c/one.txt"});
    prompter->Answer(true);
    QTest::mouseClick(w->DeleteMarkedBtn, Qt::LeftButton);
    QCOMPARE(w->StatusText(),
             QStringLiteral("0 file(s) moved to the Recycle Bin. Unable to delete 1 file(s)."));
    QCOMPARE(ReadAll(FilePath(QStringLiteral("c/one.txt"))), std::string("ZZZZ"));
}

void MainFormMarkedFilesTest::Move_data() {
    QTest::addColumn<bool>("preserve");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("changeC");  // c/one.txt rewritten after the search
    QTest::newRow("flat") << false << true << false;
    QTest::newRow("preserve paths") << true << true << false;
    QTest::newRow("No") << true << false << false;
    QTest::newRow("one file changed") << false << true << true;
}

void MainFormMarkedFilesTest::Move() {
    QFETCH(bool, preserve);
    QFETCH(bool, yes);
    QFETCH(bool, changeC);
    SearchAndMarkAll();
    if (changeC) {
        qm::test::Rewrite(FilePath(QStringLiteral("c/one.txt")), "ZZZZ");
    }
    const QString statusBefore = w->StatusText();
    // The folder as a tree node gives it, with a final separator: shown without it.
    const std::string chosen = tree->Path("dest/");
    const std::string destination = tree->Path("dest");
    int chooserCalls = 0;
    w->MarkedFiles().SetDestinationChooser([&] {
        ++chooserCalls;
        return std::optional<qm::app::SelectedDir>(qm::app::SelectedDir{chosen, preserve});
    });
    prompter->Answer(yes);
    RecordWalkTexts();

    QTest::mouseClick(w->MoveToFolderBtn, Qt::LeftButton);

    QCOMPARE(chooserCalls, 1);
    QCOMPARE(prompter->questions,
             std::vector<std::string>{"Are you sure you want to move all the marked files to " +
                                      destination + "?"});
    if (!yes) {
        QCOMPARE(w->StatusText(), statusBefore);
        QCOMPARE(MarkedRows(), kMarkedByMarkAll);
        QCOMPARE(qm::test::NamesIn(chosen), std::vector<std::string>{});
        return;
    }
    const QString d = qm::app::PathText(destination);
    QCOMPARE(walkTexts.value(0), QStringLiteral("<BLINK>Moving files</BLINK> to ") + d +
                                     QStringLiteral(", please wait..."));
    QVERIFY(progressShown);
    if (changeC) {
        QCOMPARE(w->StatusText(), QStringLiteral("2 file(s) moved to \"") + d +
                                      QStringLiteral("\". Unable to move 1 file(s)."));
        QCOMPARE(RowsWith(EntryStatus::Removed), (QStringList{"b/two.jpg", "b/one.txt"}));
        QCOMPARE(RowsWith(EntryStatus::Failed), QStringList{"c/one.txt"});
        QCOMPARE(ReadAll(FilePath(QStringLiteral("c/one.txt"))), std::string("ZZZZ"));
        QCOMPARE(qm::test::NamesIn(chosen), (std::vector<std::string>{"one.txt", "two.jpg"}));
        return;
    }
    QCOMPARE(w->StatusText(), QStringLiteral("3 file(s) moved to \"") + d + QStringLiteral("\"."));
    QCOMPARE(RowsWith(EntryStatus::Removed), kMarkedByMarkAll);
    for (const QString& file : kMarkedByMarkAll) {
        QVERIFY(!fs::exists(FilePath(file)));
    }
    if (preserve) {
        // The source folders below the destination, without the root "/".
        const std::string below = chosen + FilePath(QString()).substr(1);
        QCOMPARE(ReadAll(below + "b/one.txt"), std::string("AAAA"));
        QCOMPARE(ReadAll(below + "c/one.txt"), std::string("AAAA"));
        QCOMPARE(ReadAll(below + "b/two.jpg"), std::string("JPEG!!"));
    } else {
        // Two one.txt into one folder: neither is overwritten; the row keeps its old name.
        QCOMPARE(qm::test::NamesIn(chosen),
                 (std::vector<std::string>{"one (2).txt", "one.txt", "two.jpg"}));
        QCOMPARE(Row(QStringLiteral("c/one.txt")).entry.FileName, std::string("one.txt"));
        // Its hint tells the name it got.
        const QString hint = w->DupeModel()
                                 ->IndexOf(Node(QStringLiteral("c/one.txt")), 1)
                                 .data(Qt::ToolTipRole)
                                 .toString();
        QVERIFY2(hint.endsWith(QStringLiteral("\nNow at: ") + d + QStringLiteral("/one (2).txt")),
                 qPrintable(hint));
    }
}

void MainFormMarkedFilesTest::DestinationDialogCancelled_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Cancel") << false;
    QTest::newRow("Esc") << true;
}

void MainFormMarkedFilesTest::DestinationDialogCancelled() {
    QFETCH(bool, escape);
    SearchAndMarkAll();
    const QString statusBefore = w->StatusText();
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<qm::app::TfrmSelectDir*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        seen = true;
        // A folder chosen first changes nothing either.
        dialog->SelectFolder(qm::app::PathText(tree->Path("dest")));
        if (escape) {
            QTest::keyClick(dialog->LsDirTree211, Qt::Key_Escape);
        } else {
            QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
        }
    });

    QTest::mouseClick(w->MoveToFolderBtn, Qt::LeftButton);

    QVERIFY(seen);
    QVERIFY(prompter->questions.empty());
    QCOMPARE(w->StatusText(), statusBefore);
    QCOMPARE(MarkedRows(), kMarkedByMarkAll);
    for (const QString& file : kMarkedByMarkAll) {
        QVERIFY(fs::exists(FilePath(file)));
    }
    QCOMPARE(qm::test::NamesIn(tree->Path("dest/")), std::vector<std::string>{});
}

void MainFormMarkedFilesTest::DestinationDialogOk() {
    SearchAndMarkAll();
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<qm::app::TfrmSelectDir*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        seen = dialog->SelectFolder(qm::app::PathText(tree->Path("dest"))) &&
               dialog->CheckBox1->isChecked() && dialog->OKBtn->isEnabled();
        dialog->CheckBox1->setChecked(false);
        QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
    });
    prompter->Answer(true);

    QTest::mouseClick(w->MoveToFolderBtn, Qt::LeftButton);

    QVERIFY(seen);
    QCOMPARE(prompter->questions,
             std::vector<std::string>{"Are you sure you want to move all the marked files to " +
                                      tree->Path("dest") + "?"});
    QCOMPARE(qm::test::NamesIn(tree->Path("dest/")),
             (std::vector<std::string>{"one (2).txt", "one.txt", "two.jpg"}));
}

void MainFormMarkedFilesTest::LockedWhileTheFilesGo() {
    SearchAndMarkAll();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    // From the keyboard: the button has the focus, and gets it back afterwards.
    w->DeleteMarkedBtn->setFocus();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->DeleteMarkedBtn));
    prompter->Answer(true);

    // What the user can and cannot do while the files go, seen from inside the walk.
    bool seen = false;
    bool answered = false;
    QStringList usable;
    bool boxRefused = false;
    bool markingRefused = false;
    bool rowsKept = false;
    QTimer tick;
    tick.setInterval(0);
    connect(&tick, &QTimer::timeout, this, [&] { answered = true; });
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] {
        if (seen ||
            w->StatusText() != QStringLiteral("<BLINK>Deleting files</BLINK>, please wait...")) {
            return;
        }
        seen = true;
        tick.start();
        for (QWidget* control : std::initializer_list<QWidget*>{
                 w->MarkAllBtn, w->UnMarkAllBtn, w->DeleteMarkedBtn, w->MoveToFolderBtn,
                 w->HideOptionsBtn, w->ExpandNodesBtn, w->menuBar()}) {
            if (control->isEnabled()) {
                usable << control->objectName();
            }
        }
        for (QAction* item : {w->DupeTV->MarkAllInDirItem(), w->DupeTV->UnMarkAllInDirItem(),
                              w->DupeTV->MarkDoubleExtensionItem()}) {
            if (item->isEnabled()) {
                usable << item->objectName();
            }
        }
        // The last copy of the text set, checked behind the walk, would go without the second
        // question: the box does not change, by key or by the model.
        SpaceOnRow(QStringLiteral("a/one.txt"));
        const QModelIndex head = w->DupeModel()->IndexOf(Node(QStringLiteral("a/one.txt")), 0);
        boxRefused = !Row(QStringLiteral("a/one.txt")).checked &&
                     !w->DupeModel()->setData(head, Qt::Checked, Qt::CheckStateRole);
        w->DupeModel()->MarkAllInDir(Node(QStringLiteral("a/one.txt")));
        w->DupeModel()->MarkDoubleExtension();
        markingRefused = !Row(QStringLiteral("a/one.txt")).checked;
        // Nothing may take away the rows the walk is going over.
        w->DupeModel()->Clear();
        rowsKept = w->DupeModel()->Tree().FileRowCount() == 5;
    });

    QTest::keyClick(w->DeleteMarkedBtn, Qt::Key_Space);
    w->SearchHost().SetYieldHook({});

    QVERIFY(seen);
    QVERIFY(answered);  // events ran while the files went
    QCOMPARE(usable, QStringList());
    QVERIFY(boxRefused);
    QVERIFY(markingRefused);
    QVERIFY(rowsKept);
    QCOMPARE(prompter->questions, std::vector<std::string>{kConfirmDelete});
    QCOMPARE(RowsWith(EntryStatus::Removed), kMarkedByMarkAll);
    QCOMPARE(ReadAll(FilePath(QStringLiteral("a/one.txt"))), std::string("AAAA"));

    // Everything is back afterwards, the focus too, and the boxes work again.
    for (QWidget* control :
         std::initializer_list<QWidget*>{w->MarkAllBtn, w->UnMarkAllBtn, w->DeleteMarkedBtn,
                                         w->MoveToFolderBtn, w->HideOptionsBtn, w->menuBar()}) {
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    }
    QVERIFY(w->DupeTV->MarkAllInDirItem()->isEnabled());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->DeleteMarkedBtn));
    SpaceOnRow(QStringLiteral("a/one.txt"));
    QVERIFY(Row(QStringLiteral("a/one.txt")).checked);
}

void MainFormMarkedFilesTest::CloseDuringTheWalk() {
    SearchAndMarkAll();
    prompter->Answer(true);
    bool closed = false;
    bool visibleAfterClose = false;
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] {
        if (!closed && !RowsWith(EntryStatus::Removed).isEmpty()) {
            closed = true;
            w->close();
            visibleAfterClose = w->isVisible();
        }
    });

    QTest::mouseClick(w->DeleteMarkedBtn, Qt::LeftButton);
    w->SearchHost().SetYieldHook({});

    // The walk stopped after the file at hand; the files not reached are where they were.
    QVERIFY(closed);
    QVERIFY(visibleAfterClose);
    QVERIFY(!w->isVisible());
    QCOMPARE(RowsWith(EntryStatus::Removed), QStringList{"b/two.jpg"});
    QCOMPARE(MarkedRows(), (QStringList{"b/one.txt", "c/one.txt"}));
    QVERIFY(fs::exists(FilePath(QStringLiteral("b/one.txt"))));
    QVERIFY(fs::exists(FilePath(QStringLiteral("c/one.txt"))));
    QCOMPARE(w->StatusText(), QStringLiteral("1 file(s) moved to the Recycle Bin."));
}

void MainFormMarkedFilesTest::ShotAfterDeleteWithOneFailure() {
    SearchAndMarkAll();
    w->DupeTV->ExpandNodesBtnClick();
    QTest::mouseClick(w->InfoPanelCloseBtn, Qt::LeftButton);
    w->resize(1000, 420);
    qm::test::Rewrite(FilePath(QStringLiteral("c/one.txt")), "ZZZZ");
    prompter->Answer(true);
    QTest::mouseClick(w->DeleteMarkedBtn, Qt::LeftButton);
    QCOMPARE(RowsWith(EntryStatus::Failed), QStringList{"c/one.txt"});
    QApplication::processEvents();
    QVERIFY(w->grab().save(qm::test::ShotPath(QStringLiteral("marked-files-after-delete.png"))));
}

QTEST_MAIN(MainFormMarkedFilesTest)
#include "MainFormMarkedFilesTest.moc"
