#pragma once

#include <QModelIndex>
#include <QTableView>

namespace qm::app {

// The filter grid FilterSG: a table view of whole-row selection with the check box column centred
// and selected rows bold, cells never edited in place. Tab moves on to the next control; the arrow
// keys move inside. The space bar flips the current row's box whatever cell is current.
//
// Besides the view's own interface it answers the string-grid calls of its callers (QTableWidget's
// names): cells by row and column counted from 0 below the header.
class FilterGrid : public QTableView {
    Q_OBJECT
public:
    // One cell, read through the model and written through it as a click would.
    class Cell {
    public:
        explicit Cell(const QModelIndex& index) : m_index(index) {}
        const Cell* operator->() const { return this; }
        QString text() const;                            // NOLINT(readability-identifier-naming)
        Qt::CheckState checkState() const;               // NOLINT(readability-identifier-naming)
        void setCheckState(Qt::CheckState state) const;  // NOLINT(readability-identifier-naming)
        QVariant data(int role) const;                   // NOLINT(readability-identifier-naming)

    private:
        QPersistentModelIndex m_index;
    };
    // One header caption.
    class HeaderCell {
    public:
        explicit HeaderCell(QString text) : m_text(std::move(text)) {}
        const HeaderCell* operator->() const { return this; }
        QString text() const { return m_text; }  // NOLINT(readability-identifier-naming)

    private:
        QString m_text;
    };

    explicit FilterGrid(QWidget* parent = nullptr);

    // NOLINTBEGIN(readability-identifier-naming): the string-grid names of QTableWidget
    Cell item(int row, int column) const;
    HeaderCell horizontalHeaderItem(int column) const;
    int rowCount() const;
    int currentRow() const;
    int currentColumn() const;
    void setCurrentCell(int row, int column);
    // NOLINTEND(readability-identifier-naming)

    // Every column as wide as its widest content plus 5 pixels.
    void FitColumns();

signals:
    // The current cell moved (a click, the keyboard or the program).
    void CursorMoved();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};

}  // namespace qm::app
