#include "win/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "win/file_api.h"

namespace {

namespace fs = std::filesystem;
using namespace win;

class ProfileTest : public ::testing::Test {
protected:
    void TearDown() override { platform::ClearSimulatedFaults(); }
    void Put(const std::string& contents) const { folder_.Write("Zephlon.ini", contents); }
    std::string Contents() const { return folder_.Read("Zephlon.ini"); }
    std::string Get(const char* section, const char* key, const char* def = "(none)") const {
        return GetPrivateProfileString(section, key, def, path_);
    }
    bool Write(const char* section, const char* key, const char* value) const {
        return WritePrivateProfileString(section, key, value, path_);
    }
    testsupport::TempFolder folder_{"files-ini"};
    const std::string root_ = folder_.Root();
    const std::string path_ = folder_.Path("Zephlon.ini");
};

TEST_F(ProfileTest, HandEditedFileReadsIgnoringCaseBlanksAndQuotes) {
    Put("[settings]\r\n  MainX = \"12\" \r\n");
    EXPECT_EQ(GetPrivateProfileInt("Settings", "MainX", 0, path_), 12);
    EXPECT_EQ(Get("SETTINGS", "mainx"), "12");
    // The file name resolves without regard to case too.
    EXPECT_EQ(GetPrivateProfileString("Settings", "MainX", "", root_ + "\\ZEPHLON.INI"), "12");
}

TEST_F(ProfileTest, ReadRules) {
    Put("orphan=before any section\n"
        "; [Commented] header\n"
        "[Views]\n"
        "; zoom=9\n"
        "zoom=1\n"
        "Zoom=2\n"
        "single='x y'\n"
        "unmatched=\"abc'\n"
        "empty=\n"
        "noequals\n"
        "  spaced key  =  spaced value  \n"
        "[ Sound ]\r"
        "volume=7\r\n"
        "[views]\n"
        "zoom=3\n"
        "late=only here\n"
        "[Last]\n"
        "tail=no line end");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Views", "zoom", "1"},  // the first key wins, and comments are not keys
        {"Views", "single", "x y"},
        {"Views", "unmatched", "\"abc'"},
        {"Views", "empty", ""},
        {"Views", "noequals", "(none)"},
        {"Views", "spaced key", "spaced value"},
        {"Views", "late", "(none)"},  // the first section of a name wins
        {"Sound", "volume", "7"},     // a lone CR ends a line
        {"Last", "tail", "no line end"},
        {"Views", "orphan", "(none)"},
        {"Commented", "x", "(none)"},
        {"Nowhere", "zoom", "(none)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Get(c.section, c.key), c.expected) << c.section << "/" << c.key;
    }
    EXPECT_EQ(GetPrivateProfileSectionNames(path_),
              (std::vector<std::string>{"Views", "Sound", "Last"}));
    EXPECT_EQ(GetPrivateProfileKeyNames("VIEWS", path_),
              (std::vector<std::string>{"zoom", "single", "unmatched", "empty", "spaced key"}));
}

TEST_F(ProfileTest, BufferSemantics) {
    Put("[A]\nkey=abcdef\nother=1\n[B]\n");
    char buffer[32];
    EXPECT_EQ(GetPrivateProfileString("A", "key", "", buffer, 4, path_), 3u);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(GetPrivateProfileString("A", "key", "", buffer, sizeof buffer, path_), 6u);
    EXPECT_STREQ(buffer, "abcdef");
    EXPECT_EQ(GetPrivateProfileString("A", "key", "", buffer, 0, path_), 0u);
    // The default loses its trailing blanks; a null default is empty.
    EXPECT_EQ(GetPrivateProfileString("A", "missing", "dflt  ", buffer, sizeof buffer, path_), 4u);
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_EQ(GetPrivateProfileString("A", "missing", nullptr, buffer, sizeof buffer, path_), 0u);
    EXPECT_STREQ(buffer, "");
    // Null key: the section's keys; null section: the sections. Lists end in two NULs.
    EXPECT_EQ(GetPrivateProfileString("A", nullptr, "", buffer, sizeof buffer, path_), 10u);
    EXPECT_EQ(std::string(buffer, 11), std::string("key\0other\0\0", 11));
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", buffer, sizeof buffer, path_), 4u);
    EXPECT_EQ(std::string(buffer, 5), std::string("A\0B\0\0", 5));
    EXPECT_EQ(GetPrivateProfileString("A", nullptr, "", buffer, 6, path_), 4u);
    EXPECT_EQ(std::string(buffer, 6), std::string("key\0\0\0", 6));
}

TEST_F(ProfileTest, NumbersConvertLikeStrtolAndClamp) {
    Put("[N]\na=12abc\nb=\nc=-5\nd=99999999999\ne=  +7\nf=x\ng=-99999999999\nh=\"42\"\n");
    struct Case {
        const char* key;
        std::int32_t expected;
    };
    const Case cases[] = {{"a", 12}, {"b", 0},         {"c", -5}, {"d", INT32_MAX}, {"e", 7},
                          {"f", 0},  {"g", INT32_MIN}, {"h", 42}, {"missing", -77}};
    for (const Case& c : cases) {
        EXPECT_EQ(GetPrivateProfileInt("N", c.key, -77, path_), c.expected) << c.key;
    }
}

TEST_F(ProfileTest, WritesKeepEveryOtherByte) {
    const std::string original =
        "; hand written\n"
        "[Settings]\n"
        "MainX = 10   ; not a comment, part of the value\n"
        "  MainY=20\n"
        "\n"
        "[Sound]\n"
        "volume=3\n";
    Put(original);
    // Replacing a value rewrites exactly its line.
    ASSERT_TRUE(Write("settings", "MAINY", "25"));
    const std::string replaced =
        "; hand written\n"
        "[Settings]\n"
        "MainX = 10   ; not a comment, part of the value\n"
        "MAINY=25\n"
        "\n"
        "[Sound]\n"
        "volume=3\n";
    EXPECT_EQ(Contents(), replaced);
    // A new key follows the section's last entry, before the blank line.
    ASSERT_TRUE(Write("Settings", "MainW", "640"));
    // A new section goes at the end.
    ASSERT_TRUE(Write("Graphics", "GammaLevel", "4"));
    EXPECT_EQ(Contents(),
              "; hand written\n"
              "[Settings]\n"
              "MainX = 10   ; not a comment, part of the value\n"
              "MAINY=25\n"
              "MainW=640\r\n"
              "\n"
              "[Sound]\n"
              "volume=3\n"
              "[Graphics]\r\n"
              "GammaLevel=4\r\n");
    // Deleting a key removes exactly its line.
    ASSERT_TRUE(Write("Settings", "mainw", nullptr));
    ASSERT_TRUE(Write("Graphics", nullptr, nullptr));
    EXPECT_EQ(Contents(), replaced);
    // Deleting what is not there changes nothing.
    ASSERT_TRUE(Write("Settings", "absent", nullptr));
    ASSERT_TRUE(Write("Absent", nullptr, nullptr));
    EXPECT_EQ(Get("Settings", "MainX"), "10   ; not a comment, part of the value");
}

// A write batch gathers the writes: reads see them at once, the file is stored once when the
// outermost batch ends, and the result is the same file as writing key by key.
TEST_F(ProfileTest, WriteBatchStoresTheFileOnceWithEveryWrite) {
    Put("[A]\r\nx=1\r\n");
    {
        ProfileWriteBatch outer;
        EXPECT_TRUE(Write("A", "x", "2"));
        {
            ProfileWriteBatch inner;
            EXPECT_TRUE(Write("B", "y", "3"));
        }
        EXPECT_EQ(Get("A", "x"), "2");
        EXPECT_EQ(Get("B", "y"), "3");
        EXPECT_EQ(Contents(), "[A]\r\nx=1\r\n");  // not stored while the outer batch lives
        EXPECT_TRUE(Write("A", "x", nullptr));
    }
    const std::string batched = Contents();
    EXPECT_EQ(batched, "[A]\r\n[B]\r\ny=3\r\n");
    Put("[A]\r\nx=1\r\n");
    Write("A", "x", "2");
    Write("B", "y", "3");
    Write("A", "x", nullptr);
    EXPECT_EQ(Contents(), batched);
}

TEST_F(ProfileTest, WritesIntoNewAndUnterminatedFiles) {
    ASSERT_TRUE(Write("Zephlon", "first", "1"));
    EXPECT_EQ(Contents(), "[Zephlon]\r\nfirst=1\r\n");

    Put("[A]\nx=1");  // no final line end
    ASSERT_TRUE(Write("A", "y", "2"));
    EXPECT_EQ(Contents(), "[A]\nx=1\r\ny=2\r\n");
    Put("[A]\nx=1");
    ASSERT_TRUE(Write("B", "z", "3"));
    EXPECT_EQ(Contents(), "[A]\nx=1\r\n[B]\r\nz=3\r\n");
    Put("[A]");
    ASSERT_TRUE(Write("a", "k", "v"));
    EXPECT_EQ(Contents(), "[A]\r\nk=v\r\n");
    Put("[A]\n; about A\nx=1\n\n; about B\n[B]\n");
    ASSERT_TRUE(Write("A", "y", "2"));
    EXPECT_EQ(Contents(), "[A]\n; about A\nx=1\ny=2\r\n\n; about B\n[B]\n");
    Put("[A]\n; about A\n");
    ASSERT_TRUE(Write("A", "y", "2"));
    EXPECT_EQ(Contents(), "[A]\ny=2\r\n; about A\n");
    Put("[A]\nx=1");
    ASSERT_TRUE(Write("A", "x", "22"));
    EXPECT_EQ(Contents(), "[A]\nx=22");
}

TEST_F(ProfileTest, DeletesEveryCopyOfAKeyOrSection) {
    Put("[A]\nk=1\nk=2\nj=0\n[B]\nk=9\n[a]\nk=3\n");
    ASSERT_TRUE(Write("A", "K", nullptr));
    EXPECT_EQ(Contents(), "[A]\nj=0\n[B]\nk=9\n[a]\nk=3\n");
    EXPECT_EQ(Get("A", "k"), "(none)");
    ASSERT_TRUE(Write("a", nullptr, nullptr));
    EXPECT_EQ(Contents(), "[B]\nk=9\n");
}

TEST_F(ProfileTest, ValuesReadBackUnchanged) {
    const char* values[] = {"  padded  ",  "\"quoted\"", "'single'", "a=b=c",
                            "; semicolon", "",           "[bracket]"};
    for (const char* v : values) {
        ASSERT_TRUE(Write("Round", "trip", v)) << v;
        EXPECT_EQ(Get("Round", "trip"), v);
    }
    // What could not be read back is refused, and the file stays as it was.
    const std::string before = Contents();
    struct Bad {
        const char* section;
        const char* key;
        const char* value;
    };
    const Bad bad[] = {{"Round", "trip", "two\r\nlines"},
                       {"Round", "a=b", "1"},
                       {"Round", "[x", "1"},
                       {"Round", ";x", "1"},
                       {"Ro]und", "x", "1"},
                       {"", "x", "1"},
                       {"Round", "", "1"},
                       {nullptr, "x", "1"}};
    for (const Bad& b : bad) {
        EXPECT_FALSE(Write(b.section, b.key, b.value)) << (b.key ? b.key : "(null)");
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(Contents(), before);
}

// Inside a read batch the file is looked at once: a change made elsewhere meanwhile is not seen
// until the batch ends, but the program's own writes are, in and out of a write batch, and a
// file missing at the first read stays missing.
TEST_F(ProfileTest, ReadBatchSeesItsOwnWritesAndOthersOnlyAfterItEnds) {
    Put("[S]\r\nk=1\r\n");
    {
        ProfileReadBatch outer;
        EXPECT_EQ(Get("S", "k"), "1");
        Put("[S]\r\nk=changed elsewhere\r\nm=5\r\n");
        {
            ProfileReadBatch inner;
            EXPECT_EQ(Get("S", "k"), "1");
        }
        EXPECT_EQ(Get("S", "k"), "1") << "the inner batch's end keeps the outer's reads";
        ASSERT_TRUE(Write("S", "k", "2"));
        EXPECT_EQ(Contents(), "[S]\r\nk=2\r\nm=5\r\n") << "a write looks at the file itself";
        EXPECT_EQ(Get("S", "k"), "2");
        {
            ProfileWriteBatch writes;
            ASSERT_TRUE(Write("S", "j", "3"));
            EXPECT_EQ(Get("S", "j"), "3");
        }
        EXPECT_EQ(Get("S", "j"), "3");
        const std::string other = folder_.Path("Other.ini");
        EXPECT_EQ(GetPrivateProfileString("S", "k", "(none)", other), "(none)");
        folder_.Write("Other.ini", "[S]\r\nk=4\r\n");
        EXPECT_EQ(GetPrivateProfileString("S", "k", "(none)", other), "(none)");
    }
    Put("[S]\r\nk=changed elsewhere\r\n");
    EXPECT_EQ(Get("S", "k"), "changed elsewhere");
    EXPECT_EQ(GetPrivateProfileString("S", "k", "(none)", folder_.Path("Other.ini")), "4");
}

TEST_F(ProfileTest, SeesAnotherWritersChanges) {
    ASSERT_TRUE(Write("S", "k", "1"));
    EXPECT_EQ(Get("S", "k"), "1");
    Put("[S]\nk=changed elsewhere\n");
    EXPECT_EQ(Get("S", "k"), "changed elsewhere");
    fs::remove(path_);
    EXPECT_EQ(Get("S", "k"), "(none)");
}

TEST_F(ProfileTest, FailedWritesLeaveTheFileAlone) {
    Put("[S]\nk=1\n");
    {
        platform::ScopedFileFaults faults;
        platform::SimulateDiskFull(3);
        EXPECT_FALSE(Write("S", "k", "2"));
        EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    }
    EXPECT_EQ(Contents(), "[S]\nk=1\n");
    EXPECT_EQ(Get("S", "k"), "1");
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "1", root_ + "/missing/dir/x.ini"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    fs::create_directories(root_ + "/folder.ini");
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "1", root_ + "/folder.ini"));
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", root_ + "/folder.ini"), "d");
}

