#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace platform;

class FileSystemTest : public ::testing::Test {
protected:
    void TearDown() override { ClearSimulatedFaults(); }
    std::string Win(const std::string& relative) const { return folder_.WinPath(relative); }
    void Make(const std::string& relative, const std::string& contents) const {
        folder_.Write(relative, contents);
    }
    std::string Slurp(const std::string& relative) const {
        std::string contents;
        EXPECT_EQ(ReadWholeFile(Win(relative), &contents), kFileOk);
        return contents;
    }
    testsupport::TempFolder folder_{"files-fs"};
    const std::string root_ = folder_.Root();
};

TEST_F(FileSystemTest, ResolvesEveryComponentIgnoringCase) {
    fs::create_directories(root_ + "/Art/Palettes");
    Make("Art/Palettes/Day.pal", "x");
    const ResolvedPath r = ResolvePath(Win("ART\\palettes\\DAY.PAL"));
    EXPECT_EQ(r.path, root_ + "/Art/Palettes/Day.pal");
    EXPECT_EQ(r.missingComponents, 0);

    const ResolvedPath missing = ResolvePath(Win("art\\NoSuch\\x.pal"));
    EXPECT_EQ(missing.path, root_ + "/Art/NoSuch/x.pal");
    EXPECT_EQ(missing.missingComponents, 2);

    // Doubled and mixed separators collapse.
    EXPECT_EQ(ResolvePath(root_ + "\\\\art//Palettes\\day.PAL").path,
              root_ + "/Art/Palettes/Day.pal");
}

TEST_F(FileSystemTest, ExactCaseWinsOverAFoldedMatch) {
    Make("name.txt", "lower");
    Make("NAME.TXT", "upper");
    EXPECT_EQ(Slurp("name.txt"), "lower");
    EXPECT_EQ(Slurp("NAME.TXT"), "upper");
    // Neither spelling: the first in byte order, every time.
    EXPECT_EQ(Slurp("Name.Txt"), "upper");
}

TEST_F(FileSystemTest, WritesReuseFoldersAndFilesThatDifferInCase) {
    fs::create_directories(root_ + "/Flights");
    Make("Flights/Startup.Flt", "old contents");
    File file;
    ASSERT_EQ(file.Open(Win("FLIGHTS\\STARTUP.FLT"), kAccessWrite, 0, Disposition::kCreateAlways),
              kFileOk);
    std::uint32_t done = 0;
    ASSERT_EQ(file.Write("new", 3, &done), kFileOk);
    file.Close();
    File other;
    ASSERT_EQ(other.Open(Win("flights\\Other.flt"), kAccessWrite, 0, Disposition::kCreateNew),
              kFileOk);
    other.Close();

    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(root_))
        names.push_back(e.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"Flights"});
    names.clear();
    for (const auto& e : fs::directory_iterator(root_ + "/Flights"))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Other.flt", "Startup.Flt"}));
    EXPECT_EQ(Slurp("Flights/Startup.Flt"), "new");
}

TEST_F(FileSystemTest, SeesFilesMadeBehindItsBack) {
    fs::create_directories(root_ + "/Data");
    FileInfo info;
    EXPECT_EQ(GetFileInfo(Win("data\\late.bin"), &info), kFileNotFound);  // caches the listing
    Make("Data/Late.BIN", "12345");
    ASSERT_EQ(GetFileInfo(Win("data\\late.bin"), &info), kFileOk);
    EXPECT_EQ(info.size, 5u);
    // And forgets files removed behind its back.
    fs::remove(root_ + "/Data/Late.BIN");
    EXPECT_EQ(GetFileInfo(Win("data\\late.bin"), &info), kFileNotFound);
}

TEST(MatchPatternTest, WildcardsIgnoreCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*", "anything.txt", true},
        {"*.*", "noext", true},
        {"*.pal", "DAY.PAL", true},
        {"*.pal", "day.pal.bak", false},
        {"d?y.pal", "Day.pal", true},
        {"d?y.pal", "Dy.pal", false},
        {"0000012A.*", "0000012a.raw", true},
        {"0000012A.*", "0000012A", true},  // "NAME.*" finds a NAME without extension
        {"0000012A.*", "0000012AB.raw", false},
        {"NAME.", "name", true},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"*a", "banana", true},
        {"exact.txt", "EXACT.TXT", true},
        {"exact.txt", "exact.txt2", false},
        {"", "x", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchPattern(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
    }
}

