// The main window's options view, driven through its real controls.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <functional>
#include <memory>

#include "app/dialogs/FilterForm.h"
#include "app/mainform/MainForm.h"
#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/GraphicHintWindow.h"
#include "app/widgets/MarkupStatusBar.h"
#include "app/widgets/PathListBox.h"
#include "app/widgets/TreeNodeHelpers.h"
#include "foundation/Globals.h"
#include "support/ScriptedPrompter.h"

using qm::app::TfrmFilter;
using qm::app::TfrmMain;

namespace {

const QString kNone = QStringLiteral("[None Selected]");

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Runs action on the filter dialog once it is shown modally.
void WhenFilterDialog(std::function<void(TfrmFilter*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<TfrmFilter*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start();
}

// Enters a filter in the dialog and confirms it.
void FillAndConfirm(TfrmFilter* dialog, const QString& mask, const QString& definition) {
    dialog->MaskEdit->setText(mask);
    dialog->DefinitionEdit->setText(definition);
    QTest::mouseClick(dialog->OkBtn, Qt::LeftButton);
}

}  // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void FreshStart();
    void NamedControlsExist();
    void TickingTreeListsFolders();
    void DropOfFoldersAndFile();
    void RemoveFolderAndClearAll();
    void MissingFolderClick();
    void SearchButtonRule();
    void DefaultTableAndLabel();
    void GlobalFilterQuestion_data();
    void GlobalFilterQuestion();
    void ReplaceGlobalFilterQuestion_data();
    void ReplaceGlobalFilterQuestion();
    void SecondGlobalFilterAsksNothing();
    void NewFilter();
    void EditFilter();
    void DeleteFilter();
    void DeleteOnlyFilterAndEmptyTable();
    void SelectAllSortsCaption();
    void RestoreDefaults();
    void DepthFollowsSubFolders();
    void CriteriaSnapshot();
    void HintLineAndHintWindow();
    void PlacementFormulas();
    void RealFoldersAreNeverPruned();

private:
    QModelIndex Node(const QString& path) const { return w->FolderModel()->LocateNode(path); }
    QString MakeFolder(const QString& name) const {
        QDir(dir->path()).mkpath(name);
        return QDir(dir->path()).filePath(name);
    }
    // Ticks or unticks a node as the user does: current node, space bar.
    void PressSpaceOnNode(const QModelIndex& node) {
        w->DirLB->setCurrentIndex(node);
        QTest::keyClick(w->DirLB, Qt::Key_Space);
    }
    // Clicks the centre of a filter row's check box cell (rows counted from 0).
    void ClickFilterBox(int row) {
        const QRect cell = w->FilterSG->visualRect(w->FilterSG->model()->index(row, 0));
        QVERIFY(cell.isValid());
        QTest::mouseClick(w->FilterSG->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // Flips a filter row's check box with the space bar on its cell.
    void SpaceFilterBox(int row) {
        w->FilterSG->setCurrentCell(row, 0);
        QTest::keyClick(w->FilterSG, Qt::Key_Space);
    }
    int RowOfMask(const std::string& mask) const {
        const auto& rows = w->FilterTable().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].mask == mask) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    std::vector<std::string> SelectedMasks() const {
        std::vector<std::string> masks;
        for (const auto& row : w->FilterTable().Rows()) {
            if (row.selected) {
                masks.push_back(row.mask);
            }
        }
        return masks;
    }
    QStringList ListedPaths() const {
        QStringList items;
        for (int i = 0; i < w->PathLB->count(); ++i) {
            items << w->PathLB->item(i)->text();
        }
        return items;
    }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<qm::test::ScriptedPrompter> prompter;
    std::unique_ptr<TfrmMain> w;
};

void MainFormTest::init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    prompter = std::make_unique<qm::test::ScriptedPrompter>();
    w = std::make_unique<TfrmMain>(prompter.get());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void MainFormTest::cleanup() {
    QCOMPARE(prompter->unexpected, 0);
    QVERIFY(prompter->ScriptUsedUp());
    w.reset();
    prompter.reset();
    dir.reset();
}

void MainFormTest::FreshStart() {
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillmere v") +
                                   QString::fromStdString(qm::foundation::GetFileVersionText()));
    QVERIFY(w->OptionsPanel->isVisible());
    QVERIFY(!w->SearchResultsPanel->isVisible());
    QVERIFY(!w->InfoPanel->isVisible());
    QVERIFY(!w->ViewResultsPanel->isVisible());
    QCOMPARE(w->SB->Panel0Width(), 0);
    QCOMPARE(w->FilterLbl->text(), kNone);
    QCOMPARE(w->FilterGridRow(), 1);  // the "*.*" row
    QVERIFY(!w->SearchBtn->isEnabled());
    QVERIFY(w->SearchBtn->isVisible());
    QVERIFY(!w->AbortSearchBtn->isVisible());
    QVERIFY(!w->RemoveDirBtn->isEnabled());
    QVERIFY(w->ClearAllFiltersBtn->isEnabled());
    QVERIFY(w->SelectAllFiltersBtn->isEnabled());
    QVERIFY(w->EditFilterBtn->isEnabled());
    QVERIFY(w->DeleteFilterBtn->isEnabled());
    QCOMPARE(w->MinSizeCB->currentIndex(), 1);
    QCOMPARE(w->MinSizeCB->currentText(), QStringLiteral("Kilo Bytes"));
    QCOMPARE(w->FCMItemIndex(), 0);
    QVERIFY(w->ScanHiddenCB->isChecked());
    QVERIFY(w->ScanSubFoldersCB->isChecked());
    QCOMPARE(w->DepthEdit->value(), 0);
    QVERIFY(w->DisableSSItem->isChecked());
    w->DisableSSItem->trigger();
    QVERIFY(!w->DisableSSItem->isChecked());
    w->DisableSSItem->trigger();
    QVERIFY(w->DisableSSItem->isChecked());
    // The tree opens at the home folder.
    QCOMPARE(w->FolderModel()->NodePath(w->DirLB->currentIndex()),
             QDir::cleanPath(QDir::homePath()));
    for (QPushButton* button :
         {w->FolderExcludeBtn, w->DateOptionsBtn, w->ExcludeFileMaskBtn, w->ExcludeFolderMaskBtn}) {
        QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    }
    // The File and Help menus are the shell's (MainFormShellTest).
    // The Options menu in its order, a separator after the screen-saver item and after the
    // excluded folders.
    QStringList options;
    for (const QAction* action : w->OptionsMenu->actions()) {
        options << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    QCOMPARE(options,
             (QStringList{"&Disable Screen Saver During Search", "-", "&Blocked Folders",
                          "&Excluded Folders", "-", "Exclude File Mask", "Exclude Folder Mask"}));
}

void MainFormTest::NamedControlsExist() {
    const QStringList names = {"SearchBtn",
                               "AbortSearchBtn",
                               "ExitBtn",
                               "PathLB",
                               "DirLB",
                               "FilterSG",
                               "FilterLbl",
                               "FilterDefLbl",
                               "DepthEdit",
                               "ScanSubFoldersCB",
                               "ScanHiddenCB",
                               "MinSizeEdit",
                               "MaxSizeEdit",
                               "MinSizeCB",
                               "FCM",
                               "FolderExcludeBtn",
                               "DateOptionsBtn",
                               "ExcludeFileMaskBtn",
                               "ExcludeFolderMaskBtn",
                               "ClearAllFiltersBtn",
                               "SelectAllFiltersBtn",
                               "EditFilterBtn",
                               "DeleteFilterBtn",
                               "NewFilterBtn",
                               "RestoreFilterBtn",
                               "RemoveDirBtn",
                               "ClearAllBtn",
                               "SB",
                               "OptionsPanel",
                               "SearchResultsPanel",
                               "DirLBPanel",
                               "OptionsSplitter",
                               "RightPanel",
                               "MainOptionsPanel",
                               "MainButtonsPanel",
                               "ViewResultsPanel",
                               "ViewSearchResultsBtn",
                               "InfoPanel",
                               "Step1Lbl",
                               "Step2Lbl",
                               "Step3Lbl",
                               "FoldersScannedLbl",
                               "FilesScannedLbl",
                               "FilesIgnoredLbl",
                               "FoldersIgnoredLbl",
                               "InfoPanelCloseBtn",
                               "FilterButtonsPanel",
                               "FileMenu",
                               "OptionsMenu",
                               "HelpMenu",
                               "DisableSSItem",
                               "FileMenuExitItem"};
    for (const QString& name : names) {
        QVERIFY2(w->findChild<QObject*>(name), qPrintable(name));
    }
    QCOMPARE(w->Step1Lbl->text(), QStringLiteral("Pending"));
    QCOMPARE(w->FoldersScannedLbl->text(), QStringLiteral("0"));
    QCOMPARE(w->DepthEdit->minimum(), 0);
    QCOMPARE(w->DepthEdit->maximum(), 50);
    QCOMPARE(w->PathLB->toolTip(),
             QStringLiteral("List of folders that will be searched for duplicate files.  You can "
                            "drag/drop folders from Windows Explorer here. "));
}

void MainFormTest::TickingTreeListsFolders() {
    const QString data = MakeFolder("Data");
    const QString sub = MakeFolder("Data/Sub");
    const QModelIndex dataNode = Node(data);
    QVERIFY(dataNode.isValid());

    PressSpaceOnNode(dataNode);
    QVERIFY(qm::app::IsNodeTicked(dataNode));
    QVERIFY(qm::app::IsNodeBold(dataNode));
    QCOMPARE(ListedPaths(), QStringList{data + "/"});
    QCOMPARE(w->SearchPaths(), std::vector<std::string>{Bytes(data) + "/"});
    // The first entry is highlighted and can be removed.
    QCOMPARE(w->PathLB->HighlightedRow(), 0);
    QVERIFY(w->RemoveDirBtn->isEnabled());

    // A folder inside a listed one is listed too; a programmatic tick is reported like a click.
    qm::app::SetNodeTicked(Node(sub), true);
    QCOMPARE(ListedPaths(), (QStringList{data + "/", sub + "/"}));
    QVERIFY(qm::app::IsNodeBold(Node(sub)));
    QCOMPARE(w->PathLB->HighlightedRow(), 1);  // the cursor follows the ticked folder

    PressSpaceOnNode(dataNode);
    QVERIFY(!qm::app::IsNodeTicked(dataNode));
    QVERIFY(!qm::app::IsNodeBold(dataNode));
    QCOMPARE(ListedPaths(), QStringList{sub + "/"});

    // Ticking what is already ticked changes nothing.
    qm::app::SetNodeTicked(Node(sub), true);
    QCOMPARE(ListedPaths(), QStringList{sub + "/"});
    // The horizontal extent follows the widest entry.
    QVERIFY(w->PathLB->HorizontalExtent() >= w->PathLB->fontMetrics().horizontalAdvance(sub + "/"));
}

void MainFormTest::DropOfFoldersAndFile() {
    const QString beta = MakeFolder("beta");
    const QString alpha = MakeFolder("Alpha");
    const QString file = QDir(dir->path()).filePath("note.txt");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    const auto drop = [&](const QStringList& paths) {
        auto* mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        mime->setUrls(urls);
        const QPoint at = w->PathLB->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, mime,
                              Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->PathLB->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropEvent(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, mime,
                             Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->PathLB->viewport(), &dropEvent);
        QVERIFY(dropEvent.isAccepted());
        delete mime;
    };

    drop({beta, alpha});
    QCOMPARE(ListedPaths(), (QStringList{alpha + "/", beta + "/"}));  // sorted, case ignored
    QVERIFY(qm::app::IsNodeTicked(Node(alpha)));
    QVERIFY(qm::app::IsNodeBold(Node(beta)));

    // A file is refused silently; a folder already listed adds nothing.
    drop({file, alpha + "/"});
    QCOMPARE(ListedPaths(), (QStringList{alpha + "/", beta + "/"}));
    QVERIFY(prompter->messages.empty());
}

void MainFormTest::RemoveFolderAndClearAll() {
    const QString a = MakeFolder("a");
    const QString b = MakeFolder("b");
    qm::app::SetNodeTicked(Node(a), true);
    qm::app::SetNodeTicked(Node(b), true);
    QCOMPARE(w->PathLB->count(), 2);

    // Remove Folder takes the highlighted entry and unticks its node.
    w->PathLB->setCurrentRow(0);
    QTest::mouseClick(w->RemoveDirBtn, Qt::LeftButton);
    QCOMPARE(ListedPaths(), QStringList{b + "/"});
    QVERIFY(!qm::app::IsNodeTicked(Node(a)));
    QVERIFY(!qm::app::IsNodeBold(Node(a)));
    QCOMPARE(w->PathLB->HighlightedRow(), 0);  // the list-cursor rule highlights the first
    QVERIFY(w->RemoveDirBtn->isEnabled());

    // Nothing highlighted: the button switches itself off.
    w->PathLB->clearSelection();
    QTest::mouseClick(w->RemoveDirBtn, Qt::LeftButton);
    QVERIFY(!w->RemoveDirBtn->isEnabled());
    QCOMPARE(w->PathLB->count(), 1);

    // Clear All Folders.
    qm::app::SetNodeTicked(Node(a), true);
    SpaceFilterBox(1);
    QVERIFY(w->SearchBtn->isEnabled());
    QTest::mouseClick(w->ClearAllBtn, Qt::LeftButton);
    QCOMPARE(w->PathLB->count(), 0);
    QCOMPARE(w->StatusText(), QStringLiteral("All paths cleared from the search list."));
    QVERIFY(!w->SearchBtn->isEnabled());
    QVERIFY(!w->RemoveDirBtn->isEnabled());
    QVERIFY(!qm::app::IsNodeTicked(Node(a)));
    QVERIFY(!qm::app::IsNodeTicked(Node(b)));
    QVERIFY(!qm::app::IsNodeBold(Node(b)));
    QVERIFY(w->FolderModel()->TickedPaths().isEmpty());
}

void MainFormTest::MissingFolderClick() {
    const QString odd = MakeFolder("a<b&c");
    w->AddSearchPath(Bytes(odd) + "/");
    QCOMPARE(w->PathLB->count(), 1);
    QVERIFY(QDir(odd).removeRecursively());
    const QRect itemRect = w->PathLB->visualItemRect(w->PathLB->item(0));
    QTest::mouseClick(w->PathLB->viewport(), Qt::LeftButton, {}, itemRect.center());
    QTRY_COMPARE(w->StatusText(), "Path <B>" + odd + "/</B> does not exist.");
    // The path reads as it is: "<" and "&" are text, not mark-up.
    QTextDocument shown;
    shown.setHtml(w->SB->TextPanel()->text());
    QCOMPARE(shown.toPlainText(), "Path " + odd + "/ does not exist.");
    QCOMPARE(w->PathLB->count(), 1);  // the list is not changed

    // Adding a folder that does not exist does nothing.
    w->AddSearchPath(Bytes(odd) + "/");
    w->AddSearchPath("");
    QCOMPARE(w->PathLB->count(), 1);
}

void MainFormTest::SearchButtonRule() {
    const QString a = MakeFolder("a");
    QVERIFY(!w->SearchBtn->isEnabled());
    SpaceFilterBox(RowOfMask("*.txt"));
    QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.txt"));
    QVERIFY(!w->SearchBtn->isEnabled());  // a filter but no folder
    qm::app::SetNodeTicked(Node(a), true);
    QVERIFY(w->SearchBtn->isEnabled());
    QVERIFY(!w->AbortSearchBtn->isEnabled());
    SpaceFilterBox(RowOfMask("*.txt"));
    QCOMPARE(w->FilterLbl->text(), kNone);
    QVERIFY(!w->SearchBtn->isEnabled());  // a folder but no filter
    ClickFilterBox(RowOfMask("*.doc"));   // the mouse on the centred box
    QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.doc"));
    QVERIFY(w->SearchBtn->isEnabled());
    qm::app::SetNodeTicked(Node(a), false);
    QVERIFY(!w->SearchBtn->isEnabled());
}

void MainFormTest::DefaultTableAndLabel() {
    const auto& rows = w->FilterTable().Rows();
    QCOMPARE(rows.size(), std::size_t{15});
    QCOMPARE(w->FilterSG->rowCount(), 15);
    const char* masks[] = {"*.*",   "*.bmp", "*.dll", "*.doc", "*.exe",  "*.gif", "*.ht*", "*.jp*",
                           "*.pas", "*.php", "*.png", "*.psd", "*.tiff", "*.txt", "*.wmf"};
    for (int i = 0; i < 15; ++i) {
        QCOMPARE(w->FilterSG->item(i, 1)->text(), QLatin1String(masks[i]));
        QCOMPARE(w->FilterSG->item(i, 0)->checkState(), Qt::Unchecked);
        QVERIFY(!w->FilterSG->item(i, 1)->data(qm::app::kBoldRole).toBool());
    }
    QCOMPARE(w->FilterSG->item(14, 2)->text(), QStringLiteral("Windows Meta File Image Files"));
    QCOMPARE(w->FilterSG->horizontalHeaderItem(0)->text(), QStringLiteral("Select Filter"));
    QCOMPARE(w->FilterSG->horizontalHeaderItem(1)->text(), QStringLiteral("Filter Mask"));
    QCOMPARE(w->FilterSG->horizontalHeaderItem(2)->text(), QStringLiteral("Filter Description"));

    // Ticked rows are bold and join the label in table order; unticking removes at once.
    SpaceFilterBox(RowOfMask("*.png"));
    SpaceFilterBox(RowOfMask("*.bmp"));
    QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.bmp, *.png"));
    QVERIFY(w->FilterSG->item(RowOfMask("*.png"), 2)->data(qm::app::kBoldRole).toBool());
    SpaceFilterBox(RowOfMask("*.png"));
    QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.bmp"));
    QVERIFY(!w->FilterSG->item(RowOfMask("*.png"), 2)->data(qm::app::kBoldRole).toBool());

    QTest::mouseClick(w->ClearAllFiltersBtn, Qt::LeftButton);
    QCOMPARE(w->FilterLbl->text(), kNone);
    QVERIFY(SelectedMasks().empty());

    // Moving the cursor onto the header row disables Edit and Delete.
    w->SetFilterGridRow(0);
    QVERIFY(!w->EditFilterBtn->isEnabled());
    QVERIFY(!w->DeleteFilterBtn->isEnabled());
    w->FilterSG->setCurrentCell(3, 1);
    QVERIFY(w->EditFilterBtn->isEnabled());
}

void MainFormTest::GlobalFilterQuestion_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void MainFormTest::GlobalFilterQuestion() {
    QFETCH(bool, yes);
    SpaceFilterBox(RowOfMask("*.bmp"));
    SpaceFilterBox(RowOfMask("*.gif"));
    prompter->Answer(yes);
    SpaceFilterBox(RowOfMask("*.*"));
    QCOMPARE(prompter->questions.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(prompter->questions[0]),
             QStringLiteral("You are selecting a global filter (* or *.*) which covers all types "
                            "of files.  Selecting this filter will remove any other filter "
                            "selection.  \r\n\r\nAre you sure you want to do this?"));
    if (yes) {
        QCOMPARE(SelectedMasks(), std::vector<std::string>{"*.*"});
        QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.*"));
    } else {
        QCOMPARE(SelectedMasks(), (std::vector<std::string>{"*.bmp", "*.gif"}));
        QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.bmp, *.gif"));
        QCOMPARE(w->FilterSG->item(0, 0)->checkState(), Qt::Unchecked);
    }
}

void MainFormTest::ReplaceGlobalFilterQuestion_data() {
    GlobalFilterQuestion_data();
}

void MainFormTest::ReplaceGlobalFilterQuestion() {
    QFETCH(bool, yes);
    SpaceFilterBox(RowOfMask("*.*"));
    QVERIFY(prompter->questions.empty());
    prompter->Answer(yes);
    SpaceFilterBox(RowOfMask("*.bmp"));
    QCOMPARE(prompter->questions.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(prompter->questions[0]),
             QStringLiteral("You have a global filter selected (* or *.*) which covers all file "
                            "types.  Would you like to deselect the global filter and select this "
                            "filter instead?"));
    if (yes) {
        QCOMPARE(SelectedMasks(), std::vector<std::string>{"*.bmp"});
        QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.bmp"));
    } else {
        QCOMPARE(SelectedMasks(), std::vector<std::string>{"*.*"});
        QCOMPARE(w->FilterSG->item(RowOfMask("*.bmp"), 0)->checkState(), Qt::Unchecked);
        QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.*"));
    }
}

void MainFormTest::SecondGlobalFilterAsksNothing() {
    w->SetFilterRows({{"*", "Everything"}, {"*.*", "All Files"}, {"*.txt", "Text"}});
    QCOMPARE(w->FilterGridRow(), 1);  // the first global row
    SpaceFilterBox(1);
    SpaceFilterBox(0);
    QVERIFY(prompter->questions.empty());
    QCOMPARE(SelectedMasks(), (std::vector<std::string>{"*", "*.*"}));
    QCOMPARE(w->FilterLbl->text(), QStringLiteral("*, *.*"));
}

void MainFormTest::NewFilter() {
    SpaceFilterBox(RowOfMask("*.txt"));
    // Equal to an existing row when case is ignored: no row is added, all come back unselected.
    WhenFilterDialog([](TfrmFilter* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("New Filter"));
        QVERIFY(dialog->MaskEdit->text().isEmpty());
        QVERIFY(!dialog->OkBtn->isEnabled());
        FillAndConfirm(dialog, "*.BMP", "bitmap image files");
    });
    QTest::mouseClick(w->NewFilterBtn, Qt::LeftButton);
    QCOMPARE(w->FilterTable().Count(), std::size_t{15});
    QVERIFY(SelectedMasks().empty());
    QCOMPARE(w->FilterLbl->text(), kNone);

