#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "DupeTreeFixture.h"
#include "app/results/DupeTreeMenus.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "results/ResultsTestSupport.h"

using qm::app::DupeTreeMenus;
using qm::app::DupeTreeModel;
using qm::app::DupeTreeView;
using qm::app::testing::FixtureLines;
using qm::app::testing::kFileFields;
using qm::results::testing::FakeLocale;
using qm::results::testing::RecordingHost;

class DupeTreeViewTest : public QObject {
    Q_OBJECT
private slots:
    void columnsAndWidthRules();
    void fillExpandsRootsAndFitsColumns();
    void expandAndCollapse();
    void contextMenuOnlyOnSelectedFileRow();
    void markingFromTheContextMenu();
    void focusEnablesTargetCommands();
    void colourAndGridMenus();
    void clickingCheckBoxes();
    void spaceMarksTheRowWhateverTheColumn();
    void columnsFitMarkedRows();
    void gridLinesLeaveUnderscoresVisible();
    void newResultOpensAtTheTop();
    void contextMenuFromTheKeyboard();
};

namespace {

std::vector<std::string> Fixture() {
    return FixtureLines(
        {{{"/home/ann/photos/beach.jpg", "/home/ann/backup/beach.jpg", "/home/ann/old/beach.jpg"},
          2500000},
         {{"/home/ann/photos/dog.jpg", "/home/ann/backup/dog.jpg"}, 800},
         {{"/home/ann/docs/a.tar.gz", "/home/ann/backup/a.tar.gz"}, 4096}});
}

}  // namespace

void DupeTreeViewTest::columnsAndWidthRules() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    DupeTreeView view(&model);
    view.resize(900, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.objectName(), QStringLiteral("DupeTV"));
    QCOMPARE(view.header()->height(), 24);
    QCOMPARE(view.indentation(), 30);
    QVERIFY(view.header()->sectionsMovable());
    QVERIFY(!view.isSortingEnabled());
    const int initial[] = {120, 100, 200, 65, 100};
    for (int c = 0; c < 5; ++c) QCOMPARE(view.columnWidth(c), initial[c]);

    struct Case {
        int column;
        int width;
        int kept;
    };
    const Case cases[] = {{0, 50, 120},  {1, 10, 75}, {2, 100, 200}, {2, 1500, 1000},
                          {2, 640, 640}, {3, 70, 88}, {4, 30, 125},  {1, 300, 300}};
    for (const Case& c : cases) {
        view.header()->resizeSection(c.column, c.width);
        QCOMPARE(view.columnWidth(c.column), c.kept);
    }
}

void DupeTreeViewTest::fillExpandsRootsAndFitsColumns() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    DupeTreeView view(&model);
    view.resize(900, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(model.PopulateResultsTree(Fixture(), kFileFields));
    QCOMPARE(model.rowCount(), 2);  // *.JPG and *.GZ
    for (int r = 0; r < model.rowCount(); ++r) {
        const QModelIndex root = model.index(r, 0);
        QVERIFY(view.isExpanded(root));
        for (int s = 0; s < model.rowCount(root); ++s) {
            QVERIFY(!view.isExpanded(model.index(s, 0, root)));
        }
    }
    const int minimum[] = {120, 75, 200, 88, 125};
    for (int c = 0; c < 5; ++c) QVERIFY(view.columnWidth(c) >= minimum[c]);
    // The path column fits its longest folder.
    const int pathWidth = view.fontMetrics().horizontalAdvance(QStringLiteral("/home/ann/photos/"));
    QVERIFY(view.columnWidth(2) >= pathWidth);
}

void DupeTreeViewTest::expandAndCollapse() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    RecordingHost host;
    model.SetHost(&host);
    DupeTreeView view(&model);
    QVERIFY(model.PopulateResultsTree(Fixture(), kFileFields));
    const QModelIndex head = model.index(0, 0, model.index(0, 0));
    host.statusTexts.clear();
    view.ExpandNodesBtnClick();
    QVERIFY(view.isExpanded(head));
    QCOMPARE(host.statusTexts, (std::vector<std::string>{"Expanding nodes.", ""}));
    view.CollapseNodesBtnClick();
    QVERIFY(!view.isExpanded(head));
    QVERIFY(!view.isExpanded(model.index(0, 0)));
}

