// The excluded-folder and blocked-folder dialogs on their own: they show a copy of the list,
// write it back only on OK, follow the folder picker's tick-to-list rules and differ only where
// their table says.
#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <functional>
#include <memory>

#include "Shots.h"
#include "app/dialogs/FolderListForm.h"
#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/FolderPicker.h"
#include "app/widgets/FolderTreeView.h"
#include "app/widgets/PathListBox.h"
#include "app/widgets/StatusMarkup.h"
#include "app/widgets/TreeNodeHelpers.h"
#include "platform/Locale.h"
#include "scope/ScopeList.h"

using qm::app::TfrmBlockedList;
using qm::app::TfrmFolderList;
using qm::app::TfrmIgnoreList;
using qm::scope::ScopeList;

namespace {

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// What the user does in the dialog before closing it.
enum class Edit { Nothing, TickAndFlag, ClearAll };
// How the dialog is closed.
enum class Close { Ok, CancelButton, EscInTree, EscInList, EscOnBox };

// The header as the user reads it: lines, and the runs drawn bold and underlined as [text].
QString DescribeHeader(const QLabel* label) {
    QTextDocument document;
    document.setHtml(label->text());
    QString out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            QString text = it.fragment().text();
            text.replace(QChar::LineSeparator, u'\n');
            out += format.fontWeight() >= QFont::Bold && format.fontUnderline()
                       ? QStringLiteral("[%1]").arg(text)
                       : text;
        }
        out += u'\n';
    }
    return out;
}

}  // namespace

Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Close)

class FolderListFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void WritesBackOnlyOnOk_data();
    void WritesBackOnlyOnOk();
    void EscWithModifiersDoesNothing();
    void TicksFollowThePickerRules();
    void FoldersDifferingInCaseAreBothKept();
    void RemoveFolderAndMissingFolderClick();
    void KeyboardOrderAndEnter();
    void TwinsDiffer_data();
    void TwinsDiffer();

private:
    QString MakeFolder(const QString& name) const {
        QDir(m_dir->path()).mkpath(name);
        return QDir(m_dir->path()).filePath(name);
    }
    std::string Entry(const QString& name) const { return Bytes(MakeFolder(name)) + "/"; }
    QModelIndex Node(TfrmFolderList& dialog, const QString& path) const {
        return dialog.Picker()->Model()->LocateNode(path);
    }
    // Ticks or unticks a node as the user does: current node, space bar.
    static void PressSpaceOnNode(TfrmFolderList& dialog, const QModelIndex& node) {
        dialog.DirLB->setCurrentIndex(node);
        QTest::keyClick(dialog.DirLB, Qt::Key_Space);
    }
    // A click on the box itself: the control is wider than its text, and a click beside the text
    // does not toggle it.
    static void ClickBox(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    static void ShowAndWait(QWidget& dialog) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScopeList> m_list;
    bool m_subFolders = false;
};

void FolderListFormTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_list = std::make_unique<ScopeList>(qm::platform::UserLocale(), ScopeList::Equality::SamePath);
    m_subFolders = false;
}

void FolderListFormTest::cleanup() {
    m_list.reset();
    m_dir.reset();
}

void FolderListFormTest::WritesBackOnlyOnOk_data() {
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<Close>("close");
    QTest::addColumn<bool>("changed");
    QTest::newRow("OK at once drops the vanished folder") << Edit::Nothing << Close::Ok << true;
    QTest::newRow("Cancel at once keeps it") << Edit::Nothing << Close::CancelButton << false;
    QTest::newRow("tick, flag, OK") << Edit::TickAndFlag << Close::Ok << true;
    QTest::newRow("tick, flag, Cancel") << Edit::TickAndFlag << Close::CancelButton << false;
    QTest::newRow("tick, flag, Esc in the tree") << Edit::TickAndFlag << Close::EscInTree << false;
    QTest::newRow("tick, flag, Esc in the list") << Edit::TickAndFlag << Close::EscInList << false;
    QTest::newRow("tick, flag, Esc on the box") << Edit::TickAndFlag << Close::EscOnBox << false;
    QTest::newRow("Clear All, OK") << Edit::ClearAll << Close::Ok << true;
    QTest::newRow("Clear All, Cancel") << Edit::ClearAll << Close::CancelButton << false;
    QTest::newRow("Clear All, Esc") << Edit::ClearAll << Close::EscInTree << false;
}

