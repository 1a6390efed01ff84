// The resource script compiler, the binary forms of the resources and their loaders, driven
// through an in-memory library.
#include <gtest/gtest.h>

#include <map>

#include "win/gdi.h"
#include "win/input.h"
#include "win/resource.h"
#include "win/resource_script.h"

namespace win {
namespace {

using Files = std::map<std::string, std::string>;

ResourceScriptResult Compile(std::string_view script, const Files& files = {}) {
    return CompileResourceScript(script, "test.rc",
                                 [&](const std::string& path) -> std::optional<std::string> {
                                     auto it = files.find(path);
                                     if (it == files.end()) return std::nullopt;
                                     return it->second;
                                 });
}

const CompiledResource* Member(const ResourceScriptResult& r, std::string_view member) {
    for (const auto& res : r.resources)
        if (res.member == member) return &res;
    return nullptr;
}

// Little BMP and cursor files made here, field by field.
void Put16(std::string& s, unsigned v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
std::string InfoHeader(int w, int h, int bpp, int colours) {
    std::string s;
    Put32(s, 40);
    Put32(s, static_cast<std::uint32_t>(w));
    Put32(s, static_cast<std::uint32_t>(h));
    Put16(s, 1);
    Put16(s, static_cast<unsigned>(bpp));
    for (int i = 0; i < 4; ++i)
        Put32(s, 0);
    Put32(s, static_cast<std::uint32_t>(colours));
    Put32(s, 0);
    return s;
}
// A 3×2 8-bit bottom-up BMP: the bottom row is indices 0 1 2, the top row 3 3 3.
std::string SmallBmp() {
    std::string dib = InfoHeader(3, 2, 8, 4);
    const std::uint32_t colours[4] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    for (std::uint32_t c : colours)
        Put32(dib, c);
    dib += std::string("\x00\x01\x02\x00\x03\x03\x03\x00", 8);
    std::string file = "BM";
    Put32(file, static_cast<std::uint32_t>(14 + dib.size()));
    Put32(file, 0);
    Put32(file, 14 + 40 + 16);
    return file + dib;
}
// A 2×2 32-bit cursor with its hot spot at (1, 0); the mask makes pixel (0, 0) transparent.
std::string SmallCursor() {
    std::string image = InfoHeader(2, 4, 32, 0);
    // Bottom-up colour rows: bottom row, then top row.
    Put32(image, 0x00112233);
    Put32(image, 0x00445566);
    Put32(image, 0x00778899);
    Put32(image, 0x00AABBCC);
    // Mask rows (bottom-up), each padded to 4 bytes: the top row's first pixel is transparent.
    image += std::string("\x00\x00\x00\x00\x80\x00\x00\x00", 8);
    std::string file;
    Put16(file, 0);
    Put16(file, 2);
    Put16(file, 1);
    file.push_back(2);
    file.push_back(2);
    file.push_back(0);
    file.push_back(0);
    Put16(file, 1);
    Put16(file, 0);
    Put32(file, static_cast<std::uint32_t>(image.size()));
    Put32(file, 22);
    return file + image;
}

const char kScript[] = R"(// a test script
#include "ids.h"
#define LOCAL_ID 42  /* a comment
   over two lines */
#ifdef NOT_DEFINED
THIS WOULD NOT PARSE
#else
MAINPULLDOWN MENU DISCARDABLE
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "&Open...\tCtrl+O", IDM_OPEN
        MENUITEM SEPARATOR
        MENUITEM "E&xit", IDM_EXIT, GRAYED
    END
    POPUP "&View"
    BEGIN
        MENUITEM "&Pause", 464, CHECKED
        POPUP "Time"
        BEGIN
            MENUITEM "Dawn", 177
        END
    END
END
#endif

KEYS ACCELERATORS
BEGIN
    "O", IDM_OPEN, VIRTKEY, CONTROL
    "^P", 464
    "a", 12, ASCII
    VK_F1, 300, VIRTKEY, SHIFT, ALT
END

STRINGTABLE
BEGIN
    1, "First"
    LOCAL_ID "Second ""quoted"" \\ line\n" "joined"
END

ABOUTBOX DIALOGEX 10, 20, 200, 100
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "About"
FONT 8, "MS Sans Serif", 400, 0, 1
BEGIN
    DEFPUSHBUTTON "OK", IDOK, 140, 80, 50, 14
    LTEXT "Version 1", IDC_STATIC, 10, 10, 100, 8
    EDITTEXT 1001, 10, 30, 60, 12, ES_AUTOHSCROLL | NOT WS_BORDER
    CONTROL "", 1715, "Static", SS_BLACKFRAME, 0, 0, 200, 100, WS_EX_STATICEDGE
    ICON 101, -1, 5, 5
END

7 BITMAP "small.bmp"
2 CURSOR "pointer.cur"
745 Palette "pal.bin"
)";

Files ScriptFiles() {
    return Files{
        {"ids.h", "#pragma once\n#define IDM_OPEN 159\n#define IDM_EXIT 168\nint ignored;\n"},
        {"small.bmp", SmallBmp()},
        {"pointer.cur", SmallCursor()},
        {"pal.bin", std::string("\x01\x02\x03", 3)}};
}

TEST(ResourceScript, CompilesEveryKindOfResource) {
    const auto r = Compile(kScript, ScriptFiles());
    ASSERT_TRUE(r.Ok()) << r.error;

    const auto* menu = Member(r, "MENU\\MAINPULLDOWN");
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->line, 8);
    const auto items = DecodeMenuTemplate(menu->data);
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 2u);
    EXPECT_EQ((*items)[0].text, "&File");
    ASSERT_EQ((*items)[0].items.size(), 3u);
    EXPECT_EQ((*items)[0].items[0].id, 159);
    EXPECT_EQ((*items)[0].items[0].text, "&Open...\tCtrl+O");
    EXPECT_EQ((*items)[0].items[1].flags, MF_SEPARATOR);
    EXPECT_EQ((*items)[0].items[2].flags, MF_GRAYED);
    EXPECT_EQ((*items)[1].items[0].flags, MF_CHECKED);
    EXPECT_EQ((*items)[1].items[1].items[0].id, 177);

