#pragma once

#include <QMainWindow>
#include <QModelIndex>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/mainform/SettingsFileCommands.h"
#include "app/widgets/FilterGrid.h"
#include "app/widgets/StatusMarkup.h"
#include "engine/SearchCriteria.h"
#include "platform/FileDate.h"
#include "results/BlockedFolderRule.h"
#include "scope/ScopeList.h"
#include "scope/SearchSettings.h"
#include "storage/SettingsFile.h"

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
class QScrollArea;
class QSpinBox;
class QSplitter;
class QToolButton;
class QTreeView;
class QCloseEvent;

namespace qm::foundation {
class Prompter;
}

namespace qm::storage {
enum class ExportFormat : std::uint8_t;
}

namespace qm::platform {
class DesktopServices;
class FileSystem;
class ScreenSaverGuard;
}  // namespace qm::platform

namespace qm::app {

class CheckableFolderModel;
class DupeTreeMenus;
class DupeTreeModel;
class DupeTreeView;
class FileChooser;
class FileCommands;
class FilterEditor;
class FolderPicker;
class ImagePreviewPanel;
class MarkedFileCommands;
class MarkupStatusBar;
class PathListBox;
class PictureView;
class ResultExporter;
class ResultsFileCommands;
class SearchSummaryPanel;
class UrlOpener;
class WindowHost;

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

// The main window: the options view (folder picker, scan options, file-type filters), the results
// view (toolbar, statistics label, results tree), the status bar with its hint line, the menus.
//
// The window wires components together: each handler named after a control and its event only
// dispatches to the component that owns the behaviour (FolderPicker, FilterEditor, DupeTreeView,
// SearchSummaryPanel and WindowHost for a search) and shows what it reports. Its definition is
// spread over one file per feature: MainForm.cpp (life cycle, layout rules), MainFormBuild.cpp
// (the controls), MainFormFolders.cpp, MainFormFilters.cpp, MainFormSearch.cpp,
// MainFormResults.cpp, MainFormSettings.cpp (the settings value to and from the controls).
//
// Named controls are public members and carry their name as objectName, so tests reach them;
// those of a component point into it.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // prompter answers the window's questions; null means message boxes owned by the window.
    explicit TfrmMain(foundation::Prompter* prompter = nullptr, QWidget* parent = nullptr);
    // places: where Default.ini and the recent-files list are kept; the constructor above keeps
    // none of them (see SettingsPlaces).
    explicit TfrmMain(SettingsPlaces places, foundation::Prompter* prompter = nullptr,
                      QWidget* parent = nullptr);
    ~TfrmMain() override;

    // ---- Search settings (MainFormSettings.cpp) -------------------------------------------
    // Everything the user set for a search, read from the controls and the scope lists.
    scope::SearchSettings CurrentSettings() const;
    // Shows settings in the controls and takes their scope lists.
    void ApplySettings(const scope::SearchSettings& settings);
    // What a search reads: the current settings and the file date window.
    engine::SearchCriteria CurrentCriteria() const;
    // Item index of FCM (0..4), -1 when no method is selected.
    int FCMItemIndex() const;
    void SetFCMItemIndex(int index);

    // ---- Settings files (MainFormFile.cpp) -------------------------------------------------
    // Fills the controls and the scope lists from the settings file at path, and moves the window
    // to the place it stores. Throws FileError when the file cannot be read; nothing changes then.
    void LoadSettingsFile(const std::string& path);
    // Writes every setting and the window's place to path. Throws FileError ("Unable to write to
    // " + path) and leaves the file as it was when that fails.
    void SaveSettingsFile(const std::string& path) const;
    const SettingsPlaces& Places() const;
    const storage::RecentFiles& RecentFiles() const;

    // ---- Shell (MainFormShell.cpp) ---------------------------------------------------------
    // Replaces the browser that opens the web site and forum; opener must outlive the window.
    void UseUrlOpener(UrlOpener* opener);

    // ---- Status bar ------------------------------------------------------------------------
    void SetStatusText(const QString& markup);
    void SetStatusText(const QList<StatusPart>& parts);
    QString StatusText() const;  // as set, markup included
    // The status-bar hint line: while installed, every hint shown also goes to panel 1.
    void SetHintLineInstalled(bool installed) { m_hintLineInstalled = installed; }
    bool HintLineInstalled() const { return m_hintLineInstalled; }

