#pragma once

// Readers of the EMF records that carry more than a few numbers: points, text, bitmaps, pens,
// brushes and clipping regions. Only the EMF player uses them. Offsets are those of the record,
// its type and size fields included; a read past the record gives nothing.

#include "app/widgets/MetafileCanvas.h"
#include "app/widgets/MetafileRecord.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <cstdint>
#include <vector>

namespace qm::app::emf {

QPointF PointL(const MetafileRecord& r, std::uint64_t offset);
QRectF RectL(const MetafileRecord& r, std::uint64_t offset);
QSizeF SizeL(const MetafileRecord& r, std::uint64_t offset);
QTransform XForm(const MetafileRecord& r, std::uint64_t offset);

// Points of a poly record: count at countOffset, points at pointOffset, 32- or 16-bit.
bool Points(const MetafileRecord& r, std::uint64_t countOffset, std::uint64_t pointOffset,
            bool wide, std::vector<QPointF>& out);
// PolyPolyline/PolyPolygon: nPolys at 24, total points at 28, counts at 32, points after them.
bool PolyPoints(const MetafileRecord& r, bool wide, std::vector<std::vector<QPointF>>& out);

// The LOGFONTW of a font record.
MetafileCanvas::LogFont Font(const MetafileRecord& r);

// Each of these draws, or creates the object of, one record.
void Text(const MetafileRecord& r, bool wide, MetafileCanvas& canvas);
void ClipRegion(const MetafileRecord& r, MetafileCanvas& canvas);
void Bitmap(const MetafileRecord& r, std::uint32_t type, MetafileCanvas& canvas);
void CreatePen(const MetafileRecord& r, bool extended, MetafileCanvas& canvas);
void CreateBrush(const MetafileRecord& r, MetafileCanvas& canvas);
void CreatePatternBrush(const MetafileRecord& r, MetafileCanvas& canvas);

}  // namespace qm::app::emf