// A failed store is given out once, with its reason, so the program can tell it; the same
// failure again is not given out twice, and a store that succeeds forgets it. A batch that fails
// reports the first failure's reason.
TEST_F(ProfileTest, FailedStoresAreGivenOutOnce) {
    Put("[S]\nk=1\n");
    EXPECT_EQ(TakeProfileStoreFailure(path_), ERROR_SUCCESS);
    const std::uint64_t before = ProfileStoreFailureCount();
    {
        platform::ScopedFileFaults faults;
        platform::SimulateDiskFull(0);
        EXPECT_FALSE(Write("S", "k", "2"));
        EXPECT_FALSE(Write("S", "k", "3"));
        EXPECT_EQ(ProfileStoreFailureCount(), before + 1);
        EXPECT_EQ(TakeProfileStoreFailure(path_), ERROR_DISK_FULL);
        EXPECT_EQ(TakeProfileStoreFailure(path_), ERROR_SUCCESS);
        EXPECT_FALSE(Write("S", "k", "4"));  // the same failure, already told
        EXPECT_EQ(TakeProfileStoreFailure(path_), ERROR_SUCCESS);
        {
            ProfileWriteBatch batch;
            EXPECT_TRUE(Write("S", "k", "5"));
            EXPECT_FALSE(batch.Flush());
            EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
        }
    }
    EXPECT_TRUE(Write("S", "k", "6"));
    {
        platform::ScopedFileFaults faults;
        platform::SimulateDiskFull(0);
        EXPECT_FALSE(Write("S", "k", "7"));  // after a success the failure is told again
        EXPECT_EQ(TakeProfileStoreFailure(path_), ERROR_DISK_FULL);
    }
    EXPECT_EQ(Get("S", "k"), "6");
}

