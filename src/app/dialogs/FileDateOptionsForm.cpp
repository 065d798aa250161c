#include "app/dialogs/FileDateOptionsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <utility>

#include "app/widgets/AppFont.h"
#include "app/widgets/Controls.h"
#include "app/widgets/DialogKeys.h"

namespace qm::app {

namespace {

// The user's short date with a four-digit year, then the time of day with its seconds: the
// bounds are compared to the second.
QString PickerFormat() {
    const QLocale locale;
    QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.contains(QStringLiteral("yyyy"))) {
        date.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    QString time = locale.timeFormat(QLocale::ShortFormat);
    if (!time.contains(QStringLiteral("ss"))) {
        time.replace(QStringLiteral("mm"), QStringLiteral("mm:ss"));
    }
    return date + QLatin1Char(' ') + time;
}

QDateTimeEdit* MakePicker(const char* name, QWidget* parent) {
    auto* picker = new QDateTimeEdit(parent);
    picker->setObjectName(QLatin1String(name));
    picker->setDisplayFormat(PickerFormat());
    picker->setCalendarPopup(true);
    return picker;
}

}  // namespace

QDateTime ToQDateTime(const platform::LocalDateTime& local) {
    return {QDate(local.year, local.month, local.day),
            QTime(local.hour, local.minute, local.second)};
}

platform::LocalDateTime ToLocalDateTime(const QDateTime& dateTime) {
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

TfrmFileDateOptions::TfrmFileDateOptions(engine::FileDateRange& range, QWidget* parent, Clock now)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_range(range),
      m_now(std::move(now)) {
    setObjectName(QStringLiteral("frmFileDateOptions"));
    setWindowTitle(tr("File Date Options"));
    setModal(true);
    // The main window's face and size: the client area is laid out for it.
    setFont(ClosestFont(QStringLiteral("Tahoma"), 8));

    UseDateCB = new QCheckBox(tr("Use File Dates?"), this);
    UseDateCB->setObjectName(QStringLiteral("UseDateCB"));
    auto* specifyLbl = new QLabel(tr("Specify Dates:"), this);
    DateCB = new QComboBox(this);
    DateCB->setObjectName(QStringLiteral("DateCB"));
    DateCB->addItems({tr("Modified Date"), tr("Created Date"), tr("Accessed Date")});
    specifyLbl->setBuddy(DateCB);
    auto* fromLbl = new QLabel(tr("from"), this);
    DP1 = MakePicker("DP1", this);
    fromLbl->setBuddy(DP1);
    auto* toLbl = new QLabel(tr("to"), this);
    DP2 = MakePicker("DP2", this);
    toLbl->setBuddy(DP2);

    OKBtn = MakeButton(tr("&OK"), "OKBtn", this);
    OKBtn->setDefault(true);
    CancelBtn = MakeButton(tr("&Cancel"), "CancelBtn", this);
    CancelBtn->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->addWidget(UseDateCB, 0, 0, 1, 2);
    grid->addWidget(specifyLbl, 1, 0, 1, 2);
    grid->addWidget(DateCB, 2, 0, 1, 2);
    grid->addWidget(fromLbl, 3, 0);
    grid->addWidget(DP1, 3, 1);
    grid->addWidget(toLbl, 4, 0);
    grid->addWidget(DP2, 4, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    grid->addLayout(buttons, 6, 0, 1, 2);

    setTabOrder(UseDateCB, DateCB);
    setTabOrder(DateCB, DP1);
    setTabOrder(DP1, DP2);
    setTabOrder(DP2, OKBtn);
    setTabOrder(OKBtn, CancelBtn);

    connect(OKBtn, &QPushButton::clicked, this, &TfrmFileDateOptions::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TfrmFileDateOptions::CancelBtnClick);

    // The client area is 216 by 164 pixels; it grows only when a large font needs it.
    setFixedSize(QSize(216, 164).expandedTo(grid->minimumSize()));
}

void TfrmFileDateOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TfrmFileDateOptions::FormShow() {
    UseDateCB->setChecked(m_range.enabled);
    DateCB->setCurrentIndex(static_cast<int>(m_range.kind));
    if (m_range.enabled) {
        DP1->setDateTime(ToQDateTime(m_range.from));
        DP2->setDateTime(ToQDateTime(m_range.to));
    } else {
        // Seven calendar days back, at the same time of day.
        const QDateTime now = ToQDateTime(m_now());
        DP1->setDateTime(now.addDays(-7));
        DP2->setDateTime(now);
    }
    UseDateCB->setFocus();
}

void TfrmFileDateOptions::OKBtnClick() {
    m_range.enabled = UseDateCB->isChecked();
    m_range.kind = static_cast<engine::DateKind>(DateCB->currentIndex());
    // Unticked, the bounds set before stay for the next time the window is switched on.
    if (m_range.enabled) {
        m_range.from = ToLocalDateTime(DP1->dateTime());
        m_range.to = ToLocalDateTime(DP2->dateTime());
    }
    accept();
}

void TfrmFileDateOptions::CancelBtnClick() {
    reject();
}

void TfrmFileDateOptions::keyPressEvent(QKeyEvent* event) {
    if (HandleEscape(*this, event)) {
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace qm::app
