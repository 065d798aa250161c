#include "app/results/ImagePreviewPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/widgets/PictureLoader.h"
#include "app/widgets/PictureView.h"
#include "platform/FileDetails.h"

namespace qm::app {

namespace {

const QColor kCaptionNavy(0, 0, 128);
// How far in from the panel's edge a press grabs the border for resizing.
constexpr int kGrip = 6;
// Of a panel dragged off the window, this much stays within reach.
constexpr int kKeepVisible = 40;
// A resize settles before the picture is decoded again for the new size.
constexpr int kResizeSettleMs = 200;

struct NamedKind {
    const char* extension;
    ImagePreviewPanel::PictureKind kind;
};
constexpr std::array<NamedKind, 8> kPictureExtensions = {{
    {".JPG", ImagePreviewPanel::PictureKind::Still},
    {".BMP", ImagePreviewPanel::PictureKind::Still},
    {".JPEG", ImagePreviewPanel::PictureKind::Still},
    {".WMF", ImagePreviewPanel::PictureKind::Still},
    {".ICO", ImagePreviewPanel::PictureKind::Still},
    {".EMF", ImagePreviewPanel::PictureKind::Still},
    {".PNG", ImagePreviewPanel::PictureKind::Still},
    {".GIF", ImagePreviewPanel::PictureKind::Animated},
}};

}  // namespace

ImagePreviewPanel::ImagePreviewPanel(QWidget* parent)
    : QFrame(parent), m_loader(new PictureLoader(this)) {
    setObjectName(QStringLiteral("PreviewPanel"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    setMouseTracking(true);  // the cursor tells where the borders grab
    setMinimumSize(kMinimumSize);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(2);

    m_caption = new QLabel(tr("Image Preview"), this);
    m_caption->setObjectName(QStringLiteral("PreviewCaptionBar"));
    m_caption->setAutoFillBackground(true);
    m_caption->setMargin(2);
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    QPalette captionColours = m_caption->palette();
    captionColours.setColor(QPalette::Window, kCaptionNavy);
    captionColours.setColor(QPalette::WindowText, Qt::white);
    m_caption->setPalette(captionColours);
    m_caption->setCursor(Qt::SizeAllCursor);
    layout->addWidget(m_caption);

    m_area = new QFrame(this);
    m_area->setObjectName(QStringLiteral("PreviewArea"));
    m_area->setFrameShape(QFrame::StyledPanel);
    m_area->setFrameShadow(QFrame::Sunken);
    auto* stack = new QGridLayout(m_area);
    stack->setContentsMargins(kAreaBorder, kAreaBorder, kAreaBorder, kAreaBorder);
    m_animated = new PictureView(true, m_area);
    m_animated->setObjectName(QStringLiteral("ImageDisp1"));
    m_still = new PictureView(false, m_area);
    m_still->setObjectName(QStringLiteral("ImageDisp2"));
    // Both on the same place; one shows at a time.
    stack->addWidget(m_animated, 0, 0);
    stack->addWidget(m_still, 0, 0);
    m_animated->hide();
    layout->addWidget(m_area, 1);

    m_resizeSettle.setSingleShot(true);
    m_resizeSettle.setInterval(kResizeSettleMs);
    connect(&m_resizeSettle, &QTimer::timeout, this, &ImagePreviewPanel::RefreshForNewSize);
    connect(m_loader, &PictureLoader::PictureReady, this, &ImagePreviewPanel::ShowDecoded);
    // A picture that cannot be decoded leaves the one on show.
    connect(m_loader, &PictureLoader::PictureFailed, this, [this] {
        m_pendingPath.clear();
        m_pendingKind = PictureKind::None;
    });

    if (parent) {
        parent->installEventFilter(this);
    }
    setGeometry(QRect(kInitialPlace, kInitialSize));
    hide();
}

ImagePreviewPanel::~ImagePreviewPanel() = default;

ImagePreviewPanel::PictureKind ImagePreviewPanel::KindOfName(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos) {
        return PictureKind::None;
    }
    const QString extension =
        QString::fromUtf8(fileName.data() + dot, static_cast<qsizetype>(fileName.size() - dot))
            .toUpper();
    for (const NamedKind& named : kPictureExtensions) {
        if (extension == QLatin1String(named.extension)) {
            return named.kind;
        }
    }
    return PictureKind::None;
}

bool ImagePreviewPanel::LoadFile(const std::string& folder, const std::string& fileName) {
    const PictureKind kind = KindOfName(fileName);
    if (kind == PictureKind::None || fileName.empty()) {
        return false;
    }
    const std::string path = folder + fileName;
    if (!platform::IsRegularFile(path)) {
        return false;
    }
    Request(path, kind);
    return true;
}

void ImagePreviewPanel::Request(const std::string& path, PictureKind kind) {
    m_pendingPath = path;
    m_pendingKind = kind;
    m_loader->Request(path, PictureBox());
}

void ImagePreviewPanel::ShowDecoded(quint64 /*request*/, const DecodedPicture& picture) {
    PictureView* shown = m_pendingKind == PictureKind::Animated ? m_animated : m_still;
    PictureView* other = shown == m_animated ? m_still : m_animated;
    shown->SetPicture(picture);
    other->hide();
    shown->show();
    shown->raise();
    m_shownPath = m_pendingPath;
    m_shownKind = m_pendingKind;
    m_pendingPath.clear();
    m_pendingKind = PictureKind::None;
    emit PictureShown();
}

QSize ImagePreviewPanel::PictureBox() const {
    layout()->activate();
    const QRect area = m_area->contentsRect().marginsRemoved(m_area->layout()->contentsMargins());
    return area.size().expandedTo(QSize(1, 1)) * devicePixelRatio();
}

void ImagePreviewPanel::RefreshForNewSize() {
    if (m_shownPath.empty() || m_loader->Busy()) {
        return;
    }
    const DecodedPicture& picture =
        (m_shownKind == PictureKind::Animated ? m_animated : m_still)->Picture();
    const QSize wanted = PictureDecoder::FitWithin(picture.sourceSize, PictureBox());
    if (wanted.width() > picture.image.width() || wanted.height() > picture.image.height()) {
        Request(m_shownPath, m_shownKind);
    }
}

void ImagePreviewPanel::ShowPanel() {
    move(Clamped(pos()));
    show();
    raise();
}

QPoint ImagePreviewPanel::Clamped(QPoint topLeft) const {
    const QWidget* parent = parentWidget();
    if (!parent) {
        return topLeft;
    }
    const int x = std::clamp(topLeft.x(), kKeepVisible - width(),
                             std::max(0, parent->width() - kKeepVisible));
    const int y =
        std::clamp(topLeft.y(), 0, std::max(0, parent->height() - m_caption->height() - 2 * kGrip));
    return {x, y};
}

Qt::Edges ImagePreviewPanel::EdgesAt(QPoint pos) const {
    Qt::Edges edges;
    if (pos.x() < kGrip) {
        edges |= Qt::LeftEdge;
    } else if (pos.x() >= width() - kGrip) {
        edges |= Qt::RightEdge;
    }
    if (pos.y() < kGrip / 2) {  // the caption bar starts right below: most of it moves the panel
        edges |= Qt::TopEdge;
    } else if (pos.y() >= height() - kGrip) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

void ImagePreviewPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    m_dragEdges = EdgesAt(pos);
    if (m_dragEdges != Qt::Edges()) {
        m_drag = Drag::Resize;
    } else if (m_caption->geometry().contains(pos)) {
        m_drag = Drag::Move;
    } else {
        QFrame::mousePressEvent(event);
        return;
    }
    m_dragStart = event->globalPosition().toPoint();
    m_startGeometry = geometry();
    raise();
    event->accept();
}

void ImagePreviewPanel::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag == Drag::None) {
        const Qt::Edges edges = EdgesAt(event->position().toPoint());
        const bool diagonal = (edges.testFlag(Qt::LeftEdge) && edges.testFlag(Qt::TopEdge)) ||
                              (edges.testFlag(Qt::RightEdge) && edges.testFlag(Qt::BottomEdge));
        const bool antiDiagonal = (edges.testFlag(Qt::RightEdge) && edges.testFlag(Qt::TopEdge)) ||
                                  (edges.testFlag(Qt::LeftEdge) && edges.testFlag(Qt::BottomEdge));
        if (diagonal) {
            setCursor(Qt::SizeFDiagCursor);
        } else if (antiDiagonal) {
            setCursor(Qt::SizeBDiagCursor);
        } else if (edges & (Qt::LeftEdge | Qt::RightEdge)) {
            setCursor(Qt::SizeHorCursor);
        } else if (edges & (Qt::TopEdge | Qt::BottomEdge)) {
            setCursor(Qt::SizeVerCursor);
        } else {
            unsetCursor();
        }
        QFrame::mouseMoveEvent(event);
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_dragStart;
    if (m_drag == Drag::Move) {
        move(Clamped(m_startGeometry.topLeft() + delta));
    } else {
        QRect g = m_startGeometry;
        const QSize least = minimumSize();
        if (m_dragEdges.testFlag(Qt::LeftEdge)) {
            g.setLeft(std::min(g.left() + delta.x(), g.right() - least.width() + 1));
        }
        if (m_dragEdges.testFlag(Qt::RightEdge)) {
            g.setRight(std::max(g.right() + delta.x(), g.left() + least.width() - 1));
        }
        if (m_dragEdges.testFlag(Qt::TopEdge)) {
            g.setTop(std::max(0, std::min(g.top() + delta.y(), g.bottom() - least.height() + 1)));
        }
        if (m_dragEdges.testFlag(Qt::BottomEdge)) {
            g.setBottom(std::max(g.bottom() + delta.y(), g.top() + least.height() - 1));
        }
        setGeometry(g);
    }
    event->accept();
}

void ImagePreviewPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (m_drag != Drag::None && event->button() == Qt::LeftButton) {
        m_drag = Drag::None;
        event->accept();
        return;
    }
    QFrame::mouseReleaseEvent(event);
}

void ImagePreviewPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    m_resizeSettle.start();
}

bool ImagePreviewPanel::eventFilter(QObject* watched, QEvent* event) {
    // A smaller window keeps the panel within reach.
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible()) {
        move(Clamped(pos()));
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace qm::app
