#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace qm::app {

// One record of a metafile as a bounded byte view: every read states its offset and fails
// instead of reaching past the record, whatever the record's own counts claim.
class MetafileRecord {
public:
    explicit MetafileRecord(std::span<const std::byte> bytes) : m_bytes(bytes) {}

    std::size_t Size() const { return m_bytes.size(); }
    const char* Data() const { return reinterpret_cast<const char*>(m_bytes.data()); }

    // True when [offset, offset + length) lies inside the record; safe against overflow.
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }

    template <typename T>
    bool Read(std::uint64_t offset, T& out) const {
        if (!Has(offset, sizeof(T))) {
            return false;
        }
        std::memcpy(&out, m_bytes.data() + offset, sizeof(T));
        return true;
    }

    // Reads a value already known to be inside (after Has()).
    template <typename T>
    T At(std::uint64_t offset) const {
        T out{};
        Read(offset, out);
        return out;
    }

    std::span<const std::byte> Bytes(std::uint64_t offset, std::uint64_t length) const {
        return Has(offset, length) ? m_bytes.subspan(offset, length) : std::span<const std::byte>{};
    }
    std::span<const std::byte> From(std::uint64_t offset) const {
        return offset <= m_bytes.size() ? m_bytes.subspan(offset) : std::span<const std::byte>{};
    }

    // A COLORREF: red, green, blue, flags.
    QColor Color(std::uint64_t offset) const {
        std::uint8_t c[4] = {0, 0, 0, 0};
        Read(offset, c);
        return QColor(c[0], c[1], c[2]);
    }

private:
    std::span<const std::byte> m_bytes;
};

}  // namespace qm::app
