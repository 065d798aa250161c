// The folder picker on its own: ticks become list entries, list changes clear their nodes without
// coming back as ticks, the list-cursor rule, and the tree keeping a deep node's name in view.
#include <QAbstractItemModelTester>
#include <QDir>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/FolderPicker.h"
#include "app/widgets/FolderTreeView.h"
#include "app/widgets/PathListBox.h"
#include "app/widgets/TreeNodeHelpers.h"
#include "platform/Locale.h"

using qm::app::CheckableFolderModel;
using qm::app::FolderPicker;

namespace {

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Data-changed signals that cover node.
int ChangesOf(const QSignalSpy& spy, const QModelIndex& node) {
    int count = 0;
    for (const QList<QVariant>& args : spy) {
        const auto from = args.at(0).value<QModelIndex>();
        const auto to = args.at(1).value<QModelIndex>();
        if (from.parent() == node.parent() && from.row() <= node.row() && node.row() <= to.row()) {
            ++count;
        }
    }
    return count;
}

}  // namespace

class FolderPickerTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void TickListsAndUntickRemoves();
    void ListChangesNeverComeBackAsTicks();
    void ListCursorRuleAndMissingFolder();
    void RestoreAndDrop();
    void ModelUnderTheTester();
    void DeepNodeNameStaysInView();

private:
    QString MakeFolder(const QString& name) const {
        QDir(m_dir->path()).mkpath(name);
        return QDir(m_dir->path()).filePath(name);
    }
    QModelIndex Node(const QString& path) const { return m_picker->Model()->LocateNode(path); }
    // The picker's events routed as an owner does.
    void Route() {
        connect(m_picker, &FolderPicker::NodeTicked, m_picker, &FolderPicker::NodeTickChanged);
        connect(m_picker->RemoveButton(), &QPushButton::clicked, m_picker,
                &FolderPicker::RemoveHighlighted);
        connect(m_picker->ClearButton(), &QPushButton::clicked, m_picker, &FolderPicker::ClearAll);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_window;
    FolderPicker* m_picker = nullptr;
};

void FolderPickerTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_window = std::make_unique<QWidget>();
    m_picker = new FolderPicker(qm::platform::UserLocale(), m_window.get());
    auto* layout = new QVBoxLayout(m_window.get());
    for (QWidget* widget :
         std::initializer_list<QWidget*>{m_picker->Tree(), m_picker->List(),
                                         m_picker->RemoveButton(), m_picker->ClearButton()}) {
        layout->addWidget(widget);
    }
    Route();
    m_window->resize(400, 500);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void FolderPickerTest::cleanup() {
    m_window.reset();
    m_dir.reset();
}

void FolderPickerTest::TickListsAndUntickRemoves() {
    const QString a = MakeFolder("a");
    const QString b = MakeFolder("b");
    QSignalSpy listChanged(m_picker, &FolderPicker::ListChanged);

    qm::app::SetNodeTicked(Node(b), true);
    qm::app::SetNodeTicked(Node(a), true);
    QCOMPARE(m_picker->Paths(), (std::vector<std::string>{Bytes(a) + "/", Bytes(b) + "/"}));
    QCOMPARE(listChanged.count(), 2);
    QVERIFY(qm::app::IsNodeBold(Node(a)));
    // The ticked node is current and its entry highlighted.
    QCOMPARE(m_picker->Tree()->currentIndex(), Node(a));
    QCOMPARE(m_picker->HighlightedPath(), Bytes(a) + "/");
    QVERIFY(m_picker->RemoveButton()->isEnabled());

    qm::app::SetNodeTicked(Node(a), false);
    QCOMPARE(m_picker->Paths(), std::vector<std::string>{Bytes(b) + "/"});
    QVERIFY(!qm::app::IsNodeBold(Node(a)));

    // A folder that vanished before its tick cannot be listed; the node keeps its tick.
    const QString gone = MakeFolder("gone");
    const QPersistentModelIndex goneNode = Node(gone);
    QVERIFY(QDir(gone).removeRecursively());
    m_picker->NodeTickChanged(goneNode, true);
    QCOMPARE(m_picker->Paths(), std::vector<std::string>{Bytes(b) + "/"});
}

void FolderPickerTest::ListChangesNeverComeBackAsTicks() {
    const QString a = MakeFolder("a");
    const QString b = MakeFolder("b");
    m_picker->AddPath(Bytes(a));
    m_picker->AddPath(Bytes(b) + "/");
    // Listing marks the nodes, also of folders listed directly.
    QVERIFY(qm::app::IsNodeTicked(Node(a)) && qm::app::IsNodeBold(Node(a)));

    QSignalSpy ticks(m_picker->Model(), &CheckableFolderModel::CheckBoxChanged);
    QSignalSpy changes(m_picker->Model(), &QAbstractItemModel::dataChanged);
    m_picker->List()->setCurrentRow(0);
    QTest::mouseClick(m_picker->RemoveButton(), Qt::LeftButton);
    QCOMPARE(m_picker->Paths(), std::vector<std::string>{Bytes(b) + "/"});
    QVERIFY(!qm::app::IsNodeTicked(Node(a)));
    QVERIFY(!qm::app::IsNodeBold(Node(a)));
    QCOMPARE(ticks.count(), 0);
    QCOMPARE(ChangesOf(changes, Node(a)), 1);  // one repaint of the node, tick and bold together

    changes.clear();
    QTest::mouseClick(m_picker->ClearButton(), Qt::LeftButton);
    QVERIFY(m_picker->Paths().empty());
    QVERIFY(m_picker->Model()->TickedPaths().isEmpty());
    QCOMPARE(ticks.count(), 0);
    QCOMPARE(ChangesOf(changes, Node(b)), 1);
    QVERIFY(!m_picker->RemoveButton()->isEnabled());
}

