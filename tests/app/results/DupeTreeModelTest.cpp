#include <QAbstractItemModelTester>
#include <QFont>
#include <QSignalSpy>
#include <QtTest>

#include "DupeTreeFixture.h"
#include "app/results/DupeTreeModel.h"
#include "results/ResultsTestSupport.h"

using qm::app::DupeTreeModel;
using qm::app::testing::FixtureLines;
using qm::app::testing::kFileFields;
using qm::app::testing::ManyLines;
using qm::results::EntryStatus;
using qm::results::testing::FakeLocale;
using qm::results::testing::RecordingHost;

class DupeTreeModelTest : public QObject {
    Q_OBJECT
private slots:
    void structureUnderTheModelTester();
    void cellTextsAndRoles();
    void checkBoxesAndRefusals();
    void bulkMarkingNotifiesInBatches();
    void colourStateRepaints();
    void emptyListKeepsContent();

private:
    QModelIndex Row(const DupeTreeModel& model, int root, int set = -1, int child = -1,
                    int column = 0) {
        QModelIndex index = model.index(root, set < 0 ? column : 0);
        if (set >= 0)
            index = model.index(set, child < 0 ? column : 0, index);
        if (child >= 0)
            index = model.index(child, column, index);
        return index;
    }
};

void DupeTreeModelTest::structureUnderTheModelTester() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    RecordingHost host;
    model.SetHost(&host);

    QVERIFY(model.PopulateResultsTree(FixtureLines({{{"/d/a.txt", "/e/a.txt", "/f/a.txt"}, 10},
                                                    {{"/d/p.jpg", "/e/p.jpg"}, 20},
                                                    {{"/d/q.jpg", "/e/q.jpg"}, 30}}),
                                      kFileFields));
    QCOMPARE(resets.count(), 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(Row(model, 0)).toString(), QStringLiteral("*.TXT"));
    QCOMPARE(model.data(Row(model, 1)).toString(), QStringLiteral("*.JPG"));
    QCOMPARE(model.rowCount(Row(model, 0)), 1);
    QCOMPARE(model.rowCount(Row(model, 0, 0)), 2);
    QCOMPARE(model.rowCount(Row(model, 1)), 2);
    QCOMPARE(model.data(Row(model, 1, 1, -1, 1)).toString(), QStringLiteral("q.jpg"));
    QCOMPARE(model.data(Row(model, 0, 0, 1, 2)).toString(), QStringLiteral("/f/"));
    QCOMPARE(model.parent(Row(model, 0, 0, 1)), Row(model, 0, 0));
    QCOMPARE(model.data(Row(model, 0, 0, 1), DupeTreeModel::LevelRole).toInt(), 2);

    // Every command runs under the tester too.
    model.MarkAll();
    model.UnMarkAll();
    model.MarkDoubleExtension();
    model.CheckBlockedFiles();
    QVERIFY(model.PopulateResultsTree(ManyLines(1000), kFileFields));
    model.MarkAll();
    model.Clear();
    QCOMPARE(model.rowCount(), 0);
}

