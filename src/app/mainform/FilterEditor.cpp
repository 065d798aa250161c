#include "app/mainform/FilterEditor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/FilterForm.h"
#include "app/widgets/Controls.h"
#include "app/widgets/FilterGrid.h"
#include "app/widgets/FilterTableModel.h"
#include "app/widgets/QtText.h"
#include "app/widgets/TwoLineLabel.h"
#include "foundation/Prompter.h"
#include "platform/Locale.h"
#include "scope/SearchSettings.h"

namespace qm::app {

namespace {

const char* const kFilterSGHint =
    "Select the type of files you would like to scan for duplicate files.  You can customize "
    "this list by options on the right.";

}  // namespace

FilterEditor::FilterEditor(foundation::Prompter& prompter, QWidget* parent)
    : QObject(parent), m_prompter(prompter), m_model(new FilterTableModel(this)) {
    m_group = MakeGroup(tr("File Filter: "), "FileFilterGB", parent);
    auto* layout = new QGridLayout(m_group);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setHorizontalSpacing(4);
    layout->setVerticalSpacing(2);

    auto* labelRow = new QHBoxLayout;
    labelRow->setSpacing(0);
    m_definitionLabel = new QLabel(tr("Selected Filter(s):"), m_group);
    m_definitionLabel->setObjectName(QStringLiteral("FilterDefLbl"));
    // A long selection wraps onto a second line.
    m_selectionLabel = new TwoLineLabel(Utf8Text(scope::kNoneSelected), m_group);
    m_selectionLabel->setObjectName(QStringLiteral("FilterLbl"));
    m_selectionLabel->setTextFormat(Qt::PlainText);
    for (QLabel* label : {m_definitionLabel, m_selectionLabel}) {
        // Opaque, so the blue background shows.
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, QColor(0x00, 0x33, 0x99));
        palette.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(palette);
        label->setMargin(2);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    QFont boldFont = m_definitionLabel->font();
    boldFont.setBold(true);
    m_definitionLabel->setFont(boldFont);
    labelRow->addWidget(m_definitionLabel);
    labelRow->addWidget(m_selectionLabel, 1);
    layout->addLayout(labelRow, 0, 0, 1, 2);

    m_grid = new FilterGrid(m_group);
    m_grid->setObjectName(QStringLiteral("FilterSG"));
    m_grid->setModel(m_model);
    SetHint(m_grid, QString::fromLatin1(kFilterSGHint));
    connect(m_grid, &FilterGrid::CursorMoved, this, &FilterEditor::UpdateFilterButtons);
    layout->addWidget(m_grid, 1, 0);

    m_buttonsPanel = new QWidget(m_group);
    m_buttonsPanel->setObjectName(QStringLiteral("FilterButtonsPanel"));
    auto* buttons = new QVBoxLayout(m_buttonsPanel);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(3);
    m_clearAll = MakeButton(tr("Clear All Filters"), "ClearAllFiltersBtn", m_buttonsPanel);
    SetHint(m_clearAll,
            QStringLiteral("Clear all filters from search criteria.  <u>Note:</u> You must have "
                           "atleast 1 filter before search can be started."));
    m_selectAll = MakeButton(tr("Select All Filter(s)"), "SelectAllFiltersBtn", m_buttonsPanel);
    SetHint(m_selectAll, QStringLiteral("Click to add all the filters on the left side to the "
                                        "search criteria."));
    m_edit = MakeButton(tr("Edit Filter"), "EditFilterBtn", m_buttonsPanel);
    SetHint(m_edit, QStringLiteral("Select a filter on the left side and click this button to "
                                   "edit the filter settings."));
    m_delete = MakeButton(tr("Delete Filter"), "DeleteFilterBtn", m_buttonsPanel);
    SetHint(m_delete, QStringLiteral("Delete selected filter on the left side."));
    m_new = MakeButton(tr("New Filter"), "NewFilterBtn", m_buttonsPanel);
    SetHint(m_new, QStringLiteral("Click to add a new filter defintion."));
    m_restore = MakeButton(tr("Restore Default Filters"), "RestoreFilterBtn", m_buttonsPanel);
    SetHint(m_restore, QStringLiteral("Click to restore the default filters. <U>Note</U>: this "
                                      "will override all the existing filters."));
    for (QPushButton* button : {m_selectAll, m_edit, m_delete}) {
        button->setEnabled(false);
    }
    for (QPushButton* button : {m_clearAll, m_selectAll, m_edit, m_delete, m_new, m_restore}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    layout->addWidget(m_buttonsPanel, 1, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(1, 1);
}

const scope::FilterTable& FilterEditor::Table() const {
    return m_model->Table();
}

template <class Change>
void FilterEditor::ChangeTable(Change&& change) {
    const int row = m_grid->currentRow();
    const int column = m_grid->currentColumn();
    m_model->Modify(std::forward<Change>(change));
    // A reset drops the cursor; it stays on its row while that row exists.
    if (!m_grid->currentIndex().isValid() && row >= 0 && row < m_grid->rowCount()) {
        m_grid->setCurrentCell(row, column >= 0 ? column : 1);
    }
}

void FilterEditor::ShowLabel(bool sorted) {
    m_labelSorted = sorted;
    m_selectionLabel->setText(Utf8Text(scope::FilterLabelText(Table().Rows(), sorted)));
}

void FilterEditor::RebuildLabel() {
    ShowLabel(false);
    emit SelectionChanged();
}

std::optional<std::size_t> FilterEditor::CursorFilterRow() const {
    const int row = CursorRow();
    if (row <= 0 || row > static_cast<int>(Table().Count())) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(row - 1);
}

int FilterEditor::CursorRow() const {
    return m_grid->currentIndex().isValid() ? m_grid->currentRow() + 1 : 0;
}

void FilterEditor::SetCursorRow(int row) {
    if (row <= 0 || row > m_grid->rowCount()) {
        m_grid->setCurrentIndex(QModelIndex());
        m_grid->clearSelection();
    } else {
        m_grid->setCurrentCell(row - 1, FilterTableModel::MaskColumn);
    }
    UpdateFilterButtons();
}

void FilterEditor::PlaceCursor() {
    if (const std::optional<std::size_t> row = Table().CursorRowAfterFill()) {
        SetCursorRow(static_cast<int>(*row) + 1);
    }
    UpdateFilterButtons();
}

void FilterEditor::UpdateFilterButtons() {
    const bool onFilter = Table().HasFilters() && CursorFilterRow().has_value();
    m_edit->setEnabled(onFilter);
    m_delete->setEnabled(onFilter);
}

void FilterEditor::UpdateTableButtons() {
    m_clearAll->setEnabled(Table().HasFilters());
    m_selectAll->setEnabled(Table().HasFilters());
}

void FilterEditor::SetRows(std::vector<scope::FilterRow> rows, bool labelSorted) {
    ChangeTable([&](scope::FilterTable& table) { table.SetRows(std::move(rows)); });
    PlaceCursor();
    ShowLabel(labelSorted);
    emit SelectionChanged();
}

void FilterEditor::LoadDefaultFilters() {
    ChangeTable([](scope::FilterTable& table) { table.LoadDefaultFilters(); });
    PlaceCursor();
}

void FilterEditor::CheckBoxClicked(int row) {
    m_model->ApplyCheckBoxRule(row, m_prompter);
    RebuildLabel();
}

bool FilterEditor::RunFilterDialog(const QString& caption, QString& mask, QString& definition) {
    TfrmFilter dialog(m_group->window());
    dialog.setWindowTitle(caption);
    dialog.SetTexts(mask, definition);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    mask = dialog.Mask();
    definition = dialog.Definition();
    return true;
}

void FilterEditor::NewFilter() {
    QString mask;
    QString definition;
    if (RunFilterDialog(tr("New Filter"), mask, definition)) {
        ChangeTable([&](scope::FilterTable& table) {
            table.AddFilter(mask.toStdString(), definition.toStdString(), platform::UserLocale());
        });
        RebuildLabel();
    }
    if (Table().HasFilters()) {
        UpdateFilterButtons();
    }
    UpdateTableButtons();
    m_grid->FitColumns();
}

std::optional<std::size_t> FilterEditor::FilterToChange() {
    if (!Table().HasFilters()) {
        m_prompter.Inform(std::string(scope::kNoFiltersDefined));
        if (m_new->isEnabled()) {
            m_new->setFocus();
        }
        return std::nullopt;
    }
    const std::optional<std::size_t> row = CursorFilterRow();
    if (!row) {
        m_prompter.Inform(std::string(scope::kSelectOneFilter));
    }
    return row;
}

void FilterEditor::EditFilter() {
    const std::optional<std::size_t> row = FilterToChange();
    if (!row) {
        return;
    }
    QString mask = Utf8Text(Table().Row(*row).mask);
    QString definition = Utf8Text(Table().Row(*row).definition);
    if (RunFilterDialog(tr("Filter Edit"), mask, definition)) {
        ChangeTable([&](scope::FilterTable& table) {
            table.EditFilter(*row, mask.toStdString(), definition.toStdString());
        });
        RebuildLabel();
    }
}

void FilterEditor::DeleteFilter() {
    const std::optional<std::size_t> row = FilterToChange();
    if (row && m_prompter.Ask(scope::DeleteFilterQuestion(Table().Row(*row).definition))) {
        if (Table().Count() >= 2) {
            ChangeTable([&](scope::FilterTable& table) { table.SetSelected(*row, false); });
            RebuildLabel();
        }
        ChangeTable([&](scope::FilterTable& table) { table.DeleteFilter(*row); });
        RebuildLabel();
    }
    // Whatever the answer.
    const bool has = Table().HasFilters();
    m_delete->setEnabled(has);
    m_edit->setEnabled(has);
    UpdateTableButtons();
}

void FilterEditor::ClearAll() {
    ChangeTable([](scope::FilterTable& table) { table.ClearSelection(); });
    ShowLabel(false);
    emit SelectionChanged();
}

void FilterEditor::SelectAll() {
    if (!Table().HasFilters()) {
        return;
    }
    ChangeTable([](scope::FilterTable& table) { table.SelectAll(); });
    ShowLabel(true);
    emit SelectionChanged();
}

void FilterEditor::RestoreDefaults() {
    if (!m_prompter.Ask(std::string(scope::kRestoreDefaultsQuestion))) {
        return;
    }
    LoadDefaultFilters();
    RebuildLabel();
}

}  // namespace qm::app
