// A real search in the main window, pictured for people to look at: the results view with some
// rows marked, and the options view afterwards with the scan summary still up.
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "Shots.h"
#include "app/mainform/MainForm.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

using qm::app::TfrmMain;
using qm::results::ResultTree;
using qm::test::Size;
using qm::test::TempTree;

class MainFormSearchScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void ResultsAndOptionsViews();
};

void MainFormSearchScreenshotTest::ResultsAndOptionsViews() {
    TempTree files({
        {"Pictures/2023/beach.jpg", Size(245'760, 1)},
        {"Backup/Pictures/beach.jpg", Size(245'760, 1)},
        {"Phone/DCIM/IMG_0412.jpg", Size(245'760, 1)},
        {"Pictures/2023/sunset.jpg", Size(198'312, 2)},
        {"Backup/Pictures/sunset (copy).jpg", Size(198'312, 2)},
        {"Documents/report.pdf", Size(1'048'576, 3)},
        {"Downloads/report.pdf", Size(1'048'576, 3)},
        {"Downloads/setup.tar.gz", Size(52'224, 4)},
        {"Backup/setup.tar.gz", Size(52'224, 4)},
        {"Documents/notes.txt", Size(2'048, 5)},
        {"Backup/Documents/notes.txt", Size(2'048, 5)},
        {"Documents/todo.txt", Size(900, 6)},
    });
    qm::test::ScriptedPrompter prompter;
    TfrmMain w(&prompter);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.AddSearchPath(files.Root());
    w.SelectAllFiltersBtnClick();
    w.ClearAllFiltersBtnClick();
    for (std::size_t row = 0; row < w.FilterTable().Count(); ++row) {
        if (w.FilterTable().Row(row).mask == "*.*") {
            w.FilterSG->item(static_cast<int>(row), 0)->setCheckState(Qt::Checked);
        }
    }
    QTest::mouseClick(w.SearchBtn, Qt::LeftButton);
    QVERIFY(w.SearchResultsPanel->isVisible());
    QCOMPARE(w.DupeModel()->Tree().FileRowCount(), std::size_t{11});

    // The options view, back from the results, with the scan summary still up.
    QTest::mouseClick(w.HideOptionsBtn, Qt::LeftButton);
    QVERIFY(w.InfoPanel->isVisible());
    QVERIFY(w.ViewResultsPanel->isVisible());
    QTest::qWait(50);
    QVERIFY(w.grab().save(qm::test::ShotPath(QStringLiteral("options-after-search.png"))));

    // The results view: the summary closed, every set open, marks made.
    QTest::mouseClick(w.ViewSearchResultsBtn, Qt::LeftButton);
    QTest::mouseClick(w.InfoPanelCloseBtn, Qt::LeftButton);
    QVERIFY(!w.InfoPanel->isVisible());
    QTest::mouseClick(w.ExpandNodesBtn, Qt::LeftButton);
    QTest::mouseClick(w.MarkAllBtn, Qt::LeftButton);
    // The user also ticks one set head and selects a row.
    const ResultTree& tree = w.DupeModel()->Tree();
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        const auto id = static_cast<ResultTree::NodeId>(i);
        if (tree.At(id).level == 1 && tree.At(id).entry.FileName == "report.pdf") {
            QVERIFY(w.DupeModel()->SetCheckedByUser(id, true));
        }
    }
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        const auto id = static_cast<ResultTree::NodeId>(i);
        if (tree.At(id).entry.FileName == "sunset.jpg") {
            w.DupeTV->setCurrentIndex(w.DupeModel()->IndexOf(id));
        }
    }
    QVERIFY(w.StatusText().startsWith(QStringLiteral("7 file(s) selected (")));
    // A double click on the header fits the columns to the marked rows, now bold.
    w.DupeTV->FitColumns();
    QTest::qWait(50);
    QVERIFY(w.grab().save(qm::test::ShotPath(QStringLiteral("results-view.png"))));
    QCOMPARE(prompter.unexpected, 0);
}

QTEST_MAIN(MainFormSearchScreenshotTest)
#include "MainFormSearchScreenshotTest.moc"
