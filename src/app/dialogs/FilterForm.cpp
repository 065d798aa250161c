#include "app/dialogs/FilterForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/widgets/DialogKeys.h"

namespace qm::app {

TfrmFilter::TfrmFilter(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmFilter"));
    setModal(true);

    auto* maskLbl = new QLabel(tr("Filter &Mask:"), this);
    MaskEdit = new QLineEdit(this);
    MaskEdit->setObjectName(QStringLiteral("MaskEdit"));
    maskLbl->setBuddy(MaskEdit);
    auto* definitionLbl = new QLabel(tr("Filter &Definition:"), this);
    DefinitionEdit = new QLineEdit(this);
    DefinitionEdit->setObjectName(QStringLiteral("DefinitionEdit"));
    definitionLbl->setBuddy(DefinitionEdit);

    OkBtn = new QPushButton(tr("&OK"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    OkBtn->setEnabled(false);
    CancelBtn = new QPushButton(tr("&Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setVerticalSpacing(8);
    grid->addWidget(maskLbl, 0, 0);
    grid->addWidget(MaskEdit, 0, 1);
    grid->addWidget(definitionLbl, 1, 0);
    grid->addWidget(DefinitionEdit, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);

    connect(MaskEdit, &QLineEdit::textChanged, this, &TfrmFilter::MaskEditChange);
    connect(DefinitionEdit, &QLineEdit::textChanged, this, &TfrmFilter::MaskEditChange);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    // The dialog's client area is 321 by 143 pixels; it grows only when a large font needs it.
    const QSize wanted = QSize(321, 143).expandedTo(grid->minimumSize());
    setFixedSize(wanted);
}

void TfrmFilter::SetTexts(const QString& mask, const QString& definition) {
    MaskEdit->setText(mask);
    DefinitionEdit->setText(definition);
    MaskEditChange();
}

QString TfrmFilter::Mask() const {
    return MaskEdit->text();
}
QString TfrmFilter::Definition() const {
    return DefinitionEdit->text();
}

void TfrmFilter::MaskEditChange() {
    OkBtn->setEnabled(!MaskEdit->text().isEmpty() && !DefinitionEdit->text().isEmpty());
}

void TfrmFilter::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    MaskEdit->setFocus();
}

void TfrmFilter::keyPressEvent(QKeyEvent* event) {
    if (!HandleDialogKey(*this, *OkBtn, *event)) {
        QDialog::keyPressEvent(event);
    }
}

}  // namespace qm::app
