// TfrmMain: the search run. SearchBtnClick shows the summary, runs the search and fills the
// results tree, then shows the outcome; the controls are locked in between, and the abort button
// and the close query are the ways in while it runs.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeView>
#include <chrono>
#include <exception>
#include <initializer_list>
#include <optional>

#include "app/mainform/MainForm.h"
#include "app/mainform/SearchSummaryPanel.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/widgets/MarkupStatusBar.h"
#include "app/widgets/PathListBox.h"
#include "app/widgets/QtText.h"
#include "engine/SearchRun.h"
#include "foundation/Prompter.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/qt/ScreenSaverGuard.h"

namespace qm::app {

namespace {

platform::FileTime WallClockNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The window's own yields (a handful per search) let every pending event run at once.
void YieldNow() {
    QCoreApplication::processEvents();
}

}  // namespace

void TfrmMain::ConnectSearch() {
    connect(SearchBtn, &QPushButton::clicked, this, &TfrmMain::SearchBtnClick);
    connect(AbortSearchBtn, &QPushButton::clicked, this, &TfrmMain::AbortSearchBtnClick);
    connect(ExitBtn, &QPushButton::clicked, this, &TfrmMain::FileMenuExitItemClick);
    connect(FileMenuExitItem, &QAction::triggered, this, &TfrmMain::FileMenuExitItemClick);
}

void TfrmMain::LockSearchControls() {
    if (!m_waitCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_waitCursor = true;
    }
    if (ViewResultsPanel->isVisible()) {
        ViewResultsPanel->hide();
    }
    SearchBtn->hide();
    AbortSearchBtn->show();
    for (QWidget* control : std::initializer_list<QWidget*>{DirLB,
                                                            RemoveDirBtn,
                                                            ClearAllBtn,
                                                            PathLB,
                                                            ScanHiddenCB,
                                                            ScanSubFoldersCB,
                                                            DepthEdit,
                                                            MinSizeEdit,
                                                            MinSizeCB,
                                                            MaxSizeEdit,
                                                            FCM,
                                                            FolderExcludeBtn,
                                                            DateOptionsBtn,
                                                            ExcludeFileMaskBtn,
                                                            ExcludeFolderMaskBtn,
                                                            FilterSG,
                                                            ClearAllFiltersBtn,
                                                            SelectAllFiltersBtn,
                                                            EditFilterBtn,
                                                            DeleteFilterBtn,
                                                            NewFilterBtn,
                                                            RestoreFilterBtn,
                                                            SearchBtn,
                                                            ExitBtn,
                                                            DupeTV}) {
        control->setEnabled(false);
    }
    for (QMenu* menu : {FileMenu, OptionsMenu, HelpMenu}) {
        menu->menuAction()->setEnabled(false);
    }
    AbortSearchBtn->setEnabled(true);
    AbortRequested = false;
    SearchInProgress = true;
    SearchStartTime = WallClockNow();
    if (DisableSSItem->isChecked()) {
        EngageScreenSaverGuard();
    }
    YieldNow();
}

void TfrmMain::UnlockSearchControls() {
    if (m_waitCursor) {
        QApplication::restoreOverrideCursor();
        m_waitCursor = false;
    }
    SearchBtn->show();
    AbortSearchBtn->hide();
    for (QWidget* control : std::initializer_list<QWidget*>{DirLB,
                                                            RemoveDirBtn,
                                                            ClearAllBtn,
                                                            PathLB,
                                                            PreviewImageCB,
                                                            ScanHiddenCB,
                                                            ScanSubFoldersCB,
                                                            HideOptionsBtn,
                                                            DepthEdit,
                                                            MinSizeEdit,
                                                            MinSizeCB,
                                                            MaxSizeEdit,
                                                            FCM,
                                                            FolderExcludeBtn,
                                                            DateOptionsBtn,
                                                            ExcludeFileMaskBtn,
                                                            ExcludeFolderMaskBtn,
                                                            FilterSG,
                                                            ClearAllFiltersBtn,
                                                            SelectAllFiltersBtn,
                                                            NewFilterBtn,
                                                            RestoreFilterBtn,
                                                            SearchBtn,
                                                            ExitBtn,
                                                            DupeTV}) {
        control->setEnabled(true);
    }
    for (QMenu* menu : {FileMenu, OptionsMenu, HelpMenu}) {
        menu->menuAction()->setEnabled(true);
    }
    EditFilterBtn->setEnabled(HasFilters());
    DeleteFilterBtn->setEnabled(HasFilters());
    AbortSearchBtn->setEnabled(false);
    SearchInProgress = false;
    ReleaseScreenSaverGuard();
    YieldNow();
}

void TfrmMain::AbortSearchBtnClick() {
    if (ViewResultsPanel->isVisible()) {
        ViewResultsPanel->hide();
    }
    AbortRequested = true;
    SearchInProgress = false;
    // The screen saver may start again as soon as nothing counts as searching.
    ReleaseScreenSaverGuard();
    YieldNow();
}

void TfrmMain::UseScreenSaverGuard(std::unique_ptr<platform::ScreenSaverGuard> guard) {
    ReleaseScreenSaverGuard();
    m_screenSaverGuard = std::move(guard);
}

bool TfrmMain::ScreenSaverSuppressed() const {
    return m_screenSaverGuard && m_screenSaverGuard->IsEngaged();
}

void TfrmMain::EngageScreenSaverGuard() {
    if (!m_screenSaverGuard) {
        m_screenSaverGuard = std::make_unique<platform::ScreenSaverGuard>();
    }
    // Without a screen-saver service there is nothing to keep off; the search runs regardless.
    m_screenSaverGuard->Engage(QStringLiteral("A duplicate file search is running"));
}

void TfrmMain::ReleaseScreenSaverGuard() {
    if (m_screenSaverGuard) {
        m_screenSaverGuard->Release();
    }
}

void TfrmMain::SearchBtnClick() {
    // A load replaces the tree that a save or an export may still be reading.
    if (m_searchRunning || ResultsCommandRunning()) {
        return;
    }
    m_searchRunning = true;
    ShowSearchSummary();
    ShowSearchOutcome(RunSearchAndFill());
    m_searchRunning = false;
    if (m_closePending) {
        m_closePending = false;
        close();
    }
}

void TfrmMain::ShowSearchSummary() {
    m_summary->Reset();
    m_summary->ShowCentred(frameGeometry().size());
}

TfrmMain::RunOutcome TfrmMain::RunSearchAndFill() {
    LockSearchControls();
    m_dupeModel->Clear();

    // Nothing that goes wrong below may leave the window locked: the error is shown once the
    // controls are back.
    RunOutcome outcome;
    try {
        const engine::SearchResult result = engine::RunSearch(
            CurrentCriteria(), *m_host,
            m_searchFileSystem ? *m_searchFileSystem : platform::SystemFileSystem(),
            platform::UserLocale());
        m_host->Flush();
        if (result.outcome == engine::SearchOutcome::Failed) {
            outcome.kind = RunOutcome::Kind::Failed;
            outcome.error = result.errorMessage;
        } else if (!result.duplicates.empty()) {
            outcome.kind = RunOutcome::Kind::DuplicatesFound;
            if (!AbortRequested) {
                m_dupeModel->SetBlockedRule(CurrentBlockedRule());
                m_dupeModel->PopulateResultsTree(result.duplicates, result.method);
            }
        }
    } catch (const std::exception& failure) {
        outcome.kind = RunOutcome::Kind::Failed;
        outcome.error = failure.what();
    }

    UnlockSearchControls();
    SearchEndTime = WallClockNow();
    outcome.elapsed = engine::ElapsedTimeText(SearchEndTime, SearchStartTime);
    // An abort at any point until now, the fill included, ends the search as aborted.
    if (outcome.kind != RunOutcome::Kind::Failed && AbortRequested) {
        outcome.kind = RunOutcome::Kind::Aborted;
    }
    return outcome;
}

void TfrmMain::ShowSearchOutcome(const RunOutcome& outcome) {
    using Kind = RunOutcome::Kind;
    switch (outcome.kind) {
        case Kind::Failed:
            SB->SetPanel0Width(0);
            m_dupeModel->Clear();
            SetStatusText(QString());
            m_prompter->ShowError(outcome.error);
            break;
        case Kind::Aborted:
            SB->SetPanel0Width(0);
            m_dupeModel->Clear();
            SetStatusText(QString::fromLatin1(kScanAbortedText));
            break;
        case Kind::DuplicatesFound:
            SB->SetPanel0Width(MarkupStatusBar::kProgressWidth);
            ShowResultsView();
            break;
        case Kind::NothingFound:
            DirLB->setFocus();
            m_prompter->Inform(std::string(kNothingFoundMessage) + "\r\n\r\n" + outcome.elapsed);
            break;
    }
    if (outcome.kind == Kind::DuplicatesFound || outcome.kind == Kind::NothingFound) {
        if (const std::optional<std::string> text = m_dupeModel->ShowResultStatistics(
                outcome.kind == Kind::NothingFound, false, outcome.elapsed)) {
            DupeInfoLbl->setText(Utf8Text(*text));
        }
    }
    YieldNow();
}

bool TfrmMain::FormCloseQuery() {
    bool canClose = true;
    if (SearchInProgress) {
        canClose = m_prompter->Ask(kAbortAndExitQuestion);
        if (canClose) {
            YieldNow();
            AbortSearchBtnClick();
        }
    }
    YieldNow();
    return canClose;
}

}  // namespace qm::app