// Random writes and deletes, checked after every step against a plain map of what the file
// should hold; the same edits made one by one and in write batches of several lengths leave the
// file byte for byte the same, and a batch parses the text once per run of keys set, not once
// per write.
TEST_F(ProfileTest, AgreesWithASimpleModelOverRandomEdits) {
    std::string unbatched;
    for (const int length : {0, 1, 7, 300}) {
        SCOPED_TRACE(length);
        const std::string header = "; kept as written\n\n";
        Put(header);
        const char* sections[] = {"Views", "VIEWS", "sound", "Sound", "Time"};
        const char* keys[] = {"zoom", "ZOOM", "pan", "Pan", "hobbs", "x"};
        const char* values[] = {"1", "", "  padded ", "\"q\"", "a = b", "; not a comment", "long"};
        std::map<std::string, std::map<std::string, std::string>> model;  // folded names
        auto fold = [](std::string s) {
            for (char& c : s)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return s;
        };
        std::uint32_t state = 7;
        auto pick = [&state](std::uint32_t n) {
            state = state * 1103515245u + 12345u;
            return (state >> 16) % n;
        };
        std::optional<ProfileWriteBatch> batch;
        const std::uint64_t parsedBefore = ProfileTextsParsed();
        std::uint64_t deletions = 0;
        for (int step = 0; step < 300; ++step) {
            if (length > 0 && step % length == 0) batch.emplace();
            const char* section = sections[pick(5)];
            const char* key = keys[pick(6)];
            const std::uint32_t op = pick(20);
            if (op < 14) {
                const char* value = values[pick(7)];
                ASSERT_TRUE(Write(section, key, value));
                model[fold(section)][fold(key)] = value;
            } else if (op < 19) {
                ++deletions;
                ASSERT_TRUE(Write(section, key, nullptr));
                auto it = model.find(fold(section));
                if (it != model.end()) it->second.erase(fold(key));
            } else {
                ++deletions;
                ASSERT_TRUE(Write(section, nullptr, nullptr));
                model.erase(fold(section));
            }
            ASSERT_EQ(Contents().compare(0, header.size(), header), 0) << "step " << step;
            for (const char* s : sections) {
                for (const char* k : keys) {
                    const auto section = model.find(fold(s));
                    std::string expected = "(none)";
                    if (section != model.end()) {
                        const auto value = section->second.find(fold(k));
                        if (value != section->second.end()) expected = value->second;
                    }
                    ASSERT_EQ(Get(s, k), expected) << "step " << step << " " << s << "/" << k;
                }
            }
            if (length > 0 && step % length == length - 1) batch.reset();
        }
        batch.reset();
        // Keys set between two deletions are set in one pass.
        if (length == 300) {
            EXPECT_LE(ProfileTextsParsed() - parsedBefore, 2 * deletions + 2);
        }
        if (length == 0) unbatched = Contents();
        EXPECT_EQ(Contents(), unbatched);
    }
}