    // A "|" in the mask moves the rest into the definition; the new row lands in sorted order.
    WhenFilterDialog([](TfrmFilter* dialog) { FillAndConfirm(dialog, "a|b", "X"); });
    QTest::mouseClick(w->NewFilterBtn, Qt::LeftButton);
    QCOMPARE(w->FilterTable().Count(), std::size_t{16});
    const int row = RowOfMask("a");
    QVERIFY(row >= 0);
    QCOMPARE(w->FilterTable().Row(static_cast<std::size_t>(row)).definition, std::string("b|X"));
    QCOMPARE(w->FilterSG->item(row, 2)->text(), QStringLiteral("b|X"));
    QCOMPARE(row, 15);  // letters sort after the "*" masks
    QCOMPARE(w->FilterSG->rowCount(), 16);

    // Cancel leaves the table as it was.
    WhenFilterDialog([](TfrmFilter* dialog) {
        dialog->MaskEdit->setText("*.zzz");
        dialog->DefinitionEdit->setText("Z");
        QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
    });
    QTest::mouseClick(w->NewFilterBtn, Qt::LeftButton);
    QCOMPARE(w->FilterTable().Count(), std::size_t{16});
    QCOMPARE(RowOfMask("*.zzz"), -1);
}

void MainFormTest::EditFilter() {
    const int txt = RowOfMask("*.txt");
    SpaceFilterBox(txt);
    SpaceFilterBox(RowOfMask("*.bmp"));
    w->FilterSG->setCurrentCell(txt, 1);
    WhenFilterDialog([](TfrmFilter* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Filter Edit"));
        QCOMPARE(dialog->MaskEdit->text(), QStringLiteral("*.txt"));
        QCOMPARE(dialog->DefinitionEdit->text(), QStringLiteral("Text Files"));
        QVERIFY(dialog->OkBtn->isEnabled());
        FillAndConfirm(dialog, "*.text", "Text Files");
    });
    QTest::mouseClick(w->EditFilterBtn, Qt::LeftButton);
    QCOMPARE(RowOfMask("*.text"), txt);  // same place, still selected
    QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.bmp, *.text"));

    // A double click on a cell edits that row.
    const int gif = RowOfMask("*.gif");
    WhenFilterDialog([](TfrmFilter* dialog) { FillAndConfirm(dialog, "*.gif", "Animations"); });
    const QRect cell = w->FilterSG->visualRect(w->FilterSG->model()->index(gif, 2));
    QTest::mouseClick(w->FilterSG->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(w->FilterSG->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(w->FilterTable().Row(static_cast<std::size_t>(gif)).definition,
             std::string("Animations"));

    // The cursor on the header row: a notice, no dialog.
    w->SetFilterGridRow(0);
    w->EditFilterBtnClick();
    QCOMPARE(prompter->messages,
             std::vector<std::string>{"Please select one filter from the filter list."});
}

void MainFormTest::DeleteFilter() {
    const int bmp = RowOfMask("*.bmp");
    SpaceFilterBox(bmp);
    SpaceFilterBox(RowOfMask("*.gif"));
    w->FilterSG->setCurrentCell(bmp, 1);
    prompter->Answer(false);
    QTest::mouseClick(w->DeleteFilterBtn, Qt::LeftButton);
    QCOMPARE(prompter->questions,
             std::vector<std::string>{
                 "Are you sure you want to delete the filter \"Bitmap Image Files\"?"});
    QCOMPARE(w->FilterTable().Count(), std::size_t{15});

    prompter->Answer(true);
    QTest::mouseClick(w->DeleteFilterBtn, Qt::LeftButton);
    QCOMPARE(w->FilterTable().Count(), std::size_t{14});
    QCOMPARE(RowOfMask("*.bmp"), -1);
    QCOMPARE(w->FilterSG->item(bmp, 1)->text(), QStringLiteral("*.dll"));  // rows moved up
    QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.gif"));

    w->SetFilterGridRow(0);
    w->DeleteFilterBtnClick();
    QCOMPARE(prompter->messages,
             std::vector<std::string>{"Please select one filter from the filter list."});
}

void MainFormTest::DeleteOnlyFilterAndEmptyTable() {
    w->SetFilterRows({{"*.txt", "Text"}});
    SpaceFilterBox(0);
    QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.txt"));
    w->FilterSG->setCurrentCell(0, 1);
    prompter->Answer(true);
    QTest::mouseClick(w->DeleteFilterBtn, Qt::LeftButton);
    QVERIFY(!w->HasFilters());
    QCOMPARE(w->FilterSG->rowCount(), 1);  // one blank row, no check box
    QVERIFY(w->FilterSG->item(0, 1)->text().isEmpty());
    QVERIFY(!w->FilterSG->item(0, 0)->data(Qt::CheckStateRole).isValid());
    QCOMPARE(w->FilterLbl->text(), kNone);
    for (QPushButton* button :
         {w->EditFilterBtn, w->DeleteFilterBtn, w->ClearAllFiltersBtn, w->SelectAllFiltersBtn}) {
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    }
    // Edit and Delete on an empty table: the same notice, and the focus moves to New Filter.
    w->EditFilterBtnClick();
    w->DeleteFilterBtnClick();
    const std::string none =
        "Currently there are no filters defined.  Please add one before trying to edit filters.";
    QCOMPARE(prompter->messages, (std::vector<std::string>{none, none}));
    QCOMPARE(w->focusWidget(), w->NewFilterBtn);  // the window's focus goes there

    // A new filter brings the buttons back.
    WhenFilterDialog([](TfrmFilter* dialog) { FillAndConfirm(dialog, "*.log", "Logs"); });
    QTest::mouseClick(w->NewFilterBtn, Qt::LeftButton);
    QCOMPARE(w->FilterTable().Count(), std::size_t{1});
    QVERIFY(w->ClearAllFiltersBtn->isEnabled());
    QVERIFY(w->SelectAllFiltersBtn->isEnabled());
}

void MainFormTest::SelectAllSortsCaption() {
    QTest::mouseClick(w->SelectAllFiltersBtn, Qt::LeftButton);
    QCOMPARE(w->FilterLbl->text(),
             QStringLiteral("*.bmp, *.dll, *.doc, *.exe, *.gif, *.ht*, *.jp*, *.pas, *.php, "
                            "*.png, *.psd, *.tiff, *.txt, *.wmf"));
    QCOMPARE(SelectedMasks().size(), std::size_t{14});
    QCOMPARE(w->FilterSG->item(0, 0)->checkState(), Qt::Unchecked);

    // The caption is sorted and split at blanks; the table keeps its order.
    w->SetFilterRows(
        {{"*.txt", "Text"}, {"old *.log", "Old logs"}, {"*.ABC", "Abc"}, {"*", "All"}});
    QTest::mouseClick(w->SelectAllFiltersBtn, Qt::LeftButton);
    QCOMPARE(w->FilterLbl->text(), QStringLiteral("*.ABC, *.log, *.txt, old"));
    QCOMPARE(SelectedMasks(), (std::vector<std::string>{"*.txt", "old *.log", "*.ABC"}));

    // Only global rows: nothing selected, the caption is left empty.
    w->SetFilterRows({{"*", "Everything"}, {"*.*", "All Files"}});
    QTest::mouseClick(w->SelectAllFiltersBtn, Qt::LeftButton);
    QVERIFY(SelectedMasks().empty());
    QCOMPARE(w->FilterLbl->text(), QString());
    QVERIFY(!w->SearchBtn->isEnabled());
}

void MainFormTest::RestoreDefaults() {
    w->SetFilterRows({{"*.x", "X"}});
    prompter->Answer(false);
    QTest::mouseClick(w->RestoreFilterBtn, Qt::LeftButton);
    QCOMPARE(w->FilterTable().Count(), std::size_t{1});
    prompter->Answer(true);
    QTest::mouseClick(w->RestoreFilterBtn, Qt::LeftButton);
    QCOMPARE(prompter->questions.back(),
             std::string("Are you sure you want to override your existing filters and load "
                         "default filters?"));
    QCOMPARE(w->FilterTable().Count(), std::size_t{15});
    QCOMPARE(w->FilterGridRow(), 1);
    QCOMPARE(w->FilterLbl->text(), kNone);
}

void MainFormTest::DepthFollowsSubFolders() {
    QVERIFY(w->DepthEdit->isEnabled());
    QTest::mouseClick(w->ScanSubFoldersCB, Qt::LeftButton);
    QVERIFY(!w->ScanSubFoldersCB->isChecked());
    QVERIFY(!w->DepthEdit->isEnabled());
    QTest::mouseClick(w->ScanSubFoldersCB, Qt::LeftButton);
    QVERIFY(w->DepthEdit->isEnabled());
    w->DepthEdit->setValue(80);
    QCOMPARE(w->DepthEdit->value(), 50);
}

void MainFormTest::CriteriaSnapshot() {
    const QString a = MakeFolder("a");
    qm::app::SetNodeTicked(Node(a), true);
    SpaceFilterBox(RowOfMask("*.jp*"));
    SpaceFilterBox(RowOfMask("*.png"));
    w->ScanHiddenCB->setChecked(false);
    w->DepthEdit->setValue(3);
    w->MinSizeEdit->setText("10");
    w->MaxSizeEdit->setText("abc");
    w->MinSizeCB->setCurrentIndex(2);
    w->SetFCMItemIndex(3);
    w->IgnoreList().Add("/proc/");
    w->ExcludeFileMasks().Add("*.tmp");
    w->ExcludeFolderMasks().Add("*cache*");
    w->IgnoreSubFolders = true;

    const qm::engine::SearchCriteria c = w->CurrentCriteria();
    QCOMPARE(c.searchFolders, std::vector<std::string>{Bytes(a) + "/"});
    QCOMPARE(c.fileMaskText, std::string("*.jp*, *.png"));
    QVERIFY(!c.includeHidden);
    QVERIFY(c.includeSubFolders);
    QCOMPARE(c.depthLimit, 3);
    QCOMPARE(c.minSizeText, std::string("10"));
    QCOMPARE(c.maxSizeText, std::string("abc"));
    QCOMPARE(c.sizeUnitIndex, 2);
    QCOMPARE(c.method, qm::engine::Method::NameAndSize);
    QCOMPARE(c.ignoredFolders, std::vector<std::string>{"/proc/"});
    QVERIFY(c.ignoreSubFolders);
    QCOMPARE(c.excludedFileMasks, std::vector<std::string>{"*.tmp"});
    QCOMPARE(c.excludedFolderMasks, std::vector<std::string>{"*cache*"});
    QVERIFY(!c.dateRange.enabled);
    QCOMPARE(*c.MinSizeBytes(), std::int64_t{10} * 1024000);
    QVERIFY(!c.MaxSizeBytes());
}

void MainFormTest::HintLineAndHintWindow() {
    // The hint line: a control's hint goes to panel 1 in the blue hint font.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(w->RemoveDirBtn, &enter);
    const QString hint = w->RemoveDirBtn->toolTip();
    QCOMPARE(w->StatusText(), "<FONT COLOR=\"#0000FF\">" + hint + "</FONT>");
    QTextDocument shown;
    shown.setHtml(w->SB->TextPanel()->text());
    QVERIFY(shown.toPlainText().contains(QStringLiteral("list.  Note: You must")));

    // The hint window shows the same text as typed, wrapped at a third of the screen.
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), w->RemoveDirBtn->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w->RemoveDirBtn, &help);
    qm::app::TGraphicHintWindow* window = qm::app::TGraphicHintWindow::Instance();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->text(), hint);
    QCOMPARE(window->textFormat(), Qt::PlainText);
    QVERIFY(window->width() <= w->screen()->geometry().width() / 3);
    QVERIFY(window->height() > window->fontMetrics().height());  // the long hint wraps
    QCOMPARE(window->font().pointSize(), 9);
    QVERIFY(hint.contains(QStringLiteral("<U>Note</U>")));  // shown as typed
    QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 50);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w->RemoveDirBtn, &leave);
    QVERIFY(!window->isVisible());

    // A menu item's hint reaches the hint line as well.
    w->FileMenuExitItem->showStatusText(w->menuBar());
    QCOMPARE(w->StatusText(), QStringLiteral("<FONT COLOR=\"#0000FF\">Exit Quillmere.</FONT>"));

    // Without the hint line, status texts stay.
    w->SetHintLineInstalled(false);
    w->SetStatusText(QStringLiteral("<B>kept</B>"));
    QApplication::sendEvent(w->ClearAllBtn, &enter);
    QCOMPARE(w->StatusText(), QStringLiteral("<B>kept</B>"));
}

