#include <QDir>
#include <QLabel>
#include <QVBoxLayout>
#include <QtTest>

#include "DupeTreeFixture.h"
#include "Shots.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "results/ResultStatistics.h"
#include "results/ResultsTestSupport.h"

using qm::app::DupeTreeModel;
using qm::app::DupeTreeView;
using qm::app::testing::FixtureLines;
using qm::app::testing::kFileFields;
using qm::results::EntryStatus;
using qm::results::testing::FakeLocale;
using qm::results::testing::RecordingHost;

// Shows the results tree filled from a fixture with marked, blocked and deleted rows, and writes
// a picture of it for people to look at.
class DupeTreeScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void resultsTree();
};

void DupeTreeScreenshotTest::resultsTree() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    RecordingHost host;
    model.SetHost(&host);
    model.SetBlockedRule(
        qm::results::BlockedFolderRule({"/home/ann/Documents/keep/"}, false, locale));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Quillmere"));
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* info = new QLabel(&window);
    info->setObjectName(QStringLiteral("DupeInfoLbl"));
    info->setStyleSheet(
        QStringLiteral("QLabel { color: white; background: rgb(119, 119, 255); padding: 3px; }"));
    auto* view = new DupeTreeView(&model, &window);
    layout->addWidget(info);
    layout->addWidget(view);
    window.resize(960, 420);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const std::vector<std::string> lines = FixtureLines({
        {{"/home/ann/Pictures/2023/beach.jpg", "/home/ann/Pictures/backup/beach.jpg",
          "/home/ann/Downloads/beach.jpg"},
         2483117},
        {{"/home/ann/Pictures/2023/dog.jpg", "/home/ann/Pictures/backup/dog.jpg"}, 845210},
        {{"/home/ann/Documents/report.pdf", "/home/ann/Documents/keep/report.pdf",
          "/home/ann/Downloads/report (1).pdf"},
         120455},
        {{"/home/ann/Music/song.mp3", "/home/ann/Downloads/song.mp3"}, 5120000},
        {{"/home/ann/Documents/notes.txt", "/home/ann/Desktop/notes.txt"}, 1532},
        {{"/home/ann/Downloads/setup.tar.gz", "/home/ann/Desktop/setup.tar.gz"}, 10485760},
    });
    QVERIFY(model.PopulateResultsTree(lines, kFileFields));
    model.MarkAll();
    // One deleted copy, shown red and struck through.
    model.ModifyRecords([&](qm::results::ResultTree& tree) {
        for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
            auto& node = tree.At(static_cast<qm::results::ResultTree::NodeId>(i));
            if (node.entry.FullPath() == "/home/ann/Downloads/song.mp3") {
                node.entry.Status = EntryStatus::Removed;
            }
        }
    });
    const auto label = model.ShowResultStatistics(
        false, false, "Search completed in 0 hour(s) 0 minute(s) and 3 second(s).");
    QVERIFY(label.has_value());
    info->setText(QString::fromStdString(*label));
    view->ExpandNodesBtnClick();
    // Select one row to show the selection colours.
    view->setCurrentIndex(model.index(1, 0, model.index(0, 0)));
    view->setFocus();
    QTest::qWait(50);

    const QPixmap shot = window.grab();
    QVERIFY(!shot.isNull());
    QVERIFY(shot.save(qm::test::ShotPath(QStringLiteral("results-tree.png"))));
    view->SetGridLines(true);
    QVERIFY(window.grab().save(qm::test::ShotPath(QStringLiteral("results-tree-grid.png"))));
    QVERIFY(label->rfind("40,715,720 bytes in 14 file(s) listed. [21,659,646 bytes duplicated in 8 "
                         "file(s).] Search completed",
                         0) == 0);
}

QTEST_MAIN(DupeTreeScreenshotTest)
#include "DupeTreeScreenshotTest.moc"
