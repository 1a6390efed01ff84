// Every texture of the 3D engine lives on a 256 x 256, 8-bit texture sheet and is handed out by
// name with a reference count. A bitmap of exactly 256 x 256 becomes a sheet of its own; smaller
// ones are packed side by side, row span by row span, into shared sheets. The sheets and the
// names on them can be written out as a ".txs" file (with pixels) or a ".txl" file (names and
// places only), and a ".txs" file read back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace gfx {
class GFXBitmap;
}

namespace ts {

class TSTextureManager {
public:
    static constexpr std::int32_t kSheetSize = 256;
    static constexpr std::int32_t kCacheBlockEntries = 40;
    static constexpr std::int32_t kCacheBlockStrings = 320;
    // Names in ".txs" and ".txl" records: 16 bytes with the terminator.
    static constexpr std::size_t kMaxRecordName = 15;

    class Sheet;

    // One texture: its rectangle on its sheet in sheet units (pixels / 256).
    struct Entry {
        std::uint32_t refCount = 1;
        Sheet* sheet = nullptr;
        float x0 = 0.0f;
        float y0 = 0.0f;
        float sx = 0.0f;
        float sy = 0.0f;
        Entry* next = nullptr;  // the next entry of the same sheet

        static void* operator new(std::size_t size);
        static void operator delete(void* block, std::size_t size);
        // Width and height in pixels.
        [[nodiscard]] std::int32_t PixelWidth() const;
        [[nodiscard]] std::int32_t PixelHeight() const;
    };

    class Sheet {
    public:
        Sheet() = default;
        virtual ~Sheet();
        Sheet(const Sheet&) = delete;
        Sheet& operator=(const Sheet&) = delete;
        static void* operator new(std::size_t size);
        static void operator delete(void* block, std::size_t size);
        // Forgets what the sheet holds: a plain sheet drops its bitmap, a packed one frees its
        // rows. The used area becomes 0.
        virtual void Clear();
        [[nodiscard]] virtual bool IsPacked() const { return false; }

        Entry* entries = nullptr;
        std::unique_ptr<gfx::GFXBitmap> bitmap;
        std::int32_t usedArea = 0;
        Sheet* next = nullptr;
    };

    class PackedSheet final : public Sheet {
    public:
        PackedSheet();
        static void* operator new(std::size_t size);
        static void operator delete(void* block, std::size_t size);
        void Clear() override;
        [[nodiscard]] bool IsPacked() const override { return true; }
        // The place for a w x h picture, or false when the sheet has no room.
        bool FindRoom(std::int32_t w, std::int32_t h, std::int32_t* x, std::int32_t* y) const;
        // Copies the picture's pixels to (x, y), narrows the rows' free spans and links a new
        // entry at the front of the sheet's list.
        Entry* Place(const gfx::GFXBitmap& picture, std::int32_t x, std::int32_t y);

        struct Row {
            std::int32_t start = 0;
            std::int32_t length = kSheetSize;
        };
        Row rows[kSheetSize];
    };

    // The entry for the name with one more reference; null when no bitmap can be had for it.
    // Without a bitmap it is read through the shape resource lookup; a given bitmap is taken
    // over (kept as a whole sheet, or copied onto a packed sheet and freed). Bitmaps that are
    // not 8-bit or pass 256 pixels either way are refused.
    static Entry* Acquire(std::string_view name, std::unique_ptr<gfx::GFXBitmap> bitmap = nullptr);
    // Drops one reference of the named texture, when it is cached.
    static void Release(std::string_view name);
    // Drops one reference; at none the entry leaves its sheet and the name cache, and an
    // emptied sheet is deleted. An entry already at no reference is left alone.
    static void ReleaseEntry(Entry* entry);
    // Places and names a bitmap without holding a reference to it.
    static Entry* RegisterBitmap(std::string_view name, std::unique_ptr<gfx::GFXBitmap> bitmap);
    static void PurgeEmptySheets();

    // ".txs" (sheets and names) and ".txl" (names only); ".txs"/".txl" is appended to a name
    // without a '.'. 0 when a name is too long for its record or the file cannot be written.
    static int SaveSheets(std::string_view name);
    static int SaveList(std::string_view name);
    // Reads a ".txs" file: its sheets and named entries join the manager. 0 when the file is
    // missing or damaged (nothing of it is kept then).
    static int LoadSheets(std::string_view name);

    // Everything freed (at exit, and between tests).
    static void Shutdown();

    // What the manager holds.
    [[nodiscard]] static int SheetCount();
    [[nodiscard]] static Sheet* FirstSheet();
    [[nodiscard]] static int CacheBlockCount();
    [[nodiscard]] static Entry* Find(std::string_view name);

    static void SetEntryPoolCapacity(std::int32_t count);
    static void SetSheetPoolCapacity(std::int32_t count);
};

}  // namespace ts