    // ---- File-type filters (MainFormFilters.cpp) -------------------------------------------
    const scope::FilterTable& FilterTable() const;
    // Replaces the whole table (a settings file), places the cursor and rebuilds the label.
    void SetFilterRows(std::vector<scope::FilterRow> rows);
    bool HasFilters() const;
    // Start Search is enabled when a folder is listed and a filter is selected.
    void UpdateSearchButtons();
    // The grid cursor: body rows counted from 1, 0 for the header row (no filter focused).
    int FilterGridRow() const;
    void SetFilterGridRow(int row);

    // ---- Search folder list (MainFormFolders.cpp) ------------------------------------------
    const std::vector<std::string>& SearchPaths() const;
    void AddSearchPath(const std::string& path);
    CheckableFolderModel* FolderModel() const;

    // ---- Scope lists (edited by their dialogs) ---------------------------------------------
    scope::ScopeList& IgnoreList() { return m_ignoreList; }
    scope::ScopeList& BlockedList() { return m_blockedList; }
    scope::ScopeList& ExcludeFileMasks() { return m_excludeFileMasks; }
    scope::ScopeList& ExcludeFolderMasks() { return m_excludeFolderMasks; }
    bool IgnoreSubFolders = false;
    bool BlockedSubFolders = false;
    engine::FileDateRange FileDateRange;

    // ---- Search run (MainFormSearch.cpp) ---------------------------------------------------
    bool SearchInProgress = false;
    bool AbortRequested = false;
    platform::FileTime SearchStartTime = 0;  // wall clock, taken when the controls are locked
    platform::FileTime SearchEndTime = 0;    // taken after they are unlocked at the end

    // Puts the window into its searching state and back; see SearchBtnClick.
    void LockSearchControls();
    void UnlockSearchControls();
    // The close query: true when the window may close. During a search it asks first and, on
    // Yes, aborts the search.
    bool FormCloseQuery();
    // True from the start of SearchBtnClick until it returns, also while the search winds down
    // after an abort.
    bool SearchRunning() const { return m_searchRunning; }
    // Where searches and the results tree report and yield; tests tune its yield interval and
    // hook.
    WindowHost& SearchHost() const { return *m_host; }
    // The file system searches read; null (the default) means the system's.
    void SetSearchFileSystem(platform::FileSystem* fileSystem) { m_searchFileSystem = fileSystem; }
    // The guard that keeps the screen saver off during a search; by default one on the session
    // bus, made when first needed.
    void UseScreenSaverGuard(std::unique_ptr<platform::ScreenSaverGuard> guard);
    bool ScreenSaverSuppressed() const;

    // ---- Results view (MainFormResults.cpp) ------------------------------------------------
    DupeTreeModel* DupeModel() const { return m_dupeModel; }

    // ---- Deleting and moving marked files (MainFormMarkedFiles.cpp) ------------------------
    // The delete and move commands; tests give them their file operations and destination.
    MarkedFileCommands& MarkedFiles() const { return *m_markedFiles; }
    // ---- Results files and export (MainFormResultsFile.cpp, MainFormExport.cpp) -------------
    // Every file dialog of the window (settings, results files, exports); null (the default)
    // means Qt's. Not owned.
    void SetFileChooser(FileChooser* chooser);
    // Where those dialogs start; by default the folder of the settings file.
    void SetFileDialogFolder(const std::string& folder);
    ResultsFileCommands& ResultsFiles() const { return *m_resultsFiles; }
    ResultExporter& Exporter() const { return *m_exporter; }
    // ---- File commands (MainFormFileCommands.cpp) ----------------------------------------
    // Where the file commands go (open, explore, terminal, clipboard); null (the default) means
    // the desktop of this session. Not owned.
    void SetDesktopServices(platform::DesktopServices* services);

    // ---- Layout (MainForm.cpp) -------------------------------------------------------------
    void FormResize();
    void OptionsSplitterMoved();
    void FitFilterColumns();

    // ---- Controls --------------------------------------------------------------------------
    QMenu* FileMenu;
    QMenu* OptionsMenu;
    QMenu* HelpMenu;
    QAction* FileMenuOpenItem;
    QAction* FileMenuSaveItem;
    QMenu* MRUList;  // the submenu "&Recent Files"
    QAction* LoadPreviousSearchResults1;
    QAction* FileMenuExitItem;
    QAction* DisableSSItem;
    QAction* HelpMenuAboutItem;
    QAction* Forums1;
    QAction* Website1;
    QAction* BlockedFolderAction;
    QAction* IgnoredFolderAction;
    QAction* ExcludeFileMaskItem;
    QAction* ExcludeFolderMaskItem;

    QWidget* OptionsPanel;
    QWidget* SearchResultsPanel;
    QWidget* DirLBPanel;
    QSplitter* OptionsSplitter;
    QWidget* RightPanel;
    QWidget* MainOptionsPanel;
    QWidget* MainButtonsPanel;

