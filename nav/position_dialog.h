// "PositionAircraft": the map of the country with its toolbar of layers, zoom, scroll and
// information tools. The user drags the aircraft symbol, or opens an airport, VOR or localizer
// and picks a runway threshold or a point in the air; OK leaves the position in theMapView
// (PositionResult and the result position), which the opener applies.
#pragma once

#include <cstdint>

#include "nav/map_view.h"
#include "ui/dialog.h"

namespace nav {

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

// The map's layer switch behind a layer button (5001 to 5007); null for any other command.
std::uint32_t MapView::*MapLayerOf(int command);
// The pointer's latitude and longitude (theMapView's cursor) in the readouts under the map.
void ShowMapPointer(win::HWND dialog);
// The end of a map dialog's mouse handling over the map: the arrow, the message taken (1).
int TakeMapMouse(win::HWND dialog);
// A map toolbar's tip (TTN_NEEDTEXT): the resource library's string of the button's id, at most
// 30 characters; other notifications are left alone.
void AnswerMapToolTip(win::NMHDR* header);

// The toolbar's strip of 19 images (bitmap 546 of the resource library, else the map's own
// drawing of it) and its 20 buttons, as the positioning dialog makes it.
win::HWND CreateMapToolbar(win::HWND parent, int id, int x, int y, int width, int height);
// The same strip with the caller's buttons (the planning pages').
struct MapToolButton {
    int image;
    int command;
    std::uint8_t style;
};
win::HWND CreateMapToolbar(win::HWND parent, int id, int x, int y, int width, int height,
                           const MapToolButton* buttons, int count);

}  // namespace nav