void MainFormTest::PlacementFormulas() {
    const qm::app::ButtonPairLefts lefts = qm::app::CentredPairLefts(233, 100, 100);
    QCOMPARE(lefts.left, 11);
    QCOMPARE(lefts.right, 121);
    QCOMPARE(qm::app::CentredPairLefts(101, 30, 40).left, (101 - 30) / 2 - 15 - 5);

    const auto expectPair = [](QWidget* panel, QWidget* left, QWidget* right) {
        const qm::app::ButtonPairLefts want =
            qm::app::CentredPairLefts(panel->width(), left->width(), right->width());
        QCOMPARE(left->x(), want.left);
        QCOMPARE(right->x(), want.right);
    };
    w->resize(900, 700);
    QTRY_COMPARE(w->width(), 900);
    expectPair(w->PathButtonsPanel, w->RemoveDirBtn, w->ClearAllBtn);
    expectPair(w->MainButtonsPanel, w->SearchBtn, w->ExitBtn);
    QCOMPARE(w->AbortSearchBtn->x(), w->SearchBtn->x());

    // Dragging the splitter centres the main buttons on the options area; a resize puts them
    // back on the button bar.
    const QList<int> sizes = w->OptionsSplitter->sizes();
    w->OptionsSplitter->setSizes({sizes[0] + 80, sizes[1] - 80});
    w->OptionsSplitterMoved();
    expectPair(w->PathButtonsPanel, w->RemoveDirBtn, w->ClearAllBtn);
    expectPair(w->MainOptionsPanel, w->SearchBtn, w->ExitBtn);
    w->resize(880, 700);
    QTRY_COMPARE(w->width(), 880);
    expectPair(w->MainButtonsPanel, w->SearchBtn, w->ExitBtn);

    // The splitter keeps the folder panel at 210 pixels at least and the right side at 100.
    w->OptionsSplitter->setSizes({10, 2000});
    QVERIFY(w->DirLBPanel->width() >= 210);
    w->OptionsSplitter->setSizes({2000, 10});
    QVERIFY(w->RightPanel->width() >= 100);

    // Grid columns: widest content plus 5 pixels.
    w->FitFilterColumns();
    QList<int> fitted;
    for (int column = 0; column < 3; ++column) {
        fitted << w->FilterSG->columnWidth(column);
    }
    w->FilterSG->resizeColumnsToContents();
    for (int column = 0; column < 3; ++column) {
        QCOMPARE(fitted[column], w->FilterSG->columnWidth(column) + 5);
    }
}

void MainFormTest::RealFoldersAreNeverPruned() {
    // Names that the shell's virtual folders carry; here they are real folders and stay.
    const QStringList names = {"Desktop", "My Documents", "Shared Documents", "Local Documents"};
    for (const QString& name : names) {
        MakeFolder(name);
    }
    TfrmMain second(prompter.get());
    for (const QString& name : names) {
        QVERIFY(second.FolderModel()->LocateNode(QDir(dir->path()).filePath(name)).isValid());
    }
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    for (const QString& name : names) {
        const QModelIndex node = second.FolderModel()->LocateNode(QDir(dir->path()).filePath(name));
        QVERIFY2(node.isValid(), qPrintable(name));
        QVERIFY2(!second.DirLB->isRowHidden(node.row(), node.parent()), qPrintable(name));
    }
}

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