    QTreeView* DirLB;
    QFrame* ViewResultsPanel;
    QPushButton* ViewSearchResultsBtn;

    PathListBox* PathLB;
    QWidget* PathButtonsPanel;
    QPushButton* RemoveDirBtn;
    QPushButton* ClearAllBtn;

    QCheckBox* ScanHiddenCB;
    QCheckBox* ScanSubFoldersCB;
    QSpinBox* DepthEdit;
    QLineEdit* MinSizeEdit;
    QLineEdit* MaxSizeEdit;
    QComboBox* MinSizeCB;
    QGroupBox* FCM;

    QPushButton* FolderExcludeBtn;
    QPushButton* DateOptionsBtn;
    QPushButton* ExcludeFileMaskBtn;
    QPushButton* ExcludeFolderMaskBtn;

    QLabel* FilterDefLbl;
    QLabel* FilterLbl;
    FilterGrid* FilterSG;
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
    QToolButton* SaveResultsBtn;
    QToolButton* ExpandNodesBtn;
    QToolButton* CollapseNodesBtn;
    QToolButton* MarkAllBtn;
    QToolButton* UnMarkAllBtn;
    QToolButton* ExportBtn;
    QToolButton* ColorSettingsBtn;
    QToolButton* GridToggleBtn;
    QToolButton* HideOptionsBtn;
    QToolButton* DeleteMarkedBtn;
    QToolButton* MoveToFolderBtn;
    // Enabled while a file row has the focus.
    QToolButton* OpenTargetBtn;
    QToolButton* ExploreTargetBtn;
    QToolButton* ExecuteBtn;
    QToolButton* BlockedFolderBtn;
    QToolButton* PreviewImageCB;  // a toggle, down by default
    QLabel* DupeInfoLbl;
    DupeTreeView* DupeTV;
    QMenu* ExportMenu;
    QAction* ExportMenuCSVItem;
    QAction* ExportMenuHTMLItem;
    QAction* ExportMenuRTFItem;
    QAction* ExportMenuTextItem;
    // The file commands of the context menu TVMenu.
    QAction* Commandprompthere1;
    QAction* CopyPathtoClipboard1;
    QAction* TVMenuExploreItem;
    QAction* TVMenuOpenItem;
    QAction* TVMenuExecuteItem;
    QAction* TVMenuPropertiesItem;
    // The floating image preview and its two picture controls (still, animated).
    ImagePreviewPanel* PreviewPanel;
    PictureView* ImageDisp1;
    PictureView* ImageDisp2;

public slots:
    // Runs one search: shows the summary, runs the search and fills the results tree, and shows
    // the outcome (the results, the nothing-found message, the abort note or the error). Returns
    // only when the search has wound down.
    void SearchBtnClick();
    void AbortSearchBtnClick();
    void HideOptionsBtnClick();
    void ViewSearchResultsBtnClick();
    void MarkAllBtnClick();
    void UnMarkAllBtnClick();
    void DeleteMarkedBtnClick();
    void MoveToFolderBtnClick();
    void SaveResultsBtnClick();
    void LoadPreviousSearchResults1Click();
    void ExportBtnClick();
    void ExportMenuCSVItemClick();
    void ExportMenuHTMLItemClick();
    void ExportMenuRTFItemClick();
    void ExportMenuTextItemClick();

    void OpenTargetBtnClick();
    void ExploreTargetBtnClick();
    void ExecuteBtnClick();
    void TVMenuPropertiesItemClick();
    void Commandprompthere1Click();
    // Lets platform::EClipboardError pass to the general error display.
    void CopyPathtoClipboard1Click();
    void PreviewImageCBClick();
    // The preview follows the focused row; node is the results tree's node id or kNoNode.
    void DupeTVFocusChanged(quint32 node);

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

    // The open command: Default.ini at the first show (or the default filters when there is
    // none), a recent file, or a file chosen in the open dialog.
    void FileMenuOpenItemClick(SettingsOrigin origin = SettingsOrigin::Menu);
    // The save command: Default.ini at close, or a file chosen in the save dialog.
    void FileMenuSaveItemClick(SettingsOrigin origin = SettingsOrigin::Menu);
    // An entry of the recent-files submenu was chosen.
    void MRUListClick(const std::string& path);
    void HelpMenuAboutItemClick();
    void Forums1Click();
    void Website1Click();
    // Another start of the program asked this one to come to the front: restored when
    // minimised, shown when hidden, raised and activated.
    void ActivationRequest();
    // The scope dialogs (MainFormScope.cpp).
    void IgnoredFolderActionExecute();
    void BlockedFolderActionExecute();
    void DateOptionsBtnClick();
    void ExcludeFileMaskBtnClick();
    void ExcludeFolderMaskBtnClick();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // How a search ended, once the controls are unlocked again.
    struct RunOutcome {
        enum class Kind { DuplicatesFound, NothingFound, Aborted, Failed };
        Kind kind = Kind::NothingFound;
        std::string error;    // Failed
        std::string elapsed;  // the elapsed-time text
    };

