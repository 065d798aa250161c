#pragma once

// Readers of the WMF records that carry more than a few numbers: points, text, bitmaps, fonts,
// pens and brushes. Only the WMF player uses them; a read past the record gives nothing.

#include "app/widgets/MetafileCanvas.h"
#include "app/widgets/MetafileRecord.h"

extern "C" {
#include <uwmf.h>
}

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <vector>

namespace qm::app::wmf {

QPointF Point(U_POINT16 p);
QRectF Rect(U_RECT16 r);
QColor Color(U_COLORREF c);

// Reads count points from data inside the record; false when they reach past the record.
bool Points(const MetafileRecord& r, const char* data, std::uint64_t count,
            std::vector<QPointF>& out);

// Each of these draws, or creates the object of, one record.
void Text(const MetafileRecord& r, bool extended, MetafileCanvas& canvas);
void CreateFont(const MetafileRecord& r, MetafileCanvas& canvas);
void CreatePen(const MetafileRecord& r, MetafileCanvas& canvas);
void CreateBrush(const MetafileRecord& r, MetafileCanvas& canvas);
void CreatePatternBrush(const MetafileRecord& r, MetafileCanvas& canvas);
void Bitmap(const MetafileRecord& r, std::uint32_t type, MetafileCanvas& canvas);

}  // namespace qm::app::wmf
