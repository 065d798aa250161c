#include "app/mainform/SearchSummaryPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QToolButton>
#include <algorithm>

#include "app/widgets/Controls.h"

namespace qm::app {

namespace {

QString StateText(engine::StepState state) {
    return QString::fromLatin1(engine::StepStateText(state));
}

std::size_t StepSlot(engine::SearchStep step) {
    return static_cast<std::size_t>(step) - 1;
}

}  // namespace

SearchSummaryPanel::SearchSummaryPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("InfoPanel"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 4, 4, 8);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(3);

    auto* title = new QLabel(tr("Scan Summary:"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_closeButton = new QToolButton(this);
    m_closeButton->setObjectName(QStringLiteral("InfoPanelCloseBtn"));
    m_closeButton->setText(QStringLiteral("X"));
    m_closeButton->setAutoRaise(true);
    SetHint(m_closeButton, tr("Close the scan summary."));
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::hide);
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(m_closeButton, 0, 2, Qt::AlignRight);

    const auto addRow = [&](int row, const QString& caption, const char* name, const char* text) {
        layout->addWidget(new QLabel(caption, this), row, 0);
        auto* value = new QLabel(QLatin1String(text), this);
        value->setObjectName(QLatin1String(name));
        layout->addWidget(value, row, 1, 1, 2);
        return value;
    };
    m_steps = {addRow(1, tr("Step 1 / 3: Folder Scan"), "Step1Lbl", "Pending"),
               addRow(2, tr("Step 2 / 3: File Scan"), "Step2Lbl", "Pending"),
               addRow(3, tr("Step 3 / 3: File Comparison"), "Step3Lbl", "Pending")};
    using engine::Counter;
    m_counters[static_cast<std::size_t>(Counter::FoldersScanned)] =
        addRow(4, tr("Folders Scanned:"), "FoldersScannedLbl", "0");
    m_counters[static_cast<std::size_t>(Counter::FilesScanned)] =
        addRow(5, tr("Files Scanned:"), "FilesScannedLbl", "0");
    m_counters[static_cast<std::size_t>(Counter::FilesIgnored)] =
        addRow(6, tr("Files Ignored:"), "FilesIgnoredLbl", "0");
    m_counters[static_cast<std::size_t>(Counter::FoldersIgnored)] =
        addRow(7, tr("Folders Ignored:"), "FoldersIgnoredLbl", "0");
    adjustSize();
    resize(std::max(260, width()), height());
    hide();
}

void SearchSummaryPanel::Reset() {
    for (QLabel* counter : m_counters) {
        counter->setText(QStringLiteral("0"));
    }
    SetStepState(engine::SearchStep::FolderScan, engine::StepState::InProgress);
    SetStepState(engine::SearchStep::FileScan, engine::StepState::Pending);
    SetStepState(engine::SearchStep::FileComparison, engine::StepState::Pending);
}

void SearchSummaryPanel::SetStepState(engine::SearchStep step, engine::StepState state) {
    if (QLabel* label = StepLabel(step)) {
        label->setText(StateText(state));
    }
}

void SearchSummaryPanel::SetCounter(engine::Counter counter, std::int64_t value) {
    if (QLabel* label = CounterLabel(counter)) {
        label->setText(QString::number(value));
    }
}

void SearchSummaryPanel::ShowCentred(QSize outerSize) {
    move((outerSize.width() - width()) / 2, (outerSize.height() - height()) / 2);
    show();
    raise();
}

QLabel* SearchSummaryPanel::StepLabel(engine::SearchStep step) const {
    const std::size_t slot = StepSlot(step);
    return slot < m_steps.size() ? m_steps[slot] : nullptr;
}

QLabel* SearchSummaryPanel::CounterLabel(engine::Counter counter) const {
    const auto slot = static_cast<std::size_t>(counter);
    return slot < m_counters.size() ? m_counters[slot] : nullptr;
}

}  // namespace qm::app
