#pragma once

#include <QObject>
#include <optional>
#include <vector>

#include "scope/FilterTable.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace qm::foundation {
class Prompter;
}

namespace qm::app {

class FilterGrid;
class FilterTableModel;

// The group "File Filter: " of the options view: the selection label FilterLbl, the grid FilterSG
// over the filter table, and the six buttons beside it, with the work of their commands (the
// global-filter rule, new, edit, delete, clear, select all, restore). The label shows the
// selection the table holds. The owner routes the buttons' clicks and the grid's check boxes to
// the commands below and learns of every change of the selection by SelectionChanged.
class FilterEditor : public QObject {
    Q_OBJECT
public:
    // prompter asks the commands' questions; it must outlive the editor.
    FilterEditor(foundation::Prompter& prompter, QWidget* parent);

    QGroupBox* Group() const { return m_group; }
    QLabel* DefinitionLabel() const { return m_definitionLabel; }
    QLabel* SelectionLabel() const { return m_selectionLabel; }
    FilterGrid* Grid() const { return m_grid; }
    FilterTableModel* Model() const { return m_model; }
    QWidget* ButtonsPanel() const { return m_buttonsPanel; }
    QPushButton* ClearAllButton() const { return m_clearAll; }
    QPushButton* SelectAllButton() const { return m_selectAll; }
    QPushButton* EditButton() const { return m_edit; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* NewButton() const { return m_new; }
    QPushButton* RestoreButton() const { return m_restore; }

    const scope::FilterTable& Table() const;
    // True after Select All until the next change: the label lists the masks sorted.
    bool LabelSorted() const { return m_labelSorted; }

    // Replaces the table (a settings file), places the cursor and rebuilds the label, in the
    // sorted form of Select All when labelSorted.
    void SetRows(std::vector<scope::FilterRow> rows, bool labelSorted = false);
    // The default table, all unselected; places the cursor.
    void LoadDefaultFilters();
    // The label from the table in table order; then SelectionChanged.
    void RebuildLabel();

    // The global-filter rule after the box of row was flipped, then the label.
    void CheckBoxClicked(int row);
    void NewFilter();
    void EditFilter();
    void DeleteFilter();
    void ClearAll();
    void SelectAll();
    void RestoreDefaults();

    // Edit and Delete are enabled exactly when the cursor is on a filter row.
    void UpdateFilterButtons();
    // Clear All and Select All are enabled exactly when the table has rows.
    void UpdateTableButtons();
    // The grid cursor: body rows counted from 1, 0 for the header row (no filter focused).
    int CursorRow() const;
    void SetCursorRow(int row);

signals:
    // The selection or its label changed (Start Search follows it).
    void SelectionChanged();

private:
    std::optional<std::size_t> CursorFilterRow() const;
    void PlaceCursor();
    void ShowLabel(bool sorted);
    bool RunFilterDialog(const QString& caption, QString& mask, QString& definition);
    // Edit and Delete need a filter under the cursor; the notices when there is none.
    std::optional<std::size_t> FilterToChange();
    // Replaces the table keeping the grid's cursor where it was.
    template <class Change>
    void ChangeTable(Change&& change);

    foundation::Prompter& m_prompter;
    FilterTableModel* m_model;
    QGroupBox* m_group;
    QLabel* m_definitionLabel;
    QLabel* m_selectionLabel;
    FilterGrid* m_grid;
    QWidget* m_buttonsPanel;
    QPushButton* m_clearAll;
    QPushButton* m_selectAll;
    QPushButton* m_edit;
    QPushButton* m_delete;
    QPushButton* m_new;
    QPushButton* m_restore;
    bool m_labelSorted = false;
};

}  // namespace qm::app