void DupeTreeViewTest::contextMenuOnlyOnSelectedFileRow() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    DupeTreeView view(&model);
    QVERIFY(model.PopulateResultsTree(Fixture(), kFileFields));
    QVERIFY(view.MenuForContextPopup() == nullptr);  // nothing selected
    view.setCurrentIndex(model.index(0, 0));
    QVERIFY(view.MenuForContextPopup() == nullptr);  // a root row
    view.setCurrentIndex(model.index(0, 2, model.index(0, 0)));
    QCOMPARE(view.MenuForContextPopup(), view.TVMenu());
    const QList<QAction*> items = view.TVMenu()->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0]->text(), QStringLiteral("Mark All Files in This Folder"));
    QCOMPARE(items[1]->text(), QStringLiteral("Unmark All Files in This Folder"));
    QCOMPARE(items[2]->text(), QStringLiteral("Mark All Files With Multiple Extensions"));
    // Selection is single and covers the whole row.
    QCOMPARE(view.selectionModel()->selectedIndexes().size(), 5);
}

void DupeTreeViewTest::markingFromTheContextMenu() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    RecordingHost host;
    model.SetHost(&host);
    DupeTreeView view(&model);
    QVERIFY(model.PopulateResultsTree(Fixture(), kFileFields));
    const auto checks = [&] {
        QString text;
        for (const auto& node : model.Tree().Nodes()) {
            if (node.level >= 1)
                text += node.checked ? '+' : '-';
        }
        return text;
    };
    // Select /home/ann/backup/beach.jpg and mark its folder: every file in backup/.
    const QModelIndex beachHead = model.index(0, 0, model.index(0, 0));
    view.setCurrentIndex(model.index(0, 0, beachHead));
    view.MarkAllInDirItem()->trigger();
    QCOMPARE(checks(), QStringLiteral("-+--+-+"));
    QCOMPARE(QString::fromStdString(host.LastStatus()),
             QStringLiteral("3 file(s) selected (2,504,896 bytes total)"));
    view.UnMarkAllInDirItem()->trigger();
    QCOMPARE(checks(), QStringLiteral("-------"));
    view.MarkDoubleExtensionItem()->trigger();
    QCOMPARE(checks(), QStringLiteral("-----++"));
    model.MarkAll();
    QCOMPARE(checks(), QStringLiteral("-++-+++"));
    QVERIFY(host.commandsEnabled);
    model.UnMarkAll();
    QCOMPARE(checks(), QStringLiteral("-------"));
    QVERIFY(!host.commandsEnabled);
}

void DupeTreeViewTest::focusEnablesTargetCommands() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    DupeTreeView view(&model);
    QVERIFY(model.PopulateResultsTree(Fixture(), kFileFields));
    QSignalSpy enabled(&view, &DupeTreeView::TargetCommandsEnabled);
    view.setCurrentIndex(model.index(0, 0, model.index(0, 0)));
    QCOMPARE(enabled.last().at(0).toBool(), true);
    view.setCurrentIndex(model.index(1, 0));
    QCOMPARE(enabled.last().at(0).toBool(), false);
}

