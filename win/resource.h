// The program's resource library: menus, accelerator tables, strings, cursors, icons, bitmaps
// and dialog templates, compiled by tools/rescomp from the script in resources/ into a pack.
// The window system never opens the pack itself (it knows nothing of volumes): the program
// opens it and hands the window system a ResourceSource that gives the bytes of one member.
//
// Members are named "TYPE\NAME" (NAME in upper case) or "TYPE\#ID" for numbered resources;
// "RESPACK" holds the pack's manifest. The binary form of each type is read and written here,
// so the compiler and the loaders share one definition.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/gdi.h"
#include "win/handles.h"
#include "win/input.h"

namespace win {

// ---- The source of a library's members -------------------------------------------------------
class ResourceSource {
public:
    virtual ~ResourceSource() = default;
    // The bytes of one member; nothing when the library has no such member.
    virtual std::optional<std::vector<std::uint8_t>> Read(std::string_view memberName) = 0;
};

// Members held in memory, looked up without regard to case (tests, tools).
class MemoryResourceSource final : public ResourceSource {
public:
    void Add(std::string_view memberName, std::vector<std::uint8_t> bytes);
    std::optional<std::vector<std::uint8_t>> Read(std::string_view memberName) override;

private:
    std::map<std::string, std::vector<std::uint8_t>> members_;
};

// Resource types as member-name prefixes.
inline constexpr std::string_view RT_MENU = "MENU";
inline constexpr std::string_view RT_ACCELERATOR = "ACCELERATORS";
inline constexpr std::string_view RT_STRING = "STRING";
inline constexpr std::string_view RT_CURSOR = "CURSOR";
inline constexpr std::string_view RT_ICON = "ICON";
inline constexpr std::string_view RT_BITMAP = "BITMAP";
inline constexpr std::string_view RT_DIALOG = "DIALOG";
inline constexpr std::string_view kManifestMember = "RESPACK";

// "TYPE\NAME" in upper case; a name "#123" (or a number) names resource 123.
[[nodiscard]] std::string ResourceMemberName(std::string_view type, std::string_view name);
[[nodiscard]] std::string ResourceMemberName(std::string_view type, std::uint32_t id);

// The manifest: "ZRPK", u16 version 1, u16 0, u32 the number of resource members.
[[nodiscard]] std::vector<std::uint8_t> EncodeManifest(std::uint32_t memberCount);

// Installs a library; the null handle when the source is missing or its manifest is absent or
// not ours, with the reason in `error` (for the program's start-up message).
HINSTANCE LoadResourceLibrary(std::unique_ptr<ResourceSource> source, std::string* error);
bool FreeResourceLibrary(HINSTANCE library);
// A member's bytes by type and name or id; nothing when absent.
std::optional<std::vector<std::uint8_t>> LoadResourceBytes(HINSTANCE library, std::string_view type,
                                                           std::string_view name);
std::optional<std::vector<std::uint8_t>> LoadResourceBytes(HINSTANCE library, std::string_view type,
                                                           std::uint32_t id);

// ---- Strings, accelerators, bitmaps, icons, cursors ------------------------------------------
// The string's length; 0 (and an empty string) when there is none.
int LoadString(HINSTANCE library, std::uint32_t id, std::string* out);
// Copies at most size − 1 bytes and a terminator; returns the bytes copied.
int LoadString(HINSTANCE library, std::uint32_t id, char* buffer, int size);

HACCEL LoadAccelerators(HINSTANCE library, std::string_view name);
HACCEL LoadAccelerators(HINSTANCE library, std::uint32_t id);

HBITMAP LoadBitmap(HINSTANCE library, std::string_view name);
HBITMAP LoadBitmap(HINSTANCE library, std::uint32_t id);

inline constexpr std::uint32_t IDI_APPLICATION = 32512;
inline constexpr std::uint32_t IDI_HAND = 32513;
inline constexpr std::uint32_t IDI_QUESTION = 32514;
inline constexpr std::uint32_t IDI_EXCLAMATION = 32515;
inline constexpr std::uint32_t IDI_ASTERISK = 32516;
// With a null library: a plain built-in icon for the IDI_ ids.
HICON LoadIcon(HINSTANCE library, std::string_view name);
HICON LoadIcon(HINSTANCE library, std::uint32_t id);
bool DrawIcon(HDC hdc, int x, int y, HICON icon);
bool DestroyIcon(HICON icon);
// Resource cursors reach LoadCursor (input.h) through the loader this registers; loading a
// library registers it.
void InstallResourceCursorLoader();

// ---- Images -------------------------------------------------------------------------------------
// A decoded image: 1-, 4- and 8-bit images keep their indices and colour table; 16-, 24- and
// 32-bit ones become 0x00RRGGBB pixels. Rows run top-down.
struct DibImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // 8 or 32
    std::vector<std::uint8_t> indices;
    std::vector<std::uint32_t> pixels;
    std::array<std::uint32_t, 256> table{};
};
// A ".bmp" file (the form BITMAP members keep); nothing for anything malformed or compressed.
[[nodiscard]] std::optional<DibImage> DecodeBmpFile(const std::vector<std::uint8_t>& file);

