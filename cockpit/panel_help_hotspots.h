// The panels' help hotspots: which help popup a right click on a panel control shows. A table is
// a run of rows ended by a row whose popup id is -1; rows are tried in order and the first that
// holds the point gives its popup id. An L-shaped control has two rows with one id.
#pragma once

#include <cstdint>

namespace cockpit {

struct PanelHelpHotspot {
    std::int32_t enabled;
    std::int32_t popupId;
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// The help popup ids of the panels' controls lie in this range.
inline constexpr std::int32_t kFirstPanelPopup = 10000;
inline constexpr std::int32_t kLastPanelPopup = 10274;

// The popup id under (x, y) of a table, 0 when none (the point is in window pixels of the
// forward view: the lower view's shift is taken off by the caller).
[[nodiscard]] std::int32_t ScanHotspots(const PanelHelpHotspot* table, std::int32_t x,
                                        std::int32_t y);

// The popup id under the point for an aircraft type and panel variant (0 forward view, 1 the
// lower panel), 0 when none. The Baron's main table is tried first, then its normal or swapped
// radio layout as `swapPanel` says.
[[nodiscard]] std::int32_t FindHotspot(int aircraftType, int panelVariant, std::int32_t x,
                                       std::int32_t y, std::int32_t swapPanel);

// The tables by aircraft type (0..4, null for others; the Baron's main one for 2), and the
// Baron's radio layouts.
[[nodiscard]] const PanelHelpHotspot* HotspotTable(int aircraftType);
[[nodiscard]] const PanelHelpHotspot* BaronRadioHotspots(bool swapped);

}  // namespace cockpit
