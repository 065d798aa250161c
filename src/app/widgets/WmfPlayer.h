#pragma once

#include "app/widgets/MetafileCanvas.h"

#include <QRectF>
#include <QSize>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qm::app {

// Plays the records of a Windows metafile (WMF, with or without the placeable header) onto a
// MetafileCanvas. The picture's frame is the placeable header's box, else the first window the
// file sets, else the extent of what it draws; the window always maps onto that frame.
class WmfPlayer {
public:
    struct Header {
        QRectF frame;                   // logical units
        QSize naturalSize;              // pixels at 96 dpi
        std::size_t recordsOffset = 0;  // where the first record after the header starts
        std::uint32_t objects = 0;
    };

    // The header, or nothing when data is not a well-formed WMF or its frame cannot be found.
    static std::optional<Header> ReadHeader(std::span<const std::byte> data);

    // Plays every record; false when a record is malformed or the file ends without its
    // end-of-file record. Stops early (true) when cancel becomes set or the canvas's work
    // budget runs out.
    static bool Play(std::span<const std::byte> data, const Header& header, MetafileCanvas& canvas,
                     const std::atomic<bool>* cancel);
};

}  // namespace qm::app