struct IconImage {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<std::uint32_t> argb;  // alpha 0 = transparent
};
// A ".cur" or ".ico" file (the form CURSOR and ICON members keep): its image nearest 32×32.
// An icon's hot spot is its centre.
[[nodiscard]] std::optional<IconImage> DecodeIconFile(const std::vector<std::uint8_t>& file);

// ---- Accelerator tables -------------------------------------------------------------------------
// u16 count, then per entry: u8 flags, u8 0, u16 key, u16 command.
[[nodiscard]] std::vector<std::uint8_t> EncodeAccelerators(const std::vector<ACCEL>& entries);
[[nodiscard]] std::optional<std::vector<ACCEL>> DecodeAccelerators(
    const std::vector<std::uint8_t>& bytes);

// ---- Menu templates ----------------------------------------------------------------------------
inline constexpr std::uint16_t MF_STRING = 0x0000;
inline constexpr std::uint16_t MF_ENABLED = 0x0000;
inline constexpr std::uint16_t MF_UNCHECKED = 0x0000;
inline constexpr std::uint16_t MF_BYCOMMAND = 0x0000;
inline constexpr std::uint16_t MF_GRAYED = 0x0001;
inline constexpr std::uint16_t MF_DISABLED = 0x0002;
inline constexpr std::uint16_t MF_BITMAP = 0x0004;
inline constexpr std::uint16_t MF_CHECKED = 0x0008;
inline constexpr std::uint16_t MF_POPUP = 0x0010;
inline constexpr std::uint16_t MF_MENUBARBREAK = 0x0020;
inline constexpr std::uint16_t MF_MENUBREAK = 0x0040;
inline constexpr std::uint16_t MF_HILITE = 0x0080;
inline constexpr std::uint16_t MF_END = 0x0080;  // last item of a level, in templates only
inline constexpr std::uint16_t MF_OWNERDRAW = 0x0100;
inline constexpr std::uint16_t MF_BYPOSITION = 0x0400;
inline constexpr std::uint16_t MF_SEPARATOR = 0x0800;
inline constexpr std::uint16_t MF_DEFAULT = 0x1000;
inline constexpr std::uint16_t MF_HELP = 0x4000;

struct MenuTemplateItem {
    std::uint16_t flags = 0;  // MF_ values; MF_POPUP for a submenu, MF_SEPARATOR for a rule
    std::uint16_t id = 0;
    std::string text;
    std::vector<MenuTemplateItem> items;  // of a popup
};
// Items in order; per item: u16 flags (MF_END on the last of each level), u16 id unless a
// popup, u16 text length, the text (UTF-8), then a popup's items. Nesting is limited to 8.
[[nodiscard]] std::vector<std::uint8_t> EncodeMenuTemplate(
    const std::vector<MenuTemplateItem>& items);
[[nodiscard]] std::optional<std::vector<MenuTemplateItem>> DecodeMenuTemplate(
    const std::vector<std::uint8_t>& bytes);

// ---- Dialog templates ---------------------------------------------------------------------------
struct DialogItemTemplate {
    std::string className;  // "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox", …
    std::string text;
    std::int32_t id = 0;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t helpId = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};
struct DialogTemplate {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t helpId = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    std::string menu;
    std::string className;
    std::uint16_t fontSize = 0;  // points; 0 without DS_SETFONT
    std::uint16_t fontWeight = 0;
    std::uint8_t fontItalic = 0;
    std::uint8_t fontCharSet = 0;
    std::string fontFace;
    std::vector<DialogItemTemplate> items;
};
// Appends a control to a template made in code: a visible child window (WS_CHILD | WS_VISIBLE are
// added to `style`); the place and size in dialog units.
void AddDialogItem(DialogTemplate& dialog, std::string_view className, std::string_view text, int id,
                   std::uint32_t style, int x, int y, int cx, int cy);
[[nodiscard]] std::vector<std::uint8_t> EncodeDialogTemplate(const DialogTemplate& dialog);
[[nodiscard]] std::optional<DialogTemplate> DecodeDialogTemplate(
    const std::vector<std::uint8_t>& bytes);
std::optional<DialogTemplate> LoadDialogTemplate(HINSTANCE library, std::string_view name);
std::optional<DialogTemplate> LoadDialogTemplate(HINSTANCE library, std::uint32_t id);

}  // namespace win
