#include "app/dialogs/SelectDirForm.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "app/widgets/Controls.h"
#include "app/widgets/DialogKeys.h"
#include "app/widgets/FolderTreeView.h"
#include "app/widgets/QtText.h"

namespace qm::app {

namespace {

// The example speaks of paths as this system writes them; the root is what is left out.
#ifdef _WIN32
const char* const kPreservePathsHint =
    "If this option is checked then the paths will be recreated in the destination directory.\n"
    "For example, the file C:\\Downloads\\My Website\\File.html moved to D:\\Duplicate Files\n"
    "ends up as D:\\Duplicate Files\\Downloads\\My Website\\File.html with this option checked,\n"
    "and as D:\\Duplicate Files\\File.html without it.";
#else
const char* const kPreservePathsHint =
    "If this option is checked then the paths will be recreated in the destination directory.\n"
    "For example, the file /data/Downloads/My Website/File.html moved to /backup/Duplicate Files\n"
    "ends up as /backup/Duplicate Files/data/Downloads/My Website/File.html with this option "
    "checked,\nand as /backup/Duplicate Files/File.html without it.";
#endif

bool IsExistingFolder(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

}  // namespace

TfrmSelectDir::TfrmSelectDir(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_dirs(new QFileSystemModel(this)) {
    setObjectName(QStringLiteral("frmSelectDir"));
    setWindowTitle(QStringLiteral("Directory Selection"));
    setModal(true);

    DirLbl = new QLabel(
        QStringLiteral("Please select a directory where the marked file(s) will be moved to:"),
        this);
    DirLbl->setObjectName(QStringLiteral("DirLbl"));

    // Every folder, read-only, hidden and system ones too: the user may keep copies anywhere.
    m_dirs->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::Hidden |
                      QDir::System);
    m_dirs->setReadOnly(true);
    m_dirs->setRootPath(QDir::rootPath());
    LsDirTree211 = new FolderTreeView(this);
    LsDirTree211->setObjectName(QStringLiteral("LsDirTree211"));
    // Plain names: the folder pickers' bold role is a path role of this model.
    LsDirTree211->setItemDelegate(new QStyledItemDelegate(LsDirTree211));
    LsDirTree211->setModel(m_dirs);
    LsDirTree211->setContextMenuPolicy(Qt::NoContextMenu);
    DirLbl->setBuddy(LsDirTree211);

    CheckBox1 = new QCheckBox(QStringLiteral("&Preserve Paths?"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    SetHint(CheckBox1, QString::fromLatin1(kPreservePathsHint));

    OKBtn = MakeButton(QStringLiteral("&OK"), "OKBtn", this);
    OKBtn->setDefault(true);
    OKBtn->setEnabled(false);
    CancelBtn = MakeButton(QStringLiteral("&Cancel"), "CancelBtn", this);
    CancelBtn->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(DirLbl);
    layout->addWidget(LsDirTree211, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CheckBox1);
    bottom->addStretch(1);
    bottom->addWidget(OKBtn);
    bottom->addWidget(CancelBtn);
    layout->addLayout(bottom);

    connect(LsDirTree211->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmSelectDir::LsDirTree211DirChange);
    // A selected folder that goes away from the disk leaves the tree, and the selection with it.
    connect(m_dirs, &QAbstractItemModel::rowsRemoved, this, &TfrmSelectDir::LsDirTree211DirChange);
    // Folders are listed in the background, and a listing moves the nodes below it: whenever a
    // folder above the current node has been read and its rows are in place (they are sorted in
    // soon after), the tree shows that node again.
    m_showCurrent.setSingleShot(true);
    m_showCurrent.setInterval(50);
    connect(&m_showCurrent, &QTimer::timeout, this,
            [this] { LsDirTree211->scrollTo(LsDirTree211->currentIndex()); });
    connect(m_dirs, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
        const QModelIndex current = LsDirTree211->currentIndex();
        for (QModelIndex up = current.parent(); up.isValid(); up = up.parent()) {
            if (m_dirs->filePath(up) == folder) {
                m_showCurrent.start();
                return;
            }
        }
    });
    connect(OKBtn, &QPushButton::clicked, this, &TfrmSelectDir::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    // The tree opens at the user's home folder, which is current but not selected: OK waits for
    // a choice.
    const QModelIndex home = m_dirs->index(QDir::homePath());
    if (home.isValid()) {
        for (QModelIndex up = home.parent(); up.isValid(); up = up.parent()) {
            LsDirTree211->expand(up);
        }
        LsDirTree211->selectionModel()->setCurrentIndex(home, QItemSelectionModel::NoUpdate);
        LsDirTree211->scrollTo(home);
    }
    LsDirTree211->setFocus();

    // The client area is 519 by 331 pixels; it grows only when a large font needs it.
    setFixedSize(QSize(519, 331).expandedTo(layout->minimumSize()));
}

std::optional<SelectedDir> TfrmSelectDir::Choose(QWidget* parent) {
    TfrmSelectDir dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return SelectedDir{PathBytes(dialog.SelectedPath()), dialog.PreservePaths()};
}

QString TfrmSelectDir::SelectedPath() const {
    const QModelIndexList rows = LsDirTree211->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return {};
    }
    return m_dirs->filePath(rows.first());
}

bool TfrmSelectDir::PreservePaths() const {
    return CheckBox1->isChecked();
}

bool TfrmSelectDir::SelectFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    const QModelIndex node = clean.isEmpty() ? QModelIndex() : m_dirs->index(clean);
    if (!node.isValid() || QDir::cleanPath(m_dirs->filePath(node)) != clean ||
        !IsExistingFolder(clean)) {
        LsDirTree211->selectionModel()->clearSelection();
        return false;
    }
    for (QModelIndex up = node.parent(); up.isValid(); up = up.parent()) {
        LsDirTree211->expand(up);
    }
    LsDirTree211->setCurrentIndex(node);
    LsDirTree211->scrollTo(node);
    return true;
}

void TfrmSelectDir::LsDirTree211DirChange() {
    OKBtn->setEnabled(IsExistingFolder(SelectedPath()));
}

void TfrmSelectDir::OKBtnClick() {
    // The folder may have gone since it was selected.
    LsDirTree211DirChange();
    if (OKBtn->isEnabled()) {
        accept();
    }
}

void TfrmSelectDir::keyPressEvent(QKeyEvent* event) {
    if (!HandleDialogKey(*this, *OKBtn, *event)) {
        QDialog::keyPressEvent(event);
    }
}

}  // namespace qm::app