void FolderListFormTest::WritesBackOnlyOnOk() {
    QFETCH(Edit, edit);
    QFETCH(Close, close);
    QFETCH(bool, changed);
    const std::string a = Entry("a");
    const std::string b = Entry("b");
    const std::string gone = Entry("gone");
    for (const std::string& entry : {b, gone, a}) {
        m_list->Add(entry);
    }
    QVERIFY(QDir(QFile::decodeName(gone.c_str())).removeRecursively());
    const std::vector<std::string> before = m_list->Items();

    TfrmIgnoreList dialog(*m_list, m_subFolders);
    ShowAndWait(dialog);
    // The dialog shows the folders that still exist, ticked and bold, and the flag.
    QCOMPARE(dialog.Picker()->Paths(), (std::vector<std::string>{a, b}));
    QVERIFY(qm::app::IsNodeTicked(Node(dialog, MakeFolder("a"))));
    QVERIFY(qm::app::IsNodeBold(Node(dialog, MakeFolder("b"))));
    QVERIFY(!dialog.ScanSubFoldersCB->isChecked());
    QVERIFY(dialog.RemoveDirBtn->isEnabled());

    std::vector<std::string> expected = {a, b};
    bool expectedFlag = false;
    if (edit == Edit::TickAndFlag) {
        const QString c = MakeFolder("c");
        PressSpaceOnNode(dialog, Node(dialog, c));
        PressSpaceOnNode(dialog, Node(dialog, MakeFolder("a")));
        ClickBox(dialog.ScanSubFoldersCB);
        expected = {b, Bytes(c) + "/"};
        expectedFlag = true;
    } else if (edit == Edit::ClearAll) {
        QTest::mouseClick(dialog.ClearAllBtn, Qt::LeftButton);
        QVERIFY(dialog.Picker()->Model()->TickedPaths().isEmpty());
        QCOMPARE(dialog.PathLB->count(), 0);
        expected.clear();
    }
    QCOMPARE(dialog.Picker()->Paths(), expected);

    switch (close) {
        case Close::Ok:
            QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
            break;
        case Close::CancelButton:
            QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
            break;
        case Close::EscInTree:
            QTest::keyClick(dialog.DirLB, Qt::Key_Escape);
            break;
        case Close::EscInList:
            QTest::keyClick(dialog.PathLB, Qt::Key_Escape);
            break;
        case Close::EscOnBox:
            QTest::keyClick(dialog.ScanSubFoldersCB, Qt::Key_Escape);
            break;
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(changed ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(m_list->Items(), changed ? expected : before);
    QCOMPARE(m_subFolders, changed && expectedFlag);
}

void FolderListFormTest::EscWithModifiersDoesNothing() {
    m_subFolders = true;
    TfrmBlockedList dialog(*m_list, m_subFolders);
    ShowAndWait(dialog);
    QVERIFY(dialog.ScanSubFoldersCB->isChecked());
    ClickBox(dialog.ScanSubFoldersCB);
    for (const Qt::KeyboardModifier modifier :
         {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        QTest::keyClick(dialog.DirLB, Qt::Key_Escape, modifier);
        QVERIFY(dialog.isVisible());
    }
    QTest::keyClick(dialog.DirLB, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QVERIFY(m_subFolders);
}

void FolderListFormTest::TicksFollowThePickerRules() {
    const QString c = MakeFolder("c");
    const QString sub = MakeFolder("c/sub");
    TfrmIgnoreList dialog(*m_list, m_subFolders);
    ShowAndWait(dialog);
    QVERIFY(!dialog.RemoveDirBtn->isEnabled());

    // The first tick lists the folder with its separator, highlights it and enables Remove.
    PressSpaceOnNode(dialog, Node(dialog, c));
    QCOMPARE(dialog.Picker()->Paths(), std::vector<std::string>{Bytes(c) + "/"});
    QCOMPARE(dialog.PathLB->HighlightedRow(), 0);
    QVERIFY(dialog.RemoveDirBtn->isEnabled());
    QVERIFY(qm::app::IsNodeBold(Node(dialog, c)));
    // Nested folders are both listed; a listed folder is not listed twice.
    PressSpaceOnNode(dialog, Node(dialog, sub));
    dialog.AddListPath(Bytes(c));
    dialog.AddListPath(Bytes(c) + "/");
    QCOMPARE(dialog.Picker()->Paths(),
             (std::vector<std::string>{Bytes(c) + "/", Bytes(sub) + "/"}));
    // A folder that does not exist cannot be added.
    dialog.AddListPath(Bytes(m_dir->path()) + "/nowhere/");
    QCOMPARE(dialog.PathLB->count(), 2);
    // Unticking removes the entry and the node's bold.
    PressSpaceOnNode(dialog, Node(dialog, c));
    QCOMPARE(dialog.Picker()->Paths(), std::vector<std::string>{Bytes(sub) + "/"});
    QVERIFY(!qm::app::IsNodeBold(Node(dialog, c)));
    dialog.RemoveListPath(Bytes(sub) + "/");
    QVERIFY(dialog.Picker()->Paths().empty());
    QVERIFY(!qm::app::IsNodeTicked(Node(dialog, sub)));
    QVERIFY(!dialog.RemoveDirBtn->isEnabled());
}

void FolderListFormTest::FoldersDifferingInCaseAreBothKept() {
    const QString upper = MakeFolder("Photos");
    const QString lower = MakeFolder("photos");
    TfrmBlockedList dialog(*m_list, m_subFolders);
    ShowAndWait(dialog);
    PressSpaceOnNode(dialog, Node(dialog, lower));
    PressSpaceOnNode(dialog, Node(dialog, upper));
    QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
    QCOMPARE(m_list->Items(), (std::vector<std::string>{Bytes(upper) + "/", Bytes(lower) + "/"}));

    // And the next opening shows both again.
    TfrmBlockedList again(*m_list, m_subFolders);
    ShowAndWait(again);
    QCOMPARE(again.PathLB->count(), 2);
    QVERIFY(qm::app::IsNodeTicked(Node(again, upper)));
    QVERIFY(qm::app::IsNodeTicked(Node(again, lower)));
}

void FolderListFormTest::RemoveFolderAndMissingFolderClick() {
    const std::string a = Entry("a");
    const std::string b = Entry("b");
    m_list->Add(a);
    m_list->Add(b);
    TfrmIgnoreList dialog(*m_list, m_subFolders);
    QList<QList<qm::app::StatusPart>> statusTexts;
    connect(&dialog, &TfrmFolderList::StatusText,
            [&](const QList<qm::app::StatusPart>& parts) { statusTexts << parts; });
    ShowAndWait(dialog);

    // A click on a listed folder that vanished reports it for the main window's status line.
    QVERIFY(QDir(MakeFolder("b")).removeRecursively());
    const QRect second = dialog.PathLB->visualItemRect(dialog.PathLB->item(1));
    QTest::mouseClick(dialog.PathLB->viewport(), Qt::LeftButton, {}, second.center());
    QTRY_COMPARE(statusTexts.size(), 1);
    QCOMPARE(qm::app::StatusMarkupPlainText(statusTexts.first()),
             QStringLiteral("Path %1 does not exist.").arg(QFile::decodeName(b.c_str())));
    // A click on an existing one reports nothing.
    const QRect first = dialog.PathLB->visualItemRect(dialog.PathLB->item(0));
    QTest::mouseClick(dialog.PathLB->viewport(), Qt::LeftButton, {}, first.center());
    QTest::qWait(20);
    QCOMPARE(statusTexts.size(), 1);

    // Remove Folder takes the highlighted entry and clears its node.
    QTest::mouseClick(dialog.RemoveDirBtn, Qt::LeftButton);
    QCOMPARE(dialog.Picker()->Paths(), std::vector<std::string>{b});
    QVERIFY(!qm::app::IsNodeTicked(Node(dialog, MakeFolder("a"))));
    QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
    QCOMPARE(m_list->Items(), std::vector<std::string>{b});
}

void FolderListFormTest::KeyboardOrderAndEnter() {
    m_list->Add(Entry("a"));
    TfrmBlockedList dialog(*m_list, m_subFolders);
    ShowAndWait(dialog);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.DirLB));
    const std::vector<QWidget*> order = {
        dialog.DirLB,       dialog.PathLB, dialog.ScanSubFoldersCB, dialog.RemoveDirBtn,
        dialog.ClearAllBtn, dialog.OkBtn,  dialog.CancelBtn};
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order[i]->objectName());
    }
    // Enter confirms from anywhere but a button: OK is the default button.
    dialog.DirLB->setFocus();
    ClickBox(dialog.ScanSubFoldersCB);
    QTest::keyClick(dialog.DirLB, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(m_subFolders);
}

void FolderListFormTest::TwinsDiffer_data() {
    QTest::addColumn<bool>("blocked");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("treeHint");
    QTest::addColumn<bool>("watches");
    QTest::newRow("excluded folders")
        << false << "Folder Exclusion List"
        << "Any folders listed below will not be checked for possible duplicate files. You may "
           "want to add Temporary Internet Files folder etc here or any temporary directories.\n"
           "\n[Note]:  Only the marked folder will be skipped from duplicate file check.  If the "
           "marked folder has subfolders they will be scanned for duplicate files unless you mark "
           "them as well or check the \"Include Sub Folders\" option.\n"
        << "Click on the checkbox to add/remove folder from ignored folder list." << false;
    QTest::newRow("blocked folders")
        << true << "Blocked Folder List"
        << "Please select folders that you wish to protect for possible file deletion.  You may "
           "want to add important folders such as the Windows and System32 folders here.  To "
           "protect a folder please find the folder in the folder tree below and put a checkbox "
           "by clicking the box next to the folder name.\n\n[Note]:  Only the checked folder(s) "
           "here will  be protected from possible file deletion.  If the checked folder has "
           "subfolders they will be allowed for marking of duplicate files unless you check the "
           "subfolders as well or check the \"Include Sub Folders\" option.\n"
        << QString() << true;
}

void FolderListFormTest::TwinsDiffer() {
    QFETCH(bool, blocked);
    QFETCH(QString, caption);
    QFETCH(QString, header);
    QFETCH(QString, treeHint);
    QFETCH(bool, watches);
    std::unique_ptr<TfrmFolderList> dialog;
    if (blocked) {
        dialog = std::make_unique<TfrmBlockedList>(*m_list, m_subFolders);
    } else {
        dialog = std::make_unique<TfrmIgnoreList>(*m_list, m_subFolders);
    }
    QCOMPARE(dialog->windowTitle(), caption);
    QCOMPARE(DescribeHeader(dialog->HTMLabel1), header);
    QCOMPARE(dialog->DirLB->toolTip(), treeHint);
    QCOMPARE(!dialog->Picker()->Model()->FileSystemModel()->testOption(
                 QFileSystemModel::DontWatchForChanges),
             watches);
    QCOMPARE(dialog->ScanSubFoldersCB->text(), QStringLiteral("Include Sub Folders"));
    QCOMPARE(dialog->RemoveDirBtn->text(), QStringLiteral("&Remove Folder"));
    QCOMPARE(dialog->ClearAllBtn->text(), QStringLiteral("&Clear All Folders"));
    // White on blue.
    const QPalette palette = dialog->HTMLabel1->palette();
    QCOMPARE(palette.color(QPalette::WindowText), QColor(Qt::white));
    QVERIFY(palette.color(QPalette::Window).blue() > 2 * palette.color(QPalette::Window).red());

    // A picture at the dialog's own size, with two folders listed, for people to look at.
    m_list->Add(Entry("Pictures/Holiday 2023"));
    m_list->Add(Entry("Documents/Reports"));
    ShowAndWait(*dialog);
    QCOMPARE(dialog->size(), QSize(688, 516));
    QVERIFY(dialog->HTMLabel1->height() >=
            dialog->HTMLabel1->heightForWidth(dialog->HTMLabel1->width()));
    QVERIFY(dialog->grab().save(qm::test::ShotPath(
        blocked ? QStringLiteral("blocked-folders.png") : QStringLiteral("excluded-folders.png"))));
}

QTEST_MAIN(FolderListFormTest)
#include "FolderListFormTest.moc"