void DupeTreeViewTest::colourAndGridMenus() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    DupeTreeView view(&model);
    DupeTreeMenus menus(&view, &view);
    QVERIFY(model.PopulateResultsTree(Fixture(), kFileFields));
    const QModelIndex navyCell = model.index(1, 1, model.index(0, 0));  // the second set: navy
    const auto colour = [&] {
        return model.data(navyCell, Qt::ForegroundRole).value<QBrush>().color();
    };
    QCOMPARE(colour(), QColor(0, 0, 128));

    menus.SetColorChooser([](qm::results::RgbColor) {
        return std::optional<qm::results::RgbColor>(qm::results::MakeRgb(200, 0, 200));
    });
    QCOMPARE(menus.ColorMenuPrimaryItem()->text(), QStringLiteral("Select &Primary Color"));
    menus.ColorMenuPrimaryItem()->trigger();
    QVERIFY(menus.ColorMenuPrimaryItem()->isChecked());
    QCOMPARE(menus.ColorMenuPrimaryItem()->text(), QStringLiteral("Select Default Primary Color"));
    QCOMPARE(colour(), QColor(200, 0, 200));

    menus.ColorMenuTurnOffItem()->trigger();
    QCOMPARE(colour(), QColor(0, 0, 0));
    QVERIFY(!menus.ColorMenuPrimaryItem()->isEnabled());
    QVERIFY(!menus.ColorMenuSecondaryItem()->isEnabled());
    menus.ColorMenuTurnOnItem()->trigger();
    QCOMPARE(colour(), QColor(0, 0, 128));
    QVERIFY(menus.ColorMenuPrimaryItem()->isEnabled());
    QVERIFY(!menus.ColorMenuPrimaryItem()->isChecked());
    QCOMPARE(menus.ColorMenuPrimaryItem()->text(), QStringLiteral("Select Default Primary Color"));

    QCOMPARE(menus.GridMenuOnItem()->text(), QStringLiteral("&Turn Display Grid On"));
    QVERIFY(!view.GridLines());
    menus.GridMenuOnItem()->trigger();
    QVERIFY(view.GridLines());
    menus.GridMenuOffItem()->trigger();
    QVERIFY(!view.GridLines());
}

