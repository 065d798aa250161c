// The application's hint window: a control's hint, and the per-row hints of an item view (the
// results tree's file rows) that it must not swallow.
#include <QHelpEvent>
#include <QTest>

#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/widgets/GraphicHintWindow.h"
#include "results/DupeTreeFixture.h"
#include "results/ResultsTestSupport.h"

using qm::app::DupeTreeModel;
using qm::app::DupeTreeView;
using qm::app::TGraphicHintWindow;

class GraphicHintWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TGraphicHintWindow::Install(); }
    void ResultsRowsShowTheirHints();
};

void GraphicHintWindowTest::ResultsRowsShowTheirHints() {
    qm::results::testing::FakeLocale locale;
    DupeTreeModel model(locale);
    DupeTreeView view(&model);
    view.setToolTip(QStringLiteral("The results."));
    view.resize(900, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(model.PopulateResultsTree(
        qm::app::testing::FixtureLines({{{"/data/a/beach.jpg", "/data/b/beach.jpg"}, 2048}}),
        qm::app::testing::kFileFields));
    view.ExpandNodesBtnClick();
    TGraphicHintWindow* hints = TGraphicHintWindow::Instance();
    QVERIFY(hints != nullptr);
    const auto hover = [&](const QModelIndex& index) {
        const QPoint at = view.visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
        QApplication::sendEvent(view.viewport(), &help);
    };

    // A file row shows its own hint, as plain text.
    hover(model.index(0, 2, model.index(0, 0, model.index(0, 0))));
    QVERIFY(hints->isVisible());
    QCOMPARE(hints->text(), QStringLiteral("File Name: beach.jpg   \nFile Path: /data/b/   \n"
                                           "File Size: 2,048 bytes\nModified: 03/14/2024 "
                                           "09:26:52 AM\nStatus: None."));
    QCOMPARE(hints->textFormat(), Qt::PlainText);

    // A root row has no hint of its own: the view's hint shows.
    hover(model.index(0, 1));
    QVERIFY(hints->isVisible());
    QCOMPARE(hints->text(), QStringLiteral("The results."));
    hints->HideHint();
}

QTEST_MAIN(GraphicHintWindowTest)
#include "GraphicHintWindowTest.moc"
