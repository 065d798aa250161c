// TfrmMain: the file-type filters. The filter editor does the work; Start Search follows its
// selection.
#include <QPushButton>
#include <algorithm>

#include "app/mainform/FilterEditor.h"
#include "app/mainform/MainForm.h"
#include "app/widgets/FilterTableModel.h"

namespace qm::app {

void TfrmMain::ConnectFilters() {
    connect(m_filters, &FilterEditor::SelectionChanged, this, &TfrmMain::UpdateSearchButtons);
    connect(m_filters->Model(), &FilterTableModel::CheckBoxClicked, this,
            &TfrmMain::FilterSGCheckBoxClick);
    connect(FilterSG, &FilterGrid::doubleClicked, this, &TfrmMain::FilterSGDblClickCell);
    connect(ClearAllFiltersBtn, &QPushButton::clicked, this, &TfrmMain::ClearAllFiltersBtnClick);
    connect(SelectAllFiltersBtn, &QPushButton::clicked, this, &TfrmMain::SelectAllFiltersBtnClick);
    connect(EditFilterBtn, &QPushButton::clicked, this, &TfrmMain::EditFilterBtnClick);
    connect(DeleteFilterBtn, &QPushButton::clicked, this, &TfrmMain::DeleteFilterBtnClick);
    connect(NewFilterBtn, &QPushButton::clicked, this, &TfrmMain::NewFilterBtnClick);
    connect(RestoreFilterBtn, &QPushButton::clicked, this, &TfrmMain::RestoreFilterBtnClick);
}

const scope::FilterTable& TfrmMain::FilterTable() const {
    return m_filters->Table();
}

void TfrmMain::SetFilterRows(std::vector<scope::FilterRow> rows) {
    m_filters->SetRows(std::move(rows));
}

bool TfrmMain::HasFilters() const {
    return FilterTable().HasFilters();
}

int TfrmMain::FilterGridRow() const {
    return m_filters->CursorRow();
}

void TfrmMain::SetFilterGridRow(int row) {
    m_filters->SetCursorRow(row);
}

void TfrmMain::UpdateSearchButtons() {
    const auto& rows = FilterTable().Rows();
    const bool anySelected = std::any_of(rows.begin(), rows.end(),
                                         [](const scope::FilterRow& row) { return row.selected; });
    const bool enabled = !SearchPaths().empty() && anySelected;
    SearchBtn->setEnabled(enabled);
    AbortSearchBtn->setEnabled(!enabled);
}

void TfrmMain::FilterSGCheckBoxClick(int row) {
    m_filters->CheckBoxClicked(row);
}

void TfrmMain::FilterSGDblClickCell() {
    EditFilterBtnClick();
}

void TfrmMain::NewFilterBtnClick() {
    m_filters->NewFilter();
}

void TfrmMain::EditFilterBtnClick() {
    m_filters->EditFilter();
}

void TfrmMain::DeleteFilterBtnClick() {
    m_filters->DeleteFilter();
}

void TfrmMain::ClearAllFiltersBtnClick() {
    m_filters->ClearAll();
}

void TfrmMain::SelectAllFiltersBtnClick() {
    m_filters->SelectAll();
}

void TfrmMain::RestoreFilterBtnClick() {
    m_filters->RestoreDefaults();
}

}  // namespace qm::app