TEST_F(FileSystemTest, FindReportsFoldersAndSizesSorted) {
    fs::create_directories(root_ + "/Art/b.bmp");  // a folder that looks like a file
    Make("Art/A.PAL", "1234");
    Make("Art/c.pal", "");
    std::vector<DirEntry> found;
    ASSERT_EQ(FindMatches(Win("art\\*"), &found), kFileOk);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name, "A.PAL");
    EXPECT_EQ(found[0].info.size, 4u);
    EXPECT_FALSE(found[0].info.isDirectory);
    EXPECT_EQ(found[1].name, "b.bmp");
    EXPECT_TRUE(found[1].info.isDirectory);
    EXPECT_EQ(found[2].name, "c.pal");

    ASSERT_EQ(FindMatches(Win("ART\\*.Pal"), &found), kFileOk);
    EXPECT_EQ(found.size(), 2u);
    EXPECT_EQ(FindMatches(Win("Art\\*.wav"), &found), kFileNotFound);
    EXPECT_EQ(FindMatches(Win("Nowhere\\*"), &found), kPathNotFound);
}

TEST_F(FileSystemTest, OpenReportsTheExpectedErrors) {
    fs::create_directories(root_ + "/Dir");
    Make("exists.txt", "x");
    // Neither is opened, for reading or writing: the open would wait, the bytes never end.
    ASSERT_EQ(mkfifo((root_ + "/pipe").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", root_ + "/zero");
    fs::create_symlink("loop", root_ + "/loop");
    struct Case {
        const char* path;
        std::uint32_t access;
        Disposition disposition;
        std::uint32_t error;
    };
    const Case cases[] = {
        {"missing.txt", kAccessRead, Disposition::kOpenExisting, kFileNotFound},
        {"missing.txt", kAccessWrite, Disposition::kTruncateExisting, kFileNotFound},
        {"NoDir\\file.txt", kAccessWrite, Disposition::kCreateAlways, kPathNotFound},
        {"exists.txt\\file.txt", kAccessRead, Disposition::kOpenExisting, kPathNotFound},
        {"EXISTS.TXT", kAccessWrite, Disposition::kCreateNew, kFileExists},
        {"exists.txt", kAccessRead, Disposition::kTruncateExisting, kInvalidParameter},
        {"dir", kAccessRead, Disposition::kOpenExisting, kAccessDenied},
        {"", kAccessRead, Disposition::kOpenExisting, kPathNotFound},
        {"pipe", kAccessRead, Disposition::kOpenExisting, kBadFileType},
        {"pipe", kAccessWrite, Disposition::kOpenAlways, kBadFileType},
        {"zero", kAccessRead, Disposition::kOpenExisting, kBadFileType},
        {"zero", kAccessWrite, Disposition::kCreateAlways, kBadFileType},
        {"loop", kAccessRead, Disposition::kOpenExisting, kBadFileType},
    };
    for (const Case& c : cases) {
        File file;
        const std::string path = *c.path ? Win(c.path) : std::string();
        EXPECT_EQ(file.Open(path, c.access, 0, c.disposition), c.error) << c.path;
        EXPECT_FALSE(file.IsOpen());
    }
    EXPECT_TRUE(fs::exists(root_ + "/exists.txt"));
    EXPECT_EQ(fs::file_size(root_ + "/exists.txt"), 1u);
}

TEST_F(FileSystemTest, SharingBitsKeepOtherOpensOut) {
    Make("shared.bin", "data");
    const std::string path = Win("shared.bin");
    struct Case {
        std::uint32_t firstAccess, firstShare, secondAccess, secondShare;
        std::uint32_t error;
    };
    const Case cases[] = {
        {kAccessRead, kShareRead, kAccessRead, kShareRead, kFileOk},
        {kAccessRead, kShareRead, kAccessWrite, kShareRead, kSharingViolation},
        {kAccessWrite, 0, kAccessRead, kShareRead | kShareWrite, kSharingViolation},
        {kAccessRead, kShareRead, kAccessRead, 0, kSharingViolation},
        {kAccessRead | kAccessWrite, kShareRead | kShareWrite, kAccessWrite,
         kShareRead | kShareWrite, kFileOk},
    };
    for (const Case& c : cases) {
        File first, second;
        ASSERT_EQ(first.Open(path, c.firstAccess, c.firstShare, Disposition::kOpenExisting),
                  kFileOk);
        EXPECT_EQ(second.Open(path, c.secondAccess, c.secondShare, Disposition::kOpenExisting),
                  c.error);
    }
    // A refused truncating open leaves the file alone; closing lets it through.
    File reader;
    ASSERT_EQ(reader.Open(path, kAccessRead, kShareRead, Disposition::kOpenExisting), kFileOk);
    File writer;
    EXPECT_EQ(writer.Open(path, kAccessWrite, 0, Disposition::kCreateAlways), kSharingViolation);
    EXPECT_EQ(fs::file_size(root_ + "/shared.bin"), 4u);
    EXPECT_EQ(DeleteFile(path), kSharingViolation);
    File moved = std::move(reader);  // the sharing record follows the object
    EXPECT_EQ(writer.Open(path, kAccessWrite, 0, Disposition::kOpenExisting), kSharingViolation);
    moved.Close();
    EXPECT_EQ(writer.Open(path, kAccessWrite, 0, Disposition::kCreateAlways), kFileOk);
}

TEST_F(FileSystemTest, ReadWriteSeekAndSize) {
    File file;
    ASSERT_EQ(file.Open(Win("rw.bin"), kAccessRead | kAccessWrite, 0, Disposition::kOpenAlways),
              kFileOk);
    std::uint32_t done = 0;
    ASSERT_EQ(file.Write("abcdef", 6, &done), kFileOk);
    EXPECT_EQ(done, 6u);
    std::int64_t position = -1;
    ASSERT_EQ(file.Seek(-2, SeekFrom::kEnd, &position), kFileOk);
    EXPECT_EQ(position, 4);
    char buffer[8] = {};
    ASSERT_EQ(file.Read(buffer, 8, &done), kFileOk);  // short at the end, still a success
    EXPECT_EQ(done, 2u);
    EXPECT_EQ(std::string(buffer, 2), "ef");
    EXPECT_EQ(file.Seek(-7, SeekFrom::kCurrent, &position), kNegativeSeek);
    ASSERT_EQ(file.Seek(3, SeekFrom::kBegin, &position), kFileOk);
    ASSERT_EQ(file.Truncate(), kFileOk);
    std::uint64_t size = 0;
    ASSERT_EQ(file.Size(&size), kFileOk);
    EXPECT_EQ(size, 3u);

    File reader;
    ASSERT_EQ(reader.Open(Win("rw.bin"), kAccessRead, kShareRead | kShareWrite,
                          Disposition::kOpenExisting),
              kSharingViolation);  // the first open shares nothing
    file.Close();
    ASSERT_EQ(reader.Open(Win("rw.bin"), kAccessRead, kShareRead, Disposition::kOpenExisting),
              kFileOk);
    EXPECT_EQ(reader.Write("x", 1, &done), kAccessDenied);
    EXPECT_EQ(reader.Close(), kFileOk);
    EXPECT_EQ(reader.Read(buffer, 1, &done), kInvalidHandle);
    // A file larger than its kind may be is refused before a byte is read.
    fs::resize_file(root_ + "/rw.bin", 3ull << 30);
    std::string big;
    EXPECT_EQ(ReadWholeFile(Win("rw.bin"), &big, 1u << 20), kFileTooLarge);
    EXPECT_TRUE(big.empty());
}

TEST_F(FileSystemTest, SimulatedFaults) {
    {
        ScopedFileFaults faults;
        SimulateDiskFull(10);
        File file;
        ASSERT_EQ(file.Open(Win("full.bin"), kAccessWrite, 0, Disposition::kCreateAlways), kFileOk);
        std::uint32_t done = 0;
        EXPECT_EQ(file.Write("0123456", 7, &done), kFileOk);
        EXPECT_EQ(file.Write("0123456", 7, &done), kDiskFull);
        EXPECT_EQ(done, 3u);
        EXPECT_EQ(file.Write("x", 1, &done), kDiskFull);
        EXPECT_EQ(done, 0u);
        file.Close();
        EXPECT_EQ(fs::file_size(root_ + "/full.bin"), 10u);
        SimulateDiskFull(0, kHandleDiskFull);
        EXPECT_EQ(CreateDirectory(Win("NewDir")), kHandleDiskFull);

        SimulateTooManyOpenFiles(true);
        EXPECT_EQ(file.Open(Win("full.bin"), kAccessRead, kShareRead, Disposition::kOpenExisting),
                  kTooManyOpenFiles);
    }
    File file;
    EXPECT_EQ(file.Open(Win("full.bin"), kAccessWrite, 0, Disposition::kOpenExisting), kFileOk);
    std::uint32_t done = 0;
    EXPECT_EQ(file.Write("0123456789abcdef", 16, &done), kFileOk);
}

TEST_F(FileSystemTest, AtomicReplaceKeepsTheOldFileOnFailure) {
    Make("Settings.ini", "old");
    chmod((root_ + "/Settings.ini").c_str(), 0640);
    ASSERT_EQ(ReplaceFileAtomically(Win("SETTINGS.INI"), std::string_view("new contents")),
              kFileOk);
    EXPECT_EQ(Slurp("Settings.ini"), "new contents");
    EXPECT_EQ(fs::status(root_ + "/Settings.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    SimulateDiskFull(4);
    EXPECT_EQ(ReplaceFileAtomically(Win("Settings.ini"), std::string_view("longer than four")),
              kDiskFull);
    ClearSimulatedFaults();
    EXPECT_EQ(Slurp("Settings.ini"), "new contents");
    // No temporary file is left behind, and only one file (no case twin) exists.
    int count = 0;
    for (const auto& e : fs::directory_iterator(root_)) {
        (void)e;
        ++count;
    }
    EXPECT_EQ(count, 1);

    EXPECT_EQ(ReplaceFileAtomically(Win("NoDir\\x.ini"), std::string_view("x")), kPathNotFound);
    ASSERT_EQ(ReplaceFileAtomically(Win("fresh.bin"), std::string_view("")), kFileOk);
    EXPECT_EQ(fs::file_size(root_ + "/fresh.bin"), 0u);
}

// A pipe, a loop of links or a read-only file where a file is to be replaced is refused, each
// with its own reason, and stays what it was; nothing is left beside it.
TEST_F(FileSystemTest, AtomicReplaceRefusesWhatIsNoPlainWritableFile) {
    ASSERT_EQ(mkfifo((root_ + "/CURRENT").c_str(), 0600), 0);
    fs::create_symlink("Loop2", root_ + "/Loop1");
    fs::create_symlink("Loop1", root_ + "/Loop2");
    Make("Kept.Pln", "mine");
    chmod((root_ + "/Kept.Pln").c_str(), 0444);
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"CURRENT", kBadFileType}, {"Loop1", kBadFileType}, {"Kept.Pln", kFileReadOnly}};
    for (const auto& [name, error] : cases)
        EXPECT_EQ(ReplaceFileAtomically(Win(name), std::string_view("new")), error) << name;
    EXPECT_TRUE(fs::is_fifo(root_ + "/CURRENT"));
    EXPECT_EQ(fs::read_symlink(root_ + "/Loop1"), "Loop2");
    EXPECT_EQ(fs::read_symlink(root_ + "/Loop2"), "Loop1");
    EXPECT_EQ(Slurp("Kept.Pln"), "mine");
    int count = 0;
    for (const auto& e : fs::directory_iterator(root_)) {
        (void)e;
        ++count;
    }
    EXPECT_EQ(count, 4);
}

// A temporary is removed as a leftover only when the journal of an earlier run lists it and it
// is still the very file that run made, as it left it; a file only named like one stays, so does
// one made since with the listed file's inode (changed later, or of another size), and so does
// one the journal lists whose line was cut short. This run's unfinished temporaries are listed.
TEST_F(FileSystemTest, OnlyTheTemporariesTheJournalListsAreRemoved) {
    struct Case {
        const char* name;
        bool listed;
        int otherInode, laterChange, otherSize;  // how the file differs from the listed one
        bool removed;
    };
    const Case cases[] = {{".Zephlon.ini.Ab12Cd", true, 0, 0, 0, true},
                          {".Zephlon.ini.backup", false, 0, 0, 0, false},
                          {".Student.PLT.x9Y8z7", true, 1, 0, 0, false},
                          {".Student.PLT.reused", true, 0, 1, 0, false},
                          {".Student.PLT.grown", true, 0, 0, 1, false},
                          {".CURRENT.before", true, 0, 0, 0, false}};  // its line is cut short
    std::string journal;
    for (const Case& c : cases) {
        Make(c.name, "half");
        struct stat st {};
        ASSERT_EQ(stat((root_ + "/" + c.name).c_str(), &st), 0);
        const std::int64_t changed = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
        if (c.listed)
            journal += std::to_string(st.st_dev) + " " + std::to_string(st.st_ino + c.otherInode) +
                       " " + std::to_string(st.st_size - c.otherSize) + " " +
                       std::to_string(changed - 1000000000LL * c.laterChange) + " " + root_ + "/" +
                       c.name + "\n";
    }
    journal.pop_back();
    Make(".temporaries", journal);
    EXPECT_EQ(TakeTemporaryJournal(Win(".temporaries")), 1);
    for (const Case& c : cases) EXPECT_EQ(fs::exists(root_ + "/" + c.name), !c.removed) << c.name;
    EXPECT_EQ(Slurp(".temporaries"), "");
    std::uint32_t error = kFileOk;
    const std::string made = CreateTemporaryBeside(root_ + "/Plan.Pln", &error);
    ASSERT_EQ(error, kFileOk);
    EXPECT_NE(Slurp(".temporaries").find(made + "\n"), std::string::npos);
    EXPECT_EQ(DeleteFile(made), kFileOk);
    EXPECT_EQ(Slurp(".temporaries"), "");
}

TEST_F(FileSystemTest, MapsWholeFilesReadOnly) {
    Make("vol.bin", std::string("VOL \0\1\2", 7));
    MappedFile view;
    ASSERT_EQ(view.MapPath(Win("VOL.BIN")), kFileOk);
    ASSERT_EQ(view.Size(), 7u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.Data()), 4), "VOL ");
    MappedFile moved = std::move(view);
    EXPECT_FALSE(view.IsMapped());
    EXPECT_EQ(moved.Data()[6], 2);

    Make("empty.bin", "");
    EXPECT_EQ(view.MapPath(Win("empty.bin")), kFileInvalid);
    EXPECT_EQ(view.MapPath(Win("missing.bin")), kFileNotFound);
    File writeOnly;
    ASSERT_EQ(writeOnly.Open(Win("vol.bin"), kAccessWrite, kShareRead, Disposition::kOpenExisting),
              kFileOk);
    EXPECT_EQ(view.Map(writeOnly), kAccessDenied);
}