    const auto* keys = Member(r, "ACCELERATORS\\KEYS");
    ASSERT_TRUE(keys);
    const auto accel = DecodeAccelerators(keys->data);
    ASSERT_TRUE(accel);
    ASSERT_EQ(accel->size(), 4u);
    EXPECT_EQ((*accel)[0].flags, FVIRTKEY | FCONTROL);
    EXPECT_EQ((*accel)[0].key, 'O');
    EXPECT_EQ((*accel)[0].cmd, 159);
    EXPECT_EQ((*accel)[1].flags, 0);
    EXPECT_EQ((*accel)[1].key, 16);  // ^P is the control character
    EXPECT_EQ((*accel)[2].key, 'a');
    EXPECT_EQ((*accel)[3].flags, FVIRTKEY | FSHIFT | FALT);
    EXPECT_EQ((*accel)[3].key, 0x70);

    const auto* first = Member(r, "STRING\\#1");
    const auto* second = Member(r, "STRING\\#42");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(std::string(second->data.begin(), second->data.end()),
              "Second \"quoted\" \\ line\njoined");

    const auto* dialog = Member(r, "DIALOG\\ABOUTBOX");
    ASSERT_TRUE(dialog);
    const auto d = DecodeDialogTemplate(dialog->data);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->caption, "About");
    EXPECT_EQ(d->style, 0x80C80080u | 0x40u);  // DS_SETFONT added for the FONT statement
    EXPECT_EQ(d->fontFace, "MS Sans Serif");
    EXPECT_EQ(d->fontSize, 8);
    EXPECT_EQ(d->x, 10);
    EXPECT_EQ(d->cy, 100);
    ASSERT_EQ(d->items.size(), 5u);
    EXPECT_EQ(d->items[0].className, "Button");
    EXPECT_EQ(d->items[0].style, 0x50010001u);  // child, visible, tab stop, default push
    EXPECT_EQ(d->items[1].id, -1);
    EXPECT_EQ(d->items[1].style, 0x50020000u);
    EXPECT_EQ(d->items[2].style, 0x50010080u);  // NOT WS_BORDER took the default border off
    EXPECT_EQ(d->items[3].exStyle, 0x20000u);
    EXPECT_EQ(d->items[3].style, 0x50000007u);
    EXPECT_EQ(d->items[4].text, "#101");

    ASSERT_TRUE(Member(r, "BITMAP\\#7"));
    ASSERT_TRUE(Member(r, "CURSOR\\#2"));
    const auto* raw = Member(r, "PALETTE\\#745");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->data.size(), 3u);
}

