#pragma once

#include <QFrame>
#include <QPoint>
#include <QSize>
#include <QTimer>
#include <string>

#include "app/widgets/PictureDecoder.h"

class QLabel;

namespace qm::app {

class PictureLoader;
class PictureView;

// The floating image preview PreviewPanel: a caption bar "Image Preview" by which the user drags
// it, borders by which the user resizes it, and a framed picture area holding the still-picture
// control ImageDisp2 and the animated-picture control ImageDisp1, one visible at a time.
//
// Pictures are decoded on a worker thread (PictureLoader), so focusing a huge or hostile file
// never stalls the window; the latest request wins. The panel keeps the last picture that
// arrived until another one arrives: a file of another kind, a missing file or a picture that
// cannot be decoded leaves it as it was, and hiding the panel does not clear it.
class ImagePreviewPanel : public QFrame {
    Q_OBJECT
public:
    enum class PictureKind { None, Still, Animated };

    static constexpr QSize kInitialSize{241, 193};
    static constexpr QPoint kInitialPlace{408, 64};
    static constexpr QSize kMinimumSize{120, 90};
    static constexpr int kAreaBorder = 10;

    // Placed at its first place over parent and hidden.
    explicit ImagePreviewPanel(QWidget* parent);
    ~ImagePreviewPanel() override;

    // The kind of picture a file name stands for, by its extension (from the last "." of the
    // name) in upper case: ".JPG", ".JPEG", ".BMP", ".WMF", ".EMF", ".ICO" and ".PNG" are still
    // pictures, ".GIF" an animated one, anything else none.
    static PictureKind KindOfName(const std::string& fileName);

    // Starts loading the picture of the file folder + fileName (exact bytes) when its name is a
    // picture's and it is an existing regular file; it shows once decoded. False when nothing
    // was started.
    bool LoadFile(const std::string& folder, const std::string& fileName);

    // Shows the panel above its siblings, inside its parent.
    void ShowPanel();

    PictureView* StillPicture() const { return m_still; }        // ImageDisp2
    PictureView* AnimatedPicture() const { return m_animated; }  // ImageDisp1
    QLabel* CaptionBar() const { return m_caption; }
    PictureLoader& Loader() const { return *m_loader; }
    // The size pictures are decoded for: the picture area in device pixels.
    QSize PictureBox() const;
    // The path of the picture on show (exact bytes), empty before the first.
    const std::string& ShownPath() const { return m_shownPath; }

signals:
    // A picture arrived and shows.
    void PictureShown();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Which borders a press at pos grabs.
    Qt::Edges EdgesAt(QPoint pos) const;
    void Request(const std::string& path, PictureKind kind);
    void ShowDecoded(quint64 request, const DecodedPicture& picture);
    // After a resize: decodes the picture on show again when the larger area would show it
    // sharper.
    void RefreshForNewSize();
    // Keeps at least the caption bar inside the parent.
    QPoint Clamped(QPoint topLeft) const;

    QLabel* m_caption;
    QFrame* m_area;
    PictureView* m_still;
    PictureView* m_animated;
    PictureLoader* m_loader;
    QTimer m_resizeSettle;

    std::string m_pendingPath;
    PictureKind m_pendingKind = PictureKind::None;
    std::string m_shownPath;
    PictureKind m_shownKind = PictureKind::None;

    enum class Drag { None, Move, Resize };
    Drag m_drag = Drag::None;
    Qt::Edges m_dragEdges;
    QPoint m_dragStart;  // global position of the press
    QRect m_startGeometry;
};

}  // namespace qm::app
