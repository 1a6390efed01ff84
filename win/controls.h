// The standard and common controls: their class names, styles, messages, notifications and the
// records they pass. The classes register themselves the first time a window of one of them is
// made (or at InitCommonControls); each control keeps its own state and paints into its own
// surface, and tells its parent what the user did with WM_COMMAND or WM_NOTIFY.
#pragma once

#include <cstdint>
#include <string>

#include "win/gdi.h"
#include "win/window.h"

namespace win {

// Registers every control class of this file (again after the window system was reset).
void InitCommonControls();

// ---- Class names ------------------------------------------------------------------------------
inline constexpr const char* WC_BUTTON = "Button";
inline constexpr const char* WC_STATIC = "Static";
inline constexpr const char* WC_EDIT = "Edit";
inline constexpr const char* WC_LISTBOX = "ListBox";
inline constexpr const char* WC_COMBOBOX = "ComboBox";
inline constexpr const char* WC_COMBOLBOX = "ComboLBox";
inline constexpr const char* WC_SCROLLBAR = "ScrollBar";
inline constexpr const char* TRACKBAR_CLASS = "msctls_trackbar32";
inline constexpr const char* UPDOWN_CLASS = "msctls_updown32";
inline constexpr const char* WC_LISTVIEW = "SysListView32";
inline constexpr const char* WC_HEADER = "SysHeader32";
inline constexpr const char* TOOLBARCLASSNAME = "ToolbarWindow32";
inline constexpr const char* TOOLTIPS_CLASS = "tooltips_class32";
inline constexpr const char* WC_TABCONTROL = "SysTabControl32";
inline constexpr const char* WC_TREEVIEW = "SysTreeView32";

// ---- Shared records ---------------------------------------------------------------------------
struct NMHDR {
    HWND hwndFrom;
    std::uintptr_t idFrom = 0;
    std::int32_t code = 0;  // negative for the common controls' notifications
};
inline constexpr std::int32_t NM_CLICK = -2;
inline constexpr std::int32_t NM_DBLCLK = -3;
inline constexpr std::int32_t NM_RETURN = -4;
inline constexpr std::int32_t NM_RCLICK = -5;
inline constexpr std::int32_t NM_SETFOCUS = -7;
inline constexpr std::int32_t NM_KILLFOCUS = -8;

inline constexpr unsigned ODT_MENU = 1;
inline constexpr unsigned ODT_LISTBOX = 2;
inline constexpr unsigned ODT_COMBOBOX = 3;
inline constexpr unsigned ODT_BUTTON = 4;
inline constexpr unsigned ODT_STATIC = 5;
inline constexpr unsigned ODT_TAB = 101;
inline constexpr unsigned ODT_LISTVIEW = 102;
inline constexpr unsigned ODA_DRAWENTIRE = 1;
inline constexpr unsigned ODA_SELECT = 2;
inline constexpr unsigned ODA_FOCUS = 4;
inline constexpr unsigned ODS_SELECTED = 0x0001;
inline constexpr unsigned ODS_GRAYED = 0x0002;
inline constexpr unsigned ODS_DISABLED = 0x0004;
inline constexpr unsigned ODS_CHECKED = 0x0008;
inline constexpr unsigned ODS_FOCUS = 0x0010;
inline constexpr unsigned ODS_DEFAULT = 0x0020;

struct DRAWITEMSTRUCT {
    unsigned CtlType = 0;
    unsigned CtlID = 0;
    unsigned itemID = 0;
    unsigned itemAction = 0;
    unsigned itemState = 0;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    std::uintptr_t itemData = 0;
};
struct MEASUREITEMSTRUCT {
    unsigned CtlType = 0;
    unsigned CtlID = 0;
    unsigned itemID = 0;
    unsigned itemWidth = 0;
    unsigned itemHeight = 0;
    std::uintptr_t itemData = 0;
};

// ---- Buttons ----------------------------------------------------------------------------------
inline constexpr std::uint32_t BS_PUSHBUTTON = 0x0;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1;
inline constexpr std::uint32_t BS_CHECKBOX = 0x2;
inline constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3;
inline constexpr std::uint32_t BS_RADIOBUTTON = 0x4;
inline constexpr std::uint32_t BS_3STATE = 0x5;
inline constexpr std::uint32_t BS_AUTO3STATE = 0x6;
inline constexpr std::uint32_t BS_GROUPBOX = 0x7;
inline constexpr std::uint32_t BS_USERBUTTON = 0x8;
inline constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x9;
inline constexpr std::uint32_t BS_OWNERDRAW = 0xB;
inline constexpr std::uint32_t BS_TYPEMASK = 0xF;
inline constexpr std::uint32_t BS_LEFTTEXT = 0x20;
inline constexpr std::uint32_t BS_LEFT = 0x100;
inline constexpr std::uint32_t BS_RIGHT = 0x200;
inline constexpr std::uint32_t BS_CENTER = 0x300;
inline constexpr std::uint32_t BS_TOP = 0x400;
inline constexpr std::uint32_t BS_BOTTOM = 0x800;
inline constexpr std::uint32_t BS_VCENTER = 0xC00;
inline constexpr std::uint32_t BS_PUSHLIKE = 0x1000;
inline constexpr std::uint32_t BS_MULTILINE = 0x2000;

inline constexpr std::uint32_t BM_GETCHECK = 0x00F0;
inline constexpr std::uint32_t BM_SETCHECK = 0x00F1;
inline constexpr std::uint32_t BM_GETSTATE = 0x00F2;
inline constexpr std::uint32_t BM_SETSTATE = 0x00F3;
inline constexpr std::uint32_t BM_SETSTYLE = 0x00F4;
inline constexpr std::uint32_t BM_CLICK = 0x00F5;
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;
inline constexpr int BST_INDETERMINATE = 2;
inline constexpr int BST_PUSHED = 4;
inline constexpr int BST_FOCUS = 8;
inline constexpr unsigned BN_DOUBLECLICKED = 5;

// ---- Statics ----------------------------------------------------------------------------------
inline constexpr std::uint32_t SS_LEFT = 0x0;
inline constexpr std::uint32_t SS_CENTER = 0x1;
inline constexpr std::uint32_t SS_RIGHT = 0x2;
inline constexpr std::uint32_t SS_ICON = 0x3;
inline constexpr std::uint32_t SS_BLACKRECT = 0x4;
inline constexpr std::uint32_t SS_GRAYRECT = 0x5;
inline constexpr std::uint32_t SS_WHITERECT = 0x6;
inline constexpr std::uint32_t SS_BLACKFRAME = 0x7;
inline constexpr std::uint32_t SS_GRAYFRAME = 0x8;
inline constexpr std::uint32_t SS_WHITEFRAME = 0x9;
inline constexpr std::uint32_t SS_SIMPLE = 0xB;
inline constexpr std::uint32_t SS_LEFTNOWORDWRAP = 0xC;
inline constexpr std::uint32_t SS_OWNERDRAW = 0xD;
inline constexpr std::uint32_t SS_BITMAP = 0xE;
inline constexpr std::uint32_t SS_ETCHEDFRAME = 0x12;
inline constexpr std::uint32_t SS_TYPEMASK = 0x1F;
inline constexpr std::uint32_t SS_NOPREFIX = 0x80;
inline constexpr std::uint32_t SS_NOTIFY = 0x100;
inline constexpr std::uint32_t SS_CENTERIMAGE = 0x200;
inline constexpr std::uint32_t SS_SUNKEN = 0x1000;
inline constexpr std::uint32_t STM_SETICON = 0x0170;
inline constexpr std::uint32_t STM_GETICON = 0x0171;
inline constexpr std::uint32_t STM_SETIMAGE = 0x0172;
inline constexpr std::uint32_t STM_GETIMAGE = 0x0173;
inline constexpr unsigned IMAGE_BITMAP = 0;
inline constexpr unsigned STN_CLICKED = 0;

// ---- Edits ------------------------------------------------------------------------------------
inline constexpr std::uint32_t ES_LEFT = 0x0;
inline constexpr std::uint32_t ES_CENTER = 0x1;
inline constexpr std::uint32_t ES_RIGHT = 0x2;
inline constexpr std::uint32_t ES_MULTILINE = 0x4;
inline constexpr std::uint32_t ES_UPPERCASE = 0x8;
inline constexpr std::uint32_t ES_LOWERCASE = 0x10;
inline constexpr std::uint32_t ES_PASSWORD = 0x20;
inline constexpr std::uint32_t ES_AUTOVSCROLL = 0x40;
inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x80;
inline constexpr std::uint32_t ES_NOHIDESEL = 0x100;
inline constexpr std::uint32_t ES_READONLY = 0x800;
inline constexpr std::uint32_t ES_WANTRETURN = 0x1000;
inline constexpr std::uint32_t ES_NUMBER = 0x2000;

inline constexpr std::uint32_t EM_GETSEL = 0x00B0;
inline constexpr std::uint32_t EM_SETSEL = 0x00B1;
inline constexpr std::uint32_t EM_SCROLLCARET = 0x00B7;
inline constexpr std::uint32_t EM_GETMODIFY = 0x00B8;
inline constexpr std::uint32_t EM_SETMODIFY = 0x00B9;
inline constexpr std::uint32_t EM_GETLINECOUNT = 0x00BA;
inline constexpr std::uint32_t EM_REPLACESEL = 0x00C2;
inline constexpr std::uint32_t EM_LIMITTEXT = 0x00C5;
inline constexpr std::uint32_t EM_SETLIMITTEXT = 0x00C5;
inline constexpr std::uint32_t EM_SETREADONLY = 0x00CF;
inline constexpr std::uint32_t EM_GETLIMITTEXT = 0x00D5;
inline constexpr std::uint32_t WM_CUT = 0x0300;
inline constexpr std::uint32_t WM_COPY = 0x0301;
inline constexpr std::uint32_t WM_PASTE = 0x0302;
inline constexpr std::uint32_t WM_CLEAR = 0x0303;
inline constexpr unsigned EN_SETFOCUS = 0x0100;
inline constexpr unsigned EN_KILLFOCUS = 0x0200;
inline constexpr unsigned EN_CHANGE = 0x0300;
inline constexpr unsigned EN_UPDATE = 0x0400;
inline constexpr unsigned EN_MAXTEXT = 0x0501;

// ---- List boxes -------------------------------------------------------------------------------
inline constexpr std::uint32_t LBS_NOTIFY = 0x0001;
inline constexpr std::uint32_t LBS_SORT = 0x0002;
inline constexpr std::uint32_t LBS_NOREDRAW = 0x0004;
inline constexpr std::uint32_t LBS_MULTIPLESEL = 0x0008;
inline constexpr std::uint32_t LBS_OWNERDRAWFIXED = 0x0010;
inline constexpr std::uint32_t LBS_OWNERDRAWVARIABLE = 0x0020;
inline constexpr std::uint32_t LBS_HASSTRINGS = 0x0040;
inline constexpr std::uint32_t LBS_USETABSTOPS = 0x0080;
inline constexpr std::uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;
inline constexpr std::uint32_t LBS_WANTKEYBOARDINPUT = 0x0400;
inline constexpr std::uint32_t LBS_EXTENDEDSEL = 0x0800;
inline constexpr std::uint32_t LBS_DISABLENOSCROLL = 0x1000;

inline constexpr std::uint32_t LB_ADDSTRING = 0x0180;
inline constexpr std::uint32_t LB_INSERTSTRING = 0x0181;
inline constexpr std::uint32_t LB_DELETESTRING = 0x0182;
inline constexpr std::uint32_t LB_RESETCONTENT = 0x0184;
inline constexpr std::uint32_t LB_SETSEL = 0x0185;
inline constexpr std::uint32_t LB_SETCURSEL = 0x0186;
inline constexpr std::uint32_t LB_GETSEL = 0x0187;
inline constexpr std::uint32_t LB_GETCURSEL = 0x0188;
inline constexpr std::uint32_t LB_GETTEXT = 0x0189;
inline constexpr std::uint32_t LB_GETTEXTLEN = 0x018A;
inline constexpr std::uint32_t LB_GETCOUNT = 0x018B;
inline constexpr std::uint32_t LB_SELECTSTRING = 0x018C;
inline constexpr std::uint32_t LB_GETTOPINDEX = 0x018E;
inline constexpr std::uint32_t LB_FINDSTRING = 0x018F;
inline constexpr std::uint32_t LB_GETSELCOUNT = 0x0190;
inline constexpr std::uint32_t LB_GETSELITEMS = 0x0191;
inline constexpr std::uint32_t LB_SETTABSTOPS = 0x0192;
inline constexpr std::uint32_t LB_GETHORIZONTALEXTENT = 0x0193;
inline constexpr std::uint32_t LB_SETHORIZONTALEXTENT = 0x0194;
inline constexpr std::uint32_t LB_SETTOPINDEX = 0x0197;
inline constexpr std::uint32_t LB_GETITEMRECT = 0x0198;
inline constexpr std::uint32_t LB_GETITEMDATA = 0x0199;
inline constexpr std::uint32_t LB_SETITEMDATA = 0x019A;
inline constexpr std::uint32_t LB_SETCARETINDEX = 0x019E;
inline constexpr std::uint32_t LB_GETCARETINDEX = 0x019F;
inline constexpr std::uint32_t LB_SETITEMHEIGHT = 0x01A0;
inline constexpr std::uint32_t LB_GETITEMHEIGHT = 0x01A1;
inline constexpr std::uint32_t LB_FINDSTRINGEXACT = 0x01A2;
inline constexpr LResult LB_ERR = -1;
inline constexpr unsigned LBN_SELCHANGE = 1;
inline constexpr unsigned LBN_DBLCLK = 2;
inline constexpr unsigned LBN_SETFOCUS = 4;
inline constexpr unsigned LBN_KILLFOCUS = 5;

// ---- Combo boxes ------------------------------------------------------------------------------
inline constexpr std::uint32_t CBS_SIMPLE = 0x0001;
inline constexpr std::uint32_t CBS_DROPDOWN = 0x0002;
inline constexpr std::uint32_t CBS_DROPDOWNLIST = 0x0003;
inline constexpr std::uint32_t CBS_OWNERDRAWFIXED = 0x0010;
inline constexpr std::uint32_t CBS_AUTOHSCROLL = 0x0040;
inline constexpr std::uint32_t CBS_SORT = 0x0100;
inline constexpr std::uint32_t CBS_HASSTRINGS = 0x0200;

inline constexpr std::uint32_t CB_GETEDITSEL = 0x0140;
inline constexpr std::uint32_t CB_LIMITTEXT = 0x0141;
inline constexpr std::uint32_t CB_SETEDITSEL = 0x0142;
inline constexpr std::uint32_t CB_ADDSTRING = 0x0143;
inline constexpr std::uint32_t CB_DELETESTRING = 0x0144;
inline constexpr std::uint32_t CB_GETCOUNT = 0x0146;
inline constexpr std::uint32_t CB_GETCURSEL = 0x0147;
inline constexpr std::uint32_t CB_GETLBTEXT = 0x0148;
inline constexpr std::uint32_t CB_GETLBTEXTLEN = 0x0149;
inline constexpr std::uint32_t CB_INSERTSTRING = 0x014A;
inline constexpr std::uint32_t CB_RESETCONTENT = 0x014B;
inline constexpr std::uint32_t CB_FINDSTRING = 0x014C;
inline constexpr std::uint32_t CB_SELECTSTRING = 0x014D;
inline constexpr std::uint32_t CB_SETCURSEL = 0x014E;
inline constexpr std::uint32_t CB_SHOWDROPDOWN = 0x014F;
inline constexpr std::uint32_t CB_GETITEMDATA = 0x0150;
inline constexpr std::uint32_t CB_SETITEMDATA = 0x0151;
inline constexpr std::uint32_t CB_GETDROPPEDSTATE = 0x0157;
inline constexpr std::uint32_t CB_FINDSTRINGEXACT = 0x0158;
inline constexpr LResult CB_ERR = -1;
inline constexpr unsigned CBN_SELCHANGE = 1;
inline constexpr unsigned CBN_DBLCLK = 2;
inline constexpr unsigned CBN_SETFOCUS = 3;
inline constexpr unsigned CBN_KILLFOCUS = 4;
inline constexpr unsigned CBN_EDITCHANGE = 5;
inline constexpr unsigned CBN_DROPDOWN = 7;
inline constexpr unsigned CBN_CLOSEUP = 8;
inline constexpr unsigned CBN_SELENDOK = 9;
// The edit of a combo box with an edit field has this id.
inline constexpr int kComboEditId = 1001;

// ---- Scroll bars ------------------------------------------------------------------------------
inline constexpr std::uint32_t SBS_HORZ = 0x0;
inline constexpr std::uint32_t SBS_VERT = 0x1;
inline constexpr std::uint32_t SBM_SETPOS = 0x00E0;
inline constexpr std::uint32_t SBM_GETPOS = 0x00E1;
inline constexpr std::uint32_t SBM_SETRANGE = 0x00E2;
inline constexpr std::uint32_t SBM_GETRANGE = 0x00E3;
inline constexpr unsigned SB_LINEUP = 0;
inline constexpr unsigned SB_LINEDOWN = 1;
inline constexpr unsigned SB_PAGEUP = 2;
inline constexpr unsigned SB_PAGEDOWN = 3;
inline constexpr unsigned SB_THUMBPOSITION = 4;
inline constexpr unsigned SB_THUMBTRACK = 5;
inline constexpr unsigned SB_TOP = 6;
inline constexpr unsigned SB_BOTTOM = 7;
inline constexpr unsigned SB_ENDSCROLL = 8;
inline constexpr std::uint32_t SBM_SETSCROLLINFO = 0x00E9;
inline constexpr std::uint32_t SBM_GETSCROLLINFO = 0x00EA;
inline constexpr std::uint32_t SBM_GETSCROLLBARINFO = 0x00EB;
inline constexpr std::uint32_t SIF_RANGE = 0x1;
inline constexpr std::uint32_t SIF_PAGE = 0x2;
inline constexpr std::uint32_t SIF_POS = 0x4;
inline constexpr std::uint32_t SIF_TRACKPOS = 0x10;
inline constexpr std::uint32_t SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
// A scroll bar's range, page and position. With a page the thumb is as long as the page is of
// the range, and the last position is nMax - nPage + 1.
struct SCROLLINFO {
    std::uint32_t fMask = 0;
    int nMin = 0, nMax = 0;
    unsigned nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
// Where a scroll bar's parts lie along it (pixels from its start) and which one is pressed:
// rgstate[0] the bar, 1 the first arrow, 2 the page before the thumb, 3 the thumb, 4 the page
// after it, 5 the last arrow.
inline constexpr std::uint32_t STATE_SYSTEM_UNAVAILABLE = 0x1;
inline constexpr std::uint32_t STATE_SYSTEM_PRESSED = 0x8;
struct SCROLLBARINFO {
    RECT rcScrollBar{};
    int dxyLineButton = 0;
    int xyThumbTop = 0, xyThumbBottom = 0;
    std::uint32_t rgstate[6] = {};
};

// ---- Trackbars --------------------------------------------------------------------------------
inline constexpr std::uint32_t TBS_HORZ = 0x0;
inline constexpr std::uint32_t TBS_VERT = 0x2;
inline constexpr std::uint32_t TBS_NOTICKS = 0x10;
inline constexpr std::uint32_t TBS_NOTHUMB = 0x80;
inline constexpr std::uint32_t TBM_GETPOS = WM_USER;
inline constexpr std::uint32_t TBM_GETRANGEMIN = WM_USER + 1;
inline constexpr std::uint32_t TBM_GETRANGEMAX = WM_USER + 2;
inline constexpr std::uint32_t TBM_SETPOS = WM_USER + 5;
inline constexpr std::uint32_t TBM_SETRANGE = WM_USER + 6;
inline constexpr std::uint32_t TBM_SETRANGEMIN = WM_USER + 7;
inline constexpr std::uint32_t TBM_SETRANGEMAX = WM_USER + 8;
inline constexpr std::uint32_t TBM_SETTICFREQ = WM_USER + 20;
inline constexpr std::uint32_t TBM_SETPAGESIZE = WM_USER + 21;
inline constexpr std::uint32_t TBM_GETPAGESIZE = WM_USER + 22;
inline constexpr std::uint32_t TBM_SETLINESIZE = WM_USER + 23;
inline constexpr std::uint32_t TBM_GETLINESIZE = WM_USER + 24;
inline constexpr std::uint32_t TBM_GETTHUMBRECT = WM_USER + 25;
inline constexpr std::uint32_t TBM_GETCHANNELRECT = WM_USER + 26;
inline constexpr unsigned TB_LINEUP = 0;
inline constexpr unsigned TB_LINEDOWN = 1;
inline constexpr unsigned TB_PAGEUP = 2;
inline constexpr unsigned TB_PAGEDOWN = 3;
inline constexpr unsigned TB_THUMBPOSITION = 4;
inline constexpr unsigned TB_THUMBTRACK = 5;
inline constexpr unsigned TB_TOP = 6;
inline constexpr unsigned TB_BOTTOM = 7;
inline constexpr unsigned TB_ENDTRACK = 8;

// ---- Up-down controls -------------------------------------------------------------------------
inline constexpr std::uint32_t UDS_WRAP = 0x1;
inline constexpr std::uint32_t UDS_SETBUDDYINT = 0x2;
inline constexpr std::uint32_t UDS_ALIGNRIGHT = 0x4;
inline constexpr std::uint32_t UDS_ALIGNLEFT = 0x8;
inline constexpr std::uint32_t UDS_AUTOBUDDY = 0x10;
inline constexpr std::uint32_t UDS_ARROWKEYS = 0x20;
inline constexpr std::uint32_t UDS_HORZ = 0x40;
inline constexpr std::uint32_t UDM_SETRANGE = WM_USER + 101;
inline constexpr std::uint32_t UDM_GETRANGE = WM_USER + 102;
inline constexpr std::uint32_t UDM_SETPOS = WM_USER + 103;
inline constexpr std::uint32_t UDM_GETPOS = WM_USER + 104;
inline constexpr std::uint32_t UDM_SETBUDDY = WM_USER + 105;
inline constexpr std::uint32_t UDM_GETBUDDY = WM_USER + 106;
inline constexpr std::int32_t UDN_DELTAPOS = -722;
struct NMUPDOWN {
    NMHDR hdr;
    std::int32_t iPos = 0;
    std::int32_t iDelta = 0;
};

// ---- Headers ----------------------------------------------------------------------------------
inline constexpr std::uint32_t HDM_GETITEMCOUNT = 0x1200;
inline constexpr std::uint32_t HDM_INSERTITEM = 0x1201;
inline constexpr std::uint32_t HDM_DELETEITEM = 0x1202;
inline constexpr std::uint32_t HDM_GETITEM = 0x1203;
inline constexpr std::uint32_t HDM_SETITEM = 0x1204;
inline constexpr std::uint32_t HDI_WIDTH = 0x1;
inline constexpr std::uint32_t HDI_TEXT = 0x2;
inline constexpr std::uint32_t HDI_FORMAT = 0x4;
inline constexpr std::int32_t HDN_ITEMCHANGING = -300;
inline constexpr std::int32_t HDN_ITEMCHANGED = -301;
inline constexpr std::int32_t HDN_ITEMCLICK = -302;
inline constexpr std::int32_t HDN_BEGINTRACK = -306;
inline constexpr std::int32_t HDN_ENDTRACK = -307;
inline constexpr std::int32_t HDN_TRACK = -308;
struct HDITEM {
    std::uint32_t mask = 0;
    std::int32_t cxy = 0;
    std::string text;
    std::int32_t fmt = 0;
};
struct NMHEADER {
    NMHDR hdr;
    std::int32_t iItem = 0;
    std::int32_t iButton = 0;
    HDITEM* pitem = nullptr;
};

// ---- List views -------------------------------------------------------------------------------
inline constexpr std::uint32_t LVS_ICON = 0x0;
inline constexpr std::uint32_t LVS_REPORT = 0x1;
inline constexpr std::uint32_t LVS_SINGLESEL = 0x4;
inline constexpr std::uint32_t LVS_SHOWSELALWAYS = 0x8;
inline constexpr std::uint32_t LVS_OWNERDRAWFIXED = 0x400;
inline constexpr std::uint32_t LVS_NOSCROLL = 0x2000;
inline constexpr std::uint32_t LVS_NOCOLUMNHEADER = 0x4000;
inline constexpr std::uint32_t LVS_NOSORTHEADER = 0x8000;
inline constexpr std::uint32_t WS_EX_CLIENTEDGE = 0x200;

inline constexpr std::uint32_t LVM_GETITEMCOUNT = 0x1004;
inline constexpr std::uint32_t LVM_GETITEM = 0x1005;
inline constexpr std::uint32_t LVM_SETITEM = 0x1006;
inline constexpr std::uint32_t LVM_INSERTITEM = 0x1007;
inline constexpr std::uint32_t LVM_DELETEITEM = 0x1008;
inline constexpr std::uint32_t LVM_DELETEALLITEMS = 0x1009;
inline constexpr std::uint32_t LVM_GETNEXTITEM = 0x100C;
inline constexpr std::uint32_t LVM_GETITEMRECT = 0x100E;
inline constexpr std::uint32_t LVM_ENSUREVISIBLE = 0x1013;
inline constexpr std::uint32_t LVM_GETCOLUMN = 0x1019;
inline constexpr std::uint32_t LVM_INSERTCOLUMN = 0x101B;
inline constexpr std::uint32_t LVM_GETCOLUMNWIDTH = 0x101D;
inline constexpr std::uint32_t LVM_SETCOLUMNWIDTH = 0x101E;
inline constexpr std::uint32_t LVM_GETHEADER = 0x101F;
inline constexpr std::uint32_t LVM_GETTOPINDEX = 0x1027;
inline constexpr std::uint32_t LVM_SETITEMSTATE = 0x102B;
inline constexpr std::uint32_t LVM_GETITEMSTATE = 0x102C;
inline constexpr std::uint32_t LVM_GETITEMTEXT = 0x102D;
inline constexpr std::uint32_t LVM_SETITEMTEXT = 0x102E;
inline constexpr std::uint32_t LVM_SORTITEMS = 0x1030;
inline constexpr std::uint32_t LVM_GETSELECTEDCOUNT = 0x1032;
inline constexpr std::uint32_t LVIF_TEXT = 0x1;
inline constexpr std::uint32_t LVIF_IMAGE = 0x2;
inline constexpr std::uint32_t LVIF_PARAM = 0x4;
inline constexpr std::uint32_t LVIF_STATE = 0x8;
inline constexpr std::uint32_t LVIS_FOCUSED = 0x1;
inline constexpr std::uint32_t LVIS_SELECTED = 0x2;
inline constexpr std::uint32_t LVNI_ALL = 0x0;
inline constexpr std::uint32_t LVNI_FOCUSED = 0x1;
inline constexpr std::uint32_t LVNI_SELECTED = 0x2;
inline constexpr std::uint32_t LVCF_FMT = 0x1;
inline constexpr std::uint32_t LVCF_WIDTH = 0x2;
inline constexpr std::uint32_t LVCF_TEXT = 0x4;
inline constexpr std::uint32_t LVCF_SUBITEM = 0x8;
inline constexpr std::int32_t LVCFMT_LEFT = 0;
inline constexpr std::int32_t LVCFMT_RIGHT = 1;
inline constexpr std::int32_t LVCFMT_CENTER = 2;
inline constexpr std::int32_t LVN_ITEMCHANGED = -101;
inline constexpr std::int32_t LVN_COLUMNCLICK = -108;
inline constexpr std::int32_t LVN_KEYDOWN = -155;

struct LVITEM {
    std::uint32_t mask = 0;
    std::int32_t iItem = 0;
    std::int32_t iSubItem = 0;
    std::uint32_t state = 0;
    std::uint32_t stateMask = 0;
    // In: the text to set. Out: the text read, cut to cchTextMax − 1 bytes.
    std::string text;
    std::int32_t cchTextMax = 0;
    std::int32_t iImage = 0;
    LParam lParam = 0;
};
struct LVCOLUMN {
    std::uint32_t mask = 0;
    std::int32_t fmt = 0;
    std::int32_t cx = 0;
    std::string text;
    std::int32_t iSubItem = 0;
};
struct NMLISTVIEW {
    NMHDR hdr;
    std::int32_t iItem = -1;
    std::int32_t iSubItem = 0;
    std::uint32_t uNewState = 0;
    std::uint32_t uOldState = 0;
    std::uint32_t uChanged = 0;
    POINT ptAction;
    LParam lParam = 0;
};
// LVM_SORTITEMS: the compare function gets the two items' lParam values and the sort parameter.
using PFNLVCOMPARE = int (*)(LParam, LParam, LParam);

// ---- Toolbars and tooltips --------------------------------------------------------------------
inline constexpr std::uint32_t TB_ADDBUTTONS = WM_USER + 20;
inline constexpr std::uint32_t TB_ADDBITMAP = WM_USER + 19;
inline constexpr std::uint32_t TB_CHECKBUTTON = WM_USER + 2;
inline constexpr std::uint32_t TB_ISBUTTONENABLED = WM_USER + 9;
inline constexpr std::uint32_t TB_ISBUTTONCHECKED = WM_USER + 10;
inline constexpr std::uint32_t TB_ENABLEBUTTON = WM_USER + 1;
inline constexpr std::uint32_t TB_BUTTONCOUNT = WM_USER + 24;
inline constexpr std::uint32_t TB_GETITEMRECT = WM_USER + 29;
inline constexpr std::uint32_t TB_COMMANDTOINDEX = WM_USER + 25;
inline constexpr std::uint8_t TBSTATE_CHECKED = 0x1;
inline constexpr std::uint8_t TBSTATE_ENABLED = 0x4;
inline constexpr std::uint8_t TBSTYLE_BUTTON = 0x0;
inline constexpr std::uint8_t TBSTYLE_SEP = 0x1;
inline constexpr std::uint8_t TBSTYLE_CHECK = 0x2;
inline constexpr std::uint32_t TBSTYLE_TOOLTIPS = 0x100;
struct TBBUTTON {
    std::int32_t iBitmap = 0;
    std::int32_t idCommand = 0;
    std::uint8_t fsState = TBSTATE_ENABLED;
    std::uint8_t fsStyle = TBSTYLE_BUTTON;
    std::uintptr_t dwData = 0;
};
// TB_ADDBITMAP: a strip of square images side by side.
struct TBADDBITMAP {
    HBITMAP bitmap;
    std::int32_t imageWidth = 16;
};
inline constexpr std::int32_t TTN_NEEDTEXT = -520;
struct TOOLTIPTEXT {
    NMHDR hdr;  // idFrom: the command id of the button under the pointer
    std::string text;
};

// ---- Tabs and trees (the small parts the skin handlers use) ----------------------------------
inline constexpr std::uint32_t TCS_OWNERDRAWFIXED = 0x2000;
inline constexpr std::uint32_t TCM_GETITEMCOUNT = 0x1304;
inline constexpr std::uint32_t TCM_GETITEM = 0x1305;
inline constexpr std::uint32_t TCM_INSERTITEM = 0x1307;
inline constexpr std::uint32_t TCM_GETCURSEL = 0x130B;
inline constexpr std::uint32_t TCM_SETCURSEL = 0x130C;
inline constexpr std::uint32_t TCM_ADJUSTRECT = 0x1328;
inline constexpr std::uint32_t TCM_SETCURFOCUS = 0x1330;
inline constexpr std::int32_t TCN_SELCHANGE = -551;
struct TCITEM {
    std::uint32_t mask = 0;
    std::string text;
    LParam lParam = 0;
};
inline constexpr std::uint32_t TVS_HASLINES = 0x2;
inline constexpr std::uint32_t TVM_INSERTITEM = 0x1100;
inline constexpr std::uint32_t TVM_DELETEITEM = 0x1101;
inline constexpr std::uint32_t TVM_GETCOUNT = 0x1105;
inline constexpr std::uint32_t TVM_SELECTITEM = 0x110B;
inline constexpr std::uint32_t TVM_GETITEM = 0x110C;
inline constexpr std::uint32_t TVM_GETNEXTITEM = 0x110A;
inline constexpr std::uint32_t TVGN_ROOT = 0x0;
inline constexpr std::uint32_t TVGN_NEXT = 0x1;
inline constexpr std::uint32_t TVGN_CHILD = 0x4;
inline constexpr std::uint32_t TVGN_CARET = 0x9;
inline constexpr std::int32_t TVN_SELCHANGED = -402;
struct TVINSERTSTRUCT {
    std::uintptr_t hParent = 0;  // 0: a root item
    std::string text;
    LParam lParam = 0;
};
struct TVITEM {
    std::uintptr_t hItem = 0;
    std::string text;
    LParam lParam = 0;
};

}  // namespace win