TEST_F(FileSystemTest, FoldersRenameAndDelete) {
    EXPECT_EQ(CreateDirectory(Win("Pilot")), kFileOk);
    EXPECT_EQ(CreateDirectory(Win("PILOT")), kAlreadyExists);
    EXPECT_EQ(CreateDirectory(Win("a\\b")), kPathNotFound);
    Make("Pilot/one.plt", "1");
    Make("two.plt", "2");
    EXPECT_EQ(RenameFile(Win("TWO.PLT"), Win("pilot\\ONE.PLT"), false), kAlreadyExists);
    EXPECT_EQ(RenameFile(Win("TWO.PLT"), Win("pilot\\ONE.PLT"), true), kFileOk);
    EXPECT_EQ(Slurp("Pilot/one.plt"), "2");
    // A change of case only renames the file itself.
    EXPECT_EQ(RenameFile(Win("pilot\\one.plt"), Win("pilot\\One.PLT"), false), kFileOk);
    EXPECT_TRUE(fs::exists(root_ + "/Pilot/One.PLT"));
    EXPECT_EQ(RenameFile(Win("gone.plt"), Win("x.plt"), false), kFileNotFound);
    EXPECT_EQ(RemoveDirectory(Win("pilot")), kDirNotEmpty);
    EXPECT_EQ(DeleteFile(Win("PILOT")), kAccessDenied);
    EXPECT_EQ(DeleteFile(Win("pilot\\one.PLT")), kFileOk);
    EXPECT_EQ(DeleteFile(Win("pilot\\one.PLT")), kFileNotFound);
    EXPECT_EQ(RemoveDirectory(Win("pilot")), kFileOk);
}

