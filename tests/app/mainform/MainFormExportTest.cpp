// The export menu of the results toolbar: the real window driven through its button and menu
// items, with a scripted file dialog; every document is read back.
#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QToolButton>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "ScriptedFileChooser.h"
#include "Shots.h"
#include "Unprivileged.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/ResultExporter.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "platform/Locale.h"
#include "storage/ExportDocument.h"
#include "storage/ExportReaders.h"
#include "storage/ResultsFile.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using qm::app::TfrmMain;
using qm::results::DupeColumn;
using qm::results::ResultLine;
using qm::results::ResultTree;
using qm::storage::ExportColumn;
using qm::storage::ExportFormat;
using qm::test::Content;
using qm::test::ReadBytes;
using qm::test::TempTree;

Q_DECLARE_METATYPE(ExportFormat)

namespace {

const char* const kDate = "03/14/2024 09:26:52 AM";

// Names that each format must carry through: the separators of CSV and of the text table, quotes,
// markup, RTF's braces and backslash, a line feed, a byte that is no UTF-8, other scripts, and a
// size that shows with thousands separators.
std::vector<ResultLine> OddRows() {
    return {
        {"000001", "/data/a,b.txt", "*.TXT", 1234567, kDate},
        {"000001", "/data/say \"hi\" now.txt", "*.TXT", 1234567, kDate},
        {"000001", "/data/line\nfeed.txt", "*.TXT", 1234567, kDate},
        {"000002", "/web/<script>alert(1)<script>.htm", "*.HTM", 42, kDate},
        {"000002", "/web/<img src=x onerror=alert(1)>.htm", "*.HTM", 42, kDate},
        {"000003", "/rtf/{braces} and \\back.rtf", "*.RTF", 7, kDate},
        {"000003",
         "/rtf/Gr\xC3\xBC\xC3\x9F"
         "e \xE6\x97\xA5\xE6\x9C\xAC \xFF.rtf",
         "*.RTF", 7, kDate},
    };
}

// The cells of a table read by the strict readers of the core's tests, as text.
std::vector<QStringList> AsText(const qm::storage::testing::Table& table) {
    std::vector<QStringList> rows;
    for (const std::vector<std::string>& record : table) {
        QStringList cells;
        for (const std::string& cell : record) {
            cells << QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
        }
        rows.push_back(cells);
    }
    return rows;
}

// The cells of the first table of an HTML document, row by row, as Qt's HTML reader sees them.
std::vector<QStringList> ReadHtmlTable(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    std::vector<QStringList> rows;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (table == nullptr) {
            continue;
        }
        for (int r = 0; r < table->rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                cells << cursor.selectedText();
            }
            rows.push_back(cells);
        }
        break;
    }
    return rows;
}

}  // namespace

class MainFormExportTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void ExportMenuOpensBelowTheButton();
    void EachFormatAfterAColumnWasMoved_data();
    void EachFormatAfterAColumnWasMoved();
    void RemembersTheLastName();
    void OfferedName_data();
    void OfferedName();
    void CancelWritesNothing();
    void FailedExportKeepsTheOldFile_data();
    void FailedExportKeepsTheOldFile();
    void EmptyTreeGivesTheHeaderRow();

private:
    void Load(const std::vector<ResultLine>& rows) {
        const std::string path = files->Path("given.dat");
        qm::storage::WriteResultsFile(path, rows);
        chooser.Choose(path);
        w->LoadPreviousSearchResults1->trigger();
        QCOMPARE(w->DupeModel()->Tree().FileRowCount(), rows.size());
    }
    // What the tree shows: per node in depth-first order, the cells of columns (logical numbers).
    std::vector<QStringList> ShownRows(const std::vector<int>& columns) const {
        const qm::app::DupeTreeModel& model = *w->DupeModel();
        std::vector<QStringList> rows;
        for (std::size_t i = 0; i < model.Tree().NodeCount(); ++i) {
            const auto id = static_cast<ResultTree::NodeId>(i);
            QStringList cells;
            for (const int column : columns) {
                cells << model.IndexOf(id, column).data(Qt::DisplayRole).toString();
            }
            rows.push_back(cells);
        }
        return rows;
    }

    std::unique_ptr<TempTree> files;
    std::unique_ptr<qm::test::ScriptedPrompter> prompter;
    qm::test::ScriptedFileChooser chooser;
    std::unique_ptr<TfrmMain> w;
};

