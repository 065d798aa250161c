#include "app/dialogs/MaskListForm.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/widgets/AppFont.h"
#include "app/widgets/Controls.h"
#include "app/widgets/DialogKeys.h"
#include "app/widgets/QtText.h"

namespace qm::app {

const MaskListTwin kExcludeFileMaskTwin = {"frmExcludeFileMask", "Exclude File Mask"};
const MaskListTwin kExcludeFolderMaskTwin = {"frmExcludeFolderMask", "Exclude Folder Mask"};

namespace {

// A mask as stored, whatever bytes it holds; the item shows it as text.
std::string MaskOf(const QListWidgetItem* item) {
    return item->data(Qt::UserRole).toByteArray().toStdString();
}

// The two headings of the help text stand out from the lines under them.
bool IsHeading(const char* line) {
    return QLatin1String(line).endsWith(QLatin1Char(':'));
}

}  // namespace

TfrmMaskList::TfrmMaskList(const MaskListTwin& twin, scope::ScopeList& masks, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_masks(masks),
      m_working(masks) {
    setObjectName(QLatin1String(twin.objectName));
    setWindowTitle(QString::fromLatin1(twin.caption));
    setModal(true);
    // The main window's face and size: the client area is laid out for it.
    setFont(ClosestFont(QStringLiteral("Tahoma"), 8));

    QGroupBox* newGroup = MakeGroup(tr("New Mask"), "NewMaskGB", this);
    auto* newLayout = new QVBoxLayout(newGroup);
    newLayout->setContentsMargins(8, 6, 8, 8);
    newLayout->setSpacing(2);
    for (const char* line : kMaskHelpLines) {
        auto* label = new QLabel(QString::fromLatin1(line), newGroup);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        if (IsHeading(line)) {
            QFont font = label->font();
            font.setBold(true);
            label->setFont(font);
            if (newLayout->count() > 0) {
                newLayout->addSpacing(4);
            }
        } else {
            label->setIndent(10);
        }
        newLayout->addWidget(label);
    }
    newLayout->addSpacing(6);
    auto* maskLbl = new QLabel(tr("Mask:"), newGroup);
    newLayout->addWidget(maskLbl);
    NewMaskEdit = new QLineEdit(newGroup);
    NewMaskEdit->setObjectName(QStringLiteral("NewMaskEdit"));
    maskLbl->setBuddy(NewMaskEdit);
    AddBtn = MakeButton(tr("&Add Mask"), "AddBtn", newGroup);
    AddBtn->setEnabled(false);
    auto* editRow = new QHBoxLayout;
    editRow->addWidget(NewMaskEdit, 1);
    editRow->addWidget(AddBtn);
    newLayout->addLayout(editRow);

    QGroupBox* existingGroup = MakeGroup(tr("Existing Masks"), "ExistingMasksGB", this);
    auto* existingLayout = new QVBoxLayout(existingGroup);
    existingLayout->setContentsMargins(8, 6, 8, 8);
    MaskLB = new QListWidget(existingGroup);
    MaskLB->setObjectName(QStringLiteral("MaskLB"));
    MaskLB->setSelectionMode(QAbstractItemView::SingleSelection);
    existingLayout->addWidget(MaskLB, 1);
    RemoveBtn = MakeButton(tr("&Remove Mask"), "RemoveBtn", existingGroup);
    RemoveBtn->setEnabled(false);
    auto* removeRow = new QHBoxLayout;
    removeRow->addStretch(1);
    removeRow->addWidget(RemoveBtn);
    existingLayout->addLayout(removeRow);

    OkBtn = MakeButton(tr("&OK"), "OkBtn", this);
    CancelBtn = MakeButton(tr("&Cancel"), "CancelBtn", this);
    // No default button: Enter has no meaning in these dialogs, also not on a focused button.
    for (QPushButton* button : {AddBtn, RemoveBtn, OkBtn, CancelBtn}) {
        button->setAutoDefault(false);
    }

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->setSpacing(6);
    main->addWidget(newGroup);
    main->addWidget(existingGroup, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    main->addLayout(buttons);

    setTabOrder(NewMaskEdit, AddBtn);
    setTabOrder(AddBtn, MaskLB);
    setTabOrder(MaskLB, RemoveBtn);
    setTabOrder(RemoveBtn, OkBtn);
    setTabOrder(OkBtn, CancelBtn);

    connect(NewMaskEdit, &QLineEdit::textChanged, this, &TfrmMaskList::NewMaskEditChange);
    connect(AddBtn, &QPushButton::clicked, this, &TfrmMaskList::AddBtnClick);
    // Moving the highlight with the keys counts as a click.
    connect(MaskLB, &QListWidget::itemSelectionChanged, this, &TfrmMaskList::MaskLBClick);
    connect(RemoveBtn, &QPushButton::clicked, this, &TfrmMaskList::RemoveBtnClick);
    connect(OkBtn, &QPushButton::clicked, this, &TfrmMaskList::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TfrmMaskList::CancelBtnClick);

    FormCreate();
    // The client area is 384 by 438 pixels; it grows only when a large font needs it.
    setFixedSize(QSize(384, 438).expandedTo(main->minimumSize()));
}

void TfrmMaskList::FormCreate() {
    RefreshList();
}

void TfrmMaskList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    NewMaskEdit->setFocus();
}

void TfrmMaskList::RefreshList(const std::string& highlight) {
    const QSignalBlocker quiet(MaskLB);
    MaskLB->clear();
    for (const std::string& mask : m_working.Items()) {
        auto* item = new QListWidgetItem(Utf8Text(mask), MaskLB);
        item->setData(Qt::UserRole, QByteArray::fromStdString(mask));
        if (!highlight.empty() && mask == highlight) {
            MaskLB->setCurrentItem(item);
        }
    }
}

void TfrmMaskList::NewMaskEditChange() {
    AddBtn->setEnabled(!NewMaskEdit->text().isEmpty());
}

void TfrmMaskList::AddBtnClick() {
    const std::string mask = NewMaskEdit->text().toStdString();
    if (mask.empty() || !m_working.Add(mask)) {
        return;  // a mask listed already, in any case, is ignored; the text stays in the edit
    }
    const QList<QListWidgetItem*> selected = MaskLB->selectedItems();
    RefreshList(selected.isEmpty() ? std::string() : MaskOf(selected.first()));
    NewMaskEdit->clear();
    NewMaskEdit->setFocus();
    MaskLBClick();
}

void TfrmMaskList::MaskLBClick() {
    RemoveBtn->setEnabled(!MaskLB->selectedItems().isEmpty());
}

void TfrmMaskList::RemoveBtnClick() {
    const QList<QListWidgetItem*> selected = MaskLB->selectedItems();
    if (!selected.isEmpty()) {
        m_working.Remove(MaskOf(selected.first()));
        RefreshList();
    }
    MaskLBClick();
}

void TfrmMaskList::OkBtnClick() {
    m_masks.Clear();
    for (const std::string& mask : m_working.Items()) {
        m_masks.Add(mask);
    }
    accept();
}

void TfrmMaskList::CancelBtnClick() {
    reject();
}

void TfrmMaskList::keyPressEvent(QKeyEvent* event) {
    if (HandleEscape(*this, event)) {
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        return;  // no default button
    }
    QDialog::keyPressEvent(event);
}

}  // namespace qm::app