void DupeTreeViewTest::clickingCheckBoxes() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    RecordingHost host;
    model.SetHost(&host);
    model.SetBlockedRule(qm::results::BlockedFolderRule({"/home/ann/old/"}, false, locale));
    DupeTreeView view(&model);
    view.resize(900, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(model.PopulateResultsTree(Fixture(), kFileFields));
    view.ExpandNodesBtnClick();
    const QModelIndex head = model.index(0, 0, model.index(0, 0));
    const auto clickBox = [&](const QModelIndex& index) {
        QStyleOptionViewItem option;
        option.initFrom(&view);
        option.rect = view.visualRect(index);
        option.features =
            QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        option.showDecorationSelected = true;
        const QRect box =
            view.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &view);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, box.center());
    };
    const QModelIndex backup = model.index(0, 0, head);
    const QModelIndex old = model.index(1, 0, head);
    clickBox(backup);
    QCOMPARE(model.data(backup, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QCOMPARE(QString::fromStdString(host.LastStatus()),
             QStringLiteral("1 file(s) selected (2,500,000 bytes total)"));
    clickBox(old);
    QCOMPARE(model.data(old, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    QCOMPARE(QString::fromStdString(host.LastStatus()),
             QStringLiteral("<B>Note:</B> beach.jpg <BLINK><B>can not</BLINK></B> be marked for "
                            "deletion because it is in the blocked folder list."));
    clickBox(backup);
    QCOMPARE(model.data(backup, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    QVERIFY(!host.commandsEnabled);
}

void DupeTreeViewTest::spaceMarksTheRowWhateverTheColumn() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    RecordingHost host;
    model.SetHost(&host);
    DupeTreeView view(&model);
    view.resize(900, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(model.PopulateResultsTree(Fixture(), kFileFields));
    view.ExpandNodesBtnClick();
    const QModelIndex row = model.index(0, 0, model.index(0, 0, model.index(0, 0)));
    const auto checked = [&] {
        return model.data(row, Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    };
    // After a click on the name, the arrow keys or on the box: the space bar flips the row's box.
    bool expected = false;
    for (int column : {1, 4, 2, 0}) {
        view.setCurrentIndex(row.siblingAtColumn(column));
        QTest::keyClick(&view, Qt::Key_Space);
        expected = !expected;
        QCOMPARE(checked(), expected);
    }
    // A root row has no box: nothing happens.
    view.setCurrentIndex(model.index(0, 1));
    QTest::keyClick(&view, Qt::Key_Space);
    QVERIFY(!checked());
}

void DupeTreeViewTest::columnsFitMarkedRows() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    DupeTreeView view(&model);
    view.resize(1200, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(model.PopulateResultsTree(
        FixtureLines({{{"/home/ann/photos/a_rather_long_file_name_of_a_holiday_photo.jpg",
                        "/home/ann/backup/a_rather_long_file_name_of_a_holiday_photo.jpg"},
                       2500000}}),
        kFileFields));
    view.ExpandNodesBtnClick();
    // Marked rows are drawn bold; the columns fitted before must still hold their texts.
    model.MarkAll();
    model.SetCheckedByUser(model.NodeOf(model.index(0, 0, model.index(0, 0))), true);
    const QAbstractItemView& asView = view;  // where the width a column wants is public
    for (int column = 1; column < 5; ++column) {
        QVERIFY2(asView.sizeHintForColumn(column) <= view.columnWidth(column),
                 qPrintable(QStringLiteral("column %1: %2 wanted, %3 wide")
                                .arg(column)
                                .arg(asView.sizeHintForColumn(column))
                                .arg(view.columnWidth(column))));
    }
}

void DupeTreeViewTest::gridLinesLeaveUnderscoresVisible() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    DupeTreeView view(&model);
    view.resize(900, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(model.PopulateResultsTree(
        FixtureLines({{{"/data/file36_copy1.png", "/data/old/file36_copy1.png"}, 64}}),
        kFileFields));
    view.ExpandNodesBtnClick();
    view.setCurrentIndex(model.index(0, 0));  // the name row itself unselected
    const QModelIndex name = model.index(0, 1, model.index(0, 0, model.index(0, 0)));
    const QColor text = model.data(name, Qt::ForegroundRole).value<QBrush>().color();
    // The pixel rows of a cell that hold text-coloured pixels.
    const auto textRows = [&] {
        const QImage cell = view.viewport()->grab(view.visualRect(name)).toImage();
        QList<int> rows;
        for (int y = 0; y < cell.height(); ++y) {
            for (int x = 0; x < cell.width(); ++x) {
                const QColor pixel = cell.pixelColor(x, y);
                if (std::abs(pixel.red() - text.red()) + std::abs(pixel.green() - text.green()) +
                        std::abs(pixel.blue() - text.blue()) <
                    60) {
                    rows << y;
                    break;
                }
            }
        }
        return rows;
    };
    const QList<int> plain = textRows();
    QVERIFY(!plain.isEmpty());
    view.SetGridLines(true);
    QCOMPARE(textRows(), plain);
}

void DupeTreeViewTest::newResultOpensAtTheTop() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    DupeTreeView view(&model);
    view.resize(600, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(model.PopulateResultsTree(qm::app::testing::ManyLines(600), kFileFields));
    view.ExpandNodesBtnClick();
    view.scrollToBottom();
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    QVERIFY(view.verticalScrollBar()->value() > 0);

    QVERIFY(model.PopulateResultsTree(qm::app::testing::ManyLines(500), kFileFields));
    QCOMPARE(view.verticalScrollBar()->value(), 0);
    QCOMPARE(view.horizontalScrollBar()->value(), 0);
    QCOMPARE(view.indexAt(QPoint(5, 2)), model.index(0, 0));
}

void DupeTreeViewTest::contextMenuFromTheKeyboard() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    DupeTreeView view(&model);
    view.resize(900, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(model.PopulateResultsTree(Fixture(), kFileFields));
    view.setCurrentIndex(model.index(0, 2, model.index(0, 0)));
    QTest::keyClick(&view, Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(view.TVMenu()->isVisible());
    // The menu opens at the row, not wherever the mouse is.
    const QRect row = view.visualRect(view.currentIndex());
    QVERIFY(view.TVMenu()->geometry().top() >= view.viewport()->mapToGlobal(row.topLeft()).y());
    view.TVMenu()->close();

    // On a root row nothing opens.
    view.setCurrentIndex(model.index(0, 0));
    QTest::keyClick(&view, Qt::Key_F10, Qt::ShiftModifier);
    QTest::qWait(20);
    QVERIFY(!view.TVMenu()->isVisible());
}

QTEST_MAIN(DupeTreeViewTest)
#include "DupeTreeViewTest.moc"