// Malformed scripts: each gives its line and a message, and nothing else.
TEST(ResourceScript, ErrorsNameTheLineAndNeverCrash) {
    struct Case {
        const char* script;
        const char* where;
        const char* message;
    } cases[] = {
        {"M MENU\nBEGIN\n MENUITEM \"x\" 5\nEND\n", "test.rc:3:", "expected ','"},
        {"M MENU\nBEGIN\n MENUITEM \"x\", NOSUCH\nEND\n", "test.rc:3:", "unknown name 'NOSUCH'"},
        {"M MENU\nBEGIN\n POPUP \"x\"\n BEGIN\nEND\n", "test.rc:5:", "without END"},
        {"\n\nS STRINGTABLE\n", "test.rc:3:", "takes no name"},
        {"\n\nS\n", "test.rc:3:", "resource type"},
        {"STRINGTABLE\nBEGIN\n 1, \"a\"\n 1, \"b\"\nEND\n", "test.rc:4:", "duplicate resource"},
        {"A ACCELERATORS\nBEGIN\n \"ab\", 1\nEND\n", "test.rc:3:", "one character"},
        {"A ACCELERATORS\nBEGIN\n \"a\", 1, VIRTKEY, ASCII\nEND\n", "test.rc:3:", "not both"},
        {"A ACCELERATORS\nBEGIN\n \"a\", 1, SIDEWAYS\nEND\n",
         "test.rc:3:", "unknown accelerator option"},
        {"X BITMAP \"missing.bmp\"\n", "test.rc:1:", "cannot read file"},
        {"X BITMAP \"bad.bmp\"\n", "test.rc:1:", "not a bitmap"},
        {"X CURSOR \"bad.bmp\"\n", "test.rc:1:", "not a cursor"},
        {"#include \"missing.h\"\n", "test.rc:1:", "cannot read included file"},
        {"#if 1\n", "test.rc:1:", "#if without #endif"},
        {"#endif\n", "test.rc:1:", "#endif without #if"},
        {"#frobnicate\n", "test.rc:1:", "unknown directive"},
        {"#define F(x) x\n", "test.rc:1:", "arguments"},
        {"#if 1 /\n#endif\n", "test.rc:1:", "bad #if"},
        {"#define A A B\nA MENU\n", "test.rc:2:", "too deep"},
        {"M MENU\nBEGIN\n MENUITEM \"unterminated, 1\nEND\n", "test.rc:3:", "unterminated string"},
        {"M MENU\nBEGIN\n MENUITEM \"x\", 70000\nEND\n", "test.rc:3:", "out of range"},
        {"D DIALOGEX 0, 0, 40000, 10\nBEGIN\nEND\n", "test.rc:1:", "out of range"},
        {"D DIALOGEX 0, 0, 10, 10\nBEGIN\n WIDGET 1, 2\nEND\n", "test.rc:3:", "expected a control"},
        {"D DIALOGEX 0, 0, 10, 10\nBEGIN\n CONTROL \"\", 1, \"x\", 0, 1, 2, 3\nEND\n",
         "test.rc:3:", "expected ','"},
        {"V VERSIONINFO\n", "test.rc:1:", "not supported"},
        {"R RCDATA\nBEGIN\nEND\n", "test.rc:1:", "not supported"},
        {"U MYTYPE\nBEGIN\nEND\n", "test.rc:2:", "inline data"},
        {"M MENU\nBEGIN\n MENUITEM \"x\", 1 @\nEND\n", "test.rc:3:", "unexpected character"},
        {"#include \"ids2.h\"\nM MENU\nBEGIN\n MENUITEM \"x\", ID\nEND\n",
         "ids2.h:2:", "#endif without"},
    };
    const Files files{{"bad.bmp", "BMnot really"}, {"ids2.h", "#define ID 4\n#endif\n"}};
    for (const Case& c : cases) {
        const auto r = Compile(c.script, files);
        EXPECT_FALSE(r.Ok()) << c.script;
        EXPECT_EQ(r.error.rfind(c.where, 0), 0u) << c.script << " -> " << r.error;
        EXPECT_NE(r.error.find(c.message), std::string::npos) << c.script << " -> " << r.error;
        EXPECT_TRUE(r.resources.empty());
    }
}