void MainFormExportTest::init() {
    files = std::make_unique<TempTree>();
    prompter = std::make_unique<qm::test::ScriptedPrompter>();
    chooser = {};
    w = std::make_unique<TfrmMain>(prompter.get());
    w->SetFileChooser(&chooser);
    w->SetFileDialogFolder(files->Root());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void MainFormExportTest::cleanup() {
    QCOMPARE(prompter->unexpected, 0);
    QVERIFY(prompter->ScriptUsedUp());
    QCOMPARE(chooser.unexpected, 0);
    QVERIFY(chooser.ScriptUsedUp());
    w.reset();
    prompter.reset();
    files.reset();
}

void MainFormExportTest::ExportMenuOpensBelowTheButton() {
    Load(OddRows());
    // Between the move button and the colour button.
    const auto* toolbar = qobject_cast<QHBoxLayout*>(w->TreeOptionsPanel->layout());
    QVERIFY(toolbar != nullptr);
    const int at = toolbar->indexOf(w->ExportBtn);
    QCOMPARE(toolbar->itemAt(at - 1)->widget(), static_cast<QWidget*>(w->MoveToFolderBtn));
    QCOMPARE(toolbar->itemAt(at + 1)->widget(), static_cast<QWidget*>(w->ColorSettingsBtn));
    QCOMPARE(w->ExportBtn->toolTip(),
             QStringLiteral("Export the duplicate file search results to various file formats."));

    QTest::mouseClick(w->ExportBtn, Qt::LeftButton);
    QTRY_VERIFY(w->ExportMenu->isVisible());
    // Right below the button; moved left only as far as keeps it on the screen.
    const QPoint below = w->ExportBtn->mapToGlobal(w->ExportBtn->rect().bottomLeft());
    const QRect screen = w->ExportBtn->screen()->availableGeometry();
    QCOMPARE(w->ExportMenu->pos().y(), below.y());
    QCOMPARE(w->ExportMenu->pos().x(),
             std::min(below.x(), screen.right() + 1 - w->ExportMenu->width()));
    QStringList captions;
    for (const QAction* item : w->ExportMenu->actions()) {
        captions << item->text();
    }
    QCOMPARE(captions, QStringList({"Export To &CSV File", "Export To &HTML File",
                                    "Export To &Rich Text Format (RTF/Document) File",
                                    "Export To &Text File"}));
    QCOMPARE(w->ExportMenu->actions(),
             QList<QAction*>({w->ExportMenuCSVItem, w->ExportMenuHTMLItem, w->ExportMenuRTFItem,
                              w->ExportMenuTextItem}));

    // The window with the menu as it stands over it.
    QImage shot = w->grab().toImage();
    QPainter painter(&shot);
    painter.drawImage(w->mapFromGlobal(w->ExportMenu->pos()), w->ExportMenu->grab().toImage());
    painter.end();
    QVERIFY(shot.save(qm::test::ShotPath(QStringLiteral("export-menu.png"))));
    w->ExportMenu->close();
}

void MainFormExportTest::EachFormatAfterAColumnWasMoved_data() {
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("extension");
    QTest::newRow("CSV") << ExportFormat::Csv << "CSV File (*.csv)|*.csv|All Files(*.*)|*.*"
                         << "CSV";
    QTest::newRow("HTML") << ExportFormat::Html << "HTML File (*.htm)|*.htm|All Files(*.*)|*.*"
                          << "HTM";
    QTest::newRow("RTF") << ExportFormat::Rtf << "Rich Text Files (*.RTF)|*.RTF|All Files(*.*)|*.*"
                         << "RTF";
    QTest::newRow("Text") << ExportFormat::Text << "Text Files (*.Txt)|*.Txt|All Files(*.*)|*.*"
                          << "Txt";
}

void MainFormExportTest::EachFormatAfterAColumnWasMoved() {
    QFETCH(ExportFormat, format);
    QFETCH(QString, filter);
    QFETCH(QString, extension);
    Load(OddRows());
    // The size column dragged to the front, the name column to the end; every set collapsed.
    QHeaderView* header = w->DupeTV->header();
    header->moveSection(header->visualIndex(3), 0);
    header->moveSection(header->visualIndex(1), 4);
    w->DupeTV->collapseAll();
    const std::vector<int> order = {3, 0, 2, 4, 1};
    const std::vector<ExportColumn> columns = {{DupeColumn::FileSize, "File Size (Bytes)"},
                                               {DupeColumn::Extension, "Extension"},
                                               {DupeColumn::FilePath, "File Path"},
                                               {DupeColumn::Modified, "Last Modified"},
                                               {DupeColumn::FileName, "File Name"}};

    const std::string target = files->Path("export." + extension.toLower().toStdString());
    chooser.Choose(target);
    for (QAction* item : w->ExportMenu->actions()) {
        if (item->objectName() == QLatin1String(qm::app::ExportMenuEntryOf(format).objectName)) {
            item->trigger();
        }
    }

    QCOMPARE(chooser.asked.size(), std::size_t{2});
    const qm::app::FileChoice& choice = chooser.asked[1].choice;
    QVERIFY(chooser.asked[1].save);
    QCOMPARE(choice.title, std::string("Export File..."));
    QCOMPARE(QString::fromStdString(choice.filter), filter);
    QCOMPARE(QString::fromStdString(choice.defaultExtension), extension);
    QCOMPARE(choice.folder, files->Root());
    QVERIFY(choice.fileName.empty());
    // The dialog asks before replacing a file, not the program.
    QVERIFY(choice.confirmOverwrite);
    QVERIFY(prompter->questions.empty());
    QVERIFY(prompter->messages.empty());
    QVERIFY(prompter->errors.empty());

    // The document of the tree's rows in the moved columns, as the renderers make it.
    const std::string written = ReadBytes(target);
    const auto& locale = qm::platform::UserLocale();
    QCOMPARE(written,
             qm::storage::RenderExport(
                 qm::storage::ExportDocumentOf(w->DupeModel()->Tree(), columns, locale), format));

    // A copy for people to open in other programs.
    QVERIFY(qm::test::WriteBytes(
        qm::test::ShotPath(QStringLiteral("export-moved-columns.") + extension.toLower())
            .toStdString(),
        written));

    // Read back: the captions in display order, then every row with the texts the tree shows.
    std::vector<QStringList> shown = ShownRows(order);
    QStringList captions;
    for (const ExportColumn& column : columns) {
        captions << QString::fromStdString(column.caption);
    }
    const ResultTree& tree = w->DupeModel()->Tree();
    for (std::size_t i = 0; i < shown.size(); ++i) {
        // The nesting column: the key of a root row, ">" and ">>" for the files of a set.
        const int level = tree.At(static_cast<ResultTree::NodeId>(i)).level;
        shown[i][1] =
            QString::fromStdString(qm::storage::NestingText(level, shown[i][1].toStdString()));
    }
    std::vector<QStringList> read;
    try {
        switch (format) {
            case ExportFormat::Csv:
                read = AsText(qm::storage::testing::ReadCsv(written, ','));
                break;
            case ExportFormat::Text:
                read = AsText(qm::storage::testing::ReadCsv(written, ' '));
                break;
            case ExportFormat::Html:
                read = ReadHtmlTable(
                    QString::fromUtf8(written.data(), static_cast<qsizetype>(written.size())));
                break;
            case ExportFormat::Rtf:
                read = AsText(qm::storage::testing::ReadRtfTable(written));
                break;
        }
    } catch (const std::exception& error) {
        QFAIL(error.what());
    }
    if (format == ExportFormat::Html || format == ExportFormat::Rtf) {
        // A document shows a line feed in a name as its control picture.
        for (QStringList& row : shown) {
            for (QString& cell : row) {
                cell.replace(QLatin1Char('\n'), QChar(0x240A));
            }
        }
    }
    QCOMPARE(read.size(), shown.size() + 1);
    QCOMPARE(read[0], captions);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        QCOMPARE(read[i + 1], shown[i]);
    }
}

