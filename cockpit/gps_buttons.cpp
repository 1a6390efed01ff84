// The GPS window's ten push buttons in its three modes (waypoint, navigation, nearest), the
// pages each mode shows, the menu page and the character-by-character identifier entry that
// walks the navigation database's identifiers.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cockpit/gps_display.h"
#include "flight/flight_model_state.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "nav/nav_database.h"
#include "planning/planning_services.h"

namespace cockpit {

namespace {

struct MenuEntry {
    const char* label;
    std::uint32_t flag;  // 0: a line with its own handling
};
constexpr MenuEntry kWaypointMenu[] = {{"Waypoint Type", 0},
                                       {"Waypoint ID", 0},
                                       {"Show Victor Routes", 0x200},
                                       {"Show Obstacles", 0x400}};
constexpr MenuEntry kNavigationMenu[] = {{"Show VOR", 0x2},
                                         {"Show NDB", 0x4},
                                         {"Show Intersections", 0x8},
                                         {"Show Airports", 0x1},
                                         {"Show Victor Routes", 0x200},
                                         {"Show Obstacles", 0x400}};
constexpr MenuEntry kNearestMenu[] = {
    {"Waypoint Type", 0}, {"Show Victor Routes", 0x200}, {"Show Obstacles", 0x400}};
constexpr const char* kCategoryNames[4] = {"Airport", "VOR", "NDB", "Inter"};
constexpr const char* kMenuTitles[3] = {"Waypoint Information", "Flight Plan Info.",
                                        "Near Information"};

struct Menu {
    const MenuEntry* lines;
    int count;
};
constexpr Menu kMenus[3] = {{kWaypointMenu, 4}, {kNavigationMenu, 6}, {kNearestMenu, 3}};

int Wrap(int v, int count) {
    return ((v % count) + count) % count;
}

// The part of an identifier from position p on, for ordering equal candidates.
bool SortsBefore(const std::string& a, const std::string& b, std::size_t p) {
    return a.compare(std::min(p, a.size()), std::string::npos, b, std::min(p, b.size()),
                     std::string::npos) < 0;
}

}  // namespace

std::string GpsDisplay::Ident(int cat, int index) {
    const nav::NavDatabase& db = nav::theNavDatabase;
    if (index < 0 || index >= ItemCount(cat)) return {};
    const auto i = static_cast<std::size_t>(index);
    switch (cat) {
        case 0:
            return db.airports[i].ident;
        case 1:
            return db.vors[i].ident;
        case 2:
            return db.ndbs[i].ident;
        default:
            return db.waypoints[i].name;
    }
}

int GpsDisplay::ItemCount(int cat) {
    const nav::NavDatabase& db = nav::theNavDatabase;
    switch (cat) {
        case 0:
            return db.AirportCount();
        case 1:
            return db.VorCount();
        case 2:
            return db.NdbCount();
        case 3:
            return db.WaypointCount();
        default:
            return 0;
    }
}

int GpsDisplay::PlanWaypoints() {
    const planning::FlightPlan* plan = theGpsSources.flightPlan();
    return plan != nullptr && plan->active != 0 && plan->nodeCount > 0
               ? std::min(plan->nodeCount, planning::kMaxPlanNodes)
               : 0;
}

void GpsDisplay::SelectItem(int index) {
    selected = index;
    redrawNow = true;
}

// ---- buttons -------------------------------------------------------------------------------

void GpsDisplay::PressButton(int id) {
    redrawNow = true;
    switch (id) {
        case kGpsWaypoint:
            legSelection = -1;
            WaypointMode(id);
            break;
        case kGpsNavigation:
            NavigationMode(id);
            break;
        case kGpsNearest:
            legSelection = -1;
            NearestMode(id);
            break;
        case kGpsZoomOut:
            if (!menuOpen) ZoomOut();
            break;
        case kGpsZoomIn:
            if (!menuOpen) ZoomIn();
            break;
        default:
            if (id == kGpsMenu) {
                if (!menuOpen || legSelection != 0)
                    menuOpen = !menuOpen;
                else
                    legSelection = -1;  // the navigation menu shows its default leg
            }
            if (mode == 0)
                WaypointMode(id);
            else if (mode == 1)
                NavigationMode(id);
            else
                NearestMode(id);
            break;
    }
    if (id > 5) highlight = id;
}

void GpsDisplay::ToggleLayer(std::uint32_t flag, std::uint32_t* flags) {
    *flags ^= flag;
    redrawNow = true;
}

void GpsDisplay::UseCategoryList() {
    if (selected >= ItemCount(category)) selected = 0;
}

void GpsDisplay::StepCategory(int d) {
    category = Wrap(category + d, 4);
}

void GpsDisplay::WaypointMode(int id) {
    if (!menuOpen && id != kGpsWaypoint && id != kGpsMenu) return;
    const int step = id == kGpsUp || id == kGpsLeft ? -1 : 1;
    switch (id) {
        case kGpsWaypoint:
            if (mode == 0) return;
            menuLine = 0;
            SwitchMode(0);
            UseCategoryList();
            return;
        case kGpsMenu:
            identCursor = -1;
            UseCategoryList();
            return;
        case kGpsUp:
        case kGpsDown:
            if (identCursor < 0)
                menuLine = Wrap(menuLine + step, 4);
            else
                IdentStep(step);
            return;
        case kGpsLeft:
        case kGpsRight:
            if (identCursor >= 0) {
                IdentCursorStep(step);
            } else if (menuLine == 0) {
                StepCategory(step);
                ApplyPage(category);
                UseCategoryList();
            } else if (menuLine == 1) {
                const int n = static_cast<int>(Ident(category, selected).size());
                if (n > 0) identCursor = id == kGpsLeft ? n - 1 : 0;
            } else {
                ToggleLayer(kWaypointMenu[menuLine].flag, &layers);
                ToggleLayer(kWaypointMenu[menuLine].flag, &navLayers);
            }
            return;
        default:
            return;
    }
}

void GpsDisplay::NavigationMode(int id) {
    if (!menuOpen && id != kGpsNavigation && id != kGpsMenu) return;
    const int step = id == kGpsUp || id == kGpsLeft ? -1 : 1;
    switch (id) {
        case kGpsNavigation:
            if (mode == 1) return;
            menuLine = 0;
            legSelection = 0;
            SwitchMode(1);
            return;
        case kGpsMenu:
            if (!menuOpen || (legSelection != 0 && PlanWaypoints() == 0)) {
                legSelection = 0;
                menuOpen = false;
            }
            return;
        case kGpsUp:
        case kGpsDown:
            if (legSelection == 0) menuLine = Wrap(menuLine + step, 6);
            return;
        case kGpsLeft:
        case kGpsRight:
            if (legSelection == 0) {
                ToggleLayer(kNavigationMenu[menuLine].flag, &navLayers);
                layers = navLayers | 0x100;
            } else if (PlanWaypoints() > 0) {
                legSelection = std::clamp(legSelection + step, 1, PlanWaypoints() + 1);
            }
            return;
        default:
            return;
    }
}

void GpsDisplay::NearestMode(int id) {
    if (!menuOpen && id != kGpsNearest && id != kGpsMenu) return;
    const int step = id == kGpsUp || id == kGpsLeft ? -1 : 1;
    switch (id) {
        case kGpsNearest:
            if (mode == 2) return;
            menuLine = 0;
            SwitchMode(2);
            return;
        case kGpsMenu:
            ApplyPage(category);
            return;
        case kGpsUp:
        case kGpsDown:
            menuLine = Wrap(menuLine + step, 3);
            return;
        case kGpsLeft:
        case kGpsRight:
            if (menuLine == 0) {
                StepCategory(step);
            } else {
                ToggleLayer(kNearestMenu[menuLine].flag, &layers);
                ToggleLayer(kNearestMenu[menuLine].flag, &navLayers);
            }
            return;
        default:
            return;
    }
}

// ---- modes and pages -----------------------------------------------------------------------

void GpsDisplay::SwitchMode(int newMode) {
    identCursor = -1;
    if (newMode == 1) {
        mode = 1;
        ApplyPage(PlanWaypoints() > 0 ? 5 : 4);
        return;
    }
    if (pageNumber > 3) pageNumber = category;
    mode = newMode;
    SetScale(newMode == 0 ? 4.0 : 25.0);
    ApplyPage(pageNumber);
}

void GpsDisplay::ApplyPage(int newPage) {
    redrawNow = true;
    if (newPage >= 0 && newPage <= 3) {
        if (mode == 1) return;
        pageNumber = newPage;
        layers = (layers & ~0xFu) | (1u << newPage) | 0x100u;
        if (newPage != selectedCategory) selected = -1;
        selectedCategory = category = newPage;
        if (selected < 0) selected = NearestItem(newPage);
        // Mode 0 frames an airport (a range of 0 without its record leaves the range).
        if (mode == 0) SetScale(newPage == 0 ? AirportFrameRange(selected) : 4.0);
        if (mode == 2) pageNumber = 8;
    } else if (newPage >= 4 && newPage <= 7) {
        if (mode != 1) return;
        pageNumber = newPage;
        if (newPage == 4) SetScale(55.0);
        layers = navLayers | 0x100;
    } else if (newPage == 8) {
        pageNumber = 8;
    }
}

// ---- identifier entry ----------------------------------------------------------------------

void GpsDisplay::IdentStep(int d) {
    const std::string current = Ident(category, selected);
    const auto p = static_cast<std::size_t>(identCursor);
    if (p >= current.size()) return;
    const int here = static_cast<unsigned char>(current[p]);
    int best = -1, bestDiff = 0;
    std::string bestIdent;
    const int n = ItemCount(category);
    for (int i = 0; i < n; ++i) {
        if (i == selected) continue;
        const std::string id = Ident(category, i);
        if (id.size() <= p || id.compare(0, p, current, 0, p) != 0) continue;
        const int c = static_cast<unsigned char>(id[p]);
        if (c == here || (d < 0 ? c > here : c < here)) continue;
        const int diff = std::abs(c - here);
        if (best < 0 || diff < bestDiff || (diff == bestDiff && SortsBefore(id, bestIdent, p))) {
            best = i;
            bestDiff = diff;
            bestIdent = id;
        }
    }
    if (best >= 0) SelectItem(best);
}

void GpsDisplay::IdentCursorStep(int d) {
    const std::string current = Ident(category, selected);
    const int next = identCursor + d;
    if (next < 0) {
        identCursor = -1;
        menuLine = 1;
        return;
    }
    if (next < static_cast<int>(current.size())) {
        identCursor = next;
        return;
    }
    // Past the last character: the longer identifier with the lowest next character.
    const std::size_t len = current.size();
    int best = -1;
    std::string bestIdent;
    const int n = ItemCount(category);
    for (int i = 0; i < n; ++i) {
        const std::string id = Ident(category, i);
        if (id.size() <= len || id.compare(0, len, current) != 0) continue;
        if (best < 0 ||
            static_cast<unsigned char>(id[len]) < static_cast<unsigned char>(bestIdent[len]) ||
            (id[len] == bestIdent[len] && SortsBefore(id, bestIdent, len))) {
            best = i;
            bestIdent = id;
        }
    }
    if (best < 0) {
        identCursor = -1;
        menuLine = 1;
        return;
    }
    SelectItem(best);
    identCursor = next;
}

// ---- the menu page -------------------------------------------------------------------------

int GpsDisplay::MenuText(int px, int py, const char* text, std::uint8_t colour) {
    const gfx::GFXFont* font = largeFont ? largeFont.get() : smallFont.get();
    if (font == nullptr) return px;
    for (const char* c = text; *c != '\0'; ++c) {
        std::int32_t offset = 0;
        const gfx::GFXBitmap* g = font->GetGlyph(static_cast<unsigned char>(*c), &offset);
        if (g == nullptr) continue;
        const int gh = std::abs(g->height);
        for (int row = 0; row < gh; ++row) {
            const int ty = py + offset + row;
            if (ty < 0 || ty >= height) continue;
            for (int col = 0; col < g->width; ++col) {
                const int tx = px + col;
                if (tx >= 0 && tx < width && g->Row(row)[col] != 0)
                    page[static_cast<std::size_t>(ty) * width + tx] = colour;
            }
        }
        px += ((font->fontFlags & gfx::kFontFixedPitch) != 0 ? font->cellWidth : g->width) +
              font->spacing;
    }
    return px;
}

int GpsDisplay::MenuTextWidth(const char* text) const {
    const gfx::GFXFont* font = largeFont ? largeFont.get() : smallFont.get();
    return font != nullptr ? font->GetStringWidth(gfx::GFXFontText(font, text).c_str()) : 0;
}

std::string GpsDisplay::LegText(const planning::FlightPlan& plan, int count, int leg) {
    const auto ident = [&](int i) {
        return plan.nodes[static_cast<std::size_t>(std::clamp(i, 0, count - 1))].ident;
    };
    if (leg <= 1) return "Departure " + ident(0);
    if (leg >= count) return "Arrival " + ident(count - 1);
    // The leg the aircraft flies.
    if (leg == plan.currentNode + 2) return "Enroute to " + ident(leg - 1);
    return ident(leg - 2) + " -> " + ident(leg - 1);
}

void GpsDisplay::DrawMenuPage() {
    const std::uint8_t ink = colors[kInfText], paper = colors[kBgnFill];
    const gfx::GFXFont* font = largeFont ? largeFont.get() : smallFont.get();
    const int lineHeight = std::max(7, font != nullptr ? font->cellHeight : 0) + 3;
    const int left = bezel.left + 3, right = width - bezel.right - 3;
    int py = bezel.top + 2;
    const char* title = mode == 1 && !(PlanWaypoints() > 0 && legSelection != 0)
                            ? "Navigation Info."
                            : kMenuTitles[std::clamp(mode, 0, 2)];
    MenuText((width - MenuTextWidth(title)) / 2, py, title, ink);
    py += lineHeight;
    for (int px = left; px <= right; ++px)
        page[static_cast<std::size_t>(py) * width + px] = ink;
    py += 3;
    auto fillRow = [&](int top, std::uint8_t c) {
        for (int row = top; row < top + lineHeight - 1 && row < height - bezel.bottom; ++row)
            std::fill_n(page.begin() + static_cast<std::ptrdiff_t>(row) * width + left,
                        right - left + 1, c);
    };
    auto line = [&](const char* label, const std::string& value, bool chosen, int cursor) {
        if (py + lineHeight > height - bezel.bottom) return;
        const std::uint8_t fg = chosen ? paper : ink;
        if (chosen) fillRow(py, ink);
        MenuText(left + 1, py + 1, label, fg);
        const int vx = right - 1 - MenuTextWidth(value.c_str());
        if (cursor >= 0 && cursor < static_cast<int>(value.size())) {
            // The character being entered, in the line's colours turned back.
            const std::string before = value.substr(0, static_cast<std::size_t>(cursor));
            const std::string here = value.substr(static_cast<std::size_t>(cursor), 1);
            const int cx = vx + MenuTextWidth(before.c_str()) + (cursor > 0 ? 1 : 0);
            const int cw = MenuTextWidth(here.c_str());
            for (int row = py; row < py + lineHeight - 1; ++row)
                for (int col = cx - 1; col <= cx + cw; ++col)
                    if (col >= 0 && col < width && row < height)
                        page[static_cast<std::size_t>(row) * width + col] = paper;
        }
        MenuText(vx, py + 1, value.c_str(), fg);
        if (cursor >= 0 && cursor < static_cast<int>(value.size())) {
            const std::string before = value.substr(0, static_cast<std::size_t>(cursor));
            const std::string here = value.substr(static_cast<std::size_t>(cursor), 1);
            MenuText(vx + MenuTextWidth(before.c_str()) + (cursor > 0 ? 1 : 0), py + 1,
                     here.c_str(), ink);
        }
        py += lineHeight;
    };
    const Menu& menu = kMenus[std::clamp(mode, 0, 2)];
    if (mode == 1) {
        const int count = PlanWaypoints();
        line("Flight Plan Active", count > 0 ? "YES" : "NO", false, -1);
        const planning::FlightPlan* plan = theGpsSources.flightPlan();
        if (legSelection != 0 && count > 0 && plan != nullptr) {
            // An invalid leg: the first on the departure page, the last on the arrival page,
            // else the one after the current.
            if (legSelection < 0 || legSelection > count + 1)
                legSelection = pageNumber == 5   ? 1
                               : pageNumber == 7 ? count + 1
                                                 : plan->currentNode + 2;
            legSelection = std::clamp(legSelection, 1, count + 1);
            const std::string text = LegText(*plan, count, legSelection);
            char number[16];
            std::snprintf(number, sizeof number, "%d", legSelection);
            line("Leg:", number, true, -1);
            line(text.c_str(), "", false, -1);
            // The leg's waypoint with its details, an airport's frequencies at the right.
            const planning::FlightPlanNode& node =
                plan->nodes[static_cast<std::size_t>(std::min(legSelection - 1, count - 1))];
            int cat = 0;
            const int index = FindWaypointIndex(node.kind, node.ident, &cat);
            std::vector<std::string> right;
            boxLines.clear();
            ItemDetails(cat, index, &boxLines, &right);
            if (index < 0) boxLines.push_back("ID: " + node.ident);
            for (std::size_t i = 0; i < std::max(boxLines.size(), right.size()); ++i)
                line(i < boxLines.size() ? boxLines[i].c_str() : "",
                     i < right.size() ? right[i] : "", false, -1);
            return;
        }
        legSelection = 0;
    }
    for (int i = 0; i < menu.count; ++i) {
        const MenuEntry& l = menu.lines[i];
        std::string value;
        int cursor = -1;
        if (l.flag != 0)
            value = (mode == 1 ? navLayers : layers) & l.flag ? "YES" : "NO";
        else if (i == 0)
            value = kCategoryNames[category];
        else {
            value = Ident(category, selected);
            cursor = identCursor;
        }
        line(l.label, value, i == menuLine, cursor);
    }
}

}  // namespace cockpit
