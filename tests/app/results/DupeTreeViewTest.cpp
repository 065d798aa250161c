#include <QHeaderView>
#include <QMenu>
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

QTEST_MAIN(DupeTreeViewTest)
#include "DupeTreeViewTest.moc"