void MainFormExportTest::RemembersTheLastName() {
    Load(OddRows());
    const std::string first = files->Path("report.csv");
    const std::string second = files->Path("notes.data");
    chooser.Choose(first);
    w->ExportMenuCSVItem->trigger();
    chooser.Choose(first.substr(0, first.size() - 3) + "htm");
    w->ExportMenuHTMLItem->trigger();
    chooser.Choose(second);
    w->ExportMenuTextItem->trigger();
    chooser.Choose(second);
    w->ExportMenuRTFItem->trigger();

    QCOMPARE(chooser.asked.size(), std::size_t{5});
    QVERIFY(chooser.asked[1].choice.fileName.empty());
    // The name chosen last, its extension following the format where it was an export's.
    QCOMPARE(chooser.asked[2].choice.fileName, files->Path("report.htm"));
    QCOMPARE(chooser.asked[3].choice.fileName, files->Path("report.txt"));
    QCOMPARE(chooser.asked[4].choice.fileName, second);
    QCOMPARE(w->Exporter().LastFileName(), second);
    QVERIFY(prompter->errors.empty());
}

void MainFormExportTest::OfferedName_data() {
    QTest::addColumn<QString>("last");
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QString>("offered");
    QTest::newRow("none yet") << "" << ExportFormat::Csv << "";
    QTest::newRow("csv to rtf") << "/a/r.csv" << ExportFormat::Rtf << "/a/r.rtf";
    QTest::newRow("upper case") << "/a/R.TXT" << ExportFormat::Html << "/a/R.htm";
    QTest::newRow("html to csv") << "/a/page.html" << ExportFormat::Csv << "/a/page.csv";
    QTest::newRow("same format") << "/a/r.htm" << ExportFormat::Html << "/a/r.htm";
    QTest::newRow("other extension kept") << "/a/r.data" << ExportFormat::Csv << "/a/r.data";
    QTest::newRow("no extension") << "/a/report" << ExportFormat::Csv << "/a/report";
    QTest::newRow("dot in the folder only")
        << "/a.csv/report" << ExportFormat::Rtf << "/a.csv/report";
    QTest::newRow("hidden name") << "/a/.csv" << ExportFormat::Rtf << "/a/.csv";
}

