#include "win/file_api.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace win;

class FileApiTest : public ::testing::Test {
protected:
    void TearDown() override { platform::ClearSimulatedFaults(); }
    std::string Win(const std::string& relative) const { return folder_.WinPath(relative); }
    void Make(const std::string& relative, const std::string& contents) const {
        folder_.Write(relative, contents);
    }
    std::string Slurp(const std::string& relative) const {
        std::string contents;
        EXPECT_TRUE(ReadWholeFile(Win(relative), &contents));
        return contents;
    }
    testsupport::TempFolder folder_{"files-api"};
    const std::string root_ = folder_.Root();
};

// Static objects of the program close their files from their destructors, after main returns;
// this one is built before the file layer is first used, so it is destroyed after it would be.
struct CloseAtExit {
    FileHandle handle;
    ~CloseAtExit() {
        if (handle.IsValid()) CloseHandle(handle);
    }
} theLateCloser;

TEST_F(FileApiTest, FilesCanBeClosedByStaticDestructors) {
    theLateCloser.handle = CreateFile(Win("late.bin"), GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_TRUE(theLateCloser.handle.IsValid());
}

// What stands at a name is said for what it is, through links and loops of them; a plain file
// or nothing is no refusal, and a path of the machine is shown with one kind of separator.
TEST_F(FileApiTest, WhatIsNoPlainFileIsSaidForWhatItIs) {
    Make("plain.txt", "x");
    fs::create_directory(root_ + "/folder");
    ASSERT_EQ(mkfifo((root_ + "/pipe").c_str(), 0600), 0);
    for (const auto& [link, to] : {std::pair{"device", "/dev/null"},
                                   {"toplain", "plain.txt"},
                                   {"dangling", "gone"},
                                   {"self", "self"},
                                   {"loopa", "loopb"},
                                   {"loopb", "loopa"},
                                   {"topipe", "pipe"}})
        fs::create_symlink(to, root_ + "/" + link);
    const std::string no = "it is not a plain file (it is a ",
                      loop = "it is a link loop (its links lead back to themselves)";
    const std::pair<const char*, std::string> cases[] = {{"plain.txt", ""},
                                                         {"toplain", ""},
                                                         {"missing", ""},
                                                         {"dangling", ""},
                                                         {"FOLDER", no + "folder)"},
                                                         {"pipe", no + "pipe)"},
                                                         {"topipe", no + "link to a pipe)"},
                                                         {"device", no + "link to a device)"},
                                                         {"self", loop},
                                                         {"loopa", loop}};
    for (const auto& [name, said] : cases) {
        EXPECT_EQ(DescribeNoPlainFile(Win(name)), said) << name;
        EXPECT_EQ(DescribeFileErrorAt(Win(name), ERROR_BAD_FILE_TYPE),
                  said.empty() ? DescribeFileError(ERROR_BAD_FILE_TYPE) : said)
            << name;
        EXPECT_EQ(DescribeFileErrorAt(Win(name), ERROR_DISK_FULL), "the disk is full") << name;
    }
    // Paths are shown with slashes, as the file system names them.
    for (const auto& [path, shown] : {std::pair{"/media/disc\\Corvex\\Art\\USA.Vol", "/media/disc/Corvex/Art/USA.Vol"},
                                      {"Art\\USA.Vol", "Art/USA.Vol"},
                                      {"Flights\\x.Flt", "Flights/x.Flt"},
                                      {".\\Jo.Pln", "./Jo.Pln"},
                                      {"USA.Vol", "USA.Vol"}})
        EXPECT_EQ(ShownPath(path), shown);
}

TEST_F(FileApiTest, WriteThenReadBack) {
    FileHandle out = CreateFile(Win("Data.bin"), GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    std::uint32_t count = 0;
    ASSERT_TRUE(WriteFile(out, "0123456789", 10, &count));
    EXPECT_EQ(count, 10u);
    EXPECT_TRUE(FlushFileBuffers(out));
    EXPECT_TRUE(CloseHandle(out));
    EXPECT_FALSE(CloseHandle(out));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    FileHandle in = CreateFile(Win("DATA.BIN"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(in.IsValid());
    EXPECT_EQ(GetFileSize(in), 10u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(in, buffer, 4, &count));
    EXPECT_EQ(std::string(buffer, count), "0123");
    ASSERT_TRUE(ReadFile(in, buffer, 16, &count));  // the end of the file is not an error
    EXPECT_EQ(std::string(buffer, count), "456789");
    ASSERT_TRUE(ReadFile(in, buffer, 16, &count));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(WriteFile(in, "x", 1, &count));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(count, 0u);
    CloseHandle(in);
    EXPECT_FALSE(ReadFile(in, buffer, 1, &count));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FileApiTest, DispositionsOnExistingAndMissingFiles) {
    struct Case {
        std::uint32_t disposition;
        bool exists;
        bool opens;
        std::uint32_t lastError;
        std::uint64_t sizeAfter;  // of a 100-byte file, after writing 10 bytes
    };
    const Case cases[] = {
        {CREATE_NEW, false, true, ERROR_SUCCESS, 10},
        {CREATE_NEW, true, false, ERROR_FILE_EXISTS, 100},
        {CREATE_ALWAYS, false, true, ERROR_SUCCESS, 10},
        {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 10},
        {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, 0},
        {OPEN_EXISTING, true, true, ERROR_SUCCESS, 100},
        {OPEN_ALWAYS, false, true, ERROR_SUCCESS, 10},
        {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 100},  // keeps the older, longer tail
        {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, 0},
        {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, 10},
    };
    for (const Case& c : cases) {
        const std::string name = "case.bin";
        std::error_code ignored;
        fs::remove(root_ + "/" + name, ignored);
        if (c.exists) Make(name, std::string(100, 'o'));
        FileHandle h = CreateFile(Win(name), GENERIC_WRITE, 0, c.disposition);
        EXPECT_EQ(h.IsValid(), c.opens) << c.disposition << " " << c.exists;
        EXPECT_EQ(GetLastError(), c.lastError) << c.disposition << " " << c.exists;
        if (h.IsValid()) {
            std::uint32_t count = 0;
            EXPECT_TRUE(WriteFile(h, "nnnnnnnnnn", 10, &count));
            CloseHandle(h);
        }
        const bool present = fs::exists(root_ + "/" + name);
        EXPECT_EQ(present ? fs::file_size(root_ + "/" + name) : 0, c.sizeAfter)
            << c.disposition << " " << c.exists;
    }
    EXPECT_FALSE(CreateFile(Win("x"), GENERIC_READ, 0, 9).IsValid());
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(CreateFile(Win("x"), 0x10000000u, 0, OPEN_ALWAYS).IsValid());
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ACCESS);
    EXPECT_FALSE(fs::exists(root_ + "/x"));
}

TEST_F(FileApiTest, FilePointerMoves) {
    Make("p.bin", "abcdefghij");
    FileHandle h = CreateFile(Win("p.bin"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(h.IsValid());
    struct Step {
        std::int32_t distance;
        std::uint32_t method;
        std::uint32_t result;
        std::uint32_t lastError;
    };
    const Step steps[] = {
        {4, FILE_BEGIN, 4, ERROR_SUCCESS},
        {3, FILE_CURRENT, 7, ERROR_SUCCESS},
        {0, FILE_CURRENT, 7, ERROR_SUCCESS},
        {-2, FILE_END, 8, ERROR_SUCCESS},
        {-9, FILE_CURRENT, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
        {0, FILE_CURRENT, 8, ERROR_SUCCESS},  // a failed move stays put
        {20, FILE_BEGIN, 20, ERROR_SUCCESS},  // past the end is allowed
        {0, 3, INVALID_SET_FILE_POINTER, ERROR_INVALID_PARAMETER},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(SetFilePointer(h, s.distance, s.method), s.result) << s.distance;
        EXPECT_EQ(GetLastError(), s.lastError) << s.distance;
    }
    std::int32_t high = 0;
    EXPECT_EQ(SetFilePointer(h, 2, &high, FILE_BEGIN), 2u);
    EXPECT_EQ(high, 0);
    char c = 0;
    std::uint32_t count = 0;
    ASSERT_TRUE(ReadFile(h, &c, 1, &count));
    EXPECT_EQ(c, 'c');
    CloseHandle(h);
    EXPECT_EQ(SetFilePointer(h, 0, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetFileSize(h), INVALID_FILE_SIZE);
}

TEST_F(FileApiTest, SharingViolationsAndOpenErrors) {
    Make("locked.vol", "data");
    FileHandle writer = CreateFile(Win("locked.vol"), GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_TRUE(writer.IsValid());
    EXPECT_FALSE(
        CreateFile(Win("LOCKED.VOL"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).IsValid());
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(DeleteFile(Win("locked.vol")));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CloseHandle(writer);

    EXPECT_FALSE(CreateFile(Win("Missing\\x.vol"), GENERIC_READ, 0, OPEN_EXISTING).IsValid());
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    {
        platform::ScopedFileFaults faults;
        platform::SimulateTooManyOpenFiles(true);
        EXPECT_FALSE(CreateFile(Win("locked.vol"), GENERIC_READ, 0, OPEN_EXISTING).IsValid());
        EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_OPEN_FILES);
    }
    FileHandle again = CreateFile(Win("locked.vol"), GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_TRUE(again.IsValid());
    CloseHandle(again);
}

TEST_F(FileApiTest, DiskFullStopsWritesPartWay) {
    FileHandle h = CreateFile(Win("tape.cam"), GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_TRUE(h.IsValid());
    platform::ScopedFileFaults faults;
    platform::SimulateDiskFull(6);
    std::uint32_t count = 0;
    EXPECT_FALSE(WriteFile(h, "0123456789", 10, &count));
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    EXPECT_EQ(count, 6u);
    CloseHandle(h);
    EXPECT_EQ(fs::file_size(root_ + "/tape.cam"), 6u);
}

TEST_F(FileApiTest, DirectorySearch) {
    fs::create_directories(root_ + "/Snd/SndFx");
    fs::create_directories(root_ + "/Snd/12.wav");  // a folder that matches the pattern
    Make("Snd/SndFx/12.WAV", "RIFF");
    Make("Snd/SndFx/0000012A.raw", "12345");
    FindData data;
    FindHandle find = FindFirstFile(Win("snd\\*.wav"), &data);
    ASSERT_TRUE(find.IsValid());
    EXPECT_EQ(data.fileName, "12.wav");
    EXPECT_EQ(data.fileAttributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(FindNextFile(find, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    find = FindFirstFile(Win("SND\\SNDFX\\0000012A.*"), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.fileName, "0000012A.raw");
    EXPECT_EQ(data.fileSizeLow, 5u);
    EXPECT_EQ(data.fileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    FindClose(find);

    find = FindFirstFile(Win("snd\\sndfx\\*"), &data);
    ASSERT_TRUE(find.IsValid());
    std::vector<std::string> names{data.fileName};
    while (FindNextFile(find, &data))
        names.push_back(data.fileName);
    FindClose(find);
    EXPECT_EQ(names, (std::vector<std::string>{"0000012A.raw", "12.WAV"}));

    EXPECT_EQ(FindFirstFile(Win("snd\\*.pal"), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFile(Win("gone\\*.pal"), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileApiTest, AttributesFoldersAndRenames) {
    EXPECT_TRUE(CreateDirectory(Win("FlightPlans")));
    EXPECT_FALSE(CreateDirectory(Win("flightplans")));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileAttributes(Win("FLIGHTPLANS")), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributes(Win("nothing")), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    Make("FlightPlans/AtoB.Pln", "old");
    Make("new.tmp", "new");
    EXPECT_EQ(GetFileAttributes(Win("flightplans\\atob.pln")), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(MoveFile(Win("new.tmp"), Win("flightplans\\ATOB.PLN")));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(
        MoveFileEx(Win("new.tmp"), Win("flightplans\\ATOB.PLN"), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(Slurp("FlightPlans/AtoB.Pln"), "new");
    EXPECT_TRUE(DeleteFile(Win("FLIGHTPLANS\\ATOB.PLN")));
    EXPECT_FALSE(DeleteFile(Win("FLIGHTPLANS\\ATOB.PLN")));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(RemoveDirectory(Win("flightplans")));
}

TEST_F(FileApiTest, CurrentFolderAndModuleName) {
    fs::create_directories(root_ + "/Prog/Run");
    const std::string before = GetCurrentDirectory();
    ASSERT_TRUE(SetCurrentDirectory(Win("prog\\RUN")));
    const std::string here = GetCurrentDirectory();
    EXPECT_EQ(here, fs::canonical(root_ + "/Prog/Run").string());

    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetCurrentDirectory(sizeof small, small), here.size() + 1);
    EXPECT_EQ(small[0], 'x');  // nothing written when it does not fit
    std::string buffer(MAX_PATH, '\0');
    EXPECT_EQ(GetCurrentDirectory(MAX_PATH, buffer.data()), here.size());
    EXPECT_STREQ(buffer.c_str(), here.c_str());
    EXPECT_FALSE(SetCurrentDirectory("no\\such\\folder"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    ASSERT_TRUE(SetCurrentDirectory(before));

    platform::SetExecutablePathForTesting("/opt/zephlon/bin/zephlon");
    char name[MAX_PATH];
    EXPECT_EQ(GetModuleFileName(name, MAX_PATH), 24u);
    EXPECT_STREQ(name, "/opt/zephlon/bin/zephlon");
    char cut[8];
    EXPECT_EQ(GetModuleFileName(cut, sizeof cut), 8u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_STREQ(cut, "/opt/ze");
    platform::SetExecutablePathForTesting("");
    EXPECT_EQ(fs::path(GetModuleFileName()).filename(), "win_tests");
}

// Views of a file mapped by path share one mapping while the file is what it was; a file
// written since gets a mapping of its own, and the old view keeps what it saw.
TEST_F(FileApiTest, MappingsOfOneFileShareOneView) {
    Make("Data.Vol", "VOL first");
    FileMapping a, b;
    ASSERT_TRUE(a.Map(Win("data.vol")));
    ASSERT_TRUE(b.Map(Win("DATA.VOL")));
    EXPECT_EQ(a.Data(), b.Data());
    a.Unmap();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.Data()), b.Size()), "VOL first");
    ASSERT_TRUE(ReplaceFileAtomically(Win("Data.Vol"), std::string_view("VOL second, longer")));
    FileMapping c;
    ASSERT_TRUE(c.Map(Win("data.vol")));
    EXPECT_NE(c.Data(), b.Data());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.Data()), c.Size()), "VOL second, longer");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.Data()), b.Size()), "VOL first");
    FileMapping missing;
    EXPECT_FALSE(missing.Map(Win("absent.vol")));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(missing.IsMapped());
}

TEST_F(FileApiTest, MappingAndAtomicReplace) {
    Make("Palettes.Vol", "VOL body");
    FileHandle h = CreateFile(Win("palettes.vol"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(h.IsValid());
    FileMapping view;
    ASSERT_TRUE(view.Map(h));
    CloseHandle(h);  // the view stays valid
    ASSERT_EQ(view.Size(), 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.Data()), view.Size()), "VOL body");
    view.Unmap();
    EXPECT_FALSE(view.IsMapped());
    EXPECT_FALSE(view.Map(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    Make("empty.vol", "");
    EXPECT_FALSE(view.Map(Win("EMPTY.VOL")));
    EXPECT_EQ(GetLastError(), ERROR_FILE_INVALID);

    ASSERT_TRUE(ReplaceFileAtomically(Win("PALETTES.VOL"), std::string_view("replaced")));
    EXPECT_EQ(Slurp("Palettes.Vol"), "replaced");
    {
        platform::ScopedFileFaults faults;
        platform::SimulateDiskFull(3);
        EXPECT_FALSE(ReplaceFileAtomically(Win("Palettes.Vol"), std::string_view("too long")));
        EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    }
    EXPECT_EQ(Slurp("Palettes.Vol"), "replaced");
}

}  // namespace
