// The filter grid's model: the ticks are the table's selected flags, changes reach the views in
// one batch, an empty table is one blank row; and the grid's keyboard.
#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "app/widgets/FilterGrid.h"
#include "app/widgets/FilterTableModel.h"
#include "app/widgets/TreeNodeHelpers.h"
#include "support/ScriptedPrompter.h"

using qm::app::FilterGrid;
using qm::app::FilterTableModel;
using qm::scope::FilterRow;
using qm::scope::FilterTable;

class FilterTableModelTest : public QObject {
    Q_OBJECT
private slots:
    void RowsTicksAndTheBlankRow();
    void ChangesReachTheViewsInOneBatch();
    void GlobalRuleShowsTheTableBeforeAsking();
    void TabLeavesTheGridArrowsMoveInside();
    void SpaceFlipsTheCurrentRowsBox();
};

void FilterTableModelTest::RowsTicksAndTheBlankRow() {
    FilterTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 1);  // the blank row of an empty table
    QVERIFY(!model.data(model.index(0, 0), Qt::CheckStateRole).isValid());
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable));

    model.Modify([](FilterTable& table) {
        table.SetRows({{"*.txt", "Text", true}, {"*.bmp", "Bitmaps"}});
    });
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Filter Description"));
    QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("*.bmp"));
    QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("Bitmaps"));
    QCOMPARE(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QVERIFY(model.data(model.index(0, 2), qm::app::kBoldRole).toBool());
    QVERIFY(!model.data(model.index(1, 2), qm::app::kBoldRole).toBool());
    QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsUserCheckable));
    QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));

    // A click on a box is a change of the table, reported once.
    QSignalSpy clicked(&model, &FilterTableModel::CheckBoxClicked);
    QVERIFY(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model.Table().Row(1).selected);
    QVERIFY(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toInt(), 1);
    QVERIFY(!model.setData(model.index(1, 1), Qt::Unchecked, Qt::CheckStateRole));

    model.Modify([](FilterTable& table) { table.Clear(); });
    QCOMPARE(model.rowCount(), 1);
}

void FilterTableModelTest::ChangesReachTheViewsInOneBatch() {
    FilterTableModel model;
    model.Modify([](FilterTable& table) { table.LoadDefaultFilters(); });
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    // Ticks only: one dataChanged from the first to the last changed row.
    model.Modify([](FilterTable& table) {
        table.SetSelected(2, true);
        table.SetSelected(5, true);
    });
    QCOMPARE(reset.count(), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>().row(), 2);
    QCOMPARE(changed.at(0).at(1).value<QModelIndex>().row(), 5);

    // New texts or rows: one reset.
    model.Modify([](FilterTable& table) { table.EditFilter(0, "*", "Everything"); });
    model.Modify([](FilterTable& table) { table.DeleteFilter(3); });
    QCOMPARE(reset.count(), 2);
    QCOMPARE(model.rowCount(), 14);

    // Nothing changed: nothing reported.
    changed.clear();
    reset.clear();
    model.Modify([](FilterTable&) {});
    QCOMPARE(changed.count(), 0);
    QCOMPARE(reset.count(), 0);
}

void FilterTableModelTest::GlobalRuleShowsTheTableBeforeAsking() {
    FilterTableModel model;
    model.Modify([](FilterTable& table) {
        table.SetRows({{"*.*", "All Files", true}, {"*.bmp", "Bitmaps"}});
    });
    QVERIFY(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));

    // While the question shows, the views have been told the new tick is gone again.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    qm::test::ScriptedPrompter prompter;
    prompter.Answer(true);
    int changesBeforeQuestion = -1;
    Qt::CheckState shownWhileAsked = Qt::PartiallyChecked;
    prompter.onAsk = [&](const std::string&) {
        changesBeforeQuestion = static_cast<int>(changed.count());
        shownWhileAsked =
            static_cast<Qt::CheckState>(model.data(model.index(1, 0), Qt::CheckStateRole).toInt());
    };
    model.ApplyCheckBoxRule(1, prompter);
    QCOMPARE(shownWhileAsked, Qt::Unchecked);
    QVERIFY(changesBeforeQuestion >= 1);
    QCOMPARE(prompter.informationQuestions.size(), std::size_t{1});
    QVERIFY(!model.Table().Row(0).selected);
    QVERIFY(model.Table().Row(1).selected);
}

void FilterTableModelTest::TabLeavesTheGridArrowsMoveInside() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QLineEdit(&window);
    auto* grid = new FilterGrid(&window);
    auto* after = new QLineEdit(&window);
    for (QWidget* widget : std::initializer_list<QWidget*>{before, grid, after}) {
        layout->addWidget(widget);
    }
    FilterTableModel model;
    model.Modify([](FilterTable& table) { table.LoadDefaultFilters(); });
    grid->setModel(&model);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    grid->setFocus();
    grid->setCurrentCell(0, 1);
    QTRY_VERIFY(grid->hasFocus());

    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->currentRow(), 2);
    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(grid->currentColumn(), 2);

    QTest::keyClick(grid, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(after));
    QCOMPARE(grid->currentRow(), 2);  // the cursor stays where it was
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(before));
}

void FilterTableModelTest::SpaceFlipsTheCurrentRowsBox() {
    FilterGrid grid;
    FilterTableModel model;
    model.Modify([](FilterTable& table) { table.SetRows({{"*.a", "A"}, {"*.b", "B"}}); });
    grid.setModel(&model);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    struct Case {
        int column;
        bool selected;
    };
    // Whatever cell of the row is current, the row's box flips.
    for (const Case c : {Case{1, true}, Case{2, false}, Case{0, true}}) {
        grid.setCurrentCell(1, c.column);
        QTest::keyClick(&grid, Qt::Key_Space);
        QCOMPARE(model.Table().Row(1).selected, c.selected);
    }
    QCOMPARE(grid.item(1, 0)->checkState(), Qt::Checked);
    QCOMPARE(grid.item(1, 1)->text(), QStringLiteral("*.b"));
    QCOMPARE(grid.horizontalHeaderItem(0)->text(), QStringLiteral("Select Filter"));
    QVERIFY(!model.Table().Row(0).selected);
}

QTEST_MAIN(FilterTableModelTest)
#include "FilterTableModelTest.moc"