TEST(ResourceScript, PreprocessorConditionsAndExpressions) {
    const char* script = R"(#define A 1
#if defined(A) && !defined B
#define VALUE (0x10 | 4) + 2
#elif 1
#define VALUE 999
#endif
#ifndef A
#error not reached
#endif
STRINGTABLE BEGIN VALUE, "v" END
STRINGTABLE BEGIN (3 | 4) & NOT 1, "six" END
M MENU BEGIN MENUITEM "x", -(-5) + IDOK END
)";
    // Without an include reader at all, too.
    const auto r = CompileResourceScript(script, "cond.rc", nullptr);
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_TRUE(Member(r, "STRING\\#22"));
    EXPECT_TRUE(Member(r, "STRING\\#6"));
    const auto items = DecodeMenuTemplate(Member(r, "MENU\\M")->data);
    ASSERT_TRUE(items);
    EXPECT_EQ((*items)[0].id, 6);
}

// Random damage to a good script: every variant either compiles or reports a line; none crashes.
TEST(ResourceScript, DamagedScriptsNeverCrash) {
    const std::string good = kScript;
    const Files files = ScriptFiles();
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 214013u + 2531011u;
        return (seed >> 16) & 0x7FFF;
    };
    const char junk[] = "\"\\{}(),|#&-~0x9 \nBEGINEND/*";
    for (int round = 0; round < 400; ++round) {
        std::string s = good;
        const int edits = 1 + static_cast<int>(next() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = next() % s.size();
            switch (next() % 3) {
                case 0:
                    s.erase(at, 1 + next() % 20);
                    break;
                case 1:
                    s.insert(at, 1, junk[next() % (sizeof junk - 1)]);
                    break;
                default:
                    s = s.substr(0, at);
                    break;
            }
            if (s.empty()) s = "x";
        }
        const auto r = Compile(s, files);
        if (!r.Ok()) {
            EXPECT_NE(r.error.find(":"), std::string::npos);
        }
    }
}

