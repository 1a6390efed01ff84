// "PositionAircraft": the map of the country with its toolbar of layers, zoom, scroll and
// information tools. The user drags the aircraft symbol, or opens an airport, VOR or localizer
// and picks a runway threshold or a point in the air; OK leaves the position in theMapView
// (PositionResult and the result position), which the opener applies.
#pragma once

#include <cstdint>

#include "nav/map_view.h"
#include "ui/dialog.h"

namespace nav {

// The palette of the positioning dialogs, their pickers and the planning sheets.
inline constexpr std::uint32_t kPositionPaletteId = 724;

class PositionAircraftDialog : public ui::Dialog {
public:
    PositionAircraftDialog();
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int OnSetCursor(win::HWND dialog, win::WParam wParam, win::LParam lParam) override;
    win::LResult OnCtlColorStatic(win::HWND dialog, win::HDC dc, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;

private:
    void Finish(int result);
    win::HWND toolbar;
    std::intptr_t savedToolbarBrush = 0;
};

// The toolbar's strip of 19 images (bitmap 546 of the resource library, else the map's own
// drawing of it) and its 20 buttons, as the positioning dialog and the planning pages make it;
// the cross-country map keeps the first 16 (layers, zoom and scrolling).
win::HWND CreateMapToolbar(win::HWND parent, int id, int x, int y, int width, int height,
                           int buttonCount = 20);
// The same strip with the caller's own buttons (the new-plan map page's station tools).
struct MapToolButton {
    int image;
    int command;
    std::uint8_t style;
};
win::HWND CreateMapToolbar(win::HWND parent, int id, int x, int y, int width, int height,
                           const MapToolButton* buttons, int count);
// The map's layer switch a toolbar command toggles (5001 to 5007), else null.
std::uint32_t MapView::*MapLayerOf(int command);
// The pointer moved over a dialog's map: the latitude and longitude readouts follow it.
void ShowMapPointerPosition(win::HWND dialog);
// The pointer's place in the map control becomes theMapView's cursor.
void ReadMapPointer();
// A mouse message over the map is handled: the arrow cursor, and 1 for the dialog manager.
int EndMapPointerMessage(win::HWND dialog);
// A route map's other pointer messages: a let-go button ends a drag, a move makes the
// readouts follow; then as EndMapPointerMessage.
int EndRouteMapPointerMessage(win::HWND dialog, std::uint32_t message);
// The toolbar's tooltip: the resource library's string of the button's command, up to 30
// characters.
void FillMapToolTip(win::NMHDR* header);

}  // namespace nav
