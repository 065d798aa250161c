// TfrmMain: the controls of both views, the menus and the floating summary panel. Wiring them to
// their handlers is left to the feature files.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/AboutForm.h"
#include "app/mainform/FilterEditor.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/ResultExporter.h"
#include "app/mainform/ResultsFileCommands.h"
#include "app/mainform/SearchSummaryPanel.h"
#include "app/results/DupeTreeMenus.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/widgets/Controls.h"
#include "app/widgets/FolderPicker.h"
#include "app/widgets/FolderTreeView.h"
#include "app/widgets/MarkupStatusBar.h"
#include "app/widgets/PathListBox.h"
#include "platform/Locale.h"

namespace qm::app {

namespace {

const char* const kDirLBHint =
    "Click on the checkbox to add/remove folder from search list.  <U>Note</U>: You must have "
    "atleast 1 folder selected before you can start scanning for duplicate files.";
const char* const kClearAllBtnHint =
    "Clear all the search paths. <U>Note</U>: You must have atleast 1 folder selected before you "
    "can start scanning for duplicate files.";
const char* const kRemoveDirBtnHint =
    "Remove the selected folder from search path list.  <U>Note</U>: You must have atleast 1 "
    "folder selected before you can start scanning for duplicate files.";
const char* const kScanHiddenCBHint =
    "Use this option to scan hidden and system files/folders such as the Temporary Internet Files "
    "folder.";
const char* const kScanSubFoldersCBHint =
    "If this option is selected all the sub folders will be scanned for duplicate files.";

QCheckBox* MakeCheckBox(const QString& caption, const char* name, const char* hint,
                        QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(true);
    SetHint(box, QString::fromLatin1(hint));
    return box;
}

}  // namespace

void TfrmMain::BuildMenus() {
    FileMenu = menuBar()->addMenu(tr("&File"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    FileMenuOpenItem =
        AddMenuItem(FileMenu, tr("&Open Search Settings"), "FileMenuOpenItem",
                    QStringLiteral("Load search settings which includes folders and extensions."),
                    QKeySequence(Qt::CTRL | Qt::Key_O));
    FileMenuOpenItem->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    FileMenuSaveItem = AddMenuItem(
        FileMenu, tr("&Save Search Settings"), "FileMenuSaveItem",
        QStringLiteral("Save current search settings which includes folders and extensions."),
        QKeySequence(Qt::CTRL | Qt::Key_S));
    FileMenuSaveItem->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    FileMenu->addSeparator();
    LoadPreviousSearchResults1 =
        AddMenuItem(FileMenu, tr("&Load Previous Search Results"), "LoadPreviousSearchResults1",
                    QString::fromLatin1(kLoadResultsHint), QKeySequence(Qt::CTRL | Qt::Key_L));
    FileMenu->addSeparator();
    MRUList = m_settingsFiles->RecentMenu();
    FileMenu->addMenu(MRUList);
    FileMenu->addSeparator();
    FileMenuExitItem =
        AddMenuItem(FileMenu, tr("E&xit"), "FileMenuExitItem", QStringLiteral("Exit Quillmere."));
    FileMenuExitItem->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    OptionsMenu = menuBar()->addMenu(tr("&Options"));
    OptionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
    // A checkable item sets and clears its own mark; the search reads it.
    DisableSSItem =
        AddMenuItem(OptionsMenu, tr("&Disable Screen Saver During Search"), "DisableSSItem",
                    QStringLiteral("When this item is checked screen saver will not "
                                   "be activated during a duplicate file search."));
    DisableSSItem->setCheckable(true);
    DisableSSItem->setChecked(true);
    OptionsMenu->addSeparator();
    BlockedFolderAction = AddMenuItem(
        OptionsMenu, tr("&Blocked Folders"), "BlockedFolderAction",
        QStringLiteral("Any files located in these folder(s) will not be allowed to be moved or "
                       "deleted."));
    IgnoredFolderAction = AddMenuItem(
        OptionsMenu, tr("&Excluded Folders"), "IgnoredFolderAction",
        QStringLiteral("Any files located in the these folder(s) will be ignored from duplicate "
                       "file search."));
    OptionsMenu->addSeparator();
    ExcludeFileMaskItem =
        AddMenuItem(OptionsMenu, tr("Exclude File Mask"), "ExcludeFileMaskItem",
                    QStringLiteral("Exclude all files that match a certain mask. For example: "
                                   "exclude all files that match \"*.log\" or \"*.tmp\"."));
    ExcludeFolderMaskItem =
        AddMenuItem(OptionsMenu, tr("Exclude Folder Mask"), "ExcludeFolderMaskItem",
                    QStringLiteral("Exclude all folders that match a certain mask. For example: "
                                   "exclude all folders that contain \"system32\"."));

    HelpMenu = menuBar()->addMenu(tr("&Help"));
    HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
    HelpMenuAboutItem =
        AddMenuItem(HelpMenu, tr("&About Quillmere..."), "HelpMenuAboutItem",
                    QStringLiteral("Some general information about this software."));
    HelpMenuAboutItem->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    HelpMenu->addSeparator();
    // The status line shows the address underlined, as a link.
    const QString forum = QString::fromLatin1(kForumAddress);
    const QString webSite = QString::fromLatin1(kWebSiteAddress);
    Forums1 = AddMenuItem(HelpMenu, tr("&Forums"), "Forums1",
                          QStringLiteral("Visit the Quillmere forums at <U>%1</U><FONT "
                                         "COLOR=\"#0000FF\"> for news and updates.")
                              .arg(forum));
    Forums1->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    Website1 = AddMenuItem(
        HelpMenu, tr("&Website"), "Website1",
        QStringLiteral("Visit the Quillmere website at <U>%1</U><FONT COLOR=\"#0000FF\">.")
            .arg(webSite));
    Website1->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
}

void TfrmMain::BuildOptionsView() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);

    OptionsPanel = new QWidget(central);
    OptionsPanel->setObjectName(QStringLiteral("OptionsPanel"));
    auto* optionsLayout = new QVBoxLayout(OptionsPanel);
    optionsLayout->setContentsMargins(4, 4, 4, 0);
    optionsLayout->setSpacing(2);

    m_folders = new FolderPicker(platform::UserLocale(), OptionsPanel);
    m_filters = new FilterEditor(*m_prompter, OptionsPanel);

    OptionsSplitter = new QSplitter(Qt::Horizontal, OptionsPanel);
    OptionsSplitter->setObjectName(QStringLiteral("OptionsSplitter"));
    OptionsSplitter->setHandleWidth(5);
    OptionsSplitter->setChildrenCollapsible(false);

    DirLBPanel = BuildFolderPanel();
    OptionsSplitter->addWidget(DirLBPanel);

    RightPanel = new QWidget(OptionsSplitter);
    RightPanel->setObjectName(QStringLiteral("RightPanel"));
    auto* rightLayout = new QVBoxLayout(RightPanel);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(2);
    MainOptionsPanel = BuildMainOptionsPanel();
    rightLayout->addWidget(MainOptionsPanel);
    rightLayout->addWidget(m_filters->Group(), 1);
    OptionsSplitter->addWidget(RightPanel);
    OptionsSplitter->setStretchFactor(0, 0);
    OptionsSplitter->setStretchFactor(1, 1);
    OptionsSplitter->setSizes({249, 546});

    FilterDefLbl = m_filters->DefinitionLabel();
    FilterLbl = m_filters->SelectionLabel();
    FilterSG = m_filters->Grid();
    FilterButtonsPanel = m_filters->ButtonsPanel();
    ClearAllFiltersBtn = m_filters->ClearAllButton();
    SelectAllFiltersBtn = m_filters->SelectAllButton();
    EditFilterBtn = m_filters->EditButton();
    DeleteFilterBtn = m_filters->DeleteButton();
    NewFilterBtn = m_filters->NewButton();
    RestoreFilterBtn = m_filters->RestoreButton();

    optionsLayout->addWidget(OptionsSplitter, 1);
    MainButtonsPanel = BuildButtonsPanel();
    optionsLayout->addWidget(MainButtonsPanel);
    centralLayout->addWidget(OptionsPanel, 1);

    SearchResultsPanel = new QWidget(central);
    SearchResultsPanel->setObjectName(QStringLiteral("SearchResultsPanel"));
    auto* resultsLayout = new QVBoxLayout(SearchResultsPanel);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    SearchResultsPanel->hide();
    centralLayout->addWidget(SearchResultsPanel, 1);

    SB = new MarkupStatusBar(central);
    SB->setObjectName(QStringLiteral("SB"));
    centralLayout->addWidget(SB);

    setCentralWidget(central);
}

QWidget* TfrmMain::BuildFolderPanel() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("DirLBPanel"));
    panel->setMinimumWidth(210);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    QGroupBox* group = MakeGroup(tr("Folder Selection: "), "FolderSelectionGB", panel);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(4, 4, 4, 4);
    DirLB = m_folders->Tree();
    DirLB->setObjectName(QStringLiteral("DirLB"));
    SetHint(DirLB, QString::fromLatin1(kDirLBHint));
    groupLayout->addWidget(DirLB);
    layout->addWidget(group, 1);

    ViewResultsPanel = new QFrame(panel);
    ViewResultsPanel->setObjectName(QStringLiteral("ViewResultsPanel"));
    ViewResultsPanel->setFixedHeight(42);
    ViewResultsPanel->setAutoFillBackground(true);
    QPalette palette = ViewResultsPanel->palette();
    palette.setColor(QPalette::Window, QColor(0x77, 0x77, 0xFF));  // BGR $FF7777
    ViewResultsPanel->setPalette(palette);
    ViewSearchResultsBtn =
        MakeButton(tr("Return To Search Results"), "ViewSearchResultsBtn", ViewResultsPanel);
    ViewSearchResultsBtn->adjustSize();
    ViewSearchResultsBtn->move(0, (42 - ViewSearchResultsBtn->height()) / 2);
    ViewResultsPanel->hide();
    ViewResultsPanel->installEventFilter(this);
    layout->addWidget(ViewResultsPanel);
    return panel;
}

