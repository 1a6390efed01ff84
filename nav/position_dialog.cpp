#include "nav/position_dialog.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/nav_course.h"
#include "cockpit/radio_words.h"
#include "core/run_report.h"
#include "nav/atc_services.h"
#include "nav/map_pickers.h"
#include "nav/map_pictures.h"
#include "nav/map_view.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"
#include "win/modal.h"
#include "win/resource.h"

namespace nav {

namespace {

// Toolbar styles the map's toolbar uses: no divider line, not resized or moved by its parent.
constexpr std::uint32_t kCcsNoMoveY = 0x2;
constexpr std::uint32_t kCcsNoResize = 0x4;
constexpr std::uint32_t kCcsNoParentAlign = 0x8;
constexpr std::uint32_t kCcsNoDivider = 0x40;
constexpr int kClassBackground = -10;  // the class word of the background brush
constexpr int kToolbarId = 1;
constexpr int kPositionDialogCancelButton = 1817;
constexpr std::uint32_t kHelpContext = 20016;
constexpr std::uint32_t kToolStripBitmap = 546;

constexpr MapToolButton kButtons[20] = {
    {0, kAirportsButton, win::TBSTYLE_CHECK},     {1, kVorsButton, win::TBSTYLE_CHECK},
    {2, kNdbsButton, win::TBSTYLE_CHECK},         {3, kLocalizersButton, win::TBSTYLE_CHECK},
    {4, kWaypointsButton, win::TBSTYLE_CHECK},    {5, kAirwaysButton, win::TBSTYLE_CHECK},
    {6, kObstaclesButton, win::TBSTYLE_CHECK},    {18, kFrequenciesButton, win::TBSTYLE_CHECK},
    {0, 0, win::TBSTYLE_SEP},                     {7, kZoomInButton, win::TBSTYLE_CHECK},
    {8, kZoomOutButton, win::TBSTYLE_CHECK},      {0, 0, win::TBSTYLE_SEP},
    {9, 5010, win::TBSTYLE_BUTTON},               {10, 5011, win::TBSTYLE_BUTTON},
    {11, 5012, win::TBSTYLE_BUTTON},              {12, 5013, win::TBSTYLE_BUTTON},
    {0, 0, win::TBSTYLE_SEP},                     {13, kAirportInfoButton, win::TBSTYLE_CHECK},
    {14, kVorInfoButton, win::TBSTYLE_CHECK},     {15, kApproachInfoButton, win::TBSTYLE_CHECK},
};

win::HINSTANCE PositionDialogResourceLibrary() {
    return ui::theDialogHost.resourceLibrary ? ui::theDialogHost.resourceLibrary()
                                             : win::HINSTANCE{};
}

// The five tools, each with its flag in the map.
struct Tool {
    int button;
    std::uint32_t MapView::*flag;
};
constexpr Tool kTools[5] = {{kZoomInButton, &MapView::zoomInTool},
                            {kZoomOutButton, &MapView::zoomOutTool},
                            {kAirportInfoButton, &MapView::airportInfoTool},
                            {kVorInfoButton, &MapView::vorInfoTool},
                            {kApproachInfoButton, &MapView::approachInfoTool}};

}  // namespace

std::uint32_t MapView::*MapLayerOf(int command) {
    switch (command) {
        case kAirportsButton:
            return &MapView::showAirports;
        case kVorsButton:
            return &MapView::showVors;
        case kNdbsButton:
            return &MapView::showNdbs;
        case kLocalizersButton:
            return &MapView::showLocalizers;
        case kWaypointsButton:
            return &MapView::showWaypoints;
        case kAirwaysButton:
            return &MapView::showAirways;
        case kObstaclesButton:
            return &MapView::showObstacles;
        default:
            return nullptr;
    }
}

void ShowMapPointerPosition(win::HWND dialog) {
    theMapView.ShowCursorPosition(theMapView.cursorX, theMapView.cursorY);
    win::InvalidateRect(win::GetDlgItem(dialog, kLatitudeReadoutId), nullptr, true);
    win::InvalidateRect(win::GetDlgItem(dialog, kLongitudeReadoutId), nullptr, true);
}

void ReadMapPointer() {
    MapView& map = theMapView;
    win::POINT p{};
    win::GetCursorPos(&p);
    win::ScreenToClient(map.mapControl, &p);
    map.cursorX = p.x;
    map.cursorY = p.y;
}

int EndMapPointerMessage(win::HWND dialog) {
    win::SetCursor(win::LoadCursor(win::HINSTANCE{}, win::IDC_ARROW));
    win::SetWindowLong(dialog, win::DWL_MSGRESULT, 1);
    return 1;
}

int EndRouteMapPointerMessage(win::HWND dialog, std::uint32_t message) {
    if (message == win::WM_LBUTTONUP && theMapView.dragging) theMapView.EndDrag();
    if (message == win::WM_MOUSEMOVE) ShowMapPointerPosition(dialog);
    return EndMapPointerMessage(dialog);
}

void FillMapToolTip(win::NMHDR* header) {
    if (header == nullptr || header->code != win::TTN_NEEDTEXT) return;
    auto* tip = reinterpret_cast<win::TOOLTIPTEXT*>(header);
    std::string text;
    win::LoadString(PositionDialogResourceLibrary(), static_cast<std::uint32_t>(header->idFrom),
                    &text);
    tip->text = text.substr(0, 30);
}

win::HWND CreateMapToolbar(win::HWND parent, int id, int x, int y, int width, int height,
                           int buttonCount) {
    return CreateMapToolbar(parent, id, x, y, width, height, kButtons, std::clamp(buttonCount, 0, 20));
}

win::HWND CreateMapToolbar(win::HWND parent, int id, int x, int y, int width, int height,
                           const MapToolButton* buttons, int count) {
    const win::HWND toolbar = win::CreateWindowEx(
        win::WS_EX_TRANSPARENT, win::TOOLBARCLASSNAME, "",
        win::WS_CHILD | win::WS_CLIPSIBLINGS | win::TBSTYLE_TOOLTIPS | kCcsNoDivider |
            kCcsNoResize | kCcsNoParentAlign | kCcsNoMoveY,
        x, y, width, height, parent, win::HMENU{static_cast<std::uint32_t>(id)}, win::HINSTANCE{},
        0);
    if (!toolbar) return toolbar;
    win::HBITMAP strip = win::LoadBitmap(PositionDialogResourceLibrary(), kToolStripBitmap);
    if (!strip) strip = MakeMapToolbarBitmap();
    win::TBADDBITMAP add;
    add.bitmap = strip;
    add.imageWidth = kMapToolImageSize;
    win::SendMessage(toolbar, win::TB_ADDBITMAP, kMapToolImages,
                     reinterpret_cast<win::LParam>(&add));
    std::vector<win::TBBUTTON> made(static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t i = 0; i < made.size(); ++i) {
        made[i].iBitmap = buttons[i].image;
        made[i].idCommand = buttons[i].command;
        made[i].fsState = win::TBSTATE_ENABLED;
        made[i].fsStyle = buttons[i].style;
    }
    win::SendMessage(toolbar, win::TB_ADDBUTTONS, static_cast<win::WParam>(made.size()),
                     reinterpret_cast<win::LParam>(made.data()));
    return toolbar;
}

PositionAircraftDialog::PositionAircraftDialog() : ui::Dialog("PositionAircraft", kPositionPaletteId) {
    helpButtonId = ui::kHelpButtonId;
}

int PositionAircraftDialog::OnInitDialog(win::HWND dialog) {
    ui::Dialog::OnInitDialog(dialog);
    SetHelpId(kHelpContext);
    MapView& map = theMapView;
    map.dialog = dialog;
    map.mapControl = win::GetDlgItem(dialog, kMapControlId);
    // The control shows the map's picture pixel for pixel, whatever the template's units.
    win::SetWindowPos(map.mapControl, win::HWND{}, 0, 0, 556, 326,
                      win::SWP_NOMOVE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    toolbar = CreateMapToolbar(dialog, kToolbarId, 10, 441, 422, 26);
    // The dialog's background shows through the toolbar; its class brush comes back at the end.
    savedToolbarBrush = win::SetClassLong(
        toolbar, kClassBackground, static_cast<std::intptr_t>(win::GetStockObject(win::NULL_BRUSH).id));
    map.toolbar = toolbar;
    map.InitForPositionAircraft();
    win::SetWindowPos(toolbar, win::HWND{}, 10, 441, 422, 26,
                      win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    win::ShowWindow(toolbar, win::SW_SHOW);
    return 1;
}

void PositionAircraftDialog::Finish(int result) {
    if (result == 1) theMapView.ApplyPosition();
    theMapView.Shutdown();
    if (toolbar) win::SetClassLong(toolbar, kClassBackground, savedToolbarBrush);
    theMapView.toolbar = win::HWND{};
    theMapView.mapControl = win::HWND{};
    theMapView.dialog = win::HWND{};
    win::EndDialog(window, result);
}

int PositionAircraftDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    MapView& map = theMapView;
    const int id = win::LOWORD(wParam);
    switch (id) {
        case 1:
            Finish(1);
            return 1;
        case 2:
        case kPositionDialogCancelButton:
            Finish(0);
            return 1;
        case kFrequenciesButton:
            map.showFrequencies =
                win::SendMessage(toolbar, win::TB_ISBUTTONCHECKED, kFrequenciesButton, 0) != 0;
            map.Refresh();
            return 1;
        case kMapControlId:
            return 1;
        default:
            break;
    }
    if (std::uint32_t MapView::*layer = MapLayerOf(id)) {
        map.*layer = map.*layer ? 0 : 1;
        map.Refresh();
        return 1;
    }
    for (const Tool& t : kTools) {
        if (t.button != id) continue;
        map.*(t.flag) = win::SendMessage(toolbar, win::TB_ISBUTTONCHECKED,
                                         static_cast<win::WParam>(id), 0) != 0;
        // One tool at a time.
        for (const Tool& other : kTools) {
            if (other.button == id || !(map.*(other.flag))) continue;
            map.*(other.flag) = 0;
            win::SendMessage(toolbar, win::TB_ENABLEBUTTON, static_cast<win::WParam>(other.button), 1);
            win::SendMessage(toolbar, win::TB_CHECKBUTTON, static_cast<win::WParam>(other.button), 0);
        }
        return 1;
    }
    if (id >= 5010 && id <= 5013) {
        map.Scroll(id - 5010);
        return 1;
    }
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

int PositionAircraftDialog::OnSetCursor(win::HWND dialog, win::WParam wParam, win::LParam lParam) {
    MapView& map = theMapView;
    const win::HWND under{static_cast<std::uint32_t>(wParam)};
    const std::uint32_t message = win::HIWORD(static_cast<std::uintptr_t>(lParam));
    if (under != map.mapControl || !map.mapControl) {
        // Off the map while dragging: the symbol is not shown, and letting go puts it back.
        if (map.dragging) {
            if (message == win::WM_MOUSEMOVE) map.RestoreBackground();
            if (message == win::WM_LBUTTONUP) map.CancelDrag();
        }
        return 0;
    }
    ReadMapPointer();
    switch (message) {
        case win::WM_LBUTTONDOWN: {
            int chosen = 0;
            if (map.IsNearAircraft())
                map.BeginDrag();
            else if (map.vorInfoTool)
                chosen = map.ShowVorInfo();
            else if (map.airportInfoTool)
                chosen = map.ShowAirportInfo();
            else if (map.approachInfoTool)
                chosen = map.ShowApproachInfo();
            else
                map.StepZoom();
            if (chosen) {
                Finish(1);
                return 1;
            }
            break;
        }
        case win::WM_LBUTTONUP:
            if (map.dragging) map.EndDrag();
            break;
        case win::WM_MOUSEMOVE:
            if (map.dragging) map.DragTo();
            ShowMapPointerPosition(dialog);
            break;
        default:
            break;
    }
    return EndMapPointerMessage(dialog);
}

win::LResult PositionAircraftDialog::OnCtlColorStatic(win::HWND dialog, win::HDC dc, win::HWND control) {
    ui::Dialog::OnCtlColorStatic(dialog, dc, control);
    return 0;
}

win::LResult PositionAircraftDialog::OnNotify(int, win::NMHDR* header) {
    FillMapToolTip(header);
    return 0;
}

}  // namespace nav

namespace nav {

namespace {

// The runner's `report` fields of the radios, courses and ATC start the positioning dialogs
// set: "nav1=113.90 nav1_course=270 nav1_obs=90 atc_start=3 ...".
std::string MhzWords(const cockpit::PanelGauge& radio) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", radio.activeMHz + 100, radio.activeKHz);
    return text;
}

const bool kReportFields = [] {
    core::RegisterReportField("nav1", [] { return MhzWords(cockpit::theNav1Radio); });
    core::RegisterReportField("nav2", [] { return MhzWords(cockpit::theNav2Radio); });
    core::RegisterReportField("adf", [] {
        return std::to_string(cockpit::theAdfRadio.activeMHz * 100 + cockpit::theAdfRadio.activeKHz);
    });
    core::RegisterReportField("nav1_course", [] { return std::to_string(cockpit::theNav1Course.selectedCourse); });
    core::RegisterReportField("nav1_obs", [] { return std::to_string(cockpit::theNav1Course.obsCard); });
    core::RegisterReportField("nav2_course", [] { return std::to_string(cockpit::theNav2Course.selectedCourse); });
    core::RegisterReportField("adf_card", [] { return std::to_string(cockpit::theAdfCard.card); });
    core::RegisterReportField("map_zoom", [] { return std::to_string(theMapView.zoom); });
    core::RegisterReportField("atc_start", [] { return std::to_string(theAtcState.startPos); });
    core::RegisterReportField("atc_enabled", [] { return std::to_string(theAtcState.enabledATC); });
    return true;
}();

}  // namespace

}  // namespace nav
