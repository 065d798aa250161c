// The destination dialog of a move: its controls, OK following the selected folder, the keys,
// and what it hands back.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "Shots.h"
#include "app/dialogs/SelectDirForm.h"
#include "app/widgets/FolderTreeView.h"
#include "app/widgets/QtText.h"
#include "support/TempTree.h"

using qm::app::TfrmSelectDir;
using qm::test::TempTree;

namespace {

std::unique_ptr<TempTree> Folders() {
    return std::make_unique<TempTree>(std::initializer_list<qm::test::TreeEntry>{
        {"shown/", qm::test::Folder()},
        {".hidden/inner/", qm::test::Folder()},
        {"file.txt", qm::test::Content("not a folder")},
    });
}

QString Q(const std::string& path) {
    return qm::app::PathText(path);
}

}  // namespace

class SelectDirFormTest : public QObject {
    Q_OBJECT
private slots:
    void Controls();
    void OkFollowsTheSelection_data();
    void OkFollowsTheSelection();
    void FolderGoneBeforeOk();
    void Keys_data();
    void Keys();
    void Choose_data();
    void Choose();
    void Shot();
};

void SelectDirFormTest::Controls() {
    TfrmSelectDir dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Directory Selection"));
    QCOMPARE(
        dialog.DirLbl->text(),
        QStringLiteral("Please select a directory where the marked file(s) will be moved to:"));
    QCOMPARE(dialog.CheckBox1->text(), QStringLiteral("&Preserve Paths?"));
    QVERIFY(dialog.CheckBox1->isChecked());
    const QString hint = dialog.CheckBox1->toolTip();
    QVERIFY(hint.startsWith(QStringLiteral(
        "If this option is checked then the paths will be recreated in the destination "
        "directory.")));
    // The example leaves out the root only, as the move does.
    QVERIFY2(hint.contains(
                 QStringLiteral("/backup/Duplicate Files/data/Downloads/My Website/File.html")),
             qPrintable(hint));
    QVERIFY(hint.contains(QStringLiteral("/backup/Duplicate Files/File.html")));
    QCOMPARE(dialog.OKBtn->text(), QStringLiteral("&OK"));
    QCOMPARE(dialog.CancelBtn->text(), QStringLiteral("&Cancel"));
    QVERIFY(!dialog.OKBtn->isEnabled());
    QVERIFY(dialog.CancelBtn->isEnabled());
    QVERIFY(dialog.SelectedPath().isEmpty());
    QCOMPARE(dialog.size(), QSize(519, 331));
    QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(dialog.LsDirTree211->contextMenuPolicy(), Qt::NoContextMenu);
    QCOMPARE(dialog.LsDirTree211->editTriggers(), QAbstractItemView::NoEditTriggers);
    // It opens at the home folder, which is current, not chosen.
    QCOMPARE(dialog.DirModel()->filePath(dialog.LsDirTree211->currentIndex()), QDir::homePath());
}

void SelectDirFormTest::OkFollowsTheSelection_data() {
    QTest::addColumn<QString>("relative");  // "/" for the root of the computer
    QTest::addColumn<bool>("found");
    QTest::newRow("folder") << "shown" << true;
    QTest::newRow("hidden folder") << ".hidden" << true;
    QTest::newRow("inside a hidden folder") << ".hidden/inner" << true;
    QTest::newRow("root") << "/" << true;
    QTest::newRow("missing folder") << "nothing-here" << false;
    QTest::newRow("a file") << "file.txt" << false;
}

void SelectDirFormTest::OkFollowsTheSelection() {
    QFETCH(QString, relative);
    QFETCH(bool, found);
    auto tree = Folders();
    const QString path =
        relative == "/" ? QStringLiteral("/") : Q(tree->Path(relative.toStdString()));
    TfrmSelectDir dialog;
    // Something chosen before: a failed choice must not leave it enabled.
    QVERIFY(dialog.SelectFolder(Q(tree->Path("shown"))));
    QVERIFY(dialog.OKBtn->isEnabled());

    QCOMPARE(dialog.SelectFolder(path), found);
    QCOMPARE(dialog.OKBtn->isEnabled(), found);
    QCOMPARE(dialog.SelectedPath(), found ? path : QString());
}

void SelectDirFormTest::FolderGoneBeforeOk() {
    auto tree = Folders();
    TfrmSelectDir dialog;
    dialog.show();
    QVERIFY(dialog.SelectFolder(Q(tree->Path("shown"))));
    std::filesystem::remove(tree->Path("shown"));
    QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
    // Still open, and OK waits for a folder that exists.
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QVERIFY(!dialog.OKBtn->isEnabled());
}

void SelectDirFormTest::Keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("folderSelected");
    QTest::addColumn<int>("result");  // -1: still open
    QTest::newRow("Esc") << int(Qt::Key_Escape) << int(Qt::NoModifier) << true
                         << int(QDialog::Rejected);
    QTest::newRow("Shift+Esc") << int(Qt::Key_Escape) << int(Qt::ShiftModifier) << true << -1;
    QTest::newRow("Ctrl+Esc") << int(Qt::Key_Escape) << int(Qt::ControlModifier) << true << -1;
    QTest::newRow("Enter without a folder")
        << int(Qt::Key_Return) << int(Qt::NoModifier) << false << -1;
    QTest::newRow("Enter on a folder")
        << int(Qt::Key_Return) << int(Qt::NoModifier) << true << int(QDialog::Accepted);
}

void SelectDirFormTest::Keys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, folderSelected);
    QFETCH(int, result);
    auto tree = Folders();
    TfrmSelectDir dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    if (folderSelected) {
        QVERIFY(dialog.SelectFolder(Q(tree->Path("shown"))));
    }
    dialog.LsDirTree211->setFocus();
    QTest::keyClick(dialog.LsDirTree211, static_cast<Qt::Key>(key),
                    static_cast<Qt::KeyboardModifiers>(modifiers));
    if (result < 0) {
        QVERIFY(dialog.isVisible());
    } else {
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), result);
    }
}

void SelectDirFormTest::Choose_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("preserve");
    QTest::newRow("OK, paths preserved") << true << true;
    QTest::newRow("OK, flat") << true << false;
    QTest::newRow("Cancel") << false << true;
}

void SelectDirFormTest::Choose() {
    QFETCH(bool, ok);
    QFETCH(bool, preserve);
    auto tree = Folders();
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<TfrmSelectDir*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        dialog->SelectFolder(Q(tree->Path(".hidden/inner")));
        dialog->CheckBox1->setChecked(preserve);
        QTest::mouseClick(ok ? dialog->OKBtn : dialog->CancelBtn, Qt::LeftButton);
    });
    const std::optional<qm::app::SelectedDir> chosen = TfrmSelectDir::Choose(nullptr);
    QCOMPARE(chosen.has_value(), ok);
    if (ok) {
        QCOMPARE(chosen->path, tree->Path(".hidden/inner"));
        QCOMPARE(chosen->preservePaths, preserve);
    }
    // Made for one use: the next one starts afresh.
    TfrmSelectDir next;
    QVERIFY(next.CheckBox1->isChecked());
    QVERIFY(!next.OKBtn->isEnabled());
}

void SelectDirFormTest::Shot() {
    auto tree = Folders();
    TfrmSelectDir dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.SelectFolder(Q(tree->Path(".hidden/inner"))));
    // Let the folder model list what it reads in the background.
    QTest::qWait(300);
    QVERIFY(dialog.grab().save(qm::test::ShotPath(QStringLiteral("select-dir-dialog.png"))));
}

QTEST_MAIN(SelectDirFormTest)
#include "SelectDirFormTest.moc"
