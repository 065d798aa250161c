#pragma once

#include <string_view>

namespace qm::foundation {

// Width of a text in pixels on some drawing surface. The core measures through this so that it
// needs no font; the GUI hands in one backed by the status bar's font.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // text is UTF-8, possibly invalid; the result is >= 0.
    virtual int TextWidth(std::string_view text) const = 0;
};

// One pixel per byte: predictable widths for tests and headless front ends.
class CharCountMeasurer final : public TextMeasurer {
public:
    int TextWidth(std::string_view text) const override { return static_cast<int>(text.size()); }
};

}  // namespace qm::foundation