void FolderPickerTest::ListCursorRuleAndMissingFolder() {
    const QString a = MakeFolder("a");
    const QString b = MakeFolder("b");
    m_picker->AddPath(Bytes(a));
    m_picker->AddPath(Bytes(b));
    QCOMPARE(m_picker->List()->HighlightedRow(), 0);

    // Nothing highlighted: Remove Folder switches itself off.
    m_picker->List()->clearSelection();
    QTest::mouseClick(m_picker->RemoveButton(), Qt::LeftButton);
    QVERIFY(!m_picker->RemoveButton()->isEnabled());
    QCOMPARE(m_picker->Paths().size(), std::size_t{2});
    QVERIFY(!m_picker->CheckHighlighted());

    // A listed folder that disappeared is reported by a click, and Remove Folder still takes it.
    QVERIFY(QDir(b).removeRecursively());
    m_picker->List()->setCurrentRow(1);
    QCOMPARE(m_picker->CheckHighlighted(), std::optional<std::string>(Bytes(b) + "/"));
    QVERIFY(m_picker->RemoveButton()->isEnabled());
    QTest::mouseClick(m_picker->RemoveButton(), Qt::LeftButton);
    QCOMPARE(m_picker->Paths(), std::vector<std::string>{Bytes(a) + "/"});
    QVERIFY(!m_picker->Tree()->currentIndex().isValid());
}

void FolderPickerTest::RestoreAndDrop() {
    const QString a = MakeFolder("a");
    const QString b = MakeFolder("b");
    const QString c = MakeFolder("c");
    m_picker->AddPath(Bytes(a));
    QSignalSpy ticks(m_picker->Model(), &CheckableFolderModel::CheckBoxChanged);

    // Restoring replaces the list; a stored folder that no longer exists is dropped.
    m_picker->RestorePaths({Bytes(c) + "/", Bytes(m_dir->path()) + "/missing/", Bytes(b) + "/"});
    QCOMPARE(m_picker->Paths(), (std::vector<std::string>{Bytes(b) + "/", Bytes(c) + "/"}));
    QVERIFY(!qm::app::IsNodeTicked(Node(a)));
    QVERIFY(qm::app::IsNodeBold(Node(c)));

    // A drop lists new folders only; a file or a listed folder adds nothing.
    QFile file(QDir(m_dir->path()).filePath("f.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    m_picker->DropFolders({file.fileName(), b, a});
    QCOMPARE(m_picker->Paths(),
             (std::vector<std::string>{Bytes(a) + "/", Bytes(b) + "/", Bytes(c) + "/"}));
    QCOMPARE(m_picker->HighlightedPath(), Bytes(a) + "/");  // the dropped folder
    QCOMPARE(ticks.count(), 0);
}

void FolderPickerTest::ModelUnderTheTester() {
    CheckableFolderModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QString deep = MakeFolder("x/y/z");
    const QModelIndex node = model.LocateNode(deep);
    QVERIFY(node.isValid());
    QCOMPARE(model.NodePath(node), QDir::cleanPath(deep));
    QSignalSpy ticks(&model, &CheckableFolderModel::CheckBoxChanged);
    QVERIFY(model.setData(node, Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model.setData(node, Qt::Checked, Qt::CheckStateRole));  // no change, no report
    QCOMPARE(ticks.count(), 1);
    model.MarkFolder(MakeFolder("x/y"), true);
    model.MarkFolder(m_dir->path() + "/not-yet-loaded", true);
    QCOMPARE(model.TickedPaths().size(), 3);
    model.ClearMarks();
    QVERIFY(model.TickedPaths().isEmpty());
    QCOMPARE(ticks.count(), 1);
    // The file system model fills the folders it was asked for in the background.
    QTRY_VERIFY(model.rowCount(model.LocateNode(MakeFolder("x"))) == 1);
    QVERIFY(!model.LocateNode(m_dir->path() + "/nothing").isValid());
}

void FolderPickerTest::DeepNodeNameStaysInView() {
    QString path = m_dir->path();
    for (int level = 0; level < 14; ++level) {
        path += QStringLiteral("/level-%1-folder").arg(level, 2, 10, QLatin1Char('0'));
    }
    QVERIFY(QDir().mkpath(path));
    m_window->resize(210, 400);
    QTRY_COMPARE(m_window->width(), 210);
    qm::app::FolderTreeView* tree = m_picker->Tree();
    const QModelIndex deepest = Node(path);
    QVERIFY(deepest.isValid());
    tree->setCurrentIndex(deepest);
    const QRect item = tree->visualRect(deepest);
    // The box and the start of the name are inside the view, not beyond its right edge.
    QVERIFY2(item.left() >= 0 && item.left() + 40 <= tree->viewport()->width(),
             qPrintable(QStringLiteral("item at %1, view %2 wide")
                            .arg(item.left())
                            .arg(tree->viewport()->width())));
    QVERIFY(tree->horizontalScrollBar()->value() > 0);

    // Back at a shallow node the view scrolls back.
    tree->setCurrentIndex(Node(m_dir->path()));
    QVERIFY(tree->visualRect(Node(m_dir->path())).left() >= 0);
}

QTEST_MAIN(FolderPickerTest)
#include "FolderPickerTest.moc"
