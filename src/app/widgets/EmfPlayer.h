#pragma once

#include "app/widgets/MetafileCanvas.h"

#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qm::app {

// Plays the records of an enhanced metafile (EMF) onto a MetafileCanvas.
class EmfPlayer {
public:
    struct Header {
        QRectF frame;        // the picture's frame in device units
        QSize naturalSize;   // pixels at 96 dpi
        QSizeF pixelsPerMm;  // of the reference device
        std::uint32_t handles = 0;
        std::size_t bytes = 0;  // the file's length as its header states it
    };

    // The header, or nothing when data does not start with a well-formed EMF header.
    static std::optional<Header> ReadHeader(std::span<const std::byte> data);

    // Plays every record; false when a record is malformed or the file ends without its
    // end-of-file record. Stops early (true) when cancel becomes set or the canvas's work
    // budget runs out.
    static bool Play(std::span<const std::byte> data, MetafileCanvas& canvas,
                     const std::atomic<bool>* cancel);
};

}  // namespace qm::app