// Several keys written at once leave the file byte for byte as the same keys written one by
// one, and report the same success, whatever the file held before.
class ProfileKeysTest : public ProfileTest {
protected:
    struct Outcome {
        bool ok = false;
        std::string bytes;
        bool exists = false;
    };
    // Writes the pairs into a file that started as `start` (none when null), one by one or all
    // at once.
    Outcome Run(const char* start, const char* section,
                const std::vector<std::pair<std::string, std::string>>& pairs, bool together) {
        const std::string name = together ? "together.ini" : "one_by_one.ini";
        const std::string path = folder_.Path(name);
        std::filesystem::remove(path);
        if (start != nullptr) folder_.Write(name, start);
        Outcome o;
        if (together) {
            std::vector<ProfileEntry> entries;
            for (const auto& [k, v] : pairs)
                entries.push_back(ProfileEntry{k, v});
            o.ok = WritePrivateProfileStrings(section, entries, path);
        } else {
            o.ok = true;
            for (const auto& [k, v] : pairs)
                o.ok = WritePrivateProfileString(section, k.c_str(), v.c_str(), path) && o.ok;
        }
        o.exists = std::filesystem::exists(path);
        if (o.exists) o.bytes = folder_.Read(name);
        return o;
    }
    void ExpectSame(const char* start, const char* section,
                    const std::vector<std::pair<std::string, std::string>>& pairs,
                    const std::string& label) {
        const Outcome one = Run(start, section, pairs, false);
        const Outcome all = Run(start, section, pairs, true);
        EXPECT_EQ(all.ok, one.ok) << label;
        EXPECT_EQ(all.exists, one.exists) << label;
        EXPECT_EQ(all.bytes, one.bytes) << label;
    }
};

