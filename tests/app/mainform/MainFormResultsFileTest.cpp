// Saving the results tree and loading a results file in the main window: the real window driven
// through its button and menu item, with scripted file dialogs and answers, over temporary files.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "ScriptedFileChooser.h"
#include "Shots.h"
#include "Unprivileged.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/ResultsFileCommands.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/widgets/MarkupStatusBar.h"
#include "platform/Locale.h"
#include "results/ResultStatistics.h"
#include "storage/ResultsFile.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using qm::app::TfrmMain;
using qm::results::EntryStatus;
using qm::results::ResultLine;
using qm::results::ResultTree;
using qm::test::Content;
using qm::test::ReadBytes;
using qm::test::TempTree;

namespace {

const char* const kDate = "03/14/2024 09:26:52 AM";

// Two roots: a set of three pictures (one with "|" in its name) and a set of two text files of a
// negative size (a hand-edited file) whose second name holds a line feed.
std::vector<ResultLine> FixtureRows() {
    return {
        {"000001", "/data/photos/a.jpg", "*.JPG", 2048, kDate},
        {"000001", "/data/backup/a.jpg", "*.JPG", 2048, kDate},
        {"000001", "/data/old/a|b.jpg", "*.JPG", 2048, "01/02/2003 04:05:06 PM"},
        {"000002", "/data/x.txt", "*.TXT", -123, kDate},
        {"000002", "/data/y\nz.txt", "*.TXT", -123, kDate},
    };
}

// Another result, to load over the first.
std::vector<ResultLine> OtherRows() {
    return {
        {"000007", "/other/1.png", "*.PNG", 10, kDate},
        {"000007", "/other/2.png", "*.PNG", 10, kDate},
    };
}

// The tree as text: "key" for a root, then "  path size date" per file row indented by level.
QStringList Dump(const ResultTree& tree) {
    QStringList lines;
    for (const ResultTree::Node& node : tree.Nodes()) {
        if (node.level == 0) {
            lines << QString::fromStdString(node.entry.Key);
            continue;
        }
        lines << QString(node.level * 2, QLatin1Char(' ')) +
                     QString::fromStdString(node.entry.FullPath()) + QLatin1Char(' ') +
                     QString::number(node.entry.Size) + QLatin1Char(' ') +
                     QString::fromStdString(node.entry.Modified) +
                     (node.checked ? QStringLiteral(" +") : QString());
    }
    return lines;
}

const QStringList kFixtureDump = {
    "*.JPG",
    "  /data/photos/a.jpg 2048 03/14/2024 09:26:52 AM",
    "    /data/backup/a.jpg 2048 03/14/2024 09:26:52 AM",
    "    /data/old/a|b.jpg 2048 01/02/2003 04:05:06 PM",
    "*.TXT",
    "  /data/x.txt -123 03/14/2024 09:26:52 AM",
    "    /data/y\nz.txt -123 03/14/2024 09:26:52 AM",
};

#ifndef QM_SCAN_EXE
#error "QM_SCAN_EXE names the quillmere-scan program"
#endif

// Runs quillmere-scan with arguments; its standard output, or a failed test.
QString RunScan(const QStringList& arguments) {
    QProcess scan;
    scan.start(QStringLiteral(QM_SCAN_EXE), arguments);
    if (!scan.waitForFinished(60000) || scan.exitStatus() != QProcess::NormalExit) {
        return QStringLiteral("<quillmere-scan did not finish>");
    }
    if (scan.exitCode() != 0) {
        return QStringLiteral("<exit %1: %2>")
            .arg(scan.exitCode())
            .arg(QString::fromLocal8Bit(scan.readAllStandardError()));
    }
    return QString::fromLocal8Bit(scan.readAllStandardOutput());
}

}  // namespace

class MainFormResultsFileTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void CommandsInToolbarAndMenu();
    void SaveWritesEveryFileRow();
    void SaveOntoAnExistingFile_data();
    void SaveOntoAnExistingFile();
    void SaveCancelled();
    void FailedSaveKeepsTheOldFile_data();
    void FailedSaveKeepsTheOldFile();
    void LoadShowsTheResultsAsASearchWould();
    void LoadCancelled();
    void FailedLoadChangesNothing_data();
    void FailedLoadChangesNothing();
    void EmptyFileKeepsTheTree();
    void ScannerFilesAndWindowFilesAreOne();
    void NothingElseRunsDuringALoad();
    void SavedAndLoadedAgainLooksTheSame();

