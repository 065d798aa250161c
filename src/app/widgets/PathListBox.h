#pragma once

#include <QListWidget>
#include <QStringList>

namespace qm::app {

// A list box of folder paths with a horizontal scroll range that the program sets (so long paths
// can be scrolled into view) and a drop target for folders dragged from the file manager.
class PathListBox : public QListWidget {
    Q_OBJECT
public:
    explicit PathListBox(QWidget* parent = nullptr);

    // The width in pixels the contents can be scrolled across; 0 for no horizontal scrolling.
    void SetHorizontalExtent(int extent);
    int HorizontalExtent() const { return m_extent; }

    // The item the user has highlighted, or -1.
    int HighlightedRow() const;

signals:
    // Local paths of the dropped URLs, in the order delivered (files as well as folders).
    void FilesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void updateGeometries() override;

private:
    int m_extent = 0;
};

// Sets the list's horizontal extent to its widest item (in its own font), or to startingWidth
// when that is larger, plus the frame width; startingWidth 0 switches horizontal scrolling off.
void FitHorizontalExtent(PathListBox& listBox, int startingWidth);

}  // namespace qm::app
