#include "results/TreeColors.h"

namespace qm::results {

namespace {

void SelectItemClick(bool& override, RgbColor& custom, std::string& caption,
                     const char* plainCaption, const char* defaultCaption,
                     const ColorChooser& choose) {
    if (override) {
        override = false;
        caption = plainCaption;
        return;
    }
    if (!choose) {
        return;
    }
    const std::optional<RgbColor> chosen = choose(custom);
    if (!chosen) {
        return;
    }
    override = true;
    custom = *chosen;
    caption = defaultCaption;
}

}  // namespace

void ColorMenuPrimaryItemClick(TreeColors& colors, const ColorChooser& choose) {
    SelectItemClick(colors.primaryOverride, colors.customPrimary, colors.primaryItemCaption,
                    "Select Primary Color", "Select Default Primary Color", choose);
}

void ColorMenuSecondaryItemClick(TreeColors& colors, const ColorChooser& choose) {
    SelectItemClick(colors.secondaryOverride, colors.customSecondary, colors.secondaryItemCaption,
                    "Select Secondary Color", "Select Default Secondary Color", choose);
}

void ColorMenuTurnOffItemClick(TreeColors& colors) {
    colors.savedPrimary = colors.customPrimary;
    colors.savedSecondary = colors.customSecondary;
    colors.primaryOverride = true;
    colors.secondaryOverride = true;
    colors.selectItemsEnabled = false;
    colors.customPrimary = kBlack;
    colors.customSecondary = kBlack;
}

void ColorMenuTurnOnItemClick(TreeColors& colors) {
    colors.customPrimary = colors.savedPrimary;
    colors.customSecondary = colors.savedSecondary;
    colors.primaryOverride = false;
    colors.secondaryOverride = false;
    colors.selectItemsEnabled = true;
}

RgbColor FileTextColor(const TEntry& entry, const TreeColors& colors) {
    if (IsStruckOut(entry)) {
        return kRemovedRed;
    }
    if (entry.BandColor == kBandNavy) {
        return colors.primaryOverride ? colors.customPrimary : entry.BandColor;
    }
    return colors.secondaryOverride ? colors.customSecondary : entry.BandColor;
}

bool IsBoldText(const TEntry& entry, bool checked) {
    return checked && !IsStruckOut(entry);
}

bool IsStruckOut(const TEntry& entry) {
    return entry.Status == EntryStatus::Removed || entry.Status == EntryStatus::Blocked;
}

}  // namespace qm::results
