// TfrmMain: construction, the life cycle (create, first show, resize, close) and the layout rules.
#include "app/mainform/MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTreeView>
#include <algorithm>

#include "app/dialogs/FileChooser.h"
#include "app/dialogs/MessageBoxPrompter.h"
#include "app/mainform/FilterEditor.h"
#include "app/mainform/SearchSummaryPanel.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/MarkedFileCommands.h"
#include "app/widgets/AppFont.h"
#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/Controls.h"
#include "app/widgets/FolderPicker.h"
#include "app/widgets/GraphicHintWindow.h"
#include "app/widgets/MarkupStatusBar.h"
#include "app/widgets/PathListBox.h"
#include "app/widgets/QtText.h"
#include "app/widgets/UrlOpener.h"
#include "foundation/Globals.h"
#include "platform/Locale.h"
#include "platform/qt/ScreenSaverGuard.h"

namespace qm::app {

namespace {

const char* const kPathLBHint =
    "List of folders that will be searched for duplicate files.  You can drag/drop folders from "
    "Windows Explorer here. ";
const char* const kHintFontOpen = "<FONT COLOR=\"#0000FF\">";
const char* const kHintFontClose = "</FONT>";

}  // namespace

ButtonPairLefts CentredPairLefts(int panelWidth, int leftWidth, int rightWidth) {
    return {(panelWidth - leftWidth) / 2 - leftWidth / 2 - 5,
            (panelWidth - rightWidth) / 2 + rightWidth / 2 + 5};
}

TfrmMain::TfrmMain(foundation::Prompter* prompter, QWidget* parent)
    : TfrmMain(SettingsPlaces{}, prompter, parent) {}

TfrmMain::TfrmMain(SettingsPlaces places, foundation::Prompter* prompter, QWidget* parent)
    : QMainWindow(parent),
      m_ignoreList(platform::UserLocale(), scope::ScopeList::Equality::SamePath),
      m_blockedList(platform::UserLocale(), scope::ScopeList::Equality::SamePath),
      m_excludeFileMasks(platform::UserLocale()),
      m_excludeFolderMasks(platform::UserLocale()) {
    if (prompter) {
        m_prompter = prompter;
    } else {
        m_ownPrompter = std::make_unique<MessageBoxPrompter>(this);
        m_prompter = m_ownPrompter.get();
    }
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillmere"));
    setFont(ClosestFont(QStringLiteral("Tahoma"), 8));
    // Reads the recent-files list.
    m_settingsFiles = new SettingsFileCommands(std::move(places), platform::UserLocale(),
                                               *m_prompter, Chooser(), this);

    BuildMenus();
    BuildOptionsView();
    BuildInfoPanel();
    BuildResultsView();
    m_host = new WindowHost(*m_summary, *SB, AbortRequested, this);
    m_dupeModel->SetHost(m_host);
    ConnectFolders();
    ConnectFilters();
    ConnectSearch();
    ConnectResults();
    ConnectFile();
    ConnectHelp();
    ConnectMarkedFiles();
    ConnectResultsFile();
    ConnectExport();
    ConnectScope();
    ConnectFileCommands();
    ConnectPreview();
    FormCreate();
    resize(800, 634);
}

TfrmMain::~TfrmMain() {
    FormDestroy();
}

void TfrmMain::FormCreate() {
    m_firstShowPending = true;
    TGraphicHintWindow::Install();
    MinSizeCB->setCurrentIndex(1);
    m_hintLineInstalled = true;
    m_ignoreList.Clear();
    m_blockedList.Clear();
    m_excludeFileMasks.Clear();
    m_excludeFolderMasks.Clear();
    IgnoreSubFolders = false;
    BlockedSubFolders = false;
    // The tree opens at the user's home folder (there is no drive "C:\" here).
    const QModelIndex home = FolderModel()->LocateNode(QDir::homePath());
    if (home.isValid()) {
        DirLB->setCurrentIndex(home);
        DirLB->scrollTo(home);
    }
    SetHint(PathLB, QString::fromLatin1(kPathLBHint));
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormShow();
}

void TfrmMain::FormShow() {
    if (m_firstShowPending) {
        SB->SetPanel0Width(0);
        DirLB->setFocus();
        SearchInProgress = false;
        SearchResultsPanel->hide();
        OptionsPanel->show();
        InfoPanel->raise();

        // Default.ini, or the default filters when there is none.
        m_settingsFiles->SetChosenRecentPath({});
        FileMenuOpenItemClick(SettingsOrigin::MainWindow);

        m_filters->UpdateTableButtons();
        const bool selectionAndFolders =
            FilterLbl->text() != Utf8Text(scope::kNoneSelected) && !SearchPaths().empty();
        if (!selectionAndFolders && HasFilters()) {
            // No filter row is focused unless it is a global one.
            const std::optional<std::size_t> global = FilterTable().FirstGlobalRow();
            SetFilterGridRow(global ? static_cast<int>(*global) + 1 : 0);
        } else {
            UpdateSearchButtons();
        }
        if (!SearchPaths().empty()) {
            PathLB->setCurrentRow(0);
            RemoveDirBtn->setEnabled(true);
        }
        m_folders->PruneSpecialFolders();
        // The window never gets smaller than its controls need.
        setMinimumSize(minimumSizeHint().expandedTo(minimumSize()));
        // The folder panel starts 249 pixels wide unless the options beside it need the room.
        const int splitWidth = OptionsSplitter->width() - OptionsSplitter->handleWidth();
        const int left = std::clamp(splitWidth - RightPanel->minimumSizeHint().width(),
                                    DirLBPanel->minimumWidth(), 249);
        OptionsSplitter->setSizes({left, splitWidth - left});
        setWindowTitle(QStringLiteral("Quillmere v") + Utf8Text(foundation::GetFileVersionText()));
        m_firstShowPending = false;
    }
    FormResize();
}

void TfrmMain::FileMenuExitItemClick() {
    close();
}

bool TfrmMain::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        if (m_hintLineInstalled) {
            const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
            SetStatusText(QLatin1String(kHintFontOpen) + tip + QLatin1String(kHintFontClose));
        }
        return true;
    }
    return QMainWindow::event(event);
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == PathButtonsPanel) {
            PlacePathButtons();
        } else if (watched == ViewResultsPanel) {
            CentreViewResultsButton();
        } else if (watched == m_toolbarScroll) {
            FitToolbarHeight();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    if (m_markedFiles->Running()) {
        // Files are being deleted or moved below this event: that stops after the file at hand,
        // and the window closes then.
        m_markedFiles->RequestStop();
        m_closePending = true;
        event->ignore();
        return;
    }
    if (m_searchRunning || ResultsCommandRunning()) {
        // The search (or a results file's load, save or export) still runs below this event on
        // the call stack and uses the window's controls and lists; the window closes as soon as
        // it has wound down.
        m_closePending = true;
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

// ---- Layout ---------------------------------------------------------------------------------

void TfrmMain::FitToolbarHeight() {
    const bool scrolls = TreeOptionsPanel->minimumSizeHint().width() > m_toolbarScroll->width();
    const int bar = scrolls ? m_toolbarScroll->horizontalScrollBar()->sizeHint().height() : 0;
    m_toolbarScroll->setFixedHeight(TreeOptionsPanel->sizeHint().height() + bar);
}

void TfrmMain::FitFilterColumns() {
    FilterSG->FitColumns();
}

void TfrmMain::PlacePathButtons() {
    const ButtonPairLefts lefts =
        CentredPairLefts(PathButtonsPanel->width(), RemoveDirBtn->width(), ClearAllBtn->width());
    const int top = (PathButtonsPanel->height() - RemoveDirBtn->height()) / 2;
    RemoveDirBtn->move(lefts.left, top);
    ClearAllBtn->move(lefts.right, top);
}

void TfrmMain::PlaceMainButtons(int panelWidth) {
    const ButtonPairLefts lefts =
        CentredPairLefts(panelWidth, SearchBtn->width(), ExitBtn->width());
    SearchBtn->move(lefts.left, SearchBtn->y());
    AbortSearchBtn->move(lefts.left, AbortSearchBtn->y());
    ExitBtn->move(lefts.right, ExitBtn->y());
}

void TfrmMain::CentreViewResultsButton() {
    ViewSearchResultsBtn->move((ViewResultsPanel->width() - ViewSearchResultsBtn->width()) / 2,
                               ViewSearchResultsBtn->y());
}

void TfrmMain::FormResize() {
    FitFilterColumns();
    PlacePathButtons();
    PlaceMainButtons(MainButtonsPanel->width());
    FitHorizontalExtent(*PathLB, -1);
    FitFilterColumns();
}

void TfrmMain::OptionsSplitterMoved() {
    FitFilterColumns();
    CentreViewResultsButton();
    FitFilterColumns();
    PlacePathButtons();
    PlaceMainButtons(MainOptionsPanel->width());
}

// ---- Status bar -----------------------------------------------------------------------------

void TfrmMain::SetStatusText(const QString& markup) {
    SB->SetText(markup);
}

void TfrmMain::SetStatusText(const QList<StatusPart>& parts) {
    SB->SetText(parts);
}

QString TfrmMain::StatusText() const {
    return SB->Text();
}

}  // namespace qm::app