TEST_F(FileSystemTest, CurrentFolderAndExecutable) {
    fs::create_directories(root_ + "/Run");
    const std::string before = CurrentDirectory();
    ASSERT_EQ(SetCurrentDirectory(Win("RUN")), kFileOk);
    EXPECT_EQ(CurrentDirectory(), fs::canonical(root_ + "/Run").string());
    // Relative paths now resolve from here, through the same cache.
    Make("Run/local.txt", "here");
    std::string contents;
    EXPECT_EQ(ReadWholeFile("LOCAL.TXT", &contents), kFileOk);
    EXPECT_EQ(contents, "here");
    EXPECT_EQ(SetCurrentDirectory("nowhere"), kFileNotFound);
    EXPECT_EQ(SetCurrentDirectory("local.txt"), kDirectoryInvalid);
    ASSERT_EQ(SetCurrentDirectory(before), kFileOk);

    EXPECT_EQ(fs::path(ExecutablePath()).filename(), "platform_tests");
    SetExecutablePathForTesting("/opt/x/zephlon");
    EXPECT_EQ(ExecutablePath(), "/opt/x/zephlon");
    SetExecutablePathForTesting("");
    EXPECT_EQ(fs::path(ExecutablePath()).filename(), "platform_tests");
}

}  // namespace
