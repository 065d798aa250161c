// The search summary panel and the window host that feeds it during a search.
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "app/mainform/SearchSummaryPanel.h"
#include "app/mainform/WindowHost.h"
#include "app/widgets/MarkupStatusBar.h"

using qm::app::SearchSummaryPanel;
using qm::app::WindowHost;
using qm::engine::Counter;
using qm::engine::SearchStep;
using qm::engine::StepState;

class SearchSummaryPanelTest : public QObject {
    Q_OBJECT
private slots:
    void StepsCountersAndPlace();
    void HostDrawsAtYieldsOnly();
};

void SearchSummaryPanelTest::StepsCountersAndPlace() {
    QWidget window;
    window.resize(800, 600);
    SearchSummaryPanel panel(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!panel.isVisible());
    QCOMPARE(panel.objectName(), QStringLiteral("InfoPanel"));

    panel.SetCounter(Counter::FilesScanned, 12);
    panel.SetStepState(SearchStep::FileComparison, StepState::Done);
    panel.Reset();
    QCOMPARE(panel.StepLabel(SearchStep::FolderScan)->text(), QStringLiteral("In Progress"));
    QCOMPARE(panel.StepLabel(SearchStep::FileScan)->text(), QStringLiteral("Pending"));
    QCOMPARE(panel.StepLabel(SearchStep::FileComparison)->text(), QStringLiteral("Pending"));
    for (Counter counter : {Counter::FoldersScanned, Counter::FoldersIgnored, Counter::FilesScanned,
                            Counter::FilesIgnored}) {
        QCOMPARE(panel.CounterLabel(counter)->text(), QStringLiteral("0"));
    }
    // Each counter has its own label.
    panel.SetCounter(Counter::FoldersIgnored, 3);
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("FoldersIgnoredLbl"))->text(),
             QStringLiteral("3"));
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("FilesIgnoredLbl"))->text(),
             QStringLiteral("0"));

    // Centred, halves rounded toward zero; its own button closes it.
    panel.ShowCentred(QSize(801, 601));
    QVERIFY(panel.isVisible());
    QCOMPARE(panel.x(), (801 - panel.width()) / 2);
    QCOMPARE(panel.y(), (601 - panel.height()) / 2);
    QTest::mouseClick(panel.CloseButton(), Qt::LeftButton);
    QVERIFY(!panel.isVisible());
}

void SearchSummaryPanelTest::HostDrawsAtYieldsOnly() {
    QWidget window;
    SearchSummaryPanel panel(&window);
    qm::app::MarkupStatusBar statusBar(&window);
    bool abort = false;
    WindowHost host(panel, statusBar, abort);
    host.SetMinYieldInterval(0);

    host.SetStepState(SearchStep::FileScan, StepState::InProgress);
    QCOMPARE(panel.StepLabel(SearchStep::FileScan)->text(), QStringLiteral("In Progress"));
    // Counters and the scanned path wait for the next real yield.
    host.SetCounter(Counter::FilesScanned, 41);
    host.SetCounter(Counter::FilesScanned, 42);
    host.SetStatusPath("<B>Scanning Folder:</B> ", "/data/<U>odd</U>/");
    QCOMPARE(panel.CounterLabel(Counter::FilesScanned)->text(), QStringLiteral("0"));
    host.Yield();
    QCOMPARE(panel.CounterLabel(Counter::FilesScanned)->text(), QStringLiteral("42"));
    QCOMPARE(statusBar.PlainText(), QStringLiteral("Scanning Folder: /data/<U>odd</U>/"));
    // A status text replaces a path still waiting to be drawn.
    host.SetStatusPath("<B>Scanning Folder:</B> ", "/later/");
    host.SetStatusText("<B>Done</B>");
    host.Flush();
    QCOMPARE(statusBar.Text(), QStringLiteral("<B>Done</B>"));

    host.ShowProgress(true);
    QCOMPARE(statusBar.Panel0Width(), qm::app::MarkupStatusBar::kProgressWidth);
    host.SetProgress(37);
    QCOMPARE(statusBar.ProgressBar()->value(), 37);
    host.ShowProgress(false);
    QCOMPARE(statusBar.Panel0Width(), 0);

    QVERIFY(!host.AbortRequested());
    abort = true;
    QVERIFY(host.AbortRequested());
    QSignalSpy commands(&host, &WindowHost::MarkedFileCommandsEnabled);
    host.SetMarkedFileCommandsEnabled(true);
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands.at(0).at(0).toBool(), true);
    QVERIFY(host.RealYields() >= 1);
}

QTEST_MAIN(SearchSummaryPanelTest)
#include "SearchSummaryPanelTest.moc"