QWidget* TfrmMain::BuildMainOptionsPanel() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("MainOptionsPanel"));
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    // Search folder list with its two buttons, centred by FormResize.
    QGroupBox* pathGroup = MakeGroup(tr("Search Path List: "), "SearchPathListGB", panel);
    auto* pathLayout = new QVBoxLayout(pathGroup);
    pathLayout->setContentsMargins(4, 4, 4, 4);
    pathLayout->setSpacing(2);
    PathLB = m_folders->List();
    PathLB->setObjectName(QStringLiteral("PathLB"));
    pathLayout->addWidget(PathLB, 1);
    PathButtonsPanel = new QWidget(pathGroup);
    PathButtonsPanel->setObjectName(QStringLiteral("PathButtonsPanel"));
    RemoveDirBtn = m_folders->RemoveButton();
    ClearAllBtn = m_folders->ClearButton();
    RemoveDirBtn->setObjectName(QStringLiteral("RemoveDirBtn"));
    ClearAllBtn->setObjectName(QStringLiteral("ClearAllBtn"));
    RemoveDirBtn->setParent(PathButtonsPanel);
    ClearAllBtn->setParent(PathButtonsPanel);
    const int pairWidth =
        std::max({90, RemoveDirBtn->sizeHint().width(), ClearAllBtn->sizeHint().width()});
    RemoveDirBtn->setFixedWidth(pairWidth);
    ClearAllBtn->setFixedWidth(pairWidth);
    PathButtonsPanel->setFixedHeight(RemoveDirBtn->sizeHint().height() + 4);
    // Room for both buttons side by side with the gap the placement rule leaves.
    PathButtonsPanel->setMinimumWidth(2 * pairWidth + 10);
    PathButtonsPanel->installEventFilter(this);
    SetHint(RemoveDirBtn, QString::fromLatin1(kRemoveDirBtnHint));
    SetHint(ClearAllBtn, QString::fromLatin1(kClearAllBtnHint));
    pathLayout->addWidget(PathButtonsPanel);
    layout->addWidget(pathGroup, 1);

    // Folder and size options.
    auto* columnA = new QVBoxLayout;
    columnA->setSpacing(2);
    QGroupBox* folderGroup = MakeGroup(tr("Folder Options: "), "FolderOptionsGB", panel);
    auto* folderLayout = new QGridLayout(folderGroup);
    folderLayout->setContentsMargins(4, 3, 4, 3);
    folderLayout->setVerticalSpacing(2);
    ScanHiddenCB = MakeCheckBox(tr("Scan Hidden Files/Folders"), "ScanHiddenCB", kScanHiddenCBHint,
                                folderGroup);
    ScanSubFoldersCB = MakeCheckBox(tr("Scan Sub Folders"), "ScanSubFoldersCB",
                                    kScanSubFoldersCBHint, folderGroup);
    auto* depthLbl = new QLabel(tr("Depth (0 = Unlimited)"), folderGroup);
    depthLbl->setObjectName(QStringLiteral("DepthLbl"));
    DepthEdit = new QSpinBox(folderGroup);
    DepthEdit->setObjectName(QStringLiteral("DepthEdit"));
    DepthEdit->setRange(0, 50);
    DepthEdit->setValue(0);
    depthLbl->setBuddy(DepthEdit);
    folderLayout->addWidget(ScanHiddenCB, 0, 0, 1, 2);
    folderLayout->addWidget(ScanSubFoldersCB, 1, 0, 1, 2);
    folderLayout->addWidget(depthLbl, 2, 0);
    folderLayout->addWidget(DepthEdit, 2, 1);
    columnA->addWidget(folderGroup);

    QGroupBox* sizeGroup = MakeGroup(tr("File Size Options: "), "FileSizeOptionsGB", panel);
    auto* sizeLayout = new QGridLayout(sizeGroup);
    sizeLayout->setContentsMargins(4, 3, 4, 3);
    sizeLayout->setVerticalSpacing(2);
    MinSizeEdit = new QLineEdit(QStringLiteral("0"), sizeGroup);
    MinSizeEdit->setObjectName(QStringLiteral("MinSizeEdit"));
    MaxSizeEdit = new QLineEdit(QStringLiteral("0"), sizeGroup);
    MaxSizeEdit->setObjectName(QStringLiteral("MaxSizeEdit"));
    MinSizeCB = new QComboBox(sizeGroup);
    MinSizeCB->setObjectName(QStringLiteral("MinSizeCB"));
    MinSizeCB->addItems({tr("Bytes"), tr("Kilo Bytes"), tr("Mega Bytes")});
    auto* minLbl = new QLabel(tr("Min. Size:"), sizeGroup);
    minLbl->setBuddy(MinSizeEdit);
    auto* maxLbl = new QLabel(tr("Max. Size:"), sizeGroup);
    maxLbl->setBuddy(MaxSizeEdit);
    auto* unitLbl = new QLabel(tr("Unit:"), sizeGroup);
    unitLbl->setBuddy(MinSizeCB);
    SetHint(MinSizeEdit, tr("Files smaller than this size are not scanned (0 = no minimum)."));
    SetHint(MaxSizeEdit, tr("Files larger than this size are not scanned (0 = no maximum)."));
    SetHint(MinSizeCB, tr("The unit of both size limits."));
    sizeLayout->addWidget(minLbl, 0, 0);
    sizeLayout->addWidget(MinSizeEdit, 0, 1);
    sizeLayout->addWidget(maxLbl, 1, 0);
    sizeLayout->addWidget(MaxSizeEdit, 1, 1);
    sizeLayout->addWidget(unitLbl, 2, 0);
    sizeLayout->addWidget(MinSizeCB, 2, 1);
    columnA->addWidget(sizeGroup);
    columnA->addStretch(1);
    layout->addLayout(columnA);

    // Comparison method and the advanced options.
    auto* columnB = new QVBoxLayout;
    columnB->setSpacing(2);
    FCM = MakeGroup(tr("File Comparison Method: "), "FCM", panel);
    auto* fcmLayout = new QVBoxLayout(FCM);
    fcmLayout->setContentsMargins(4, 2, 4, 2);
    fcmLayout->setSpacing(0);
    m_methodButtons = new QButtonGroup(FCM);
    m_methodButtons->setExclusive(true);
    const QStringList methods = {tr("Contents Only"), tr("Size Only"), tr("Name Only"),
                                 tr("Name And Size"), tr("Contents And Name")};
    for (int i = 0; i < methods.size(); ++i) {
        auto* radio = new QRadioButton(methods[i], FCM);
        radio->setObjectName(QStringLiteral("FCMItem%1").arg(i));
        m_methodButtons->addButton(radio, i);
        fcmLayout->addWidget(radio);
    }
    m_methodButtons->button(0)->setChecked(true);
    columnB->addWidget(FCM);

    QGroupBox* advanceGroup = MakeGroup(tr("Advance Options: "), "AdvanceOptionsGB", panel);
    // The caption is drawn in red; the buttons inside keep the normal text colour.
    advanceGroup->setStyleSheet(QStringLiteral("QGroupBox#AdvanceOptionsGB { color: #FF0000; }"));
    auto* advanceLayout = new QVBoxLayout(advanceGroup);
    advanceLayout->setContentsMargins(4, 2, 4, 3);
    advanceLayout->setSpacing(2);
    FolderExcludeBtn = MakeButton(tr("Excluded Folders"), "FolderExcludeBtn", advanceGroup);
    SetHint(
        FolderExcludeBtn,
        QStringLiteral("Select which folders to ignore from scan (recycle bin, windows etc) are "
                       "good items to place here."));
    DateOptionsBtn = MakeButton(tr("File Date Options"), "DateOptionsBtn", advanceGroup);
    SetHint(DateOptionsBtn, QStringLiteral("Limit the file scan to a certain date when the file "
                                           "was last accessed, created or modified."));
    ExcludeFileMaskBtn = MakeButton(tr("Exclude File Mask"), "ExcludeFileMaskBtn", advanceGroup);
    SetHint(ExcludeFileMaskBtn,
            QStringLiteral("Exclude all files that match a certain mask. For example: exclude all "
                           "files that match \"*.log\" or \"*.tmp\"."));
    ExcludeFolderMaskBtn =
        MakeButton(tr("Exclude Folder Mask"), "ExcludeFolderMaskBtn", advanceGroup);
    SetHint(ExcludeFolderMaskBtn,
            QStringLiteral("Exclude all folders that match a certain mask. For example: exclude "
                           "all folders that contain \"system32\"."));
    for (QPushButton* button :
         {FolderExcludeBtn, DateOptionsBtn, ExcludeFileMaskBtn, ExcludeFolderMaskBtn}) {
        advanceLayout->addWidget(button);
    }
    columnB->addWidget(advanceGroup);
    columnB->addStretch(1);
    layout->addLayout(columnB);

    panel->setMinimumHeight(270);
    return panel;
}

