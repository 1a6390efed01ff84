// A 32-bit, top-down picture with its own device context, for the makers that letter their art
// through the program's own font engine. Fonts ("Liberation Sans", smooth edges) are made once
// per size and weight and freed with the surface.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "win/font.h"
#include "win/gdi.h"

namespace mkdata {

class TextSurface {
public:
    TextSurface(int width, int height) {
        dc_ = win::CreateCompatibleDC({});
        win::BITMAPINFO bi;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = win::CreateDIBSection(dc_, &bi, win::DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
        if (bitmap_) win::SelectObject(dc_, bitmap_);
        win::SetBkMode(dc_, win::TRANSPARENT);
    }
    ~TextSurface() {
        for (auto& f : fonts_) win::DeleteObject(f.second);
        if (bitmap_) win::DeleteObject(bitmap_);
        if (dc_) win::DeleteDC(dc_);
    }
    TextSurface(const TextSurface&) = delete;
    TextSurface& operator=(const TextSurface&) = delete;

    // Null when the picture could not be made.
    [[nodiscard]] std::uint32_t* Bits() const { return bits_; }
    [[nodiscard]] win::HDC Dc() const { return dc_; }

    void UseFont(int size, bool bold) {
        const int key = size * 2 + (bold ? 1 : 0);
        for (auto& f : fonts_)
            if (f.first == key) {
                win::SelectObject(dc_, f.second);
                return;
            }
        const win::HFONT f = win::CreateFont(-size, 0, 0, 0, bold ? win::FW_BOLD : win::FW_NORMAL, 0, 0, 0, 0, 0, 0,
                                             win::ANTIALIASED_QUALITY, 0, "Liberation Sans");
        fonts_.emplace_back(key, f);
        win::SelectObject(dc_, f);
    }
    [[nodiscard]] int Width(std::string_view text, int size, bool bold) {
        UseFont(size, bold);
        win::SIZE s{};
        win::GetTextExtentPoint32(dc_, text, &s);
        return s.cx;
    }

private:
    win::HDC dc_;
    win::HBITMAP bitmap_;
    std::uint32_t* bits_ = nullptr;
    std::vector<std::pair<int, win::HFONT>> fonts_;
};

}  // namespace mkdata
