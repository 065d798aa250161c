#pragma once

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace qm::app {

// The graphics state that WMF and EMF records act on (a GDI device context: mapping, selected
// pen, brush and font, colours, clipping, saved states, the object table) and the drawing of
// shapes, text and bitmaps through QPainter. The players decode records into calls on it.
//
// Coordinates given to it are logical; it maps them through the world transform and the
// window/viewport mapping to device units and from there into the image. With no painter it only
// measures: Bounds() then holds the device-unit extent of everything that would be drawn.
//
// Every drawing call counts against a work budget, so a file of millions of records or of huge
// polygons stops drawing instead of running for minutes; Exhausted() tells the players to stop.
class MetafileCanvas {
public:
    enum MapMode : std::uint32_t {
        kText = 1,
        kLoMetric = 2,
        kHiMetric = 3,
        kLoEnglish = 4,
        kHiEnglish = 5,
        kTwips = 6,
        kIsotropic = 7,
        kAnisotropic = 8,
    };

    struct LogPen {
        std::uint32_t style = 0;  // PS_* style, end cap and join bits
        double width = 0;         // logical units; 0 is one device pixel
        QColor color = Qt::black;
    };
    struct LogBrush {
        std::uint32_t style = 0;  // BS_*
        QColor color = Qt::white;
        std::uint32_t hatch = 0;
        QImage pattern;  // BS_DIBPATTERN
    };
    struct LogFont {
        double height = 0;  // logical units; below zero the character height, above the cell height
        int escapement = 0;  // tenths of a degree, counter-clockwise
        int weight = 400;
        bool italic = false;
        bool underline = false;
        bool strikeOut = false;
        int charSet = 0;
        QString face;
    };
    // Palettes, regions and the like take a slot in the object table but are not drawn.
    struct Placeholder {};
    using Object = std::variant<std::monostate, Placeholder, LogPen, LogBrush, LogFont>;

    // The text options that ExtTextOut records carry.
    static constexpr std::uint32_t kEtoOpaque = 0x0002;
    static constexpr std::uint32_t kEtoClipped = 0x0004;

    // painter may be null (measuring only). deviceToImage maps device units to image pixels.
    // pixelsPerMm is the device resolution the metric map modes need.
    MetafileCanvas(QPainter* painter, const QTransform& deviceToImage, QSizeF pixelsPerMm);

    // Mapping.
    void SetMapMode(std::uint32_t mode);
    void SetWindowOrg(QPointF org);
    void SetWindowExt(QSizeF ext);
    void SetViewportOrg(QPointF org);
    void SetViewportExt(QSizeF ext);
    void OffsetWindowOrg(QPointF delta);
    void OffsetViewportOrg(QPointF delta);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SetWorldTransform(const QTransform& world);
    // mode: 1 identity, 2 left multiply, 3 right multiply, 4 set.
    void ModifyWorldTransform(const QTransform& xform, std::uint32_t mode);

    // Attributes.
    void SetTextColor(QColor color) { m_state.textColor = color; }
    void SetBkColor(QColor color) { m_state.bkColor = color; }
    void SetBkMode(std::uint32_t mode) { m_state.bkMode = mode; }
    void SetTextAlign(std::uint32_t align) { m_state.textAlign = align; }
    void SetPolyFillMode(std::uint32_t mode) { m_state.polyFillMode = mode; }

    // Objects. EMF files name the slot; WMF files take the lowest free one.
    void ResizeObjectTable(std::size_t size);
    void CreateObjectAt(std::uint32_t index, Object object);
    void CreateObject(Object object);
    void SelectObject(std::uint32_t index);
    void SelectStockObject(std::uint32_t id);
    void DeleteObject(std::uint32_t index);

    // States and clipping.
    void SaveDc();
    void RestoreDc(std::int32_t which);
    void IntersectClipRect(const QRectF& logical);
    void ExcludeClipRect(const QRectF& logical);
    void ResetClip();
    // A clipping region as rectangles in device units; mode is RGN_AND (1) or RGN_COPY (5).
    void SelectClipRects(const std::vector<QRectF>& deviceRects, std::uint32_t mode);

    // Paths (EMF's BeginPath ... EndPath bracket).
    void BeginPath();
    void EndPath() { m_pathOpen = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath();

    // Drawing. Points are logical.
    QPointF CurrentPosition() const { return m_state.position; }
    void MoveTo(QPointF p);
    void LineTo(QPointF p);
    void Polyline(const std::vector<QPointF>& points, bool fromCurrent);
    void PolyBezier(const std::vector<QPointF>& points, bool fromCurrent);
    void PolyPolygon(const std::vector<std::vector<QPointF>>& polygons);
    void PolyPolyline(const std::vector<std::vector<QPointF>>& lines);
    void Rectangle(const QRectF& box);
    void RoundRect(const QRectF& box, QSizeF corner);
    void Ellipse(const QRectF& box);
    enum class ArcKind { Arc, Chord, Pie };
    void Arc(const QRectF& box, QPointF start, QPointF end, ArcKind kind);
    void SetPixel(QPointF p, QColor color);
    // Fills box with the selected brush (a bitmap record without a bitmap).
    void PatBlt(const QRectF& box, std::uint32_t rop);
    // dest is logical; source is the part of image to draw, in image pixels.
    void DrawBitmap(const QImage& image, const QRectF& dest, const QRectF& source);
    // ref is logical; dx, when given, holds the advance of each UTF-16 unit in logical units.
    void DrawText(QPointF ref, const QString& text, const std::vector<double>& dx,
                  std::uint32_t options, const std::optional<QRectF>& rect);

    bool Exhausted() const { return m_work > kMaxWork; }
    // The device-unit extent of what was drawn (measuring only).
    QRectF Bounds() const { return m_bounds; }

    // ANSI text of a font's character set as Unicode.
    static QString DecodeAnsi(const char* bytes, std::size_t length);

private:
    static constexpr std::int64_t kMaxWork = 20'000'000;
    static constexpr std::size_t kMaxSavedStates = 4096;
    static constexpr std::size_t kMaxObjects = 65536;

    struct State {
        std::uint32_t mapMode = kText;
        QPointF windowOrg{0, 0};
        QSizeF windowExt{1, 1};
        QPointF viewportOrg{0, 0};
        QSizeF viewportExt{1, 1};
        QTransform world;
        LogPen pen;
        LogBrush brush;
        LogFont font;
        QColor textColor = Qt::black;
        QColor bkColor = Qt::white;
        std::uint32_t bkMode = 2;  // opaque
        std::uint32_t textAlign = 0;
        std::uint32_t polyFillMode = 1;  // alternate
        QPointF position{0, 0};
        std::optional<QPainterPath> clip;  // image coordinates
    };

    QTransform LogicalToImage();
    double Scale();  // image pixels per logical unit
    void Draw(const QPainterPath& logical, bool fill, bool stroke);
    void PaintImagePath(const QPainterPath& path, bool fill, bool stroke);
    QPen ImagePen(const QRectF& extent);
    QBrush ImageBrush() const;
    void ApplyClip();
    void AddWork(std::int64_t amount) { m_work += amount; }
    void Measure(const QRectF& imageRect);

    QPainter* m_painter;
    QTransform m_deviceToImage;
    QSizeF m_pixelsPerMm;
    State m_state;
    std::vector<State> m_saved;
    std::vector<Object> m_objects;
    std::size_t m_firstFree = 0;                 // no free WMF slot below this index
    std::optional<QTransform> m_logicalToImage;  // cached until the mapping changes
    bool m_clipApplied = false;
    bool m_pathOpen = false;
    QPainterPath m_path;  // image coordinates
    std::int64_t m_work = 0;
    QRectF m_bounds;
};

}  // namespace qm::app
