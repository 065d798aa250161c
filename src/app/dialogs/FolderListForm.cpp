#include "app/dialogs/FolderListForm.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/widgets/AppFont.h"
#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/Controls.h"
#include "app/widgets/DialogKeys.h"
#include "app/widgets/FolderPicker.h"
#include "app/widgets/FolderTreeView.h"
#include "app/widgets/PathListBox.h"
#include "platform/Locale.h"
#include "scope/ScopeList.h"

namespace qm::app {

const FolderListTwin kIgnoreListTwin = {
    "frmIgnoreList",
    "Folder Exclusion List",
    "Any folders listed below will not be checked for possible duplicate files. You may want to "
    "add Temporary Internet Files folder etc here or any temporary directories.<BR><BR><B><U>Note"
    "</U></B>:  Only the marked folder will be skipped from duplicate file check.  If the marked "
    "folder has subfolders they will be scanned for duplicate files unless you mark them as well "
    "or check the \"Include Sub Folders\" option.",
    "Click on the checkbox to add/remove folder from ignored folder list.",
    false,
};

const FolderListTwin kBlockedListTwin = {
    "frmBlockedList",
    "Blocked Folder List",
    "Please select folders that you wish to protect for possible file deletion.  You may want to "
    "add important folders such as the Windows and System32 folders here.  To protect a folder "
    "please find the folder in the folder tree below and put a checkbox by clicking the box next "
    "to the folder name.<BR><BR><B><U>Note</U></B>:  Only the checked folder(s) here will  be "
    "protected from possible file deletion.  If the checked folder has subfolders they will be "
    "allowed for marking of duplicate files unless you check the subfolders as well or check the "
    "\"Include Sub Folders\" option.",
    nullptr,
    true,
};

namespace {

// The header across the top: the twin's text with its mark-up, white on blue, wrapped.
QLabel* MakeHeaderLabel(const char* markup, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("HTMLabel1"));
    label->setTextFormat(Qt::RichText);
    label->setText(MultiLineMarkupToHtml(QString::fromLatin1(markup)));
    label->setWordWrap(true);
    label->setAutoFillBackground(true);
    label->setMargin(6);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, QColor(0x00, 0x33, 0x99));
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

}  // namespace