private:
    // Loads rows through the window, as the user does.
    void LoadRows(const std::vector<ResultLine>& rows) {
        const std::string path = files->Path("given.dat");
        qm::storage::WriteResultsFile(path, rows);
        chooser.Choose(path);
        w->LoadPreviousSearchResults1->trigger();
    }
    std::vector<ResultLine> TreeRows() const {
        return qm::storage::ResultsRowsOf(w->DupeModel()->Tree());
    }
    QString LoadedStatistics(std::int64_t listedBytes, int listed, std::int64_t duplicatedBytes,
                             int duplicated) const {
        const auto& locale = qm::platform::UserLocale();
        return QString::fromStdString(qm::results::FormatCount(listedBytes, locale) + " bytes in " +
                                      std::to_string(listed) + " file(s) listed. [" +
                                      qm::results::FormatCount(duplicatedBytes, locale) +
                                      " bytes duplicated in " + std::to_string(duplicated) +
                                      " file(s).]  Results loaded from a previous search.");
    }

    std::unique_ptr<TempTree> files;
    std::unique_ptr<qm::test::ScriptedPrompter> prompter;
    qm::test::ScriptedFileChooser chooser;
    std::unique_ptr<TfrmMain> w;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

void MainFormResultsFileTest::init() {
    files = std::make_unique<TempTree>();
    prompter = std::make_unique<qm::test::ScriptedPrompter>();
    chooser = {};
    w = std::make_unique<TfrmMain>(prompter.get());
    w->SetFileChooser(&chooser);
    w->SetFileDialogFolder(files->Root());
    tester = std::make_unique<QAbstractItemModelTester>(
        w->DupeModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void MainFormResultsFileTest::cleanup() {
    QCOMPARE(prompter->unexpected, 0);
    QVERIFY(prompter->ScriptUsedUp());
    QCOMPARE(chooser.unexpected, 0);
    QVERIFY(chooser.ScriptUsedUp());
    tester.reset();
    w.reset();
    prompter.reset();
    files.reset();
}

void MainFormResultsFileTest::CommandsInToolbarAndMenu() {
    // Save is the first button of the results toolbar.
    const auto* toolbar = qobject_cast<QHBoxLayout*>(w->TreeOptionsPanel->layout());
    QVERIFY(toolbar != nullptr);
    QCOMPARE(toolbar->itemAt(0)->widget(), static_cast<QWidget*>(w->SaveResultsBtn));
    QCOMPARE(w->SaveResultsBtn->toolTip(), QString::fromLatin1(qm::app::kSaveResultsHint));
    QCOMPARE(w->SaveResultsBtn->statusTip(), w->SaveResultsBtn->toolTip());

    // The File menu item, its shortcut and hint, and the separator after it.
    QAction* load = w->LoadPreviousSearchResults1;
    QCOMPARE(load->text(), QStringLiteral("&Load Previous Search Results"));
    QCOMPARE(load->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    QCOMPARE(load->statusTip(), QStringLiteral("Load search results from a previous search."));
    const QList<QAction*> items = w->FileMenu->actions();
    const qsizetype at = items.indexOf(load);
    QVERIFY(at >= 0 && at + 1 < items.size());
    QVERIFY(items[at + 1]->isSeparator());

    // Ctrl+L opens the open dialog.
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    chooser.Cancel();
    QTest::keyClick(w.get(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(chooser.asked.size(), std::size_t{1});
    QVERIFY(!chooser.asked[0].save);
    const qm::app::FileChoice& choice = chooser.asked[0].choice;
    QCOMPARE(choice.filter, std::string("Quillmere Search Results|*.dat|All Files (*.*)|*.*"));
    QCOMPARE(choice.defaultExtension, std::string("DAT"));
    QCOMPARE(choice.folder, files->Root());
}

void MainFormResultsFileTest::SaveWritesEveryFileRow() {
    LoadRows(FixtureRows());
    // Marks and statuses are not kept: a checked row and one already removed are written all the
    // same, and the sets are collapsed.
    w->DupeModel()->MarkAll();
    w->DupeModel()->ModifyRecords(
        [](ResultTree& tree) { tree.At(2).entry.Status = EntryStatus::Removed; });
    w->DupeTV->collapseAll();

    const std::string target = files->Path("saved.dat");
    chooser.Choose(target);
    QTest::mouseClick(w->SaveResultsBtn, Qt::LeftButton);

    QCOMPARE(chooser.asked.size(), std::size_t{2});
    const auto& asked = chooser.asked[1];
    QVERIFY(asked.save);
    QCOMPARE(asked.choice.filter, std::string(qm::app::kResultsFileFilter));
    QCOMPARE(asked.choice.defaultExtension, std::string("DAT"));
    QCOMPARE(asked.choice.folder, files->Root());
    // The program asks about an existing file itself, not the dialog.
    QVERIFY(!asked.choice.confirmOverwrite);
    QVERIFY(prompter->questions.empty());
    QCOMPARE(prompter->messages,
             std::vector<std::string>{"Search results have been saved to: \"" + target + ".\""});
    QVERIFY(prompter->errors.empty());
    QVERIFY(qm::storage::ReadResultsFile(target) == FixtureRows());
    // Lines end in CR LF; a name's "|" and line feed are escaped.
    const std::string bytes = ReadBytes(target);
    QVERIFY(bytes.find("000001|/data/old/a<7C>b.jpg|*.JPG|0000002048|01/02/2003 04:05:06 PM\r\n") !=
            std::string::npos);
    QVERIFY(bytes.find("000002|/data/x.txt|*.TXT|-0000000123|") != std::string::npos);
    QVERIFY(bytes.find("/data/y<0A>z.txt") != std::string::npos);
}

void MainFormResultsFileTest::SaveOntoAnExistingFile_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No keeps the file") << false;
    QTest::newRow("Yes replaces it") << true;
}

void MainFormResultsFileTest::SaveOntoAnExistingFile() {
    QFETCH(bool, yes);
    LoadRows(FixtureRows());
    const std::string target = files->Path("existing.dat");
    qm::test::WriteBytes(target, "old content\r\n");
    chooser.Choose(target);
    prompter->Answer(yes);

    QTest::mouseClick(w->SaveResultsBtn, Qt::LeftButton);

    QCOMPARE(prompter->questions,
             std::vector<std::string>{"\"" + target +
                                      "\" already exists. Do you want to overwrite this file?"});
    if (yes) {
        QVERIFY(qm::storage::ReadResultsFile(target) == FixtureRows());
        QCOMPARE(prompter->messages.size(), std::size_t{1});
    } else {
        QCOMPARE(ReadBytes(target), std::string("old content\r\n"));
        QVERIFY(prompter->messages.empty());
    }
    QVERIFY(prompter->errors.empty());
}

void MainFormResultsFileTest::SaveCancelled() {
    LoadRows(FixtureRows());
    chooser.Cancel();
    QTest::mouseClick(w->SaveResultsBtn, Qt::LeftButton);
    QVERIFY(prompter->questions.empty());
    QVERIFY(prompter->messages.empty());
    QVERIFY(prompter->errors.empty());
}

void MainFormResultsFileTest::FailedSaveKeepsTheOldFile_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("unprivileged");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder missing") << "missing/saved.dat" << false << "No such file or directory";
    // The old file is writable, its folder is not: the new content cannot be put in its place.
    QTest::newRow("folder not writable") << "locked/saved.dat" << true << "Permission denied";
}

void MainFormResultsFileTest::FailedSaveKeepsTheOldFile() {
    QFETCH(QString, relative);
    QFETCH(bool, unprivileged);
    QFETCH(QString, reason);
    LoadRows(FixtureRows());
    // A folder of its own (mode 0755): others may not write in it.
    files->Add({{"locked/saved.dat", Content("old\r\n").WithMode(0666)}});
    QVERIFY(qm::test::OpenToEveryone(files->Root()));
    const std::string target = files->Path(relative.toStdString());
    const bool exists = relative.startsWith(QLatin1String("locked"));
    chooser.Choose(target);
    if (exists) {
        prompter->Answer(true);
    }
    {
        const qm::test::Unprivileged user(unprivileged);
        QVERIFY(user.Ok());
        QTest::mouseClick(w->SaveResultsBtn, Qt::LeftButton);
    }

    QCOMPARE(prompter->errors.size(), std::size_t{1});
    const QString error = QString::fromStdString(prompter->errors[0]);
    QVERIFY2(error.contains(QString::fromStdString(target)) && error.contains(reason),
             qPrintable(error));
    QVERIFY(prompter->messages.empty());
    if (exists) {
        QCOMPARE(ReadBytes(target), std::string("old\r\n"));
    }
}

void MainFormResultsFileTest::LoadShowsTheResultsAsASearchWould() {
    // From the options view with its hint line and a set abort flag.
    QVERIFY(w->OptionsPanel->isVisible());
    QVERIFY(w->HintLineInstalled());
    w->AbortRequested = true;
    w->InfoPanel->show();
    QStringList statuses;
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] {
        if (statuses.isEmpty() || statuses.back() != w->StatusText()) {
            statuses << w->StatusText();
        }
    });

    LoadRows(FixtureRows());

    QVERIFY(!w->AbortRequested);
    QVERIFY(!w->InfoPanel->isVisible());
    QCOMPARE(Dump(w->DupeModel()->Tree()), kFixtureDump);
    QVERIFY(w->SearchResultsPanel->isVisible());
    QVERIFY(!w->OptionsPanel->isVisible());
    QVERIFY(!w->ViewResultsPanel->isVisible());
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(w->DupeTV));
    // Roots open, sets closed, nothing marked.
    const QModelIndex firstRoot = w->DupeModel()->index(0, 0);
    QVERIFY(w->DupeTV->isExpanded(firstRoot));
    QVERIFY(!w->DupeTV->isExpanded(w->DupeModel()->index(0, 0, firstRoot)));
    QVERIFY(!w->DeleteMarkedBtn->isEnabled());
    QCOMPARE(w->DupeInfoLbl->text(), LoadedStatistics(3 * 2048 - 2 * 123, 5, 2 * 2048 - 123, 3));
    QCOMPARE(w->StatusText(), QStringLiteral("Search results loaded."));
    QVERIFY(!w->HintLineInstalled());
    QCOMPARE(w->SB->Panel0Width(), 0);
    // The load's own texts around those of the fill, in order.
    const QStringList expected = {
        "Loading data file, please wait...", "Preparing search results for display.",
        "Calculating duplicate file information, please wait...", "Search results loaded."};
    qsizetype from = 0;
    for (const QString& text : expected) {
        from = statuses.indexOf(text, from);
        QVERIFY2(from >= 0, qPrintable(text + QStringLiteral(" in ") + statuses.join(" / ")));
    }
    QVERIFY(prompter->messages.empty());
    QVERIFY(prompter->errors.empty());

    QImage shot = w->grab().toImage();
    QVERIFY(shot.save(qm::test::ShotPath(QStringLiteral("results-file-loaded.png"))));
}

