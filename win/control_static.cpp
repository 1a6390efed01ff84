// "Static": labels (left, centred, right, wrapped or not), frames and rectangles, and bitmaps
// (SS_BITMAP with STM_SETIMAGE). Labels let the pointer through unless they have SS_NOTIFY.
#include "win/control_internal.h"
#include "win/window_surface.h"

namespace win {
namespace {

using namespace ctl;

struct StaticState {
    HFONT font;
    HBITMAP image;
};
StateTable<StaticState> theStatics;

void Paint(HWND h, StaticState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT client;
    GetClientRect(h, &client);
    const std::uint32_t style = StyleOf(h);
    const std::uint32_t type = style & SS_TYPEMASK;
    HBRUSH back = ControlColours(h, dc, WM_CTLCOLORSTATIC, COLOR_BTNFACE);
    const bool transparent = (GetWindowLong(h, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
    if (transparent)
        ClearWindowSurfaceTransparent(h);
    else if (type != SS_BITMAP || !s.image)
        FillRect(dc, &client, back);
    switch (type) {
        case SS_BLACKRECT:
        case SS_GRAYRECT:
        case SS_WHITERECT:
            FillRect(dc, &client,
                     GetSysColorBrush(type == SS_BLACKRECT  ? COLOR_3DDKSHADOW
                                      : type == SS_GRAYRECT ? COLOR_BTNSHADOW
                                                            : COLOR_BTNHIGHLIGHT));
            break;
        case SS_BLACKFRAME:
        case SS_GRAYFRAME:
        case SS_WHITEFRAME:
            FrameRect(dc, &client,
                      GetSysColorBrush(type == SS_BLACKFRAME  ? COLOR_3DDKSHADOW
                                       : type == SS_GRAYFRAME ? COLOR_BTNSHADOW
                                                              : COLOR_BTNHIGHLIGHT));
            break;
        case SS_ETCHEDFRAME:
            DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
            break;
        case SS_BITMAP:
            if (s.image) {
                BITMAP bm;
                GetObject(s.image, &bm);
                HDC mem = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(mem, AsGdiObject(s.image));
                int x = 0, y = 0;
                if (style & SS_CENTERIMAGE) {
                    x = (client.right - bm.bmWidth) / 2;
                    y = (client.bottom - bm.bmHeight) / 2;
                }
                BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
                SelectObject(mem, old);
                DeleteDC(mem);
            }
            break;
        case SS_OWNERDRAW: {
            DRAWITEMSTRUCT d;
            d.CtlType = ODT_STATIC;
            d.CtlID = static_cast<unsigned>(IdOf(h));
            d.itemAction = ODA_DRAWENTIRE;
            d.hwndItem = h;
            d.hDC = dc;
            d.rcItem = client;
            SendMessage(GetParent(h), WM_DRAWITEM, d.CtlID, reinterpret_cast<LParam>(&d));
            break;
        }
        case SS_ICON:
            break;
        default: {
            HGDIOBJ oldFont = SelectObject(dc, AsGdiObject(FontOr(s.font)));
            SetBkMode(dc, TRANSPARENT);
            if (style & WS_DISABLED) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            std::uint32_t fmt = DT_WORDBREAK;
            if (type == SS_CENTER) fmt |= DT_CENTER;
            if (type == SS_RIGHT) fmt |= DT_RIGHT;
            if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP) fmt = DT_SINGLELINE;
            if (style & SS_NOPREFIX) fmt |= DT_NOPREFIX;
            if (style & SS_CENTERIMAGE) fmt = (fmt & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
            RECT r = client;
            DrawText(dc, GetWindowText(h), &r, fmt);
            SelectObject(dc, oldFont);
            break;
        }
    }
    EndPaint(h, &ps);
}

}  // namespace

LResult StaticProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    StaticState* s = theStatics.Get(h);
    switch (m) {
        case WM_NCCREATE:
            theStatics.Make(h);
            return DefWindowProc(h, m, w, l);
        case WM_NCDESTROY:
            theStatics.Drop(h);
            return DefWindowProc(h, m, w, l);
        default:
            break;
    }
    if (s == nullptr) return DefWindowProc(h, m, w, l);
    switch (m) {
        case WM_SETFONT:
            s->font = HFONT{static_cast<std::uint32_t>(w)};
            if (l != 0) InvalidateRect(h, nullptr, true);
            return 0;
        case WM_GETFONT:
            return static_cast<LResult>(s->font.id);
        case WM_PAINT:
            Paint(h, *s);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT: {
            const LResult r = DefWindowProc(h, m, w, l);
            InvalidateRect(h, nullptr, true);
            return r;
        }
        case WM_ENABLE:
            InvalidateRect(h, nullptr, true);
            return 0;
        case STM_SETIMAGE: {
            const HBITMAP old = s->image;
            s->image = HBITMAP{static_cast<std::uint32_t>(l)};
            InvalidateRect(h, nullptr, true);
            return static_cast<LResult>(old.id);
        }
        case STM_GETIMAGE:
            return static_cast<LResult>(s->image.id);
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case WM_NCHITTEST:
            return (StyleOf(h) & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
        case WM_LBUTTONDOWN:
            if (StyleOf(h) & SS_NOTIFY) NotifyCommand(h, STN_CLICKED);
            return 0;
        default:
            break;
    }
    return DefWindowProc(h, m, w, l);
}

}  // namespace win
