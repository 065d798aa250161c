#include "app/mainform/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <functional>
#include <system_error>

#include "app/dialogs/FilterForm.h"
#include "app/dialogs/MessageBoxPrompter.h"
#include "app/mainform/SearchWindowHost.h"
#include "app/results/DupeTreeMenus.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/widgets/AppFont.h"
#include "app/widgets/BoldItemDelegate.h"
#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/GraphicHintWindow.h"
#include "app/widgets/MarkupStatusBar.h"
#include "app/widgets/PathListBox.h"
#include "app/widgets/QtTextMeasurer.h"
#include "app/widgets/TreeNodeHelpers.h"
#include "app/widgets/TwoLineLabel.h"
#include "engine/SearchRun.h"
#include "foundation/Globals.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/qt/ScreenSaverGuard.h"

namespace qm::app {

namespace {

using foundation::kPathDelim;

const char* const kPathLBHint =
    "List of folders that will be searched for duplicate files.  You can drag/drop folders from "
    "Windows Explorer here. ";
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
const char* const kFilterSGHint =
    "Select the type of files you would like to scan for duplicate files.  You can customize "
    "this list by options on the right.";
const char* const kHintFontOpen = "<FONT COLOR=\"#0000FF\">";
const char* const kHintFontClose = "</FONT>";

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Paths are kept as the file system's bytes; Qt shows and takes them through its file-name codec.
std::string PathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString PathText(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

bool FolderExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(std::filesystem::path(path), error);
}

// A hint shows in the hint window (as typed) and, through the status tip, in the hint line.
void SetHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

void SetHint(QAction* action, const QString& hint) {
    action->setToolTip(hint);
    action->setStatusTip(hint);
}

QPushButton* MakeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QToolButton* MakeToolButton(const QString& caption, const char* name, const QString& hint,
                            QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    SetHint(button, hint);
    return button;
}

platform::FileTime WallClockNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The window's own yields (a handful per search) let every pending event run at once.
void YieldNow() {
    QCoreApplication::processEvents();
}

QGroupBox* MakeGroup(const QString& caption, const char* name, QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QLatin1String(name));
    return group;
}

}  // namespace

ButtonPairLefts CentredPairLefts(int panelWidth, int leftWidth, int rightWidth) {
    return {(panelWidth - leftWidth) / 2 - leftWidth / 2 - 5,
            (panelWidth - rightWidth) / 2 + rightWidth / 2 + 5};
}

TfrmMain::TfrmMain(foundation::Prompter* prompter, QWidget* parent)
    : QMainWindow(parent),
      m_searchPaths(platform::UserLocale(), &FolderExists),
      m_ignoreList(platform::UserLocale()),
      m_blockedList(platform::UserLocale()),
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

    BuildMenus();
    BuildOptionsView();
    BuildInfoPanel();
    BuildResultsView();
    m_searchHost = std::make_unique<SearchWindowHost>(*this);
    m_dupeModel->SetHost(m_searchHost.get());
    m_statusMeasurer = std::make_unique<QtTextMeasurer>(SB->TextPanel()->font());
    FormCreate();
    resize(800, 634);
}

TfrmMain::~TfrmMain() = default;

// ---- Construction ---------------------------------------------------------------------------