void MainFormResultsFileTest::LoadCancelled() {
    w->AbortRequested = true;
    w->SetStatusText(QStringLiteral("before"));
    chooser.Cancel();
    w->LoadPreviousSearchResults1->trigger();
    QVERIFY(!w->AbortRequested);
    QVERIFY(w->OptionsPanel->isVisible());
    QCOMPARE(w->StatusText(), QStringLiteral("before"));
    QVERIFY(w->HintLineInstalled());
    QVERIFY(w->DupeModel()->Tree().Empty());
}

void MainFormResultsFileTest::FailedLoadChangesNothing_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("fromResultsView");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder") << "folder.dat" << true << "Is a directory";
    QTest::newRow("a FIFO") << "pipe.dat" << true << "Not a regular file";
    QTest::newRow("unreadable, from the options view")
        << "secret.dat" << false << "Permission denied";
    QTest::newRow("gone since it was chosen") << "gone.dat" << true << "No such file or directory";
    QTest::newRow("larger than any results file") << "huge.dat" << true << "larger than 1 GiB";
}

void MainFormResultsFileTest::FailedLoadChangesNothing() {
    QFETCH(QString, relative);
    QFETCH(bool, fromResultsView);
    QFETCH(QString, reason);
    files->Add({{"folder.dat/", qm::test::Folder()},
                {"pipe.dat", qm::test::Fifo()},
                {"secret.dat", Content("000001|/a|*.A|1|x\r\n").WithMode(0600)},
                {"huge.dat", qm::test::Sparse(qm::storage::kMaxResultsFileBytes + 1)}});
    QVERIFY(qm::test::OpenToEveryone(files->Root()));
    LoadRows(FixtureRows());
    if (!fromResultsView) {
        w->HideOptionsBtnClick();
    }
    w->SetStatusText(QStringLiteral("as it was"));
    const QString label = w->DupeInfoLbl->text();
    const bool hintLine = w->HintLineInstalled();
    const std::string path = files->Path(relative.toStdString());
    chooser.Choose(path);

    {
        const qm::test::Unprivileged user(relative == QLatin1String("secret.dat"));
        QVERIFY(user.Ok());
        w->LoadPreviousSearchResults1->trigger();
    }

    QCOMPARE(prompter->errors.size(), std::size_t{1});
    const QString error = QString::fromStdString(prompter->errors[0]);
    QVERIFY2(error.contains(QString::fromStdString(path)) && error.contains(reason),
             qPrintable(error));
    QCOMPARE(Dump(w->DupeModel()->Tree()), kFixtureDump);
    QCOMPARE(w->DupeInfoLbl->text(), label);
    QCOMPARE(w->SearchResultsPanel->isVisible(), fromResultsView);
    QCOMPARE(w->OptionsPanel->isVisible(), !fromResultsView);
    QCOMPARE(w->StatusText(), QStringLiteral("as it was"));
    QCOMPARE(w->HintLineInstalled(), hintLine);
}

