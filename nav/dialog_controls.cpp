#include "nav/dialog_controls.h"

#include <string>

#include "win/window.h"

namespace nav {

namespace {

// The list box messages, with their documented numbers.
constexpr std::uint32_t kLbAddString = 0x0180;
constexpr std::uint32_t kLbResetContent = 0x0184;
constexpr std::uint32_t kLbSetCurSel = 0x0186;
constexpr std::uint32_t kLbSetTabStops = 0x0192;
constexpr std::uint32_t kLbSetTopIndex = 0x0197;
constexpr std::uint32_t kLbGetText = 0x0189;
constexpr std::uint32_t kLbGetTextLen = 0x018A;

}  // namespace

ListBoxTarget::ListBoxTarget(win::HWND dialog, int controlId)
    : control(win::GetDlgItem(dialog, controlId)) {}

void ListBoxTarget::Reset() {
    if (control) win::SendMessage(control, kLbResetContent, 0, 0);
}

int ListBoxTarget::Add(std::string_view text) {
    if (!control) return -1;
    const std::string copy(text);
    return static_cast<int>(
        win::SendMessage(control, kLbAddString, 0, reinterpret_cast<win::LParam>(copy.c_str())));
}

void ListBoxTarget::Select(int row) {
    if (control) win::SendMessage(control, kLbSetCurSel, static_cast<win::WParam>(row), 0);
}

void ListBoxTarget::SetTop(int row) {
    if (control) win::SendMessage(control, kLbSetTopIndex, static_cast<win::WParam>(row), 0);
}

void ListBoxTarget::SetTabStops(const int* stops, int count) {
    if (control)
        win::SendMessage(control, kLbSetTabStops, static_cast<win::WParam>(count),
                         reinterpret_cast<win::LParam>(stops));
}

std::string ListRowText(win::HWND list, int row) {
    const auto length = win::SendMessage(list, kLbGetTextLen, static_cast<win::WParam>(row), 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    win::SendMessage(list, kLbGetText, static_cast<win::WParam>(row),
                     reinterpret_cast<win::LParam>(text.data()));
    text.resize(text.find('\0'));
    return text;
}

void SetControlText(win::HWND dialog, int id, std::string_view text) {
    const win::HWND control = win::GetDlgItem(dialog, id);
    if (control) win::SetWindowText(control, text);
}

}  // namespace nav
