#include "planning/aircraft_selection.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/resource_volume.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/resource.h"

namespace planning {
namespace {

constexpr int kPicture = 1730;
constexpr int kNameText = 1740;
constexpr int kList = 1624;

// A control's place in pixels.
struct Box {
    int x, y, w, h;
};
struct TypeButton {
    int id;
    Box place;
    const char* picture;
    const char* text;
};
constexpr TypeButton kButtons[5] = {
    {1741, {36, 36, 128, 62}, "172IMAGE", "172TEXT"},
    {1743, {36, 120, 128, 62}, "BONANZAIMAGE", "BONANZATEXT"},
    {1742, {36, 204, 128, 62}, "BARONIMAGE", "BARONTEXT"},
    {1746, {36, 288, 128, 62}, "KINGIMAGE", "KINGTEXT"},
    {1745, {36, 372, 128, 62}, "CITATIONIMAGE", "CITATIONTEXT"},
};
// The other controls, in pixels: the picture and the name card where they belong, the
// performance text between them, the buttons at the right, the frame over the whole client.
constexpr Box kClient{0, 0, 640, 448};
struct Placed {
    int id;
    Box place;
};
constexpr Placed kPlaced[] = {{kPicture, {171, 249, 466, 189}}, {kNameText, {195, 36, 263, 69}},
                              {kList, {171, 112, 466, 130}},    {win::IDOK, {476, 36, 72, 24}},
                              {win::IDCANCEL, {556, 36, 72, 24}}, {ui::kHelpButtonId, {556, 72, 72, 24}},
                              {ui::kFrameControlId, kClient}};

const TypeButton& ButtonOf(int type) {
    return kButtons[type >= 0 && type <= 4 ? type : 0];
}

win::HBITMAP LoadNamedBitmap(const char* name) {
    if (ui::theDialogHost.resourceLibrary == nullptr) return {};
    return win::LoadBitmap(ui::theDialogHost.resourceLibrary(), name);
}

// Puts a bitmap into a picture control, deleting the one it replaces.
void ShowBitmap(win::HWND dialog, int id, win::HBITMAP* held, win::HBITMAP next) {
    win::SendDlgItemMessage(dialog, id, win::STM_SETIMAGE, win::IMAGE_BITMAP, static_cast<win::LParam>(next.id));
    if (*held) win::DeleteObject(*held);
    *held = next;
    win::InvalidateRect(win::GetDlgItem(dialog, id), nullptr, true);
}

}  // namespace

void PerformanceText::Assign(std::string_view bytes) {
    size = static_cast<int>(std::min<std::size_t>(bytes.size(), kSize));
    if (size > 0) std::memcpy(buffer.data(), bytes.data(), static_cast<std::size_t>(size));
    buffer[static_cast<std::size_t>(size)] = '\0';
    cursor = 0;
}

const char* PerformanceText::NextLine() {
    if (cursor >= size || buffer[static_cast<std::size_t>(cursor)] == 26) return nullptr;
    const int begin = cursor;
    int end = begin;
    while (end < size && buffer[static_cast<std::size_t>(end)] != '\r' && buffer[static_cast<std::size_t>(end)] != '\n') ++end;
    cursor = end + 1;
    if (end < size && buffer[static_cast<std::size_t>(end)] == '\r' && cursor < size && buffer[static_cast<std::size_t>(cursor)] == '\n')
        ++cursor;
    buffer[static_cast<std::size_t>(end)] = '\0';
    return buffer.data() + begin;
}

int AircraftTypeOfButton(int buttonId) {
    for (int type = 0; type < 5; ++type)
        if (kButtons[type].id == buttonId) return type;
    return -1;
}

int LoadPerformanceText(PerformanceText* text, int buttonId) {
    const int type = AircraftTypeOfButton(buttonId);
    text->Assign({});
    if (type < 0) return 0;
    core::ResourceVolume volume("Data\\Perform.Vol", "Data\\Perform", 1);
    if (volume.OpenFile("P" + std::to_string(type) + ".Txt") == 0) return 0;
    text->size = volume.ReadRecords(text->buffer.data(), 1, PerformanceText::kSize);
    text->buffer[static_cast<std::size_t>(text->size)] = '\0';
    volume.CloseFile();
    return 1;
}

void ShowPerformanceText(win::HWND dialog, int buttonId) {
    win::SendDlgItemMessage(dialog, kList, win::LB_RESETCONTENT, 0, 0);
    // 16 KB is too much for the stack of a dialog's handler.
    auto text = std::make_unique<PerformanceText>();
    if (LoadPerformanceText(text.get(), buttonId) == 0) return;
    while (const char* line = text->NextLine())
        win::SendDlgItemMessage(dialog, kList, win::LB_ADDSTRING, 0, reinterpret_cast<win::LParam>(line));
}

int AircraftSelectionDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    // The template's size in dialog units depends on the font; the layout is in pixels.
    win::RECT outer{0, 0, 0, 0};
    win::RECT client{0, 0, 0, 0};
    win::GetWindowRect(dialog, &outer);
    win::GetClientRect(dialog, &client);
    win::SetWindowPos(dialog, {}, 0, 0, kClient.w + (outer.right - outer.left) - client.right,
                      kClient.h + (outer.bottom - outer.top) - client.bottom,
                      win::SWP_NOMOVE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    const auto place = [&](int id, const Box& b) { win::MoveWindow(win::GetDlgItem(dialog, id), b.x, b.y, b.w, b.h, true); };
    for (const TypeButton& b : kButtons) place(b.id, b.place);
    for (const Placed& p : kPlaced) place(p.id, p.place);
    PositionWindow();
    listFont = win::CreateFont(-13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Sans Serif");
    win::SendDlgItemMessage(dialog, kList, win::WM_SETFONT, listFont.id, 1);
    Choose(chosen);
    return r;
}

// Marks the type's button alone and shows its pictures and performance text.
void AircraftSelectionDialog::Choose(int type) {
    chosen = type;
    for (const TypeButton& b : kButtons)
        win::SendDlgItemMessage(window, b.id, win::BM_SETCHECK,
                                &b == &ButtonOf(type) && type <= 4 ? win::BST_CHECKED : win::BST_UNCHECKED, 0);
    const TypeButton& shown = ButtonOf(type);
    ShowBitmap(window, kPicture, &picture, LoadNamedBitmap(shown.picture));
    ShowBitmap(window, kNameText, &nameText, LoadNamedBitmap(shown.text));
    ShowPerformanceText(window, shown.id);
}

int AircraftSelectionDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    const int type = AircraftTypeOfButton(id);
    if (type >= 0) {
        Choose(type);
        return 1;
    }
    switch (id) {
        case win::IDOK:
            win::EndDialog(window, chosen);
            return 1;
        case win::IDCANCEL:
        case ui::kCancelButtonId:
            chosen = opened;
            win::EndDialog(window, opened);
            return 1;
        default:
            return ui::Dialog::OnCommand(notifyCode, wParam, control);
    }
}

int AircraftSelectionDialog::OnDestroy() {
    for (win::HBITMAP* b : {&picture, &nameText})
        if (*b) win::DeleteObject(*b);
    picture = nameText = {};
    if (listFont) win::DeleteObject(listFont);
    listFont = {};
    return ui::Dialog::OnDestroy();
}

}  // namespace planning