void MainFormResultsFileTest::EmptyFileKeepsTheTree() {
    LoadRows(FixtureRows());
    const QString label = w->DupeInfoLbl->text();
    w->HideOptionsBtnClick();
    const std::string empty = files->Path("empty.dat");
    qm::test::WriteBytes(empty, "");
    chooser.Choose(empty);

    w->LoadPreviousSearchResults1->trigger();

    QCOMPARE(Dump(w->DupeModel()->Tree()), kFixtureDump);
    QVERIFY(w->SearchResultsPanel->isVisible());
    QCOMPARE(w->DupeInfoLbl->text(), label);
    QCOMPARE(w->StatusText(), QStringLiteral("Search results loaded."));
    QVERIFY(prompter->errors.empty());
}

void MainFormResultsFileTest::ScannerFilesAndWindowFilesAreOne() {
    TempTree tree({
        {"a/same.txt", Content("AAAA")},
        {"b/same.txt", Content("AAAA")},
        {"c/same copy.txt", Content("AAAA")},
        {"a/pic|1.jpg", Content("JPEG-DATA")},
        {"b/pic.jpg", Content("JPEG-DATA")},
        {"c/lone.dat", Content("nothing like it")},
    });

    // quillmere-scan's results file loads in the window and shows what the window's own search
    // shows.
    const std::string scanned = files->Path("scanned.dat");
    QCOMPARE(RunScan({"--quiet", "--format", "dat", "--output", QString::fromStdString(scanned),
                      QString::fromStdString(tree.Root())}),
             QString());
    chooser.Choose(scanned);
    w->LoadPreviousSearchResults1->trigger();
    QVERIFY(prompter->errors.empty());
    const QStringList loaded = Dump(w->DupeModel()->Tree());
    QCOMPARE(loaded.size(), 7);  // two roots, two sets of two and three files

    w->HideOptionsBtnClick();
    w->AddSearchPath(tree.Root());
    for (std::size_t row = 0; row < w->FilterTable().Count(); ++row) {
        if (w->FilterTable().Row(row).mask == "*.*") {
            w->FilterSG->item(static_cast<int>(row), 0)->setCheckState(Qt::Checked);
        }
    }
    QVERIFY(w->SearchBtn->isEnabled());
    w->SearchBtnClick();
    QCOMPARE(Dump(w->DupeModel()->Tree()), loaded);

    // The window's results file is the scanner's, byte for byte, and the scanner acts on it:
    // every file of a set but its first would be moved.
    const std::string saved = files->Path("saved.dat");
    chooser.Choose(saved);
    QTest::mouseClick(w->SaveResultsBtn, Qt::LeftButton);
    QCOMPARE(ReadBytes(saved), ReadBytes(scanned));
    const std::string destination = files->Path("moved/");
    files->Add({{"moved/", qm::test::Folder()}});
    const QString plan = RunScan({"--load", QString::fromStdString(saved), "--move-copies-to",
                                  QString::fromStdString(destination), "--dry-run"});
    QStringList wouldMove;
    for (const QString& line : plan.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("would move: "))) {
            wouldMove << line.mid(12).section(QStringLiteral(" -> "), 0, 0);
        }
    }
    QStringList copies;
    for (const ResultTree::Node& node : w->DupeModel()->Tree().Nodes()) {
        if (node.level == 2) {
            copies << QString::fromStdString(node.entry.FullPath());
        }
    }
    QCOMPARE(wouldMove, copies);
    QCOMPARE(prompter->messages.size(), std::size_t{1});
}