void MainFormExportTest::OfferedName() {
    QFETCH(QString, last);
    QFETCH(ExportFormat, format);
    QFETCH(QString, offered);
    QCOMPARE(QString::fromStdString(qm::app::OfferedExportName(last.toStdString(), format)),
             offered);
}

void MainFormExportTest::CancelWritesNothing() {
    Load(OddRows());
    chooser.Cancel();
    w->ExportMenuCSVItem->trigger();
    QVERIFY(w->Exporter().LastFileName().empty());
    QVERIFY(prompter->errors.empty());
}

void MainFormExportTest::FailedExportKeepsTheOldFile_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("unprivileged");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder missing") << "missing/out.csv" << false << "No such file or directory";
    QTest::newRow("folder not writable") << "locked/out.csv" << true << "Permission denied";
}

void MainFormExportTest::FailedExportKeepsTheOldFile() {
    QFETCH(QString, relative);
    QFETCH(bool, unprivileged);
    QFETCH(QString, reason);
    Load(OddRows());
    // A folder of its own (mode 0755): others may not write in it.
    files->Add({{"locked/out.csv", Content("old\r\n").WithMode(0666)}});
    QVERIFY(qm::test::OpenToEveryone(files->Root()));
    const std::string target = files->Path(relative.toStdString());
    chooser.Choose(target);
    {
        const qm::test::Unprivileged user(unprivileged);
        QVERIFY(user.Ok());
        w->ExportMenuCSVItem->trigger();
    }
    QCOMPARE(prompter->errors.size(), std::size_t{1});
    const QString error = QString::fromStdString(prompter->errors[0]);
    QVERIFY2(error.contains(QString::fromStdString(target)) && error.contains(reason),
             qPrintable(error));
    QCOMPARE(ReadBytes(files->Path("locked/out.csv")), std::string("old\r\n"));
    QVERIFY(!w->Exporter().Busy());
}

void MainFormExportTest::EmptyTreeGivesTheHeaderRow() {
    // Nothing found yet: the export holds the captions alone.
    QVERIFY(w->DupeModel()->Tree().Empty());
    const std::string target = files->Path("empty.csv");
    chooser.Choose(target);
    w->ExportMenuCSVItemClick();
    QCOMPARE(ReadBytes(target),
             std::string("Extension,File Name,File Path,File Size (Bytes),Last Modified\r\n"));
}

QTEST_MAIN(MainFormExportTest)
#include "MainFormExportTest.moc"