QWidget* TfrmMain::BuildButtonsPanel() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("MainButtonsPanel"));
    panel->setFixedHeight(40);
    SearchBtn = MakeButton(tr("&Start Search"), "SearchBtn", panel);
    AbortSearchBtn = MakeButton(tr("Abort &Search"), "AbortSearchBtn", panel);
    ExitBtn = MakeButton(tr("E&xit Quillmere"), "ExitBtn", panel);
    SetHint(ExitBtn, QStringLiteral("Exit Quillmere Utility."));
    const int width = std::max({120, SearchBtn->sizeHint().width(),
                                AbortSearchBtn->sizeHint().width(), ExitBtn->sizeHint().width()});
    for (QPushButton* button : {SearchBtn, AbortSearchBtn, ExitBtn}) {
        button->setFixedSize(width, std::max(26, button->sizeHint().height()));
        button->move(0, (40 - button->height()) / 2);
    }
    SearchBtn->setEnabled(false);
    AbortSearchBtn->hide();
    return panel;
}

void TfrmMain::BuildInfoPanel() {
    m_summary = new SearchSummaryPanel(centralWidget());
    InfoPanel = m_summary;
    Step1Lbl = m_summary->StepLabel(engine::SearchStep::FolderScan);
    Step2Lbl = m_summary->StepLabel(engine::SearchStep::FileScan);
    Step3Lbl = m_summary->StepLabel(engine::SearchStep::FileComparison);
    FoldersScannedLbl = m_summary->CounterLabel(engine::Counter::FoldersScanned);
    FilesScannedLbl = m_summary->CounterLabel(engine::Counter::FilesScanned);
    FilesIgnoredLbl = m_summary->CounterLabel(engine::Counter::FilesIgnored);
    FoldersIgnoredLbl = m_summary->CounterLabel(engine::Counter::FoldersIgnored);
    InfoPanelCloseBtn = m_summary->CloseButton();
}