void DupeTreeModelTest::cellTextsAndRoles() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    QVERIFY(model.PopulateResultsTree(
        FixtureLines({{{"/data/a.jpg", "/copy/a.jpg"}, 1234567}, {{"/data/b.jpg", "/c/b.jpg"}, 5}}),
        kFileFields));
    const QStringList headers = {"Extension", "File Name", "File Path", "File Size (Bytes)",
                                 "Last Modified"};
    for (int c = 0; c < 5; ++c) {
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), headers[c]);
    }
    const QModelIndex head = Row(model, 0, 0);
    QCOMPARE(model.data(Row(model, 0, 0, -1, 3)).toString(), QStringLiteral("1,234,567"));
    QCOMPARE(model.data(Row(model, 0, 0, -1, 4)).toString(),
             QStringLiteral("03/14/2024 09:26:52 AM"));
    QCOMPARE(model.data(head).toString(), QString());
    QCOMPARE(model.data(Row(model, 0, 0, -1, 3), Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(model.data(head, Qt::ToolTipRole).toString(),
             QStringLiteral("File Name: a.jpg   \nFile Path: /data/   \nFile Size: 1,234,567 "
                            "bytes\nModified: 03/14/2024 09:26:52 AM\nStatus: None."));
    QVERIFY(!model.data(Row(model, 0), Qt::ToolTipRole).isValid());
    QVERIFY(!model.data(Row(model, 0), Qt::CheckStateRole).isValid());
    QVERIFY(model.flags(head) & Qt::ItemIsUserCheckable);
    QVERIFY(!(model.flags(Row(model, 0)) & Qt::ItemIsUserCheckable));

    // Band colours: the first set dark green, the second navy; set heads light blue.
    const auto colour = [&](const QModelIndex& i, int role) {
        return model.data(i, role).value<QBrush>().color();
    };
    QCOMPARE(colour(Row(model, 0, 0, -1, 1), Qt::ForegroundRole), QColor(0, 70, 0));
    QCOMPARE(colour(Row(model, 0, 0, 0, 1), Qt::ForegroundRole), QColor(0, 70, 0));
    QCOMPARE(colour(Row(model, 0, 1, -1, 1), Qt::ForegroundRole), QColor(0, 0, 128));
    QCOMPARE(colour(Row(model, 0, 0, -1, 2), Qt::BackgroundRole), QColor(225, 225, 255));
    QVERIFY(!model.data(Row(model, 0, 0, 0, 2), Qt::BackgroundRole).isValid());
    QCOMPARE(colour(Row(model, 0, 0, 0, 0), Qt::BackgroundRole), QColor(247, 247, 247));
    QCOMPARE(colour(Row(model, 0), Qt::BackgroundRole), QColor(247, 247, 247));
}

void DupeTreeModelTest::checkBoxesAndRefusals() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    RecordingHost host;
    model.SetHost(&host);
    model.SetBlockedRule(qm::results::BlockedFolderRule({"/safe/"}, false, locale));
    QVERIFY(model.PopulateResultsTree(
        FixtureLines({{{"/d/a.txt", "/safe/a.txt", "/e/a.txt"}, 100}}), kFileFields));
    const QModelIndex head = Row(model, 0, 0);
    const QModelIndex blocked = Row(model, 0, 0, 0);
    const QModelIndex other = Row(model, 0, 0, 1);
    QCOMPARE(model.data(blocked, DupeTreeModel::StatusRole).toInt(),
             static_cast<int>(EntryStatus::Blocked));
    QCOMPARE(model.data(Row(model, 0, 0, 0, 1), Qt::FontRole).value<QFont>().strikeOut(), true);
    QCOMPARE(model.data(Row(model, 0, 0, 0, 1), Qt::ForegroundRole).value<QBrush>().color(),
             QColor(255, 0, 0));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(!model.setData(blocked, Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(QString::fromStdString(host.LastStatus()),
             QStringLiteral("<B>Note:</B> a.txt <BLINK><B>can not</BLINK></B> be marked for "
                            "deletion because it is in the blocked folder list."));
    QCOMPARE(model.data(blocked, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    QCOMPARE(changed.count(), 0);

    QVERIFY(model.setData(other, Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(model.data(other, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QVERIFY(model.data(Row(model, 0, 0, 1, 1), Qt::FontRole).value<QFont>().bold());
    QCOMPARE(model.data(other, DupeTreeModel::StatusRole).toInt(),
             static_cast<int>(EntryStatus::Marked));
    QCOMPARE(QString::fromStdString(host.LastStatus()),
             QStringLiteral("1 file(s) selected (100 bytes total)"));
    QVERIFY(host.commandsEnabled);
    QCOMPARE(changed.count(), 1);

    // A deleted file refuses its box.
    model.ModifyRecords([&](qm::results::ResultTree& tree) {
        tree.At(model.NodeOf(other)).entry.Status = EntryStatus::Removed;
    });
    QVERIFY(!model.setData(other, Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(QString::fromStdString(host.LastStatus()),
             QStringLiteral("The file has been deleted or moved already."));
    QVERIFY(!model.data(Row(model, 0, 0, 1, 1), Qt::FontRole).value<QFont>().bold());

    // Set head checks alone: its children stay as they are.
    QVERIFY(model.setData(head, Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(model.data(blocked, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
}

void DupeTreeModelTest::bulkMarkingNotifiesInBatches() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    QVERIFY(model.PopulateResultsTree(
        FixtureLines({{{"/d/a", "/e/a", "/f/a"}, 1}, {{"/d/b", "/e/b"}, 1}}), kFileFields));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
    model.MarkAll();
    // One range per set's children.
    QCOMPARE(changed.count(), 2);
    QCOMPARE(layouts.count(), 0);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), Row(model, 0, 0, 0));
    QCOMPARE(changed.at(0).at(1).value<QModelIndex>(), Row(model, 0, 0, 1, 4));

    // A large tree gets one layout change instead of a signal per set.
    QVERIFY(model.PopulateResultsTree(ManyLines(20000), kFileFields));
    changed.clear();
    model.MarkAll();
    QCOMPARE(changed.count(), 0);
    QCOMPARE(layouts.count(), 1);
    int checked = 0;
    for (const auto& node : model.Tree().Nodes()) checked += node.checked ? 1 : 0;
    QCOMPARE(checked, 10000);
    model.UnMarkAll();
    QCOMPARE(layouts.count(), 2);
    // Nothing changed: no signal at all.
    model.UnMarkAll();
    QCOMPARE(layouts.count(), 2);
    QCOMPARE(changed.count(), 0);
}

void DupeTreeModelTest::colourStateRepaints() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    QVERIFY(model.PopulateResultsTree(FixtureLines({{{"/d/a", "/e/a"}, 1}}), kFileFields));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    qm::results::TreeColors colors = model.Colors();
    qm::results::ColorMenuTurnOffItemClick(colors);
    model.SetColors(colors);
    QVERIFY(changed.count() >= 2);  // the roots and the set's children
    QCOMPARE(model.data(Row(model, 0, 0, -1, 1), Qt::ForegroundRole).value<QBrush>().color(),
             QColor(0, 0, 0));
}

void DupeTreeModelTest::emptyListKeepsContent() {
    FakeLocale locale;
    DupeTreeModel model(locale);
    RecordingHost host;
    model.SetHost(&host);
    QVERIFY(model.PopulateResultsTree(FixtureLines({{{"/d/a", "/e/a"}, 1}}), kFileFields));
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QVERIFY(!model.PopulateResultsTree(std::vector<std::string>{}, kFileFields));
    host.abort = true;
    QVERIFY(!model.PopulateResultsTree(FixtureLines({{{"/x/b", "/y/b"}, 1}}), kFileFields));
    QCOMPARE(resets.count(), 0);
    QCOMPARE(model.rowCount(), 1);
}

QTEST_MAIN(DupeTreeModelTest)
#include "DupeTreeModelTest.moc"