TEST(ResourceBinary, MenusDialogsAndAcceleratorsRoundTrip) {
    std::vector<MenuTemplateItem> menu(2);
    menu[0].flags = MF_POPUP;
    menu[0].text = "&A";
    menu[0].items.resize(2);
    menu[0].items[0].id = 7;
    menu[0].items[0].text = "seven";
    menu[0].items[1].flags = MF_CHECKED | MF_GRAYED;
    menu[0].items[1].id = 8;
    menu[1].flags = MF_POPUP;  // an empty popup survives as one with a separator
    const auto bytes = EncodeMenuTemplate(menu);
    const auto back = DecodeMenuTemplate(bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ((*back)[0].items[1].flags, MF_CHECKED | MF_GRAYED);
    EXPECT_EQ((*back)[0].items[0].text, "seven");
    EXPECT_EQ((*back)[1].items.size(), 1u);

    DialogTemplate d;
    d.caption = "c";
    d.items.resize(1);
    d.items[0].className = "Edit";
    d.items[0].id = -1;
    d.items[0].x = -5;
    const auto dbytes = EncodeDialogTemplate(d);
    const auto dback = DecodeDialogTemplate(dbytes);
    ASSERT_TRUE(dback);
    EXPECT_EQ(dback->items[0].id, -1);
    EXPECT_EQ(dback->items[0].x, -5);

    // Every truncation of every form is refused, never read past its end.
    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(
            DecodeMenuTemplate(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + n)) &&
            n > 0)
            << n;
    for (std::size_t n = 0; n < dbytes.size(); ++n)
        EXPECT_FALSE(
            DecodeDialogTemplate(std::vector<std::uint8_t>(dbytes.begin(), dbytes.begin() + n)));
    const auto abytes = EncodeAccelerators({ACCEL{FVIRTKEY, 'O', 159}});
    for (std::size_t n = 0; n < abytes.size(); ++n)
        EXPECT_FALSE(
            DecodeAccelerators(std::vector<std::uint8_t>(abytes.begin(), abytes.begin() + n)));
    // A dialog claiming 65535 items in a few bytes is refused before anything is allocated.
    auto lying = dbytes;
    const std::size_t countAt = dbytes.size() - (2 + 4 + 1 + 4 + 4 + 4 + 4 + 8) - 2;
    lying[countAt] = 0xFF;
    lying[countAt + 1] = 0xFF;
    EXPECT_FALSE(DecodeDialogTemplate(lying));
    // Menus nested deeper than the limit are refused.
    std::vector<std::uint8_t> deep;
    for (int i = 0; i < 12; ++i) {
        deep.push_back(MF_POPUP);
        deep.push_back(0);
        deep.push_back(0);
        deep.push_back(0);
    }
    EXPECT_FALSE(DecodeMenuTemplate(deep));
}

// Random bytes into every decoder: refused or decoded, never a crash or an endless loop.
TEST(ResourceBinary, RandomBytesNeverCrashTheDecoders) {
    std::uint32_t seed = 777;
    auto next = [&] {
        seed = seed * 214013u + 2531011u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> bytes(next() % 64);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(next());
        if (round % 3 == 0 && bytes.size() >= 4) {
            // Give some of them a plausible start.
            bytes[0] = 'D', bytes[1] = 'L', bytes[2] = 'G', bytes[3] = 'X';
        }
        (void)DecodeMenuTemplate(bytes);
        (void)DecodeAccelerators(bytes);
        (void)DecodeDialogTemplate(bytes);
        (void)DecodeBmpFile(bytes);
        (void)DecodeIconFile(bytes);
    }
}

TEST(ResourceBinary, ImagesDecodeAndDamagedOnesAreRefused) {
    const std::string bmp = SmallBmp();
    const auto image = DecodeBmpFile(std::vector<std::uint8_t>(bmp.begin(), bmp.end()));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bitsPerPixel, 8);
    // Rows come out top-down.
    EXPECT_EQ(image->indices, (std::vector<std::uint8_t>{3, 3, 3, 0, 1, 2}));
    EXPECT_EQ(image->table[1], 0xFF0000u);

    const std::string cur = SmallCursor();
    const auto icon = DecodeIconFile(std::vector<std::uint8_t>(cur.begin(), cur.end()));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->hotX, 1);
    EXPECT_EQ(icon->hotY, 0);
    EXPECT_EQ(icon->argb[0], 0x00778899u);  // transparent by its mask
    EXPECT_EQ(icon->argb[1], 0xFFAABBCCu);
    EXPECT_EQ(icon->argb[2], 0xFF112233u);

    for (const std::string* file : {&bmp, &cur}) {
        for (std::size_t n = 0; n < file->size(); ++n) {
            const std::vector<std::uint8_t> cut(file->begin(),
                                                file->begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_FALSE(DecodeBmpFile(cut));
            EXPECT_FALSE(DecodeIconFile(cut));
        }
        // Any single damaged byte: decoded or refused, never a crash.
        for (std::size_t at = 0; at < file->size(); ++at) {
            std::vector<std::uint8_t> bad(file->begin(), file->end());
            bad[at] ^= 0xA5;
            (void)DecodeBmpFile(bad);
            (void)DecodeIconFile(bad);
        }
    }
}

class ResourceLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto r = Compile(kScript, ScriptFiles());
        ASSERT_TRUE(r.Ok()) << r.error;
        auto source = std::make_unique<MemoryResourceSource>();
        source->Add(kManifestMember,
                    EncodeManifest(static_cast<std::uint32_t>(r.resources.size())));
        for (const auto& res : r.resources)
            source->Add(res.member, res.data);
        std::string error;
        library = LoadResourceLibrary(std::move(source), &error);
        ASSERT_TRUE(library) << error;
    }
    void TearDown() override { FreeResourceLibrary(library); }
    HINSTANCE library;
};

TEST_F(ResourceLibraryTest, LoadersReadTheirResources) {
    std::string text;
    EXPECT_EQ(LoadString(library, 1, &text), 5);
    EXPECT_EQ(text, "First");
    EXPECT_EQ(LoadString(library, 99, &text), 0);
    EXPECT_EQ(text, "");
    char buffer[4];
    EXPECT_EQ(LoadString(library, 1, buffer, sizeof buffer), 3);
    EXPECT_STREQ(buffer, "Fir");

    HACCEL accel = LoadAccelerators(library, "keys");  // names ignore case
    ASSERT_TRUE(accel);
    EXPECT_EQ(GetAcceleratorEntries(accel).size(), 4u);
    EXPECT_FALSE(LoadAccelerators(library, "nothere"));
    DestroyAcceleratorTable(accel);

    HBITMAP bitmap = LoadBitmap(library, 7);
    ASSERT_TRUE(bitmap);
    BITMAP bm;
    ASSERT_TRUE(GetObject(bitmap, &bm));
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBitsPixel, 8);
    HDC dc = CreateCompatibleDC(HDC{});
    SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0, 255, 0));  // the file's first row is the bottom
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255));
    DeleteDC(dc);
    DeleteObject(bitmap);

    const auto dialog = LoadDialogTemplate(library, "AboutBox");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->items.size(), 5u);
    EXPECT_TRUE(LoadResourceBytes(library, "Palette", 745));
    // Resource cursors reach LoadCursor through the loader the library installed; each is
    // loaded once and shared, however often the program asks for it (a wait cursor at every
    // long step), and goes with its library.
    const HCURSOR cursor = LoadCursor(library, 2);
    EXPECT_TRUE(cursor);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(LoadCursor(library, 2), cursor);
    EXPECT_FALSE(LoadCursor(library, 3));
    EXPECT_FALSE(DestroyCursor(HCURSOR{IDC_ARROW}));  // a system cursor is never freed
    const HCURSOR own = CreateImageCursor(1, 1, 0, 0, {0xFF000000u});
    EXPECT_TRUE(DestroyCursor(own));
    EXPECT_FALSE(DestroyCursor(own));
    EXPECT_FALSE(LoadIcon(library, 1));
    EXPECT_TRUE(LoadIcon(HINSTANCE{}, IDI_APPLICATION));
}

TEST(ResourceLibrary, AMissingOrForeignPackIsRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(LoadResourceLibrary(nullptr, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(LoadResourceLibrary(std::make_unique<MemoryResourceSource>(), &error));
    EXPECT_NE(error.find("manifest"), std::string::npos);
    auto wrong = std::make_unique<MemoryResourceSource>();
    wrong->Add(kManifestMember, {'Z', 'R', 'P', 'K', 9, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(LoadResourceLibrary(std::move(wrong), &error));
    EXPECT_NE(error.find("version"), std::string::npos);
    auto damaged = std::make_unique<MemoryResourceSource>();
    damaged->Add(kManifestMember, {'Z', 'R', 'P'});
    EXPECT_FALSE(LoadResourceLibrary(std::move(damaged), &error));
    EXPECT_NE(error.find("damaged"), std::string::npos);
    EXPECT_EQ(ResourceMemberName("menu", "MainPullDown"), "MENU\\MAINPULLDOWN");
    EXPECT_EQ(ResourceMemberName("string", "#12"), "STRING\\#12");
    EXPECT_EQ(ResourceMemberName("string", "12"), "STRING\\#12");
}

}  // namespace
}  // namespace win