void MainFormResultsFileTest::NothingElseRunsDuringALoad() {
    LoadRows(OtherRows());
    // A large file, so that the fill yields; the user then asks for a search, another load, a save
    // and to close the window.
    std::vector<ResultLine> rows;
    for (int i = 0; i < 2000; ++i) {
        rows.push_back({qm::engine::GroupText(i / 2 + 1),
                        "/d/" + std::to_string(i % 2) + "/f" + std::to_string(i / 2) + ".bin",
                        "*.BIN", 100, kDate});
    }
    const std::string path = files->Path("large.dat");
    qm::storage::WriteResultsFile(path, rows);
    bool tried = false;
    w->SearchHost().SetMinYieldInterval(0);
    w->SearchHost().SetYieldHook([&] {
        if (tried || w->StatusText() != QLatin1String("Preparing search results for display.")) {
            return;
        }
        tried = true;
        w->SearchBtnClick();
        w->LoadPreviousSearchResults1Click();
        w->SaveResultsBtnClick();
        w->ExportMenuCSVItemClick();
        w->close();
        QVERIFY(w->isVisible());
    });
    chooser.Choose(path);

    w->LoadPreviousSearchResults1->trigger();

    QVERIFY(tried);
    QVERIFY(!w->SearchRunning());
    QCOMPARE(chooser.asked.size(), std::size_t{2});  // the two loads' dialogs only
    QCOMPARE(w->DupeModel()->Tree().FileRowCount(), rows.size());
    QVERIFY(!w->isVisible());  // closed once the load was done
}

void MainFormResultsFileTest::SavedAndLoadedAgainLooksTheSame() {
    LoadRows(FixtureRows());
    const QStringList before = Dump(w->DupeModel()->Tree());
    const QString label = w->DupeInfoLbl->text();
    w->DupeModel()->MarkAll();
    const std::string path = files->Path("again.dat");
    chooser.Choose(path);
    QTest::mouseClick(w->SaveResultsBtn, Qt::LeftButton);
    LoadRows(OtherRows());
    QCOMPARE(w->DupeModel()->Tree().FileRowCount(), std::size_t{2});

    chooser.Choose(path);
    w->LoadPreviousSearchResults1->trigger();

    // The same roots, sets, rows, sizes and dates, every mark cleared.
    QCOMPARE(Dump(w->DupeModel()->Tree()), before);
    QCOMPARE(w->DupeInfoLbl->text(), label);
    QVERIFY(TreeRows() == FixtureRows());
}

QTEST_MAIN(MainFormResultsFileTest)
#include "MainFormResultsFileTest.moc"