void TfrmMain::BuildResultsView() {
    auto* layout = static_cast<QVBoxLayout*>(SearchResultsPanel->layout());
    layout->setSpacing(0);

    TreeOptionsPanel = new QWidget(SearchResultsPanel);
    TreeOptionsPanel->setObjectName(QStringLiteral("TreeOptionsPanel"));
    auto* toolbar = new QHBoxLayout(TreeOptionsPanel);
    toolbar->setContentsMargins(4, 2, 4, 2);
    toolbar->setSpacing(2);
    const auto tool = [&](const QString& caption, const char* name, const QString& hint) {
        QToolButton* button = MakeToolButton(caption, name, hint, TreeOptionsPanel);
        toolbar->addWidget(button);
        return button;
    };
    // Left to right as they show.
    SaveResultsBtn =
        tool(tr("Save Results"), "SaveResultsBtn", QString::fromLatin1(kSaveResultsHint));
    ExpandNodesBtn =
        tool(tr("Expand All"), "ExpandNodesBtn", tr("Expand every duplicate set of the tree."));
    CollapseNodesBtn = tool(tr("Collapse All"), "CollapseNodesBtn",
                            tr("Collapse every duplicate set of the tree."));
    MarkAllBtn = tool(tr("Mark All"), "MarkAllBtn",
                      QStringLiteral("Select all \"duplicate\" items in the tree.  For each file "
                                     "the first file will be left unchecked so you do not erase "
                                     "all the files."));
    UnMarkAllBtn =
        tool(tr("Unmark All"), "UnMarkAllBtn", tr("Clear the marks of every file in the tree."));
    DeleteMarkedBtn = tool(tr("Delete Marked"), "DeleteMarkedBtn",
                           QStringLiteral("Move the marked file(s) to the Recycle Bin."));
    MoveToFolderBtn = tool(tr("Move Marked"), "MoveToFolderBtn",
                           QStringLiteral("Move marked files to a folder.  Clicking this button "
                                          "will present an option to select which drive/folder "
                                          "the marked files will be moved to."));
    ExportBtn = tool(tr("Export"), "ExportBtn", QString::fromLatin1(kExportBtnHint));
    ColorSettingsBtn =
        tool(tr("Colors"), "ColorSettingsBtn", tr("Colour settings of the results tree."));
    GridToggleBtn =
        tool(tr("Grid"), "GridToggleBtn", tr("Show or hide the grid lines of the results tree."));
    OpenTargetBtn = tool(tr("Open"), "OpenTargetBtn",
                         QStringLiteral("Open the folder containing the target file (one selected "
                                        "in the treeview below)."));
    ExploreTargetBtn = tool(tr("Explore"), "ExploreTargetBtn",
                            QStringLiteral("Explore the folder containing the target file (one "
                                           "selected in the treeview below)."));
    ExecuteBtn = tool(tr("Execute"), "ExecuteBtn",
                      QStringLiteral("Execute the file selected in the treeview below with its "
                                     "associated application."));
    BlockedFolderBtn = tool(tr("Blocked Folders"), "BlockedFolderBtn",
                            QStringLiteral("Any files located in these folder(s) will not be "
                                           "allowed to be moved or deleted."));
    PreviewImageCB =
        tool(tr("Preview"), "PreviewImageCB", tr("Show a preview of the selected picture."));
    PreviewImageCB->setCheckable(true);
    PreviewImageCB->setChecked(true);
    toolbar->addStretch(1);
    HideOptionsBtn = tool(tr("Search Options"), "HideOptionsBtn",
                          QStringLiteral("Return back to search parameters screen."));
    for (QToolButton* button :
         {DeleteMarkedBtn, MoveToFolderBtn, OpenTargetBtn, ExploreTargetBtn, ExecuteBtn}) {
        button->setEnabled(false);
    }
    // The toolbar is wider than the window's smallest width: it scrolls sideways instead of
    // forcing the window wider when the results view is shown.
    m_toolbarScroll = new QScrollArea(SearchResultsPanel);
    m_toolbarScroll->setObjectName(QStringLiteral("TreeOptionsScroll"));
    m_toolbarScroll->setFrameShape(QFrame::NoFrame);
    m_toolbarScroll->setWidgetResizable(true);
    m_toolbarScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_toolbarScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_toolbarScroll->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_toolbarScroll->setWidget(TreeOptionsPanel);
    m_toolbarScroll->installEventFilter(this);
    FitToolbarHeight();
    layout->addWidget(m_toolbarScroll);

    DupeInfoLbl = new QLabel(SearchResultsPanel);
    DupeInfoLbl->setObjectName(QStringLiteral("DupeInfoLbl"));
    DupeInfoLbl->setTextFormat(Qt::PlainText);
    DupeInfoLbl->setAutoFillBackground(true);
    DupeInfoLbl->setMargin(3);
    DupeInfoLbl->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QPalette palette = DupeInfoLbl->palette();
    palette.setColor(QPalette::Window, ToQColor(results::kStatisticsLabelBackground));
    palette.setColor(QPalette::WindowText, Qt::white);
    DupeInfoLbl->setPalette(palette);
    layout->addWidget(DupeInfoLbl);

    m_dupeModel = new DupeTreeModel(platform::UserLocale(), this);
    DupeTV = new DupeTreeView(m_dupeModel, SearchResultsPanel);
    m_dupeMenus = new DupeTreeMenus(DupeTV, this);
    layout->addWidget(DupeTV, 1);
}

}  // namespace qm::app
