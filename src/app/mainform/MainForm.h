#pragma once

#include <QMainWindow>
#include <QModelIndex>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/widgets/StatusMarkup.h"
#include "engine/SearchCriteria.h"
#include "platform/FileDate.h"
#include "results/BlockedFolderRule.h"
#include "scope/FilterTable.h"
#include "scope/ScopeList.h"
#include "scope/SearchPathList.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QSplitter;
class QTableWidget;
class QTableWidgetItem;
class QToolButton;
class QTreeView;
class QCloseEvent;

namespace qm::foundation {
class Prompter;
class TextMeasurer;
}  // namespace qm::foundation

namespace qm::platform {
class FileSystem;
class ScreenSaverGuard;
}  // namespace qm::platform

namespace qm::app {

class CheckableFolderModel;
class DupeTreeMenus;
class DupeTreeModel;
class DupeTreeView;
class MarkupStatusBar;
class PathListBox;
class SearchWindowHost;

// The question asked when the window is closed during a search.
inline constexpr const char* kAbortAndExitQuestion =
    "There is a search in progress.  Do you wish to abort the search and exit Quillmere?";
inline constexpr const char* kNothingFoundMessage =
    "No duplicate files were found for the selected search criteria.";
inline constexpr const char* kScanAbortedText = "<B>Scan aborted.</B>";

// Left edges of two buttons centred side by side with a 10-pixel gap in a panel of panelWidth:
// (W - a) div 2 - a div 2 - 5 and (W - b) div 2 + b div 2 + 5.
struct ButtonPairLefts {
    int left;
    int right;
};
ButtonPairLefts CentredPairLefts(int panelWidth, int leftWidth, int rightWidth);

// The main window: the options view (folder tree, search folder list, scan options, file-type
// filters), the results view (toolbar, statistics label, results tree), the status bar with its
// hint line, the menus, and the search run that connects them.
//
// Named controls are public members and carry their name as objectName, so tests and the later
// views reach them.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // prompter answers the window's questions; null means message boxes owned by the window.
    explicit TfrmMain(foundation::Prompter* prompter = nullptr, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // ---- What a search reads -------------------------------------------------------------
    // One snapshot of every search option, taken from the controls and scope lists.
    engine::SearchCriteria CurrentCriteria() const;

    // ---- Status bar ------------------------------------------------------------------------
    void SetStatusText(const QString& markup);
    void SetStatusText(const QList<StatusPart>& parts);
    QString StatusText() const;  // as set, markup included
    // Panel 0: shown with width 150, hidden with width 0.
    void ShowProgressArea(bool visible);
    // The status bar's font measures shortened paths (ShortenPathToWidth).
    const foundation::TextMeasurer& StatusMeasurer() const;
    // The status-bar hint line: while installed, every hint shown also goes to panel 1.
    void SetHintLineInstalled(bool installed) { m_hintLineInstalled = installed; }
    bool HintLineInstalled() const { return m_hintLineInstalled; }

    foundation::Prompter& Prompter() const { return *m_prompter; }

    // ---- File-type filters -----------------------------------------------------------------
    const scope::FilterTable& FilterTable() const { return m_filters; }
    // Replaces the whole table (the settings file uses this), places the cursor and rebuilds
    // the label.
    void SetFilterRows(std::vector<scope::FilterRow> rows);
    bool HasFilters() const { return m_filters.HasFilters(); }
    void LoadDefaultFilters();
    void RebuildFilterLabel();
    void UpdateSearchButtons();
    bool OtherFilterSelected() const { return m_filters.OtherFilterSelected(); }
    void UpdateFilterButtons();
    // The grid cursor: body rows counted from 1, 0 for the header row (no filter focused).
    int FilterGridRow() const;
    void SetFilterGridRow(int row);

    // ---- Search folder list ----------------------------------------------------------------
    const std::vector<std::string>& SearchPaths() const { return m_searchPaths.Paths(); }
    void AddSearchPath(const std::string& path);
    void RemoveSearchPath(const std::string& path);
    // The tree node of a folder (invalid when it cannot be located).
    QModelIndex LocateFolderNode(const std::string& path) const;
    CheckableFolderModel* FolderModel() const { return m_folderModel; }
    // Restores the list from stored paths (settings file): unticks everything, then ticks the
    // node of each existing folder or lists it directly when it has no node.
    void RestoreSearchPaths(const std::vector<std::string>& paths);

    // ---- Scope lists (edited by their dialogs) --------------------------------------------
    scope::ScopeList& IgnoreList() { return m_ignoreList; }
    scope::ScopeList& BlockedList() { return m_blockedList; }
    scope::ScopeList& ExcludeFileMasks() { return m_excludeFileMasks; }
    scope::ScopeList& ExcludeFolderMasks() { return m_excludeFolderMasks; }
    bool IgnoreSubFolders = false;
    bool BlockedSubFolders = false;
    engine::FileDateRange FileDateRange;

    // Search state, shared with the search run.
    bool SearchInProgress = false;
    bool AbortRequested = false;
    platform::FileTime SearchStartTime = 0;  // wall clock, taken when the controls are locked
    platform::FileTime SearchEndTime = 0;    // taken after they are unlocked at the end

    // ---- Search run ------------------------------------------------------------------------
    // Puts the window into its searching state and back; see SearchBtnClick.
    void LockSearchControls();
    void UnlockSearchControls();
    // The close query: true when the window may close. During a search it asks first and, on
    // Yes, aborts the search.
    bool FormCloseQuery();
    // True from the start of SearchBtnClick until it returns, also while the search winds down
    // after an abort.
    bool SearchRunning() const { return m_searchRunning; }
    // Where the search reports and yields; tests tune its yield interval and hook.
    SearchWindowHost& SearchHost() const { return *m_searchHost; }
    // The file system searches read; null (the default) means the system's.
    void SetSearchFileSystem(platform::FileSystem* fileSystem) { m_searchFileSystem = fileSystem; }
    // The guard that keeps the screen saver off during a search; by default one on the session
    // bus, made when first needed.
    void UseScreenSaverGuard(std::unique_ptr<platform::ScreenSaverGuard> guard);
    bool ScreenSaverSuppressed() const;
    // The blocked-folder rule of the current BlockedList and BlockedSubFolders.
    results::BlockedFolderRule CurrentBlockedRule() const;

    // ---- Results view ----------------------------------------------------------------------
    DupeTreeModel* DupeModel() const { return m_dupeModel; }
    DupeTreeMenus* DupeMenus() const { return m_dupeMenus; }

    // ---- Layout ----------------------------------------------------------------------------
    void FormResize();
    void OptionsSplitterMoved();
    void FitFilterColumns();

    // ---- Controls --------------------------------------------------------------------------
    QMenu* FileMenu;
    QMenu* OptionsMenu;
    QMenu* HelpMenu;
    QAction* FileMenuExitItem;
    QAction* DisableSSItem;

    QWidget* OptionsPanel;
    QWidget* SearchResultsPanel;
    QWidget* DirLBPanel;
    QSplitter* OptionsSplitter;
    QWidget* RightPanel;
    QWidget* MainOptionsPanel;
    QWidget* MainButtonsPanel;

    QGroupBox* FolderSelectionGB;
    QTreeView* DirLB;
    QFrame* ViewResultsPanel;
    QPushButton* ViewSearchResultsBtn;

    QGroupBox* SearchPathListGB;
    PathListBox* PathLB;
    QWidget* PathButtonsPanel;
    QPushButton* RemoveDirBtn;
    QPushButton* ClearAllBtn;

    QGroupBox* FolderOptionsGB;
    QCheckBox* ScanHiddenCB;
    QCheckBox* ScanSubFoldersCB;
    QLabel* DepthLbl;
    QSpinBox* DepthEdit;

    QGroupBox* FileSizeOptionsGB;
    QLineEdit* MinSizeEdit;
    QLineEdit* MaxSizeEdit;
    QComboBox* MinSizeCB;

    QGroupBox* FCM;
    QButtonGroup* FCMButtons;

    QGroupBox* AdvanceOptionsGB;
    QPushButton* FolderExcludeBtn;
    QPushButton* DateOptionsBtn;
    QPushButton* ExcludeFileMaskBtn;
    QPushButton* ExcludeFolderMaskBtn;

    QGroupBox* FileFilterGB;
    QLabel* FilterDefLbl;
    QLabel* FilterLbl;
    QTableWidget* FilterSG;
    QWidget* FilterButtonsPanel;
    QPushButton* ClearAllFiltersBtn;
    QPushButton* SelectAllFiltersBtn;
    QPushButton* EditFilterBtn;
    QPushButton* DeleteFilterBtn;
    QPushButton* NewFilterBtn;
    QPushButton* RestoreFilterBtn;

    QPushButton* SearchBtn;
    QPushButton* AbortSearchBtn;
    QPushButton* ExitBtn;

    MarkupStatusBar* SB;

    QFrame* InfoPanel;
    QLabel* Step1Lbl;
    QLabel* Step2Lbl;
    QLabel* Step3Lbl;
    QLabel* FoldersScannedLbl;
    QLabel* FilesScannedLbl;
    QLabel* FilesIgnoredLbl;
    QLabel* FoldersIgnoredLbl;
    QToolButton* InfoPanelCloseBtn;

    // The results view: toolbar, statistics label, tree.
    QWidget* TreeOptionsPanel;
    QToolButton* ExpandNodesBtn;
    QToolButton* CollapseNodesBtn;
    QToolButton* MarkAllBtn;
    QToolButton* UnMarkAllBtn;
    QToolButton* ColorSettingsBtn;
    QToolButton* GridToggleBtn;
    QToolButton* HideOptionsBtn;
    // Their commands (delete, move, open, explore, execute, preview) come later; the buttons
    // exist and follow their enabling rules, but are not shown.
    QToolButton* DeleteMarkedBtn;
    QToolButton* MoveToFolderBtn;
    QToolButton* OpenTargetBtn;
    QToolButton* ExploreTargetBtn;
    QToolButton* ExecuteBtn;
    QToolButton* PreviewImageCB;
    QLabel* DupeInfoLbl;
    DupeTreeView* DupeTV;

    // Item index of FCM (0..4), -1 when no method is selected.
    int FCMItemIndex() const;
    void SetFCMItemIndex(int index);

public slots:
    // Runs one search: locks the controls, runs walk, collection and comparison with the progress
    // panel, fills the results tree, unlocks, and shows the results, the nothing-found message,
    // the abort note or the error. Returns only when the search has wound down.
    void SearchBtnClick();
    void AbortSearchBtnClick();
    void HideOptionsBtnClick();
    void ViewSearchResultsBtnClick();
    void MarkAllBtnClick();
    void UnMarkAllBtnClick();

    void DirLBCheckBoxChanged(const QModelIndex& node, bool ticked);
    void RemoveDirBtnClick();
    void ClearAllBtnClick();
    void PathLBClick();
    void DropFileTarget1Drop(const QStringList& names);
    void ScanSubFoldersCBClick();

    void FilterSGCheckBoxClick(int row);
    void FilterSGDblClickCell();
    void NewFilterBtnClick();
    void EditFilterBtnClick();
    void DeleteFilterBtnClick();
    void ClearAllFiltersBtnClick();
    void SelectAllFiltersBtnClick();
    void RestoreFilterBtnClick();

    void FileMenuExitItemClick();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Ticks and bolds the tree node of folder path (ending in the separator) and lists it.
    void TickAndListFolder(const std::string& path);
    void BuildMenus();
    void BuildOptionsView();
    QWidget* BuildFolderPanel();
    QWidget* BuildMainOptionsPanel();
    QWidget* BuildFilterGroup();
    QWidget* BuildButtonsPanel();
    void BuildInfoPanel();
    void BuildResultsView();
    void EngageScreenSaverGuard();
    void FormCreate();
    void FormShow();
    void PlacePathButtons();
    void PlaceMainButtons(int panelWidth);
    void PruneSpecialFolders();

    void RefreshPathLB();
    void ListCursorRule();
    void HighlightPath(const std::string& path);
    std::string HighlightedPath() const;

    void RefreshFilterGrid();
    void PlaceFilterCursor();
    void OnFilterItemChanged(QTableWidgetItem* item);
    std::optional<std::size_t> CursorFilterRow() const;
    bool RunFilterDialog(const QString& caption, QString& mask, QString& definition);

    std::unique_ptr<foundation::Prompter> m_ownPrompter;
    foundation::Prompter* m_prompter;
    std::unique_ptr<foundation::TextMeasurer> m_statusMeasurer;

    CheckableFolderModel* m_folderModel = nullptr;
    scope::SearchPathList m_searchPaths;
    scope::FilterTable m_filters;
    scope::ScopeList m_ignoreList;
    scope::ScopeList m_blockedList;
    scope::ScopeList m_excludeFileMasks;
    scope::ScopeList m_excludeFolderMasks;

    DupeTreeModel* m_dupeModel = nullptr;
    DupeTreeMenus* m_dupeMenus = nullptr;
    std::unique_ptr<SearchWindowHost> m_searchHost;
    platform::FileSystem* m_searchFileSystem = nullptr;
    std::unique_ptr<platform::ScreenSaverGuard> m_screenSaverGuard;
    bool m_searchRunning = false;
    bool m_closePending = false;
    bool m_waitCursor = false;

    bool m_firstShowPending = true;
    bool m_hintLineInstalled = false;
    bool m_fillingGrid = false;
};

}  // namespace qm::app
