#include "ts/texture_manager.h"

#include <algorithm>
#include <cstring>
#include <strings.h>
#include <vector>

#include "core/endian.h"
#include "core/file_stream.h"
#include "core/pool_alloc.h"
#include "gfx/bitmap.h"
#include "ts/engine_pools.h"
#include "ts/shape_resource.h"

namespace ts {

using Entry = TSTextureManager::Entry;
using Sheet = TSTextureManager::Sheet;
using PackedSheet = TSTextureManager::PackedSheet;

namespace {

constexpr std::int32_t kSheetPixels = TSTextureManager::kSheetSize * TSTextureManager::kSheetSize;

// ---- pools --------------------------------------------------------------------------------

struct Pools {
    core::PoolAlloc entries{sizeof(Entry), EnginePoolDefaultCapacity(EnginePool::kTextureEntry)};
    core::PoolAlloc sheets{sizeof(Sheet), EnginePoolDefaultCapacity(EnginePool::kSheet)};
    core::PoolAlloc packed{sizeof(PackedSheet), 200};
    Pools() {
        AttachEnginePool(EnginePool::kTextureEntry, &entries);
        AttachEnginePool(EnginePool::kSheet, &sheets);
    }
};

// Never destroyed: the sheets freed at exit go back to it.
Pools& ThePools() {
    static Pools* pools = new Pools;
    return *pools;
}

// ---- the name cache -----------------------------------------------------------------------

// A block of up to 40 names kept sorted without regard to case; the names live in the block's
// own 320-byte string area, each with its terminator.
struct CacheBlock {
    struct Slot {
        Entry* entry = nullptr;
        std::uint16_t offset = 0;
        std::uint16_t length = 0;  // characters, without the terminator
    };
    std::int32_t count = 0;
    std::int32_t used = 0;  // string bytes in use, terminators included
    std::int32_t free = TSTextureManager::kCacheBlockStrings;
    Slot slots[TSTextureManager::kCacheBlockEntries];
    char strings[TSTextureManager::kCacheBlockStrings] = {};