TEST_F(ProfileKeysTest, SameBytesAsOneByOne) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    const Pairs mixed = {{"zoom", "3"},  {"New", "a"},     {"ZOOM", "4"}, {"pan", "  padded "},
                         {"NEW", "b"},   {"quoted", "'q'"}, {"empty", ""}, {" spaced ", "x"}};
    const struct {
        const char* label;
        const char* start;  // null: no file
        const char* section;
        Pairs pairs;
    } cases[] = {
        {"no file", nullptr, "ATCComm", mixed},
        {"empty file", "", "ATCComm", mixed},
        {"no line end at the end", "[Other]\r\na=1", "ATCComm", mixed},
        {"section replaced and extended",
         "; top\r\n[Views]\r\nZoom = 1\r\npan=2\r\n\r\n; lead-in\r\n[Sound]\nv=1\n", "views",
         mixed},
        {"header last without line end", "[Views]", "Views", mixed},
        {"last entry without line end", "[Views]\nzoom=1", "Views", mixed},
        {"only the last entry replaced", "[Views]\nzoom=1\npan=2", "Views", {{"PAN", "5"}}},
        {"first of duplicate sections and keys",
         "[Views]\nzoom=1\nzoom=2\n[views]\nzoom=3\n", "VIEWS", {{"zoom", "9"}, {"x", "1"}}},
        {"nothing changes", "[Views]\nzoom=3\n", "Views", {{"zoom", "3"}}},
        {"hand-spaced line rewritten", "[Views]\n  zoom = 3 \n", "Views", {{"zoom", "3"}}},
        {"refused keys alone",
         "[Views]\nzoom=1\n", "Views",
         {{"a=b", "1"}, {"[x", "1"}, {";c", "1"}, {"", "1"}, {"ok", "line\nbreak"}, {"good", "2"}}},
        {"everything refused", "[Views]\n", "Views", {{"a=b", "1"}}},
        {"bad section", "[Views]\n", "Vi]ews", {{"zoom", "1"}}},
        {"blank section", "[Views]\n", "  ", {{"zoom", "1"}}},
        {"no keys", "[Views]\n", "Views", {}},
        {"comments and stray text kept",
         "junk\n[Views]\n; c\nstray\nzoom=1\n; tail\n\n[Next]\n", "Views",
         {{"new", "1"}, {"zoom", "2"}}},
    };
    for (const auto& c : cases)
        ExpectSame(c.start, c.section, c.pairs, c.label);
}