    // MainFormBuild.cpp
    void BuildMenus();
    void BuildOptionsView();
    QWidget* BuildFolderPanel();
    QWidget* BuildMainOptionsPanel();
    QWidget* BuildButtonsPanel();
    void BuildInfoPanel();
    void BuildResultsView();
    // Each feature file wires its controls to its handlers.
    void ConnectFolders();
    void ConnectFilters();
    void ConnectSearch();
    void ConnectResults();
    void ConnectFile();
    void ConnectHelp();
    void ConnectMarkedFiles();
    void ConnectResultsFile();
    void ConnectExport();
    void ConnectScope();
    // These two also make their components (the file commands, the preview panel).
    void ConnectFileCommands();
    void ConnectPreview();

    // MainForm.cpp
    void FormCreate();
    void FormShow();
    void PlacePathButtons();
    void PlaceMainButtons(int panelWidth);
    void CentreViewResultsButton();
    // The results toolbar's strip: as high as the toolbar, plus its scroll bar when it shows.
    void FitToolbarHeight();

    // MainFormFile.cpp
    std::optional<storage::WindowGeometry> NormalGeometry() const;
    void ApplyWindowGeometry(const storage::WindowGeometry& geometry);

    // MainFormShell.cpp
    void FormClose();
    void FormDestroy();
    UrlOpener& Browser();

    // MainFormSearch.cpp
    void ShowSearchSummary();
    RunOutcome RunSearchAndFill();
    void ShowSearchOutcome(const RunOutcome& outcome);
    void EngageScreenSaverGuard();
    void ReleaseScreenSaverGuard();

    // MainFormResults.cpp
    void ShowResultsView();
    results::BlockedFolderRule CurrentBlockedRule() const;

    // MainFormMarkedFiles.cpp
    void LockForMarkedFiles(bool locked);
    // MainFormResultsFile.cpp
    FileChooser& Chooser();
    // A save, load, export, delete or move is running: no other may start, nor a search.
    bool ResultsCommandRunning() const;
    // Closes the window when that was asked for while a command ran.
    void CloseIfPending();
    // MainFormExport.cpp
    void RunExport(storage::ExportFormat format);
    // MainFormPreview.cpp
    // The preview shows with the results view while its toggle is down.
    void ShowPreviewWithResults();

    std::unique_ptr<foundation::Prompter> m_ownPrompter;
    foundation::Prompter* m_prompter;

    SettingsFileCommands* m_settingsFiles = nullptr;
    UrlOpener* m_urlOpener = nullptr;
    std::unique_ptr<UrlOpener> m_ownUrlOpener;
    FolderPicker* m_folders = nullptr;
    FilterEditor* m_filters = nullptr;
    QButtonGroup* m_methodButtons = nullptr;
    scope::ScopeList m_ignoreList;
    scope::ScopeList m_blockedList;
    scope::ScopeList m_excludeFileMasks;
    scope::ScopeList m_excludeFolderMasks;

    SearchSummaryPanel* m_summary = nullptr;
    WindowHost* m_host = nullptr;
    DupeTreeModel* m_dupeModel = nullptr;
    DupeTreeMenus* m_dupeMenus = nullptr;
    MarkedFileCommands* m_markedFiles = nullptr;
    QPointer<QWidget> m_focusBeforeMarkedFiles;
    QScrollArea* m_toolbarScroll = nullptr;
    std::unique_ptr<FileChooser> m_ownChooser;
    FileChooser* m_chooser = nullptr;
    ResultsFileCommands* m_resultsFiles = nullptr;
    ResultExporter* m_exporter = nullptr;
    QString m_statusBeforeLoad;
    bool m_hintLineBeforeLoad = false;
    FileCommands* m_fileCommands = nullptr;
    platform::FileSystem* m_searchFileSystem = nullptr;
    std::unique_ptr<platform::ScreenSaverGuard> m_screenSaverGuard;
    bool m_searchRunning = false;
    bool m_closePending = false;
    bool m_waitCursor = false;

    bool m_firstShowPending = true;
    bool m_hintLineInstalled = false;
};

}  // namespace qm::app