TfrmFolderList::TfrmFolderList(const FolderListTwin& twin, scope::ScopeList& list, bool& subFolders,
                               QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_list(list),
      m_subFolders(subFolders),
      m_picker(new FolderPicker(platform::UserLocale(), this)) {
    setObjectName(QLatin1String(twin.objectName));
    setWindowTitle(QString::fromLatin1(twin.caption));
    setModal(true);
    // The main window's face and size: the client area is laid out for it.
    setFont(ClosestFont(QStringLiteral("Tahoma"), 8));

    HTMLabel1 = MakeHeaderLabel(twin.header, this);

    DirLB = m_picker->Tree();
    DirLB->setObjectName(QStringLiteral("DirLB"));
    if (twin.treeHint != nullptr) {
        SetHint(DirLB, QString::fromLatin1(twin.treeHint));
    }
    m_picker->Model()->FileSystemModel()->setOption(QFileSystemModel::DontWatchForChanges,
                                                    !twin.followsDiskChanges);

    PathLB = m_picker->List();
    PathLB->setObjectName(QStringLiteral("PathLB"));
    // Folders are chosen in the tree here; nothing is dropped onto this list.
    PathLB->setAcceptDrops(false);
    PathLB->viewport()->setAcceptDrops(false);
    PathLB->setDragDropMode(QAbstractItemView::NoDragDrop);

    ScanSubFoldersCB = new QCheckBox(tr("Include Sub Folders"), this);
    ScanSubFoldersCB->setObjectName(QStringLiteral("ScanSubFoldersCB"));

    RemoveDirBtn = m_picker->RemoveButton();
    RemoveDirBtn->setObjectName(QStringLiteral("RemoveDirBtn"));
    ClearAllBtn = m_picker->ClearButton();
    ClearAllBtn->setObjectName(QStringLiteral("ClearAllBtn"));
    OkBtn = MakeButton(tr("&OK"), "OkBtn", this);
    CancelBtn = MakeButton(tr("&Cancel"), "CancelBtn", this);
    // Enter confirms; no other button may become the default by taking the focus.
    for (QPushButton* button : {RemoveDirBtn, ClearAllBtn, CancelBtn}) {
        button->setAutoDefault(false);
    }
    OkBtn->setDefault(true);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->setSpacing(6);
    main->addWidget(HTMLabel1);

    auto* body = new QHBoxLayout;
    body->setSpacing(8);
    body->addWidget(DirLB, 1);
    auto* listColumn = new QVBoxLayout;
    listColumn->setSpacing(6);
    listColumn->addWidget(PathLB, 1);
    listColumn->addWidget(ScanSubFoldersCB);
    auto* listButtons = new QHBoxLayout;
    listButtons->addStretch(1);
    listButtons->addWidget(RemoveDirBtn);
    listButtons->addWidget(ClearAllBtn);
    listButtons->addStretch(1);
    listColumn->addLayout(listButtons);
    body->addLayout(listColumn, 1);
    main->addLayout(body, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    main->addLayout(buttons);

    setTabOrder(DirLB, PathLB);
    setTabOrder(PathLB, ScanSubFoldersCB);
    setTabOrder(ScanSubFoldersCB, RemoveDirBtn);
    setTabOrder(RemoveDirBtn, ClearAllBtn);
    setTabOrder(ClearAllBtn, OkBtn);
    setTabOrder(OkBtn, CancelBtn);

    connect(m_picker, &FolderPicker::NodeTicked, this, &TfrmFolderList::DirLBCheckBoxChanged);
    connect(m_picker, &FolderPicker::ListClicked, this, &TfrmFolderList::PathLBClick);
    connect(RemoveDirBtn, &QPushButton::clicked, this, &TfrmFolderList::RemoveDirBtnClick);
    connect(ClearAllBtn, &QPushButton::clicked, this, &TfrmFolderList::ClearAllBtnClick);
    connect(OkBtn, &QPushButton::clicked, this, &TfrmFolderList::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TfrmFolderList::CancelBtnClick);

    // The client area is 688 by 516 pixels; it grows only when a large font needs it.
    setFixedSize(QSize(688, 516).expandedTo(main->minimumSize()));
}

TfrmFolderList::~TfrmFolderList() = default;

void TfrmFolderList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TfrmFolderList::FormShow() {
    ScanSubFoldersCB->setChecked(m_subFolders);
    m_picker->PruneSpecialFolders();
    // The copy: entries whose folder the tree cannot reach any more are left out, so OK drops
    // them while Cancel keeps them.
    m_picker->RestorePaths(m_list.Items());
    if (!DirLB->currentIndex().isValid()) {
        const QModelIndex home = m_picker->Model()->LocateNode(QDir::homePath());
        if (home.isValid()) {
            DirLB->setCurrentIndex(home);
        }
    }
    DirLB->scrollTo(DirLB->currentIndex());
    DirLB->setFocus();
}

void TfrmFolderList::AddListPath(const std::string& path) {
    m_picker->AddPath(path);
}

void TfrmFolderList::RemoveListPath(const std::string& path) {
    m_picker->RemovePath(path);
}

void TfrmFolderList::DirLBCheckBoxChanged(const QModelIndex& node, bool ticked) {
    m_picker->NodeTickChanged(node, ticked);
}

void TfrmFolderList::RemoveDirBtnClick() {
    m_picker->RemoveHighlighted();
}

void TfrmFolderList::ClearAllBtnClick() {
    m_picker->ClearAll();
}

void TfrmFolderList::PathLBClick() {
    if (const std::optional<std::string> missing = m_picker->CheckHighlighted()) {
        emit StatusText(MissingFolderStatus(*missing));
    }
}

void TfrmFolderList::OkBtnClick() {
    m_list.Clear();
    for (const std::string& path : m_picker->Paths()) {
        m_list.Add(path);
    }
    m_subFolders = ScanSubFoldersCB->isChecked();
    accept();
}

void TfrmFolderList::CancelBtnClick() {
    reject();
}

void TfrmFolderList::keyPressEvent(QKeyEvent* event) {
    if (HandleEscape(*this, event)) {
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace qm::app