TEST_F(ProfileKeysTest, AgreesWithOneByOneOverRandomFilesAndKeys) {
    const char* lines[] = {"[Views]", "[views]", "[Sound]", "zoom=1", "Zoom = 2", "pan='p'",
                           "; note", "", "stray", "x=", "[ Views ]"};
    const char* keys[] = {"zoom", "ZOOM", "pan", "x", "New", "new", "y"};
    const char* values[] = {"1", "2", "", "  padded ", "\"q\"", "a = b"};
    const char* ends[] = {"\n", "\r\n", "\r"};
    std::uint32_t state = 11;
    auto pick = [&state](std::uint32_t n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    for (int round = 0; round < 200; ++round) {
        std::string start;
        const std::uint32_t n = pick(8);
        for (std::uint32_t i = 0; i < n; ++i) {
            start += lines[pick(11)];
            if (i + 1 < n || pick(2) == 0) start += ends[pick(3)];
        }
        std::vector<std::pair<std::string, std::string>> pairs;
        for (std::uint32_t i = pick(6); i > 0; --i)
            pairs.emplace_back(keys[pick(7)], values[pick(6)]);
        ExpectSame(start.c_str(), pick(2) == 0 ? "Views" : "VIEWS", pairs,
                   "round " + std::to_string(round) + ": " + start);
    }
}

TEST_F(ProfileKeysTest, FileNearItsSizeLimitTakesWhatFits) {
    // One key still fits, the next would pass the limit: both ways stop at the same byte.
    std::string start = "[A]\r\nfill=";
    start.append(platform::kMaxTextFileBytes - start.size() - 2 - 10, 'x');
    start += "\r\n";
    ExpectSame(start.c_str(), "A", {{"k", "1"}, {"long", "123456789"}, {"m", "2"}}, "limit");
}

TEST_F(ProfileTest, GarbageAndHugeLinesDoNotCrash) {
    std::string garbage;
    std::uint32_t state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>(state >> 24);
    }
    const std::string samples[] = {
        garbage,
        "[" + std::string(300000, 'x'),
        "[S]\n" + std::string(300000, '=') + "\n",
        "[S]\nk=" + std::string(500000, 'v'),
        std::string("[S]\0\nk=\0v\n", 11),
        "]]]]\n[[[[\n====\n;;;;\n",
    };
    for (const std::string& sample : samples) {
        Put(sample);
        (void)Get("S", "k");
        (void)GetPrivateProfileInt("S", "k", 0, path_);
        char small[8];
        (void)GetPrivateProfileString(nullptr, nullptr, "", small, sizeof small, path_);
        (void)GetPrivateProfileString("S", nullptr, "", small, sizeof small, path_);
        ASSERT_TRUE(Write("S", "new", "1"));
        EXPECT_EQ(Get("S", "new"), "1");
        ASSERT_TRUE(Write("S", "new", nullptr));
    }
    // The long value reads whole through the string form, cut through the buffer form.
    Put("[S]\nk=" + std::string(500000, 'v'));
    EXPECT_EQ(Get("S", "k").size(), 500000u);
    char buffer[512];
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", buffer, sizeof buffer, path_), 511u);
}

