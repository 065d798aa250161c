#pragma once

#include <functional>
#include <optional>
#include <string>

#include "results/TEntry.h"

namespace qm::results {

// The colour state of the results tree and its colour menu. Window state: it lasts
// until the program ends and is never stored.
struct TreeColors {
    RgbColor customPrimary = kWhite;
    RgbColor customSecondary = kWhite;
    RgbColor savedPrimary = kBlack;
    RgbColor savedSecondary = kBlack;
    bool primaryOverride = false;    // check mark of the primary select item
    bool secondaryOverride = false;  // check mark of the secondary select item
    bool selectItemsEnabled = true;  // both select items
    std::string primaryItemCaption = "Select &Primary Color";
    std::string secondaryItemCaption = "Select &Secondary Color";
};

// Asks the user for a colour, preset to the given one; nullopt when cancelled.
using ColorChooser = std::function<std::optional<RgbColor>(RgbColor preset)>;

// The custom colours the colour dialog offers besides the chosen one.
inline constexpr RgbColor kPresetCustomColor1 = MakeRgb(213, 233, 249);
inline constexpr RgbColor kPresetCustomColor2 = MakeRgb(190, 253, 159);

// With its check mark on: clears it. Otherwise asks for a colour and, when one is chosen, sets the
// check mark and the custom primary colour.
void ColorMenuPrimaryItemClick(TreeColors& colors, const ColorChooser& choose);
void ColorMenuSecondaryItemClick(TreeColors& colors, const ColorChooser& choose);
// Everything black (the custom colours saved first), both select items disabled.
void ColorMenuTurnOffItemClick(TreeColors& colors);
// The saved colours back, both overrides off, both select items enabled.
void ColorMenuTurnOnItemClick(TreeColors& colors);

// Text colour of columns 1 to 4 of an unselected file row: its band colour, a chosen override,
// or red for Removed and Blocked rows.
RgbColor FileTextColor(const TEntry& entry, const TreeColors& colors);
// Bold when checked, unless Removed or Blocked.
bool IsBoldText(const TEntry& entry, bool checked);
// Struck through when Removed or Blocked.
bool IsStruckOut(const TEntry& entry);

}  // namespace qm::results