void TfrmMain::BuildMenus() {
    FileMenu = menuBar()->addMenu(tr("&File"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    FileMenuExitItem = FileMenu->addAction(tr("E&xit"));
    FileMenuExitItem->setObjectName(QStringLiteral("FileMenuExitItem"));
    SetHint(FileMenuExitItem, QStringLiteral("Exit Quillmere."));
    connect(FileMenuExitItem, &QAction::triggered, this, &TfrmMain::FileMenuExitItemClick);

    OptionsMenu = menuBar()->addMenu(tr("&Options"));
    OptionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
    DisableSSItem = OptionsMenu->addAction(tr("&Disable Screen Saver During Search"));
    DisableSSItem->setObjectName(QStringLiteral("DisableSSItem"));
    DisableSSItem->setCheckable(true);
    DisableSSItem->setChecked(true);
    SetHint(DisableSSItem,
            QStringLiteral("When this item is checked screen saver will not be activated during a "
                           "duplicate file search."));
    // A checkable action sets and clears its own mark; the search reads DisableSSItem.

    // The Help menu gets its items (About box, web site, forum) with the commands behind them;
    // until then it stays out of the menu bar.
    HelpMenu = menuBar()->addMenu(tr("&Help"));
    HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
    HelpMenu->menuAction()->setVisible(false);
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

    OptionsSplitter = new QSplitter(Qt::Horizontal, OptionsPanel);
    OptionsSplitter->setObjectName(QStringLiteral("OptionsSplitter"));
    OptionsSplitter->setHandleWidth(5);
    OptionsSplitter->setChildrenCollapsible(false);

    DirLBPanel = BuildFolderPanel();
    OptionsSplitter->addWidget(DirLBPanel);

    RightPanel = new QWidget(OptionsSplitter);
    RightPanel->setObjectName(QStringLiteral("RightPanel"));
    // The splitter never lets a side shrink below 100 pixels; the options need far more, and the
    // right side keeps the width its controls need to read fully.
    auto* rightLayout = new QVBoxLayout(RightPanel);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(2);
    MainOptionsPanel = BuildMainOptionsPanel();
    rightLayout->addWidget(MainOptionsPanel);
    rightLayout->addWidget(BuildFilterGroup(), 1);
    OptionsSplitter->addWidget(RightPanel);
    OptionsSplitter->setStretchFactor(0, 0);
    OptionsSplitter->setStretchFactor(1, 1);
    OptionsSplitter->setSizes({249, 546});
    connect(OptionsSplitter, &QSplitter::splitterMoved, this,
            [this](int, int) { OptionsSplitterMoved(); });

    optionsLayout->addWidget(OptionsSplitter, 1);
    MainButtonsPanel = BuildButtonsPanel();
    optionsLayout->addWidget(MainButtonsPanel);
    centralLayout->addWidget(OptionsPanel, 1);

    // The results view: the results tree and its toolbar come with the search.
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

    FolderSelectionGB = MakeGroup(tr("Folder Selection: "), "FolderSelectionGB", panel);
    auto* groupLayout = new QVBoxLayout(FolderSelectionGB);
    groupLayout->setContentsMargins(4, 4, 4, 4);
    m_folderModel = new CheckableFolderModel(this);
    DirLB = new QTreeView(FolderSelectionGB);
    DirLB->setObjectName(QStringLiteral("DirLB"));
    DirLB->setModel(m_folderModel);
    DirLB->setItemDelegate(new BoldItemDelegate(DirLB));
    DirLB->setHeaderHidden(true);
    for (int column = 1; column < m_folderModel->columnCount(); ++column) {
        DirLB->hideColumn(column);
    }
    DirLB->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DirLB->setSelectionMode(QAbstractItemView::SingleSelection);
    DirLB->setUniformRowHeights(true);
    DirLB->setAnimated(false);
    DirLB->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    DirLB->header()->setStretchLastSection(false);
    SetHint(DirLB, QString::fromLatin1(kDirLBHint));
    connect(m_folderModel, &CheckableFolderModel::CheckBoxChanged, this,
            &TfrmMain::DirLBCheckBoxChanged);
    groupLayout->addWidget(DirLB);
    layout->addWidget(FolderSelectionGB, 1);

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
    connect(ViewSearchResultsBtn, &QPushButton::clicked, this,
            &TfrmMain::ViewSearchResultsBtnClick);
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

    // Search folder list with its two buttons.
    SearchPathListGB = MakeGroup(tr("Search Path List: "), "SearchPathListGB", panel);
    auto* pathLayout = new QVBoxLayout(SearchPathListGB);
    pathLayout->setContentsMargins(4, 4, 4, 4);
    pathLayout->setSpacing(2);
    PathLB = new PathListBox(SearchPathListGB);
    PathLB->setObjectName(QStringLiteral("PathLB"));
    PathLB->viewport()->installEventFilter(this);
    connect(PathLB, &PathListBox::FilesDropped, this, &TfrmMain::DropFileTarget1Drop);
    pathLayout->addWidget(PathLB, 1);
    PathButtonsPanel = new QWidget(SearchPathListGB);
    PathButtonsPanel->setObjectName(QStringLiteral("PathButtonsPanel"));
    RemoveDirBtn = MakeButton(tr("&Remove Folder"), "RemoveDirBtn", PathButtonsPanel);
    ClearAllBtn = MakeButton(tr("&Clear All Folders"), "ClearAllBtn", PathButtonsPanel);
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
    RemoveDirBtn->setEnabled(false);
    connect(RemoveDirBtn, &QPushButton::clicked, this, &TfrmMain::RemoveDirBtnClick);
    connect(ClearAllBtn, &QPushButton::clicked, this, &TfrmMain::ClearAllBtnClick);
    pathLayout->addWidget(PathButtonsPanel);
    layout->addWidget(SearchPathListGB, 1);

    // Folder and size options.
    auto* columnA = new QVBoxLayout;
    columnA->setSpacing(2);
    FolderOptionsGB = MakeGroup(tr("Folder Options: "), "FolderOptionsGB", panel);
    auto* folderLayout = new QGridLayout(FolderOptionsGB);
    folderLayout->setContentsMargins(4, 3, 4, 3);
    folderLayout->setVerticalSpacing(2);
    ScanHiddenCB = new QCheckBox(tr("Scan Hidden Files/Folders"), FolderOptionsGB);
    ScanHiddenCB->setObjectName(QStringLiteral("ScanHiddenCB"));
    ScanHiddenCB->setChecked(true);
    SetHint(ScanHiddenCB, QString::fromLatin1(kScanHiddenCBHint));
    ScanSubFoldersCB = new QCheckBox(tr("Scan Sub Folders"), FolderOptionsGB);
    ScanSubFoldersCB->setObjectName(QStringLiteral("ScanSubFoldersCB"));
    ScanSubFoldersCB->setChecked(true);
    SetHint(ScanSubFoldersCB, QString::fromLatin1(kScanSubFoldersCBHint));
    connect(ScanSubFoldersCB, &QCheckBox::toggled, this, &TfrmMain::ScanSubFoldersCBClick);
    DepthLbl = new QLabel(tr("Depth (0 = Unlimited)"), FolderOptionsGB);
    DepthLbl->setObjectName(QStringLiteral("DepthLbl"));
    DepthEdit = new QSpinBox(FolderOptionsGB);
    DepthEdit->setObjectName(QStringLiteral("DepthEdit"));
    DepthEdit->setRange(0, 50);
    DepthEdit->setValue(0);
    DepthLbl->setBuddy(DepthEdit);
    folderLayout->addWidget(ScanHiddenCB, 0, 0, 1, 2);
    folderLayout->addWidget(ScanSubFoldersCB, 1, 0, 1, 2);
    folderLayout->addWidget(DepthLbl, 2, 0);
    folderLayout->addWidget(DepthEdit, 2, 1);
    columnA->addWidget(FolderOptionsGB);

    FileSizeOptionsGB = MakeGroup(tr("File Size Options: "), "FileSizeOptionsGB", panel);
    auto* sizeLayout = new QGridLayout(FileSizeOptionsGB);
    sizeLayout->setContentsMargins(4, 3, 4, 3);
    sizeLayout->setVerticalSpacing(2);
    MinSizeEdit = new QLineEdit(QStringLiteral("0"), FileSizeOptionsGB);
    MinSizeEdit->setObjectName(QStringLiteral("MinSizeEdit"));
    MaxSizeEdit = new QLineEdit(QStringLiteral("0"), FileSizeOptionsGB);
    MaxSizeEdit->setObjectName(QStringLiteral("MaxSizeEdit"));
    MinSizeCB = new QComboBox(FileSizeOptionsGB);
    MinSizeCB->setObjectName(QStringLiteral("MinSizeCB"));
    MinSizeCB->addItems({tr("Bytes"), tr("Kilo Bytes"), tr("Mega Bytes")});
    auto* minLbl = new QLabel(tr("Min. Size:"), FileSizeOptionsGB);
    minLbl->setBuddy(MinSizeEdit);
    auto* maxLbl = new QLabel(tr("Max. Size:"), FileSizeOptionsGB);
    maxLbl->setBuddy(MaxSizeEdit);
    auto* unitLbl = new QLabel(tr("Unit:"), FileSizeOptionsGB);
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
    columnA->addWidget(FileSizeOptionsGB);
    columnA->addStretch(1);
    layout->addLayout(columnA);

    // Comparison method and the advanced options.
    auto* columnB = new QVBoxLayout;
    columnB->setSpacing(2);
    FCM = MakeGroup(tr("File Comparison Method: "), "FCM", panel);
    auto* fcmLayout = new QVBoxLayout(FCM);
    fcmLayout->setContentsMargins(4, 2, 4, 2);
    fcmLayout->setSpacing(0);
    FCMButtons = new QButtonGroup(FCM);
    FCMButtons->setExclusive(true);
    const QStringList methods = {tr("Contents Only"), tr("Size Only"), tr("Name Only"),
                                 tr("Name And Size"), tr("Contents And Name")};
    for (int i = 0; i < methods.size(); ++i) {
        auto* radio = new QRadioButton(methods[i], FCM);
        radio->setObjectName(QStringLiteral("FCMItem%1").arg(i));
        FCMButtons->addButton(radio, i);
        fcmLayout->addWidget(radio);
    }
    FCMButtons->button(0)->setChecked(true);
    columnB->addWidget(FCM);

    AdvanceOptionsGB = MakeGroup(tr("Advance Options: "), "AdvanceOptionsGB", panel);
    // The caption is drawn in red; the buttons inside keep the normal text colour.
    AdvanceOptionsGB->setStyleSheet(
        QStringLiteral("QGroupBox#AdvanceOptionsGB { color: #FF0000; }"));
    auto* advanceLayout = new QVBoxLayout(AdvanceOptionsGB);
    advanceLayout->setContentsMargins(4, 2, 4, 3);
    advanceLayout->setSpacing(2);
    FolderExcludeBtn = MakeButton(tr("Excluded Folders"), "FolderExcludeBtn", AdvanceOptionsGB);
    SetHint(
        FolderExcludeBtn,
        QStringLiteral("Select which folders to ignore from scan (recycle bin, windows etc) are "
                       "good items to place here."));
    DateOptionsBtn = MakeButton(tr("File Date Options"), "DateOptionsBtn", AdvanceOptionsGB);
    SetHint(DateOptionsBtn, QStringLiteral("Limit the file scan to a certain date when the file "
                                           "was last accessed, created or modified."));
    ExcludeFileMaskBtn =
        MakeButton(tr("Exclude File Mask"), "ExcludeFileMaskBtn", AdvanceOptionsGB);
    SetHint(ExcludeFileMaskBtn,
            QStringLiteral("Exclude all files that match a certain mask. For example: exclude all "
                           "files that match \"*.log\" or \"*.tmp\"."));
    ExcludeFolderMaskBtn =
        MakeButton(tr("Exclude Folder Mask"), "ExcludeFolderMaskBtn", AdvanceOptionsGB);
    SetHint(ExcludeFolderMaskBtn,
            QStringLiteral("Exclude all folders that match a certain mask. For example: exclude "
                           "all folders that contain \"system32\"."));
    for (QPushButton* button :
         {FolderExcludeBtn, DateOptionsBtn, ExcludeFileMaskBtn, ExcludeFolderMaskBtn}) {
        // Their dialogs come with the scope editors; until then the buttons cannot be pressed.
        button->setEnabled(false);
        advanceLayout->addWidget(button);
    }
    columnB->addWidget(AdvanceOptionsGB);
    columnB->addStretch(1);
    layout->addLayout(columnB);

    panel->setMinimumHeight(270);
    return panel;
}

QWidget* TfrmMain::BuildFilterGroup() {
    FileFilterGB = MakeGroup(tr("File Filter: "), "FileFilterGB", nullptr);
    auto* layout = new QGridLayout(FileFilterGB);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setHorizontalSpacing(4);
    layout->setVerticalSpacing(2);

    auto* labelRow = new QHBoxLayout;
    labelRow->setSpacing(0);
    FilterDefLbl = new QLabel(tr("Selected Filter(s):"), FileFilterGB);
    FilterDefLbl->setObjectName(QStringLiteral("FilterDefLbl"));
    // A long selection wraps onto a second line.
    FilterLbl = new TwoLineLabel(Q(scope::kNoneSelected), FileFilterGB);
    FilterLbl->setObjectName(QStringLiteral("FilterLbl"));
    FilterLbl->setTextFormat(Qt::PlainText);
    for (QLabel* label : {FilterDefLbl, FilterLbl}) {
        // Opaque, so the blue background shows.
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, QColor(0x00, 0x33, 0x99));
        palette.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(palette);
        label->setMargin(2);
    }
    QFont boldFont = FilterDefLbl->font();
    boldFont.setBold(true);
    FilterDefLbl->setFont(boldFont);
    FilterDefLbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FilterLbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    labelRow->addWidget(FilterDefLbl);
    labelRow->addWidget(FilterLbl, 1);
    layout->addLayout(labelRow, 0, 0, 1, 2);

    FilterSG = new QTableWidget(0, 3, FileFilterGB);
    FilterSG->setObjectName(QStringLiteral("FilterSG"));
    FilterSG->setHorizontalHeaderLabels(
        {tr("Select Filter"), tr("Filter Mask"), tr("Filter Description")});
    FilterSG->verticalHeader()->hide();
    FilterSG->verticalHeader()->setDefaultSectionSize(FilterSG->fontMetrics().height() + 6);
    FilterSG->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    FilterSG->horizontalHeader()->setHighlightSections(false);
    FilterSG->horizontalHeader()->setStretchLastSection(false);
    FilterSG->setSelectionBehavior(QAbstractItemView::SelectRows);
    FilterSG->setSelectionMode(QAbstractItemView::SingleSelection);
    FilterSG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FilterSG->setItemDelegate(new BoldItemDelegate(FilterSG, 0));
    FilterSG->setWordWrap(false);
    SetHint(FilterSG, QString::fromLatin1(kFilterSGHint));
    connect(FilterSG, &QTableWidget::itemChanged, this, &TfrmMain::OnFilterItemChanged);
    connect(FilterSG, &QTableWidget::currentCellChanged, this,
            [this](int, int, int, int) { UpdateFilterButtons(); });
    connect(FilterSG, &QTableWidget::cellDoubleClicked, this,
            [this](int, int) { FilterSGDblClickCell(); });
    layout->addWidget(FilterSG, 1, 0);

    FilterButtonsPanel = new QWidget(FileFilterGB);
    FilterButtonsPanel->setObjectName(QStringLiteral("FilterButtonsPanel"));
    auto* buttons = new QVBoxLayout(FilterButtonsPanel);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(3);
    ClearAllFiltersBtn =
        MakeButton(tr("Clear All Filters"), "ClearAllFiltersBtn", FilterButtonsPanel);
    SetHint(ClearAllFiltersBtn,
            QStringLiteral("Clear all filters from search criteria.  <u>Note:</u> You must have "
                           "atleast 1 filter before search can be started."));
    SelectAllFiltersBtn =
        MakeButton(tr("Select All Filter(s)"), "SelectAllFiltersBtn", FilterButtonsPanel);
    SetHint(SelectAllFiltersBtn, QStringLiteral("Click to add all the filters on the left side to "
                                                "the search criteria."));
    SelectAllFiltersBtn->setEnabled(false);
    EditFilterBtn = MakeButton(tr("Edit Filter"), "EditFilterBtn", FilterButtonsPanel);
    SetHint(EditFilterBtn, QStringLiteral("Select a filter on the left side and click this button "
                                          "to edit the filter settings."));
    EditFilterBtn->setEnabled(false);
    DeleteFilterBtn = MakeButton(tr("Delete Filter"), "DeleteFilterBtn", FilterButtonsPanel);
    SetHint(DeleteFilterBtn, QStringLiteral("Delete selected filter on the left side."));
    DeleteFilterBtn->setEnabled(false);
    NewFilterBtn = MakeButton(tr("New Filter"), "NewFilterBtn", FilterButtonsPanel);
    SetHint(NewFilterBtn, QStringLiteral("Click to add a new filter defintion."));
    RestoreFilterBtn =
        MakeButton(tr("Restore Default Filters"), "RestoreFilterBtn", FilterButtonsPanel);
    SetHint(RestoreFilterBtn, QStringLiteral("Click to restore the default filters. <U>Note</U>: "
                                             "this will override all the existing filters."));
    for (QPushButton* button : {ClearAllFiltersBtn, SelectAllFiltersBtn, EditFilterBtn,
                                DeleteFilterBtn, NewFilterBtn, RestoreFilterBtn}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    connect(ClearAllFiltersBtn, &QPushButton::clicked, this, &TfrmMain::ClearAllFiltersBtnClick);
    connect(SelectAllFiltersBtn, &QPushButton::clicked, this, &TfrmMain::SelectAllFiltersBtnClick);
    connect(EditFilterBtn, &QPushButton::clicked, this, &TfrmMain::EditFilterBtnClick);
    connect(DeleteFilterBtn, &QPushButton::clicked, this, &TfrmMain::DeleteFilterBtnClick);
    connect(NewFilterBtn, &QPushButton::clicked, this, &TfrmMain::NewFilterBtnClick);
    connect(RestoreFilterBtn, &QPushButton::clicked, this, &TfrmMain::RestoreFilterBtnClick);
    layout->addWidget(FilterButtonsPanel, 1, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(1, 1);

    RefreshFilterGrid();
    return FileFilterGB;
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
    AbortSearchBtn->setEnabled(true);
    connect(SearchBtn, &QPushButton::clicked, this, &TfrmMain::SearchBtnClick);
    connect(AbortSearchBtn, &QPushButton::clicked, this, &TfrmMain::AbortSearchBtnClick);
    connect(ExitBtn, &QPushButton::clicked, this, &TfrmMain::FileMenuExitItemClick);
    return panel;
}

void TfrmMain::BuildInfoPanel() {
    InfoPanel = new QFrame(centralWidget());
    InfoPanel->setObjectName(QStringLiteral("InfoPanel"));
    InfoPanel->setFrameShape(QFrame::StyledPanel);
    InfoPanel->setFrameShadow(QFrame::Raised);
    InfoPanel->setAutoFillBackground(true);
    auto* layout = new QGridLayout(InfoPanel);
    layout->setContentsMargins(8, 4, 4, 8);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(3);

    auto* title = new QLabel(tr("Scan Summary:"), InfoPanel);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    InfoPanelCloseBtn = new QToolButton(InfoPanel);
    InfoPanelCloseBtn->setObjectName(QStringLiteral("InfoPanelCloseBtn"));
    InfoPanelCloseBtn->setText(QStringLiteral("X"));
    InfoPanelCloseBtn->setAutoRaise(true);
    SetHint(InfoPanelCloseBtn, tr("Close the scan summary."));
    connect(InfoPanelCloseBtn, &QToolButton::clicked, InfoPanel, &QWidget::hide);
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(InfoPanelCloseBtn, 0, 2, Qt::AlignRight);

    const auto addRow = [&](int row, const QString& caption, const char* name, const char* text) {
        layout->addWidget(new QLabel(caption, InfoPanel), row, 0);
        auto* value = new QLabel(QLatin1String(text), InfoPanel);
        value->setObjectName(QLatin1String(name));
        layout->addWidget(value, row, 1, 1, 2);
        return value;
    };
    Step1Lbl = addRow(1, tr("Step 1 / 3: Folder Scan"), "Step1Lbl", "Pending");
    Step2Lbl = addRow(2, tr("Step 2 / 3: File Scan"), "Step2Lbl", "Pending");
    Step3Lbl = addRow(3, tr("Step 3 / 3: File Comparison"), "Step3Lbl", "Pending");
    FoldersScannedLbl = addRow(4, tr("Folders Scanned:"), "FoldersScannedLbl", "0");
    FilesScannedLbl = addRow(5, tr("Files Scanned:"), "FilesScannedLbl", "0");
    FilesIgnoredLbl = addRow(6, tr("Files Ignored:"), "FilesIgnoredLbl", "0");
    FoldersIgnoredLbl = addRow(7, tr("Folders Ignored:"), "FoldersIgnoredLbl", "0");
    InfoPanel->adjustSize();
    InfoPanel->resize(std::max(260, InfoPanel->width()), InfoPanel->height());
    InfoPanel->hide();
}

// ---- Life cycle -----------------------------------------------------------------------------

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
    const QModelIndex home = m_folderModel->LocateNode(QDir::homePath());
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

        // The settings file comes later; a fresh start installs the default filters.
        LoadDefaultFilters();

        SelectAllFiltersBtn->setEnabled(HasFilters());
        ClearAllFiltersBtn->setEnabled(HasFilters());
        if (FilterLbl->text() != Q(scope::kNoneSelected) && !m_searchPaths.Empty()) {
            UpdateSearchButtons();
        } else if (HasFilters()) {
            const std::optional<std::size_t> global = m_filters.FirstGlobalRow();
            SetFilterGridRow(global ? static_cast<int>(*global) + 1 : 0);
        } else {
            UpdateSearchButtons();
        }
        if (!m_searchPaths.Empty()) {
            PathLB->setCurrentRow(0);
            RemoveDirBtn->setEnabled(true);
        }
        PruneSpecialFolders();
        // The window never gets smaller than its controls need.
        setMinimumSize(minimumSizeHint().expandedTo(minimumSize()));
        // The folder panel starts 249 pixels wide unless the options beside it need the room.
        const int splitWidth = OptionsSplitter->width() - OptionsSplitter->handleWidth();
        const int left = std::clamp(splitWidth - RightPanel->minimumSizeHint().width(),
                                    DirLBPanel->minimumWidth(), 249);
        OptionsSplitter->setSizes({left, splitWidth - left});
        setWindowTitle(QStringLiteral("Quillmere v") + Q(foundation::GetFileVersionText()));
        m_firstShowPending = false;
    }
    FormResize();
}

void TfrmMain::PruneSpecialFolders() {
    // The shell's virtual folders ("My Documents", "Desktop", ...) are pruned from the nodes the
    // tree holds now, from the last to the first. Every node of our tree is a real folder, and a
    // real folder is never hidden, so nothing goes: ~/Desktop and ~/Documents stay choosable.
    const std::function<void(const QModelIndex&)> visit = [&](const QModelIndex& parent) {
        for (int row = m_folderModel->rowCount(parent) - 1; row >= 0; --row) {
            const QModelIndex node = m_folderModel->index(row, 0, parent);
            visit(node);
            const bool realFolder =
                m_folderModel->FileSystemModel()->isDir(m_folderModel->mapToSource(node));
            if (scope::ShouldPruneFolderNode(PathBytes(node.data().toString()), realFolder)) {
                DirLB->setRowHidden(row, parent, true);
            }
        }
    };
    visit(QModelIndex());
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
            ViewSearchResultsBtn->move(
                (ViewResultsPanel->width() - ViewSearchResultsBtn->width()) / 2,
                ViewSearchResultsBtn->y());
        }
    } else if (event->type() == QEvent::MouseButtonRelease && PathLB &&
               watched == PathLB->viewport()) {
        // Let the list update its highlight first.
        QMetaObject::invokeMethod(this, &TfrmMain::PathLBClick, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Layout ---------------------------------------------------------------------------------

void TfrmMain::FitFilterColumns() {
    FilterSG->resizeColumnsToContents();
    for (int column = 0; column < FilterSG->columnCount(); ++column) {
        FilterSG->setColumnWidth(column, FilterSG->columnWidth(column) + 5);
    }
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

void TfrmMain::FormResize() {
    FitFilterColumns();
    PlacePathButtons();
    PlaceMainButtons(MainButtonsPanel->width());
    FitHorizontalExtent(*PathLB, -1);
    FitFilterColumns();
}

void TfrmMain::OptionsSplitterMoved() {
    FitFilterColumns();
    ViewSearchResultsBtn->move((ViewResultsPanel->width() - ViewSearchResultsBtn->width()) / 2,
                               ViewSearchResultsBtn->y());
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

void TfrmMain::ShowProgressArea(bool visible) {
    SB->SetPanel0Width(visible ? MarkupStatusBar::kProgressWidth : 0);
}

const foundation::TextMeasurer& TfrmMain::StatusMeasurer() const {
    return *m_statusMeasurer;
}

// ---- Criteria -------------------------------------------------------------------------------

int TfrmMain::FCMItemIndex() const {
    return FCMButtons->checkedId();
}

void TfrmMain::SetFCMItemIndex(int index) {
    if (QAbstractButton* button = FCMButtons->button(index)) {
        button->setChecked(true);
        return;
    }
    // No method selected: an exclusive group cannot uncheck its button directly.
    FCMButtons->setExclusive(false);
    for (QAbstractButton* button : FCMButtons->buttons()) {
        button->setChecked(false);
    }
    FCMButtons->setExclusive(true);
}

engine::SearchCriteria TfrmMain::CurrentCriteria() const {
    engine::SearchCriteria criteria;
    criteria.searchFolders = m_searchPaths.Paths();
    criteria.fileMaskText = FilterLbl->text().toStdString();
    criteria.includeHidden = ScanHiddenCB->isChecked();
    criteria.includeSubFolders = ScanSubFoldersCB->isChecked();
    criteria.depthLimit = DepthEdit->value();
    criteria.minSizeText = MinSizeEdit->text().toStdString();
    criteria.maxSizeText = MaxSizeEdit->text().toStdString();
    criteria.sizeUnitIndex = MinSizeCB->currentIndex();
    const int method = FCMItemIndex();
    criteria.method = static_cast<engine::Method>(method >= 0 && method <= 4 ? method : 0);
    criteria.ignoredFolders = m_ignoreList.Items();
    criteria.ignoreSubFolders = IgnoreSubFolders;
    criteria.excludedFolderMasks = m_excludeFolderMasks.Items();
    criteria.excludedFileMasks = m_excludeFileMasks.Items();
    criteria.dateRange = FileDateRange;
    return criteria;
}

// ---- Search folder list ---------------------------------------------------------------------

QModelIndex TfrmMain::LocateFolderNode(const std::string& path) const {
    return m_folderModel->LocateNode(PathText(path));
}

std::string TfrmMain::HighlightedPath() const {
    const int row = PathLB->HighlightedRow();
    if (row < 0) {
        return {};
    }
    return PathLB->item(row)->data(Qt::UserRole).toByteArray().toStdString();
}

void TfrmMain::HighlightPath(const std::string& path) {
    if (const std::optional<std::size_t> index = m_searchPaths.IndexOf(path)) {
        PathLB->setCurrentRow(static_cast<int>(*index));
    }
}

void TfrmMain::RefreshPathLB() {
    const std::string highlighted = HighlightedPath();
    PathLB->clear();
    for (const std::string& path : m_searchPaths.Paths()) {
        auto* item = new QListWidgetItem(PathText(path), PathLB);
        item->setData(Qt::UserRole, QByteArray::fromStdString(path));
    }
    if (!highlighted.empty()) {
        HighlightPath(highlighted);
    }
}

void TfrmMain::ListCursorRule() {
    if (PathLB->HighlightedRow() < 0) {
        if (PathLB->count() > 0) {
            PathLB->setCurrentRow(0);
        } else {
            RemoveDirBtn->setEnabled(false);
        }
    }
    if (PathLB->HighlightedRow() >= 0) {
        RemoveDirBtn->setEnabled(true);
    }
}

void TfrmMain::AddSearchPath(const std::string& path) {
    if (path.empty() || !FolderExists(path)) {
        return;
    }
    if (m_searchPaths.Add(path)) {
        RefreshPathLB();
        FitHorizontalExtent(*PathLB, -1);
    }
    UpdateSearchButtons();
    ListCursorRule();
}

void TfrmMain::RemoveSearchPath(const std::string& path) {
    if (m_searchPaths.Remove(path)) {
        RefreshPathLB();
        // The node that stands for the path (the current one, when the tree started this) loses
        // its tick; an unrelated current node is left alone.
        const QModelIndex node = DirLB->currentIndex();
        if (node.isValid() &&
            foundation::AddTrailingBackslash(PathBytes(m_folderModel->NodePath(node))) ==
                foundation::AddTrailingBackslash(path)) {
            SetNodeTicked(node, false);
            SetNodeBold(node, false);
        }
        FitHorizontalExtent(*PathLB, -1);
    }
    UpdateSearchButtons();
    ListCursorRule();
}

void TfrmMain::DirLBCheckBoxChanged(const QModelIndex& node, bool ticked) {
    if (!node.isValid()) {
        return;
    }
    const QPersistentModelIndex keep(node);
    DirLB->setCurrentIndex(keep);
    DirLB->viewport()->update();
    SetNodeBold(keep, ticked);
    const bool isTicked = IsNodeTicked(keep);
    const QString nodePath = m_folderModel->NodePath(DirLB->currentIndex());
    if (nodePath.isEmpty()) {
        return;
    }
    const std::string path = foundation::AddTrailingBackslash(PathBytes(nodePath));
    if (isTicked) {
        AddSearchPath(path);
        HighlightPath(path);
    } else {
        RemoveSearchPath(path);
    }
}

void TfrmMain::RemoveDirBtnClick() {
    const std::string entry = HighlightedPath();
    if (entry.empty()) {
        RemoveDirBtn->setEnabled(false);
        return;
    }
    RemoveDirBtn->setEnabled(true);
    const QModelIndex node = LocateFolderNode(foundation::RemoveTrailingBackslash(entry));
    DirLB->setCurrentIndex(node);
    if (DirLB->currentIndex().isValid()) {
        SetNodeTicked(DirLB->currentIndex(), false);
        SetNodeBold(DirLB->currentIndex(), false);
    }
    // A folder without a ticked node (gone from disk, or listed directly) goes as well.
    if (m_searchPaths.IndexOf(entry)) {
        RemoveSearchPath(entry);
    }
    UpdateSearchButtons();
    ListCursorRule();
}

void TfrmMain::ClearAllBtnClick() {
    m_searchPaths.Clear();
    RefreshPathLB();
    FitHorizontalExtent(*PathLB, -1);
    SetStatusText(QStringLiteral("All paths cleared from the search list."));
    UpdateSearchButtons();
    DirLB->setUpdatesEnabled(false);
    for (const QString& path : m_folderModel->TickedPaths()) {
        const QModelIndex node = m_folderModel->LocateNode(path);
        if (!node.isValid()) {
            m_folderModel->ForgetNode(path);
            continue;
        }
        DirLB->setCurrentIndex(node);
        SetNodeTicked(node, false);
        SetNodeBold(node, false);
    }
    DirLB->setUpdatesEnabled(true);
    ListCursorRule();
}

void TfrmMain::PathLBClick() {
    const std::string entry = HighlightedPath();
    if (entry.empty()) {
        RemoveDirBtn->setEnabled(false);
        return;
    }
    RemoveDirBtn->setEnabled(true);
    if (!FolderExists(entry)) {
        // The path is text, never mark-up, whatever characters it holds.
        SetStatusText(QList<StatusPart>{{QStringLiteral("Path <B>"), false},
                                        {PathText(entry), true},
                                        {QStringLiteral("</B> does not exist."), false}});
    }
}

void TfrmMain::DropFileTarget1Drop(const QStringList& names) {
    for (const QString& name : names) {
        const std::string path = foundation::AddTrailingBackslash(PathBytes(name));
        if (!FolderExists(path) || m_searchPaths.IndexOf(path)) {
            continue;
        }
        TickAndListFolder(path);
    }
    UpdateSearchButtons();
}

void TfrmMain::TickAndListFolder(const std::string& path) {
    const QModelIndex node = LocateFolderNode(foundation::RemoveTrailingBackslash(path));
    DirLB->setCurrentIndex(node);
    if (node.isValid()) {
        SetNodeTicked(node, true);
        SetNodeBold(node, true);
    }
    // A node that was ticked already reports no change; list such a folder directly.
    if (!m_searchPaths.IndexOf(path)) {
        AddSearchPath(path);
    }
}

void TfrmMain::RestoreSearchPaths(const std::vector<std::string>& paths) {
    DirLB->setUpdatesEnabled(false);
    for (const QString& ticked : m_folderModel->TickedPaths()) {
        const QModelIndex node = m_folderModel->LocateNode(ticked);
        if (!node.isValid()) {
            m_folderModel->ForgetNode(ticked);
            continue;
        }
        DirLB->setCurrentIndex(node);
        SetNodeTicked(node, false);
        SetNodeBold(node, false);
    }
    m_searchPaths.Clear();
    RefreshPathLB();
    for (const std::string& path : paths) {
        if (FolderExists(path)) {
            TickAndListFolder(path);
        }
    }
    DirLB->setUpdatesEnabled(true);
    UpdateSearchButtons();
}

void TfrmMain::ScanSubFoldersCBClick() {
    DepthEdit->setEnabled(ScanSubFoldersCB->isChecked());
}

// ---- File-type filters ----------------------------------------------------------------------

void TfrmMain::RefreshFilterGrid() {
    m_fillingGrid = true;
    const int current = FilterSG->currentRow();
    FilterSG->setUpdatesEnabled(false);
    const int rows = std::max<int>(1, static_cast<int>(m_filters.Count()));
    FilterSG->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const bool filled = row < static_cast<int>(m_filters.Count());
        const scope::FilterRow empty;
        const scope::FilterRow& filter =
            filled ? m_filters.Row(static_cast<std::size_t>(row)) : empty;
        for (int column = 0; column < 3; ++column) {
            QTableWidgetItem* item = FilterSG->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                FilterSG->setItem(row, column, item);
            }
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (column == 0) {
                if (filled) {
                    flags |= Qt::ItemIsUserCheckable;
                    item->setData(Qt::CheckStateRole,
                                  filter.selected ? Qt::Checked : Qt::Unchecked);
                } else {
                    item->setData(Qt::CheckStateRole, QVariant());
                }
            } else {
                item->setText(Q(column == 1 ? filter.mask : filter.definition));
            }
            item->setFlags(flags);
            item->setData(kBoldRole, filter.selected);
        }
    }
    if (current >= 0 && current < rows) {
        FilterSG->setCurrentCell(current,
                                 FilterSG->currentColumn() >= 0 ? FilterSG->currentColumn() : 1);
    }
    FilterSG->setUpdatesEnabled(true);
    FilterSG->viewport()->update();
    m_fillingGrid = false;
}

int TfrmMain::FilterGridRow() const {
    const int row = FilterSG->currentRow();
    return row >= 0 && FilterSG->currentIndex().isValid() ? row + 1 : 0;
}

void TfrmMain::SetFilterGridRow(int row) {
    if (row <= 0 || row > FilterSG->rowCount()) {
        FilterSG->setCurrentIndex(QModelIndex());
        FilterSG->clearSelection();
    } else {
        FilterSG->setCurrentCell(row - 1, 1);
    }
    UpdateFilterButtons();
}

std::optional<std::size_t> TfrmMain::CursorFilterRow() const {
    const int row = FilterGridRow();
    if (row <= 0 || row > static_cast<int>(m_filters.Count())) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(row - 1);
}

void TfrmMain::PlaceFilterCursor() {
    if (const std::optional<std::size_t> row = m_filters.CursorRowAfterFill()) {
        SetFilterGridRow(static_cast<int>(*row) + 1);
    }
    UpdateFilterButtons();
}

void TfrmMain::LoadDefaultFilters() {
    m_filters.LoadDefaultFilters();
    RefreshFilterGrid();
    PlaceFilterCursor();
}

void TfrmMain::SetFilterRows(std::vector<scope::FilterRow> rows) {
    m_filters.SetRows(std::move(rows));
    RefreshFilterGrid();
    PlaceFilterCursor();
    RebuildFilterLabel();
}

void TfrmMain::RebuildFilterLabel() {
    FilterLbl->setText(Q(m_filters.LabelText()));
    FilterLbl->setToolTip(QString());
    UpdateSearchButtons();
}

void TfrmMain::UpdateSearchButtons() {
    const bool anySelected = std::any_of(m_filters.Rows().begin(), m_filters.Rows().end(),
                                         [](const scope::FilterRow& row) { return row.selected; });
    const bool enabled = !m_searchPaths.Empty() && anySelected;
    SearchBtn->setEnabled(enabled);
    AbortSearchBtn->setEnabled(!enabled);
}

void TfrmMain::UpdateFilterButtons() {
    const bool onFilter = HasFilters() && CursorFilterRow().has_value();
    EditFilterBtn->setEnabled(onFilter);
    DeleteFilterBtn->setEnabled(onFilter);
}

void TfrmMain::OnFilterItemChanged(QTableWidgetItem* item) {
    if (m_fillingGrid || !item || item->column() != 0) {
        return;
    }
    const int row = item->row();
    if (row < 0 || row >= static_cast<int>(m_filters.Count())) {
        return;
    }
    const bool selected = item->checkState() == Qt::Checked;
    if (selected == m_filters.Row(static_cast<std::size_t>(row)).selected) {
        return;
    }
    m_filters.SetSelected(static_cast<std::size_t>(row), selected);
    FilterSGCheckBoxClick(row);
}

void TfrmMain::FilterSGCheckBoxClick(int row) {
    if (row >= 0 && row < static_cast<int>(m_filters.Count())) {
        m_filters.ApplyCheckBoxRule(static_cast<std::size_t>(row), *m_prompter);
    }
    RebuildFilterLabel();
    RefreshFilterGrid();
}

void TfrmMain::FilterSGDblClickCell() {
    EditFilterBtnClick();
}

bool TfrmMain::RunFilterDialog(const QString& caption, QString& mask, QString& definition) {
    TfrmFilter dialog(this);
    dialog.setWindowTitle(caption);
    dialog.SetTexts(mask, definition);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    mask = dialog.Mask();
    definition = dialog.Definition();
    return true;
}

void TfrmMain::NewFilterBtnClick() {
    QString mask;
    QString definition;
    if (RunFilterDialog(tr("New Filter"), mask, definition)) {
        m_filters.AddFilter(mask.toStdString(), definition.toStdString(), platform::UserLocale());
        RefreshFilterGrid();
        RebuildFilterLabel();
    }
    if (HasFilters()) {
        UpdateFilterButtons();
        ClearAllFiltersBtn->setEnabled(true);
        SelectAllFiltersBtn->setEnabled(true);
    } else {
        ClearAllFiltersBtn->setEnabled(false);
        SelectAllFiltersBtn->setEnabled(false);
    }
    FitFilterColumns();
}

void TfrmMain::EditFilterBtnClick() {
    if (!HasFilters()) {
        m_prompter->Inform(std::string(scope::kNoFiltersDefined));
        if (NewFilterBtn->isEnabled()) {
            NewFilterBtn->setFocus();
        }
        return;
    }
    const std::optional<std::size_t> row = CursorFilterRow();
    if (!row) {
        m_prompter->Inform(std::string(scope::kSelectOneFilter));
        return;
    }
    QString mask = Q(m_filters.Row(*row).mask);
    QString definition = Q(m_filters.Row(*row).definition);
    if (RunFilterDialog(tr("Filter Edit"), mask, definition)) {
        m_filters.EditFilter(*row, mask.toStdString(), definition.toStdString());
        RefreshFilterGrid();
        RebuildFilterLabel();
    }
}

void TfrmMain::DeleteFilterBtnClick() {
    if (!HasFilters()) {
        m_prompter->Inform(std::string(scope::kNoFiltersDefined));
        if (NewFilterBtn->isEnabled()) {
            NewFilterBtn->setFocus();
        }
    } else if (const std::optional<std::size_t> row = CursorFilterRow(); !row) {
        m_prompter->Inform(std::string(scope::kSelectOneFilter));
    } else if (m_prompter->Ask(scope::DeleteFilterQuestion(m_filters.Row(*row).definition))) {
        if (m_filters.Count() >= 2) {
            m_filters.SetSelected(*row, false);
            RebuildFilterLabel();
        }
        m_filters.DeleteFilter(*row);
        RefreshFilterGrid();
        RebuildFilterLabel();
        UpdateFilterButtons();
    }
    const bool has = HasFilters();
    DeleteFilterBtn->setEnabled(has);
    EditFilterBtn->setEnabled(has);
    ClearAllFiltersBtn->setEnabled(has);
    SelectAllFiltersBtn->setEnabled(has);
}

void TfrmMain::ClearAllFiltersBtnClick() {
    m_filters.ClearSelection();
    FilterLbl->setText(Q(scope::kNoneSelected));
    UpdateSearchButtons();
    RefreshFilterGrid();
}

void TfrmMain::SelectAllFiltersBtnClick() {
    if (!HasFilters()) {
        return;
    }
    FilterLbl->setText(Q(m_filters.SelectAll()));
    UpdateSearchButtons();
    RefreshFilterGrid();
}

void TfrmMain::RestoreFilterBtnClick() {
    if (!m_prompter->Ask(std::string(scope::kRestoreDefaultsQuestion))) {
        return;
    }
    m_filters.Clear();
    LoadDefaultFilters();
    RebuildFilterLabel();
}

}  // namespace qm::app

namespace qm::app {

// ---- Results view ---------------------------------------------------------------------------

void TfrmMain::BuildResultsView() {
    auto* layout = static_cast<QVBoxLayout*>(SearchResultsPanel->layout());
    layout->setSpacing(0);

    TreeOptionsPanel = new QWidget(SearchResultsPanel);
    TreeOptionsPanel->setObjectName(QStringLiteral("TreeOptionsPanel"));
    auto* toolbar = new QHBoxLayout(TreeOptionsPanel);
    toolbar->setContentsMargins(4, 2, 4, 2);
    toolbar->setSpacing(2);
    ExpandNodesBtn =
        MakeToolButton(tr("Expand All"), "ExpandNodesBtn",
                       tr("Expand every duplicate set of the tree."), TreeOptionsPanel);
    CollapseNodesBtn =
        MakeToolButton(tr("Collapse All"), "CollapseNodesBtn",
                       tr("Collapse every duplicate set of the tree."), TreeOptionsPanel);
    MarkAllBtn = MakeToolButton(
        tr("Mark All"), "MarkAllBtn",
        QStringLiteral("Select all \"duplicate\" items in the tree.  For each file the first file "
                       "will be left unchecked so you do not erase all the files."),
        TreeOptionsPanel);
    UnMarkAllBtn =
        MakeToolButton(tr("Unmark All"), "UnMarkAllBtn",
                       tr("Clear the marks of every file in the tree."), TreeOptionsPanel);
    DeleteMarkedBtn = MakeToolButton(tr("Delete Marked"), "DeleteMarkedBtn",
                                     tr("Delete the marked files."), TreeOptionsPanel);
    MoveToFolderBtn = MakeToolButton(tr("Move Marked"), "MoveToFolderBtn",
                                     tr("Move the marked files to a folder."), TreeOptionsPanel);
    ColorSettingsBtn = MakeToolButton(tr("Colors"), "ColorSettingsBtn",
                                      tr("Colour settings of the results tree."), TreeOptionsPanel);
    GridToggleBtn =
        MakeToolButton(tr("Grid"), "GridToggleBtn",
                       tr("Show or hide the grid lines of the results tree."), TreeOptionsPanel);
    OpenTargetBtn = MakeToolButton(tr("Open"), "OpenTargetBtn", tr("Open the selected file."),
                                   TreeOptionsPanel);
    ExploreTargetBtn =
        MakeToolButton(tr("Explore"), "ExploreTargetBtn",
                       tr("Open the folder of the selected file."), TreeOptionsPanel);
    ExecuteBtn =
        MakeToolButton(tr("Execute"), "ExecuteBtn", tr("Run the selected file."), TreeOptionsPanel);
    PreviewImageCB =
        MakeToolButton(tr("Preview"), "PreviewImageCB",
                       tr("Show a preview of the selected picture."), TreeOptionsPanel);
    PreviewImageCB->setCheckable(true);
    PreviewImageCB->setChecked(true);
    HideOptionsBtn = MakeToolButton(tr("Search Options"), "HideOptionsBtn",
                                    QStringLiteral("Return back to search parameters screen."),
                                    TreeOptionsPanel);
    for (QToolButton* button :
         {DeleteMarkedBtn, MoveToFolderBtn, OpenTargetBtn, ExploreTargetBtn, ExecuteBtn}) {
        button->setEnabled(false);
    }
    for (QToolButton* button : {ExpandNodesBtn, CollapseNodesBtn, MarkAllBtn, UnMarkAllBtn,
                                DeleteMarkedBtn, MoveToFolderBtn, ColorSettingsBtn, GridToggleBtn,
                                OpenTargetBtn, ExploreTargetBtn, ExecuteBtn, PreviewImageCB}) {
        toolbar->addWidget(button);
    }
    toolbar->addStretch(1);
    toolbar->addWidget(HideOptionsBtn);
    // Nothing acts on these yet: the delete, move, file and preview commands come later.
    for (QToolButton* button : {DeleteMarkedBtn, MoveToFolderBtn, OpenTargetBtn, ExploreTargetBtn,
                                ExecuteBtn, PreviewImageCB}) {
        button->hide();
    }
    layout->addWidget(TreeOptionsPanel);

    DupeInfoLbl = new QLabel(SearchResultsPanel);
    DupeInfoLbl->setObjectName(QStringLiteral("DupeInfoLbl"));
    DupeInfoLbl->setTextFormat(Qt::PlainText);
    DupeInfoLbl->setAutoFillBackground(true);
    DupeInfoLbl->setMargin(3);
    DupeInfoLbl->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    {
        QPalette palette = DupeInfoLbl->palette();
        palette.setColor(QPalette::Window, QColor(119, 119, 255));
        palette.setColor(QPalette::WindowText, Qt::white);
        DupeInfoLbl->setPalette(palette);
    }
    layout->addWidget(DupeInfoLbl);

    m_dupeModel = new DupeTreeModel(platform::UserLocale(), this);
    DupeTV = new DupeTreeView(m_dupeModel, SearchResultsPanel);
    m_dupeMenus = new DupeTreeMenus(DupeTV, this);
    layout->addWidget(DupeTV, 1);

    connect(ExpandNodesBtn, &QToolButton::clicked, DupeTV, &DupeTreeView::ExpandNodesBtnClick);
    connect(CollapseNodesBtn, &QToolButton::clicked, DupeTV, &DupeTreeView::CollapseNodesBtnClick);
    connect(MarkAllBtn, &QToolButton::clicked, this, &TfrmMain::MarkAllBtnClick);
    connect(UnMarkAllBtn, &QToolButton::clicked, this, &TfrmMain::UnMarkAllBtnClick);
    connect(ColorSettingsBtn, &QToolButton::clicked, this,
            [this] { DupeTreeMenus::PopupBelow(m_dupeMenus->ColorMenu(), ColorSettingsBtn); });
    connect(GridToggleBtn, &QToolButton::clicked, this,
            [this] { DupeTreeMenus::PopupBelow(m_dupeMenus->GridMenu(), GridToggleBtn); });
    connect(HideOptionsBtn, &QToolButton::clicked, this, &TfrmMain::HideOptionsBtnClick);
    connect(DupeTV, &DupeTreeView::TargetCommandsEnabled, this, [this](bool enabled) {
        for (QToolButton* button : {OpenTargetBtn, ExploreTargetBtn, ExecuteBtn}) {
            button->setEnabled(enabled);
        }
    });
}

void TfrmMain::MarkAllBtnClick() {
    // The rule as it stands now: a blocked list changed since the fill applies at once.
    m_dupeModel->SetBlockedRule(CurrentBlockedRule());
    m_dupeModel->MarkAll();
}

void TfrmMain::UnMarkAllBtnClick() {
    m_dupeModel->UnMarkAll();
}

results::BlockedFolderRule TfrmMain::CurrentBlockedRule() const {
    return results::BlockedFolderRule(m_blockedList.Items(), BlockedSubFolders,
                                      platform::UserLocale());
}

void TfrmMain::HideOptionsBtnClick() {
    m_hintLineInstalled = true;
    SearchResultsPanel->hide();
    OptionsPanel->show();
    ViewResultsPanel->show();
    FormResize();
    YieldNow();
    ViewSearchResultsBtn->setFocus();
}

void TfrmMain::ViewSearchResultsBtnClick() {
    // The hint line stays installed: hints write over the results' status texts from now on.
    OptionsPanel->hide();
    SearchResultsPanel->show();
    YieldNow();
}

// ---- Search run -----------------------------------------------------------------------------

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
    // FolderExcludeBtn, DateOptionsBtn, ExcludeFileMaskBtn and ExcludeFolderMaskBtn belong to the
    // unlocked set too, but their dialogs do not exist yet: they stay disabled rather than offer a
    // command that does nothing.
    for (QMenu* menu : {FileMenu, OptionsMenu, HelpMenu}) {
        menu->menuAction()->setEnabled(true);
    }
    EditFilterBtn->setEnabled(HasFilters());
    DeleteFilterBtn->setEnabled(HasFilters());
    AbortSearchBtn->setEnabled(false);
    SearchInProgress = false;
    if (m_screenSaverGuard) {
        m_screenSaverGuard->Release();
    }
    YieldNow();
}

void TfrmMain::AbortSearchBtnClick() {
    if (ViewResultsPanel->isVisible()) {
        ViewResultsPanel->hide();
    }
    AbortRequested = true;
    SearchInProgress = false;
    // The screen saver may start again as soon as nothing counts as searching.
    if (m_screenSaverGuard) {
        m_screenSaverGuard->Release();
    }
    YieldNow();
}

void TfrmMain::UseScreenSaverGuard(std::unique_ptr<platform::ScreenSaverGuard> guard) {
    if (m_screenSaverGuard) {
        m_screenSaverGuard->Release();
    }
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

void TfrmMain::SearchBtnClick() {
    if (m_searchRunning) {
        return;
    }
    m_searchRunning = true;

    const QSize outer = frameGeometry().size();
    InfoPanel->move((outer.width() - InfoPanel->width()) / 2,
                    (outer.height() - InfoPanel->height()) / 2);
    for (QLabel* counter :
         {FoldersScannedLbl, FilesScannedLbl, FilesIgnoredLbl, FoldersIgnoredLbl}) {
        counter->setText(QStringLiteral("0"));
    }
    InfoPanel->show();
    InfoPanel->raise();
    Step1Lbl->setText(QString::fromLatin1(engine::StepStateText(engine::StepState::InProgress)));
    Step2Lbl->setText(QString::fromLatin1(engine::StepStateText(engine::StepState::Pending)));
    Step3Lbl->setText(QString::fromLatin1(engine::StepStateText(engine::StepState::Pending)));

    LockSearchControls();
    m_dupeModel->Clear();

    // Nothing that goes wrong below may leave the window locked: the error is shown once the
    // controls are back.
    std::optional<std::string> error;
    bool nothingFound = false;
    try {
        const engine::SearchResult result = engine::RunSearch(
            CurrentCriteria(), *m_searchHost,
            m_searchFileSystem ? *m_searchFileSystem : platform::SystemFileSystem(),
            platform::UserLocale());
        m_searchHost->Flush();
        if (result.outcome == engine::SearchOutcome::Failed) {
            error = result.errorMessage;
        } else if (result.outcome == engine::SearchOutcome::DuplicatesFound && !AbortRequested) {
            m_dupeModel->SetBlockedRule(CurrentBlockedRule());
            m_dupeModel->PopulateResultsTree(result.duplicates);
        }
        nothingFound = result.duplicates.empty();
    } catch (const std::exception& failure) {
        error = failure.what();
    }

    UnlockSearchControls();
    SearchEndTime = WallClockNow();
    const std::string elapsed = engine::ElapsedTimeText(SearchEndTime, SearchStartTime);

    if (error) {
        ShowProgressArea(false);
        m_dupeModel->Clear();
        SetStatusText(QString());
        m_prompter->ShowError(*error);
    } else if (AbortRequested) {
        ShowProgressArea(false);
        m_dupeModel->Clear();
        SetStatusText(QString::fromLatin1(kScanAbortedText));
    } else if (!nothingFound) {
        ShowProgressArea(true);
        // The results' status texts stay in panel 1; HideOptionsBtnClick installs it again.
        m_hintLineInstalled = false;
        SetStatusText(QString());
        OptionsPanel->hide();
        SearchResultsPanel->show();
        YieldNow();
        DupeTV->setFocus();
    } else {
        DirLB->setFocus();
        m_prompter->Inform(std::string(kNothingFoundMessage) + "\r\n\r\n" + elapsed);
    }
    if (!error && !AbortRequested) {
        if (const std::optional<std::string> text =
                m_dupeModel->ShowResultStatistics(nothingFound, false, elapsed)) {
            DupeInfoLbl->setText(QString::fromUtf8(*text));
        }
    }
    YieldNow();

    m_searchRunning = false;
    if (m_closePending) {
        m_closePending = false;
        close();
    }
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

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    if (m_searchRunning) {
        // The search still runs below this event on the call stack and uses the window's
        // controls and lists; the window closes as soon as it has wound down.
        m_closePending = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

}  // namespace qm::app