// Settings files that are not plain files of a sensible size read as their defaults and are
// never written: an endless device, a pipe that would block the open, a file past the limit.
// A link to a plain file is followed, and stays a link when the file is written.
TEST_F(ProfileTest, OnlyPlainFilesOfBoundedSizeAreReadOrWritten) {
    const std::string fifo = folder_.Path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = folder_.Path("big.txt");
    {
        std::string text = "[S]\nk=1\n";
        text.resize(platform::kMaxTextFileBytes + 1, ';');
        folder_.Write("big.txt", text);
    }
    struct Case {
        const char* name;
        std::string target;
    };
    const Case cases[] = {{"endless device", "/dev/zero"}, {"pipe", fifo}, {"too large", big}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(path_);
        fs::create_symlink(c.target, path_);
        const auto sizeBefore = fs::is_regular_file(c.target) ? fs::file_size(c.target) : 0;
        EXPECT_EQ(Get("S", "k", "default"), "default");
        EXPECT_EQ(GetPrivateProfileInt("S", "k", 7, path_), 7);
        EXPECT_TRUE(GetPrivateProfileSectionNames(path_).empty());
        EXPECT_FALSE(Write("S", "k", "2"));
        EXPECT_TRUE(fs::is_symlink(path_));
        EXPECT_EQ(fs::read_symlink(path_), c.target);
        if (fs::is_regular_file(c.target)) {
            EXPECT_EQ(fs::file_size(c.target), sizeBefore);
        }
    }
    fs::remove(path_);
    folder_.Write("real.ini", "[S]\nk=1\n");
    fs::create_symlink(folder_.Path("real.ini"), path_);
    EXPECT_EQ(Get("S", "k"), "1");
    ASSERT_TRUE(Write("S", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(folder_.Read("real.ini"), "[S]\nk=2\n");
    // A write that would take the file past the limit is refused and leaves it as it was.
    fs::remove(path_);
    Put("[S]\nk=1\n");
    const std::string huge(platform::kMaxTextFileBytes, 'v');
    EXPECT_FALSE(Write("S", "long", huge.c_str()));
    EXPECT_EQ(Contents(), "[S]\nk=1\n");
}

}  // namespace