    [[nodiscard]] const char* Name(const Slot& s) const { return strings + s.offset; }
    void Sort() {
        std::sort(slots, slots + count, [this](const Slot& a, const Slot& b) {
            return strcasecmp(Name(a), Name(b)) < 0;
        });
    }
    // Packs the live names at the start of the area.
    void Compact() {
        char packed[TSTextureManager::kCacheBlockStrings];
        std::int32_t at = 0;
        for (int i = 0; i < count; ++i) {
            std::memcpy(packed + at, strings + slots[i].offset, slots[i].length + 1u);
            slots[i].offset = static_cast<std::uint16_t>(at);
            at += slots[i].length + 1;
        }
        std::memcpy(strings, packed, static_cast<std::size_t>(at));
        used = at;
    }
    int Find(std::string_view name) const {
        int lo = 0, hi = count - 1;
        while (lo <= hi) {
            const int mid = (lo + hi) / 2;
            const int c = CompareName(name, Name(slots[mid]));
            if (c == 0) return mid;
            if (c < 0)
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        return -1;
    }
    static int CompareName(std::string_view a, const char* b) {
        for (std::size_t i = 0;; ++i) {
            const int ca = i < a.size() ? std::tolower(static_cast<unsigned char>(a[i])) : 0;
            const int cb = std::tolower(static_cast<unsigned char>(b[i]));
            if (ca != cb || ca == 0) return ca - cb;
        }
    }
};

struct State;
void FreeSheets(State& st);

struct State {
    Sheet* sheets = nullptr;
    int sheetCount = 0;
    std::vector<std::unique_ptr<CacheBlock>> cache;
    // At exit the sheets go back before the pools they came from.
    ~State() { FreeSheets(*this); }
};

State& TheState() {
    ThePools();
    static State state;
    return state;
}

void FreeSheets(State& st) {
    while (st.sheets != nullptr) {
        Sheet* s = st.sheets;
        st.sheets = s->next;
        s->next = nullptr;
        delete s;
    }
    st.sheetCount = 0;
}

bool ValidName(std::string_view name) {
    return name.size() + 1 <= static_cast<std::size_t>(TSTextureManager::kCacheBlockStrings) &&
           name.find('\0') == std::string_view::npos;
}

// Inserts a name; false when it cannot be held.
bool CacheInsert(std::string_view name, Entry* entry) {
    if (!ValidName(name)) return false;
    State& st = TheState();
    const auto need = static_cast<std::int32_t>(name.size() + 1);
    CacheBlock* block = nullptr;
    for (auto& b : st.cache) {
        if (b->count < TSTextureManager::kCacheBlockEntries && b->free >= need) {
            block = b.get();
            break;
        }
    }
    if (block == nullptr) {
        st.cache.push_back(std::make_unique<CacheBlock>());
        block = st.cache.back().get();
    }
    if (block->used + need > TSTextureManager::kCacheBlockStrings) block->Compact();
    CacheBlock::Slot& s = block->slots[block->count++];
    s.entry = entry;
    s.offset = static_cast<std::uint16_t>(block->used);
    s.length = static_cast<std::uint16_t>(name.size());
    std::memcpy(block->strings + block->used, name.data(), name.size());
    block->strings[block->used + static_cast<std::int32_t>(name.size())] = '\0';
    block->used += need;
    block->free -= need;
    block->Sort();
    return true;
}

void CacheRemove(const Entry* entry) {
    for (auto& b : TheState().cache) {
        for (int i = 0; i < b->count; ++i) {
            if (b->slots[i].entry != entry) continue;
            b->free += b->slots[i].length + 1;
            b->slots[i] = b->slots[b->count - 1];
            --b->count;
            b->Sort();
            return;
        }
    }
}

const char* NameOf(const Entry* entry) {
    for (const auto& b : TheState().cache)
        for (int i = 0; i < b->count; ++i)
            if (b->slots[i].entry == entry) return b->Name(b->slots[i]);
    return nullptr;
}

// ---- the sheet chain ----------------------------------------------------------------------

void LinkSheet(Sheet* sheet) {
    State& st = TheState();
    sheet->next = st.sheets;
    st.sheets = sheet;
    ++st.sheetCount;
}

void UnlinkSheet(Sheet* sheet) {
    State& st = TheState();
    for (Sheet** p = &st.sheets; *p != nullptr; p = &(*p)->next) {
        if (*p != sheet) continue;
        *p = sheet->next;
        sheet->next = nullptr;
        --st.sheetCount;
        return;
    }
}

void RemoveEntry(Entry* entry) {
    CacheRemove(entry);
    Sheet* sheet = entry->sheet;
    if (sheet != nullptr) {
        for (Entry** p = &sheet->entries; *p != nullptr; p = &(*p)->next) {
            if (*p == entry) {
                *p = entry->next;
                break;
            }
        }
        sheet->usedArea -= static_cast<std::int32_t>(entry->sx * entry->sy * kSheetPixels);
        if (sheet->entries == nullptr) sheet->Clear();
        if (sheet->usedArea <= 0) {
            UnlinkSheet(sheet);
            delete sheet;
        }
    }
    delete entry;
}

// The extension goes onto a file name without a '.' (its folder's dots do not count).
std::string WithExtension(std::string_view name, const char* extension) {
    std::string file(name);
    const std::size_t cut = file.find_last_of("\\/:");
    if (file.find('.', cut == std::string::npos ? 0 : cut + 1) == std::string::npos) file += extension;
    return file;
}

}  // namespace

// ---- entries and sheets -------------------------------------------------------------------

void* Entry::operator new(std::size_t size) {
    return PoolNew(ThePools().entries, size);
}
void Entry::operator delete(void* block, std::size_t size) {
    PoolDelete(ThePools().entries, block, size);
}

std::int32_t Entry::PixelWidth() const {
    return static_cast<std::int32_t>(sx * TSTextureManager::kSheetSize + 0.5f);
}
std::int32_t Entry::PixelHeight() const {
    return static_cast<std::int32_t>(sy * TSTextureManager::kSheetSize + 0.5f);
}

Sheet::~Sheet() {
    while (entries != nullptr) {
        Entry* e = entries;
        entries = e->next;
        delete e;
    }
}

void* Sheet::operator new(std::size_t size) {
    return PoolNew(ThePools().sheets, size);
}
void Sheet::operator delete(void* block, std::size_t size) {
    PoolDelete(ThePools().sheets, block, size);
}

void Sheet::Clear() {
    // The bitmap is gone with the pointer: a later destructor finds nothing to delete twice.
    bitmap.reset();
    usedArea = 0;
}

PackedSheet::PackedSheet() {
    bitmap = gfx::GFXBitmap::Create(kSheetSize, kSheetSize, 8);
    if (bitmap && bitmap->pixels != nullptr)
        for (std::int32_t y = 0; y < kSheetSize; ++y)
            std::memset(bitmap->Row(y), 0, kSheetSize);
}

void* PackedSheet::operator new(std::size_t size) {
    return PoolNew(ThePools().packed, size);
}
void PackedSheet::operator delete(void* block, std::size_t size) {
    PoolDelete(ThePools().packed, block, size);
}

void PackedSheet::Clear() {
    for (Row& r : rows)
        r = Row{};
    usedArea = 0;
}

bool PackedSheet::FindRoom(std::int32_t w, std::int32_t h, std::int32_t* x, std::int32_t* y) const {
    if (w <= 0 || h <= 0 || w > kSheetSize || h > kSheetSize) return false;
    if (kSheetPixels - usedArea < w * h) return false;
    for (std::int32_t top = 0; top <= kSheetSize - h; ++top) {
        const Row& first = rows[top];
        if (first.length < w) continue;
        std::int32_t lo = first.start, hi = first.start + first.length;
        bool fits = true;
        for (std::int32_t r = top + 1; r < top + h; ++r) {
            lo = std::max(lo, rows[r].start);
            hi = std::min(hi, rows[r].start + rows[r].length);
            if (hi - lo < w) {
                fits = false;
                break;
            }
        }
        if (!fits) continue;
        *x = hi < first.start + first.length ? lo : first.start + first.length - w;
        *y = top;
        return true;
    }
    return false;
}

Entry* PackedSheet::Place(const gfx::GFXBitmap& picture, std::int32_t x, std::int32_t y) {
    const std::int32_t w = picture.width, h = std::abs(picture.height);
    for (std::int32_t r = 0; r < h; ++r) {
        if (bitmap && bitmap->pixels != nullptr)
            std::memcpy(bitmap->Row(y + r) + x, picture.Row(r), static_cast<std::size_t>(w));
        Row& row = rows[y + r];
        if (x == row.start) {
            row.start += w;
            row.length -= w;
        } else {
            const std::int32_t left = x - row.start;
            const std::int32_t right = row.start + row.length - (x + w);
            if (left >= right) {
                row.length = left;
            } else {
                row.start = x + w;
                row.length = right;
            }
        }
    }
    usedArea += w * h;
    auto* e = new Entry;
    e->sheet = this;
    e->x0 = static_cast<float>(x) / kSheetSize;
    e->y0 = static_cast<float>(y) / kSheetSize;
    e->sx = static_cast<float>(w) / kSheetSize;
    e->sy = static_cast<float>(h) / kSheetSize;
    e->next = entries;
    entries = e;
    return e;
}

// ---- the manager --------------------------------------------------------------------------

Entry* TSTextureManager::Find(std::string_view name) {
    for (const auto& b : TheState().cache) {
        const int i = b->Find(name);
        if (i >= 0) return b->slots[i].entry;
    }
    return nullptr;
}

Entry* TSTextureManager::Acquire(std::string_view name, std::unique_ptr<gfx::GFXBitmap> bitmap) {
    if (Entry* found = Find(name)) {
        ++found->refCount;
        return found;
    }
    if (!ValidName(name)) return nullptr;
    if (!bitmap) {
        core::StreamIO* stream = OpenShapeResource(name);
        if (stream == nullptr) return nullptr;
        bitmap = gfx::GFXBitmap::ReadNew(*stream, 0);
        CloseShapeResource(stream);
        if (!bitmap) return nullptr;
    }
    const std::int32_t w = bitmap->width, h = std::abs(bitmap->height);
    // Only what a sheet can hold: 8-bit pixels, at most a sheet in either direction.
    if (bitmap->bitsPerPixel != 8 || bitmap->pixels == nullptr || w <= 0 || h <= 0 ||
        w > kSheetSize || h > kSheetSize)
        return nullptr;

    Entry* entry = nullptr;
    if (w == kSheetSize && h == kSheetSize) {
        auto* sheet = new Sheet;
        sheet->bitmap = std::move(bitmap);
        sheet->usedArea = kSheetPixels;
        entry = new Entry;
        entry->sheet = sheet;
        entry->sx = entry->sy = 1.0f;
        sheet->entries = entry;
        LinkSheet(sheet);
    } else {
        std::int32_t x = 0, y = 0;
        PackedSheet* target = nullptr;
        for (Sheet* s = TheState().sheets; s != nullptr && target == nullptr; s = s->next) {
            if (!s->IsPacked()) continue;
            auto* p = static_cast<PackedSheet*>(s);
            if (p->FindRoom(w, h, &x, &y)) target = p;
        }
        if (target == nullptr) {
            target = new PackedSheet;
            if (!target->bitmap) {
                delete target;
                return nullptr;
            }
            LinkSheet(target);
            x = y = 0;
        }
        entry = target->Place(*bitmap, x, y);
    }
    if (!CacheInsert(name, entry)) {
        RemoveEntry(entry);
        return nullptr;
    }
    return entry;
}

void TSTextureManager::Release(std::string_view name) {
    if (Entry* e = Find(name)) ReleaseEntry(e);
}

void TSTextureManager::ReleaseEntry(Entry* entry) {
    if (entry == nullptr || entry->refCount == 0) return;
    if (--entry->refCount > 0) return;
    RemoveEntry(entry);
}

Entry* TSTextureManager::RegisterBitmap(std::string_view name,
                                       std::unique_ptr<gfx::GFXBitmap> bitmap) {
    if (!bitmap) return nullptr;
    Entry* e = Acquire(name, std::move(bitmap));
    // The texture stays placed and named; nobody holds it.
    if (e != nullptr && e->refCount > 0) --e->refCount;
    return e;
}

void TSTextureManager::PurgeEmptySheets() {
    State& st = TheState();
    for (Sheet** p = &st.sheets; *p != nullptr;) {
        Sheet* s = *p;
        if (s->entries == nullptr) {
            *p = s->next;
            s->next = nullptr;
            --st.sheetCount;
            delete s;
        } else {
            p = &s->next;
        }
    }
}

void TSTextureManager::Shutdown() {
    FreeSheets(TheState());
    TheState().cache.clear();
}

int TSTextureManager::SheetCount() {
    return TheState().sheetCount;
}

Sheet* TSTextureManager::FirstSheet() {
    return TheState().sheets;
}

int TSTextureManager::CacheBlockCount() {
    return static_cast<int>(TheState().cache.size());
}

void TSTextureManager::SetEntryPoolCapacity(std::int32_t count) {
    ThePools();
    SetEnginePoolCapacity(EnginePool::kTextureEntry, count);
}

void TSTextureManager::SetSheetPoolCapacity(std::int32_t count) {
    ThePools();
    SetEnginePoolCapacity(EnginePool::kSheet, count);
}

// ---- ".txs" and ".txl" --------------------------------------------------------------------

namespace {

constexpr std::uint32_t kTagSheets = core::FourCC("TSXS");
constexpr std::uint32_t kTagList = core::FourCC("TSXL");
constexpr std::uint32_t kRecordBytes = 36;

struct Record {
    const char* name;
    const Entry* entry;
    std::uint32_t sheet;
};

// Every named entry, sheet by sheet in chain order, each sheet's entries in list order; false
// when a name does not fit its record.
bool CollectRecords(std::vector<Record>* out) {
    std::uint32_t number = 0;
    for (const Sheet* s = TheState().sheets; s != nullptr; s = s->next, ++number) {
        for (const Entry* e = s->entries; e != nullptr; e = e->next) {
            const char* name = NameOf(e);
            if (name == nullptr) continue;
            if (std::strlen(name) > TSTextureManager::kMaxRecordName) return false;
            out->push_back(Record{name, e, number});
        }
    }
    return true;
}

int WriteWords(core::StreamIO& s, std::initializer_list<std::uint32_t> words) {
    int ok = 1;
    for (std::uint32_t w : words) {
        std::uint8_t b[4];
        core::WriteU32(b, w);
        ok &= s.Write(4, b);
    }
    return ok;
}

int WriteRecords(core::StreamIO& s, const std::vector<Record>& records) {
    int ok = 1;
    for (const Record& r : records) {
        std::uint8_t b[kRecordBytes] = {};
        std::memcpy(b, r.name, std::strlen(r.name));
        const float v[4] = {r.entry->x0, r.entry->y0, r.entry->sx, r.entry->sy};
        for (int i = 0; i < 4; ++i) {
            std::uint32_t u;
            std::memcpy(&u, &v[i], 4);
            core::WriteU32(b + 16 + 4 * i, u);
        }
        core::WriteU32(b + 32, r.sheet);
        ok &= s.Write(kRecordBytes, b);
    }
    return ok;
}

int WriteFile(std::string_view name, const char* extension, bool withPixels) {
    std::vector<Record> records;
    if (!CollectRecords(&records)) return 0;
    const auto sheets = static_cast<std::uint32_t>(TSTextureManager::SheetCount());
    const auto textures = static_cast<std::uint32_t>(records.size());
    const std::uint64_t size =
        12 + (withPixels ? std::uint64_t{kSheetPixels} * sheets : 0) + std::uint64_t{kRecordBytes} * textures;
    if (size > 0x7FFFFFF0u) return 0;
    core::FileWStream out;
    if (!out.OpenTruncated(WithExtension(name, extension))) return 0;
    int ok = WriteWords(out, {withPixels ? kTagSheets : kTagList, static_cast<std::uint32_t>(size),
                              static_cast<std::uint32_t>(TSTextureManager::kSheetSize), sheets});
    if (withPixels) {
        std::vector<std::uint8_t> blank(TSTextureManager::kSheetSize, 0);
        for (const Sheet* s = TheState().sheets; s != nullptr; s = s->next) {
            for (std::int32_t y = 0; y < TSTextureManager::kSheetSize; ++y) {
                const bool have = s->bitmap && s->bitmap->pixels != nullptr;
                ok &= out.Write(TSTextureManager::kSheetSize, have ? s->bitmap->Row(y) : blank.data());
            }
        }
    }
    ok &= WriteWords(out, {textures});
    ok &= WriteRecords(out, records);
    ok &= out.Flush();
    const bool good = ok != 0 && out.GetStatus() == core::kStreamOk;
    out.Close();
    return good ? 1 : 0;
}

bool ReadWord(core::StreamIO& s, std::uint32_t* out) {
    std::uint8_t b[4];
    if (!core::ReadAll(s, 4, b)) return false;
    *out = core::ReadU32(b);
    return true;
}

}  // namespace

int TSTextureManager::SaveSheets(std::string_view name) {
    return WriteFile(name, ".txs", true);
}

int TSTextureManager::SaveList(std::string_view name) {
    return WriteFile(name, ".txl", false);
}

int TSTextureManager::LoadSheets(std::string_view name) {
    ShapeSearchPath guard(name);
    core::StreamIO* stream = OpenShapeResource(WithExtension(guard.FileName(), ".txs"));
    if (stream == nullptr) return 0;
    core::StreamIO& s = *stream;
    std::vector<std::unique_ptr<Sheet>> sheets;
    struct Loaded {
        std::string name;
        std::uint32_t sheet;
        std::int32_t x, y, w, h;
    };
    std::vector<Loaded> loaded;
    bool good = false;
    std::uint32_t tag = 0, size = 0, dimension = 0, sheetCount = 0, textureCount = 0;
    do {
        if (!ReadWord(s, &tag) || tag != kTagSheets) break;
        if (!ReadWord(s, &size) || !ReadWord(s, &dimension) || !ReadWord(s, &sheetCount)) break;
        if (dimension != static_cast<std::uint32_t>(kSheetSize) || size < 12 ||
            sheetCount > (size - 12) / kSheetPixels)
            break;
        bool pixelsOk = true;
        for (std::uint32_t i = 0; i < sheetCount && pixelsOk; ++i) {
            auto sheet = std::make_unique<Sheet>();
            sheet->bitmap = gfx::GFXBitmap::Create(kSheetSize, kSheetSize, 8);
            pixelsOk = sheet->bitmap != nullptr && sheet->bitmap->pixels != nullptr;
            for (std::int32_t y = 0; pixelsOk && y < kSheetSize; ++y)
                pixelsOk = core::ReadAll(s, kSheetSize, sheet->bitmap->Row(y)) != 0;
            sheets.push_back(std::move(sheet));
        }
        if (!pixelsOk || !ReadWord(s, &textureCount)) break;
        // The size word covers exactly what the counts say follows.
        if (std::uint64_t{12} + std::uint64_t{kSheetPixels} * sheetCount +
                std::uint64_t{kRecordBytes} * textureCount !=
            size)
            break;
        bool recordsOk = true;
        for (std::uint32_t i = 0; i < textureCount && recordsOk; ++i) {
            std::uint8_t b[kRecordBytes];
            if (!core::ReadAll(s, kRecordBytes, b)) {
                recordsOk = false;
                break;
            }
            float v[4];
            for (int k = 0; k < 4; ++k) {
                const std::uint32_t u = core::ReadU32(b + 16 + 4 * k);
                std::memcpy(&v[k], &u, 4);
            }
            const std::uint32_t number = core::ReadU32(b + 32);
            Loaded l;
            l.name.assign(reinterpret_cast<const char*>(b), strnlen(reinterpret_cast<const char*>(b), 16));
            l.sheet = number;
            // Whole pixels inside the sheet, or the record is damaged.
            auto pixel = [](float f, std::int32_t* out) {
                if (!(f >= 0.0f && f <= 1.0f)) return false;
                *out = static_cast<std::int32_t>(f * kSheetSize);
                return true;
            };
            recordsOk = number < sheetCount && pixel(v[0], &l.x) && pixel(v[1], &l.y) &&
                        pixel(v[2], &l.w) && pixel(v[3], &l.h) && l.w > 0 && l.h > 0 &&
                        l.x + l.w <= kSheetSize && l.y + l.h <= kSheetSize && ValidName(l.name);
            loaded.push_back(std::move(l));
        }
        good = recordsOk;
    } while (false);
    CloseShapeResource(stream);
    if (!good) return 0;

    // The sheets join the chain in file order (the first read ends up nearest the front's end).
    std::vector<Sheet*> placed;
    for (auto& sheet : sheets)
        placed.push_back(sheet.release());
    for (auto it = placed.rbegin(); it != placed.rend(); ++it)
        LinkSheet(*it);
    for (const Loaded& l : loaded) {
        Sheet* sheet = placed[l.sheet];
        auto* e = new Entry;
        e->sheet = sheet;
        e->x0 = static_cast<float>(l.x) / kSheetSize;
        e->y0 = static_cast<float>(l.y) / kSheetSize;
        e->sx = static_cast<float>(l.w) / kSheetSize;
        e->sy = static_cast<float>(l.h) / kSheetSize;
        if (!CacheInsert(l.name, e)) {
            delete e;
            continue;
        }
        // Appended, so that the sheet lists its entries in the file's order.
        Entry** tail = &sheet->entries;
        while (*tail != nullptr)
            tail = &(*tail)->next;
        *tail = e;
        sheet->usedArea += l.w * l.h;
    }
    // A sheet that got no texture holds nothing anyone can ask for.
    for (Sheet* sheet : placed)
        if (sheet->entries == nullptr) sheet->usedArea = 0;
    PurgeEmptySheets();
    return 1;
}

}  // namespace ts
