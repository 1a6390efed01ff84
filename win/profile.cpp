#include "win/profile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>
#include <utility>

#include "platform/file_system.h"
#include "win/file_api.h"

namespace win {
namespace {

// ---------------------------------------------------------------------------------------------
// Text helpers

using platform::EqualIgnoringCase;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && IsQuote(s.front()) && s.back() == s.front()) {
        return s.substr(1, s.size() - 2);
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// The parsed shape of a profile file: its text and the byte ranges of its section headers and
// entries, parsed once when the file is read and shared by every read until the file changes.
// Lines that are neither (blank lines, comments, stray text) need no record: every edit is made
// from the ranges of headers and entries alone.

struct ProfileSpan {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

enum class LineKind : std::uint8_t { kSection, kEntry };

struct ParsedLine {
    std::uint32_t start;  // first byte
    std::uint32_t end;    // one past the last byte before the line end
    std::uint32_t next;   // first byte of the next line
    LineKind kind;
    ProfileSpan name;   // section name or key
    ProfileSpan value;  // the entry's value, trimmed and unquoted
};

// Hashing and comparing of names without regard to the case of their letters.
struct FoldedHash {
    std::size_t operator()(std::string_view name) const {
        std::size_t h = 14695981039346656037ull;
        for (char c : name)
            h = (h ^ static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c)) *
                1099511628211ull;
        return h;
    }
};
struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        return EqualIgnoringCase(a, b);
    }
};

class Profile {
public:
    // The text is at most platform::kMaxTextFileBytes, so 32-bit offsets hold every position.
    explicit Profile(std::string text) : text_(std::move(text)) {
        ++parsed;
        Parse();
    }
    static inline std::uint64_t parsed = 0;
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    [[nodiscard]] const std::string& Text() const { return text_; }
    [[nodiscard]] const std::vector<ParsedLine>& Lines() const { return lines_; }
    [[nodiscard]] std::string_view View(ProfileSpan s) const {
        return std::string_view(text_).substr(s.offset, s.length);
    }
    [[nodiscard]] std::string_view Name(std::size_t i) const { return View(lines_[i].name); }
    [[nodiscard]] std::string_view Value(std::size_t i) const { return View(lines_[i].value); }

    // Index of the first section header of that name, or npos.
    [[nodiscard]] std::size_t FindSection(std::string_view name) const {
        for (std::size_t i : sections_) {
            if (EqualIgnoringCase(Name(i), name)) return i;
        }
        return npos;
    }

    // The first line of the section whose header is at `header` that has the key `key`, or
    // npos. The first look-up makes an index of every section's keys, shared by the reads that
    // follow (a file read whole looks up many keys).
    [[nodiscard]] std::size_t FindKey(std::size_t header, std::string_view key) const {
        std::call_once(indexed_, [this] {
            for (std::size_t h : sections_) {
                auto& names = keys_[h];
                for (std::size_t i = h + 1, end = SectionEnd(h); i < end; ++i)
                    names.emplace(Name(i), i);  // the first line of a name stays
            }
        });
        const auto section = keys_.find(header);
        if (section == keys_.end()) return npos;
        const auto it = section->second.find(key);
        return it == section->second.end() ? npos : it->second;
    }

    // One past the last line of the section whose header is at `header`.
    [[nodiscard]] std::size_t SectionEnd(std::size_t header) const {
        std::size_t i = header + 1;
        while (i < lines_.size() && lines_[i].kind != LineKind::kSection)
            ++i;
        return i;
    }

    // Where the line after `i` starts (the end of the text after the last line).
    [[nodiscard]] std::size_t StartOf(std::size_t i) const {
        return i < lines_.size() ? lines_[i].start : text_.size();
    }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    ProfileSpan SpanOf(std::string_view part) const {
        return ProfileSpan{static_cast<std::uint32_t>(part.data() - text_.data()),
                           static_cast<std::uint32_t>(part.size())};
    }

    void Parse() {
        const std::string_view text = text_;
        std::size_t pos = 0;
        bool inSection = false;
        while (pos < text.size()) {
            const std::size_t start = pos;
            std::size_t i = pos;
            while (i < text.size() && text[i] != '\n' && text[i] != '\r')
                ++i;
            const std::size_t end = i;
            if (i < text.size()) {
                i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            }
            pos = i;

            ParsedLine parsed{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end),
                              static_cast<std::uint32_t>(pos), LineKind::kEntry, {}, {}};
            const std::string_view content = Trim(text.substr(start, end - start));
            if (!content.empty() && content.front() == '[') {
                const std::size_t close = content.find(']');
                parsed.kind = LineKind::kSection;
                parsed.name = SpanOf(Trim(content.substr(
                    1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
                inSection = true;
                sections_.push_back(lines_.size());
                lines_.push_back(parsed);
            } else if (inSection && !content.empty() && content.front() != ';') {
                const std::size_t equals = content.find('=');
                if (equals != std::string_view::npos) {
                    parsed.name = SpanOf(Trim(content.substr(0, equals)));
                    parsed.value = SpanOf(Unquote(Trim(content.substr(equals + 1))));
                    lines_.push_back(parsed);
                }
            }
        }
    }

    std::string text_;
    std::vector<ParsedLine> lines_;
    std::vector<std::size_t> sections_;  // indexes of the section headers in lines_
    mutable std::once_flag indexed_;
    mutable std::unordered_map<
        std::size_t, std::unordered_map<std::string_view, std::size_t, FoldedHash, FoldedEqual>>
        keys_;
};

std::shared_ptr<const Profile> EmptyProfile() {
    static const auto& empty = *new std::shared_ptr<const Profile>(
        std::make_shared<const Profile>(std::string()));
    return empty;
}

// ---------------------------------------------------------------------------------------------
// Reading files, with a small cache that is trusted only while the file's identity, size and
// modification time are unchanged.

struct CachedFile {
    platform::FileInfo stamp;
    std::shared_ptr<const Profile> profile;
    std::uint64_t lastUse = 0;  // when it was last read or stored, in reads and stores made
};

// Marks a cached file as just used, so that the files in use stay while others come and go.
std::uint64_t NextUse() {
    static std::uint64_t uses = 0;
    return ++uses;
}

std::map<std::string, CachedFile>& TheCache() {
    // Never destroyed: static objects may still close files while the program exits.
    static auto& cache = *new std::map<std::string, CachedFile>;
    return cache;
}

bool SameStamp(const platform::FileInfo& a, const platform::FileInfo& b) {
    return a.identity == b.identity && a.size == b.size && a.modified == b.modified;
}

// The file's parsed text (empty when the file does not exist), shared with the cache rather
// than copied. `readable` is false for a file that exists but is not read: one that cannot be
// opened, a folder, a device or pipe, or one larger than a settings file can be.
struct LoadedText {
    std::shared_ptr<const Profile> profile = EmptyProfile();
    std::string key;  // the resolved path, the cache's key
    bool readable = true;
};

// Files written inside a write batch and not yet stored: resolved path -> the name to store
// under. Their text lives in the cache, which is trusted for them without looking at the file.
// A write made inside a batch is kept as an edit and applied with the file's other edits in one
// pass when the batch stores the file (or when a read needs the whole text): a batch of many
// writes into a large file costs the file's size once, not once per write.
struct PendingEdit {
    enum Kind : std::uint8_t { kSet, kDeleteKey, kDeleteSection } kind;
    std::string section, key, value;  // trimmed names
};
struct Batch {
    int depth = 0;
    std::map<std::string, std::string> pending;
    std::map<std::string, std::vector<PendingEdit>> edits;  // resolved path -> in order made
    std::set<std::string> changed;  // pending files whose text changed
};
Batch& TheBatch() {
    static auto& batch = *new Batch;
    return batch;
}

// Says once per file and reason why a settings file is not used: the program then runs on its
// defaults and writes nothing into it.
void ReportRefused(const std::string& key, std::uint32_t error) {
    static auto& told = *new std::map<std::string, std::uint32_t>;
    const auto it = told.find(key);
    if (it != told.end() && it->second == error) return;
    told[key] = error;
    const char* why = error == platform::kFileTooLarge ? "it is larger than 16 MB"
                                                       : "it is not a plain file";
    std::fprintf(stderr, "zephlon: %s is not read or written: %s\n", key.c_str(), why);
}

// Files read inside a read batch: the name asked for -> what it read as.
struct ReadBatch {
    int depth = 0;
    std::map<std::string, LoadedText, std::less<>> loaded;
};
ReadBatch& TheReadBatch() {
    static auto& batch = *new ReadBatch;
    return batch;
}

LoadedText LoadFromFile(std::string_view fileName, bool withEdits = true);
void ApplyPendingEdits(const std::string& key);

// The file's text as reads see it: inside a read batch, what the batch's first read of the name
// found. Writes look at the file itself.
LoadedText LoadText(std::string_view fileName) {
    ReadBatch& reads = TheReadBatch();
    if (reads.depth == 0) return LoadFromFile(fileName);
    const auto it = reads.loaded.find(fileName);
    if (it != reads.loaded.end()) return it->second;
    LoadedText loaded = LoadFromFile(fileName);
    reads.loaded.emplace(std::string(fileName), loaded);
    return loaded;
}

LoadedText LoadFromFile(std::string_view fileName, bool withEdits) {
    LoadedText loaded;
    const platform::ResolvedPath resolved = platform::ResolvePath(fileName);
    loaded.key = resolved.path;
    platform::FileInfo info;
    auto& cache = TheCache();
    if (TheBatch().pending.count(loaded.key) != 0) {
        if (withEdits) ApplyPendingEdits(loaded.key);
        loaded.profile = cache[loaded.key].profile;
        return loaded;
    }
    // A path found missing is not looked for a second time.
    if (resolved.path.empty() || resolved.missingComponents > 0 ||
        platform::GetFileInfo(fileName, &info) != platform::kFileOk) {
        cache.erase(loaded.key);
        return loaded;  // no file: no settings
    }
    if (info.isDirectory) {
        SetLastError(ERROR_ACCESS_DENIED);
        loaded.readable = false;
        return loaded;
    }
    const auto it = cache.find(loaded.key);
    if (it != cache.end() && SameStamp(it->second.stamp, info)) {
        it->second.lastUse = NextUse();
        loaded.profile = it->second.profile;
        return loaded;
    }
    std::string text;
    const std::uint32_t error = platform::ReadTextFile(fileName, &text);
    if (error != platform::kFileOk) {
        if (error == platform::kFileTooLarge || error == platform::kBadFileType)
            ReportRefused(loaded.key, error);
        SetLastError(error);
        loaded.readable = false;
        return loaded;
    }
    loaded.profile = std::make_shared<const Profile>(std::move(text));
    if (cache.size() >= 16) {
        // A handful of files are in use at any time: the one used longest ago goes (a large
        // settings file read between many small ones is not read again each time); a batch's
        // unstored texts stay.
        auto oldest = cache.end();
        for (auto c = cache.begin(); c != cache.end(); ++c)
            if (TheBatch().pending.count(c->first) == 0 &&
                (oldest == cache.end() || c->second.lastUse < oldest->second.lastUse))
                oldest = c;
        if (oldest != cache.end()) cache.erase(oldest);
    }
    cache[loaded.key] = CachedFile{info, loaded.profile, NextUse()};
    return loaded;
}

// What became of the stores of each file, so that a failed one is told to the user once: the
// error of the latest failure, whether it was given out, and a count of failures recorded.
struct StoreFailure {
    std::uint32_t error = 0;
    bool taken = false;
};
struct StoreFailures {
    std::map<std::string, StoreFailure> byFile;
    std::uint64_t recorded = 0;
};
StoreFailures& TheStoreFailures() {
    // Never destroyed: static objects may still write settings while the program exits.
    static auto& failures = *new StoreFailures;
    return failures;
}

void RecordStore(const std::string& key, std::uint32_t error) {
    StoreFailures& f = TheStoreFailures();
    if (error == platform::kFileOk) {
        f.byFile.erase(key);
        return;
    }
    // The same failure again (waiting to be told, or told) is recorded once until a store of
    // the file has succeeded.
    const auto it = f.byFile.find(key);
    if (it != f.byFile.end() && it->second.error == error) return;
    f.byFile[key] = StoreFailure{error, false};
    ++f.recorded;
}

bool StoreText(std::string_view fileName, const std::string& key, std::string text) {
    TheReadBatch().loaded.clear();  // what a read batch found may have changed
    // A file the program would refuse to read back is not written.
    if (text.size() > platform::kMaxTextFileBytes) {
        SetLastError(platform::kFileTooLarge);
        RecordStore(key, platform::kFileTooLarge);
        return false;
    }
    Batch& batch = TheBatch();
    if (batch.depth > 0) {
        batch.pending[key] = std::string(fileName);
        batch.changed.insert(key);
        TheCache()[key] = CachedFile{{}, std::make_shared<const Profile>(std::move(text)), NextUse()};
        SetLastError(ERROR_SUCCESS);
        return true;
    }
    const std::uint32_t error =
        platform::ReplaceFileAtomically(fileName, std::string_view(text), false);
    SetLastError(error);
    RecordStore(key, error);
    if (error != platform::kFileOk) {
        TheCache().erase(key);
        return false;
    }
    platform::FileInfo info;
    if (platform::GetFileInfo(fileName, &info) == platform::kFileOk) {
        TheCache()[key] = CachedFile{info, std::make_shared<const Profile>(std::move(text)), NextUse()};
    } else {
        TheCache().erase(key);
    }
    return true;
}

// The value of a key, if present.
bool FindValue(const Profile& profile, std::string_view section, std::string_view key,
               std::string_view* value) {
    const std::size_t header = profile.FindSection(section);
    if (header == Profile::npos) return false;
    const std::size_t line = profile.FindKey(header, key);
    if (line == Profile::npos) return false;
    *value = profile.Value(line);
    return true;
}

// A key's value as the reads see it. Inside a write batch the edits not yet applied answer for
// the keys they set or removed, and the file's text for the others, so that reads between
// writes do not apply the edits each time.
struct FoundValue {
    std::shared_ptr<const Profile> profile;  // keeps `value` alive
    std::string_view value;
    bool readable = true;
    bool found = false;
};
FoundValue LookUpValue(std::string_view fileName, std::string_view section, std::string_view key) {
    FoundValue f;
    Batch& batch = TheBatch();
    if (!batch.edits.empty()) {
        const auto it = batch.edits.find(platform::ResolvePath(fileName).path);
        if (it != batch.edits.end()) {
            for (auto e = it->second.rbegin(); e != it->second.rend(); ++e) {
                if (!EqualIgnoringCase(e->section, section)) continue;
                if (e->kind == PendingEdit::kDeleteSection) return f;
                if (!EqualIgnoringCase(e->key, key)) continue;
                if (e->kind == PendingEdit::kSet) {
                    f.value = e->value;
                    f.found = true;
                }
                return f;
            }
            f.profile = TheCache()[it->first].profile;
            if (!f.profile) f.profile = EmptyProfile();
            f.found = FindValue(*f.profile, section, key, &f.value);
            return f;
        }
    }
    const LoadedText loaded = LoadText(fileName);
    f.readable = loaded.readable;
    f.profile = loaded.profile;
    f.found = f.readable && FindValue(*f.profile, section, key, &f.value);
    return f;
}

// Names in file order, each once whatever the case of its letters.
class UniqueNames {
public:
    void Add(std::string_view name) {
        std::string folded(name);
        for (char& c : folded)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (seen_.insert(std::move(folded)).second) names_.emplace_back(name);
    }
    std::vector<std::string> Take() { return std::move(names_); }

private:
    std::set<std::string> seen_;
    std::vector<std::string> names_;
};

std::vector<std::string> SectionNames(const Profile& profile) {
    UniqueNames names;
    for (std::size_t i = 0; i < profile.Lines().size(); ++i) {
        if (profile.Lines()[i].kind == LineKind::kSection) names.Add(profile.Name(i));
    }
    return names.Take();
}

std::vector<std::string> KeyNames(const Profile& profile, std::string_view section) {
    UniqueNames names;
    const std::size_t header = profile.FindSection(section);
    if (header == Profile::npos) return {};
    const std::size_t end = profile.SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        names.Add(profile.Name(i));
    return names.Take();
}

// Stores a NUL-separated, double-NUL-terminated list; when it does not fit it is cut and the
// result is size - 2.
std::uint32_t StoreList(const std::vector<std::string>& names, char* buffer, std::uint32_t size) {
    if (buffer == nullptr || size == 0) return 0;
    if (size == 1) {
        buffer[0] = '\0';
        return 0;
    }
    std::uint32_t used = 0;
    for (const std::string& name : names) {
        for (char c : name) {
            if (used + 2 >= size) {
                buffer[size - 2] = '\0';
                buffer[size - 1] = '\0';
                return size - 2;
            }
            buffer[used++] = c;
        }
        if (used + 2 > size) {
            buffer[size - 2] = '\0';
            buffer[size - 1] = '\0';
            return size - 2;
        }
        buffer[used++] = '\0';
    }
    buffer[used] = '\0';
    if (used == 0 && size >= 2) buffer[1] = '\0';
    return used;
}

std::uint32_t StoreString(std::string_view value, char* buffer, std::uint32_t size) {
    if (buffer == nullptr || size == 0) return 0;
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(value.size(), size - 1));
    if (n > 0) std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
}

// A delete of what is not there succeeds without touching the file.
bool NothingToChange() {
    SetLastError(ERROR_SUCCESS);
    return true;
}

bool HasLineBreak(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; });
}

bool BadSectionName(std::string_view trimmed) {
    return trimmed.empty() || HasLineBreak(trimmed) || trimmed.find(']') != std::string_view::npos;
}

bool BadKeyName(std::string_view trimmed) {
    return trimmed.empty() || HasLineBreak(trimmed) ||
           trimmed.find('=') != std::string_view::npos || trimmed.front() == '[' ||
           trimmed.front() == ';';
}

// A value with blanks at an end, or one that is quoted itself, would not read back unchanged.
std::string EncodeValue(std::string_view value) {
    const bool blanks = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool quoted =
        value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
    if (blanks || quoted) return "\"" + std::string(value) + "\"";
    return std::string(value);
}

std::int32_t ParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\n' || text[i] == '\r'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<std::int64_t>(INT32_MAX) + 1)
            value = static_cast<std::int64_t>(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// The text with every section of that name deleted (key null), or the key's lines in the first
// section of that name; false when nothing is deleted.
bool DeleteFromText(const Profile& profile, std::string_view sectionName,
                    const std::string_view* keyName, std::string* result) {
    const std::string& text = profile.Text();
    const auto& lines = profile.Lines();
    result->clear();
    std::size_t kept = 0;
    bool changed = false;
    if (keyName == nullptr) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].kind != LineKind::kSection ||
                !EqualIgnoringCase(profile.Name(i), sectionName)) {
                continue;
            }
            const std::size_t end = profile.SectionEnd(i);
            result->append(text, kept, lines[i].start - kept);
            kept = profile.StartOf(end);
            changed = true;
            i = end - 1;
        }
    } else {
        const std::size_t header = profile.FindSection(sectionName);
        if (header == Profile::npos) return false;
        const std::size_t end = profile.SectionEnd(header);
        for (std::size_t i = header + 1; i < end; ++i) {
            if (!EqualIgnoringCase(profile.Name(i), *keyName)) continue;
            result->append(text, kept, lines[i].start - kept);
            kept = lines[i].next;
            changed = true;
        }
    }
    if (!changed) return false;
    result->append(text, kept, std::string::npos);
    return true;
}

// Keeps a write made inside a batch as an edit of the file's text.
void QueueEdit(std::string_view fileName, const LoadedText& loaded, PendingEdit edit) {
    TheReadBatch().loaded.clear();  // what a read batch found may have changed
    Batch& batch = TheBatch();
    batch.pending.emplace(loaded.key, std::string(fileName));
    CachedFile& cached = TheCache()[loaded.key];
    if (!cached.profile) cached = CachedFile{{}, loaded.profile, NextUse()};
    batch.edits[loaded.key].push_back(std::move(edit));
}

}  // namespace

std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                      const char* defaultValue, char* buffer, std::uint32_t size,
                                      std::string_view fileName) {
    if (section == nullptr || key == nullptr) {
        const LoadedText loaded = LoadText(fileName);
        if (section == nullptr) return StoreList(SectionNames(*loaded.profile), buffer, size);
        return StoreList(KeyNames(*loaded.profile, section), buffer, size);
    }
    if (const FoundValue f = LookUpValue(fileName, section, key); f.found) {
        SetLastError(ERROR_SUCCESS);
        return StoreString(f.value, buffer, size);
    }
    std::string_view fallback = defaultValue == nullptr ? std::string_view() : defaultValue;
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.remove_suffix(1);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return StoreString(fallback, buffer, size);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string_view fileName) {
    const FoundValue f = LookUpValue(fileName, section, key);
    return std::string(f.found ? f.value : defaultValue);
}

std::int32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                                  std::string_view fileName) {
    if (section == nullptr || key == nullptr) return defaultValue;
    const FoundValue f = LookUpValue(fileName, section, key);
    return f.found ? ParseInt(f.value) : defaultValue;
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               std::string_view fileName) {
    if (section == nullptr) {
        // With nothing to write there is nothing to flush either: every write is already on disc.
        const bool flushOnly = key == nullptr && value == nullptr;
        SetLastError(flushOnly ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER);
        return flushOnly;
    }
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = key == nullptr ? std::string_view() : Trim(key);
    if (BadSectionName(sectionName) || (key != nullptr && BadKeyName(keyName)) ||
        (value != nullptr && HasLineBreak(value))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (key != nullptr && value != nullptr) {
        // One key set: the case of one entry of several.
        const ProfileEntry entry{keyName, value};
        return WritePrivateProfileStrings(section, std::span<const ProfileEntry>(&entry, 1),
                                          fileName);
    }

    if (TheBatch().depth > 0) {
        const LoadedText loaded = LoadFromFile(fileName, false);
        if (!loaded.readable) return false;
        QueueEdit(fileName, loaded,
                  PendingEdit{key == nullptr ? PendingEdit::kDeleteSection : PendingEdit::kDeleteKey,
                              std::string(sectionName), std::string(keyName), {}});
        return NothingToChange();
    }
    const LoadedText loaded = LoadFromFile(fileName);
    if (!loaded.readable) return false;
    std::string result;
    if (!DeleteFromText(*loaded.profile, sectionName, key == nullptr ? nullptr : &keyName, &result))
        return NothingToChange();
    return StoreText(fileName, loaded.key, std::move(result));
}

namespace {

// The keys to set in one section.
struct SectionWrite {
    std::string_view section;  // trimmed
    std::span<const ProfileEntry> entries;
};

// The text `profile` becomes with every section's keys set, in one pass over it: each section's
// lines as WritePrivateProfileStrings of it alone would leave them, sections the file lacks
// added at its end in the order given. `refused` tells that a key or value could not be written
// (the others are); `changed` that any line changed.
std::string MergeSections(const Profile& profile, std::span<const SectionWrite> writes,
                          bool* refused, bool* changed) {
    const std::string& text = profile.Text();
    const auto& lines = profile.Lines();
    // The first header of each section name.
    std::unordered_map<std::string_view, std::size_t, FoldedHash, FoldedEqual> headers;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == LineKind::kSection) headers.emplace(profile.Name(i), i);

    struct Edit {
        std::size_t start, end;  // the bytes of the text replaced (none for an insertion)
        std::string text;
    };
    std::vector<Edit> edits;
    std::string newSections;
    *refused = false;
    for (const SectionWrite& w : writes) {
        const auto found = headers.find(w.section);
        const std::size_t header = found == headers.end() ? Profile::npos : found->second;
        const std::size_t end = header == Profile::npos ? header : profile.SectionEnd(header);
        // Where each key's line is, by its name without regard to case: a line of the section
        // (its index in `lines`) or a line the section gains (lines.size() and up). The first
        // line of a name is the one a write replaces.
        std::unordered_map<std::string_view, std::size_t, FoldedHash, FoldedEqual> slots;
        if (header != Profile::npos)
            for (std::size_t i = header + 1; i < end; ++i)
                slots.emplace(profile.Name(i), i);
        std::map<std::size_t, std::string> replaced;  // line index -> its new text
        std::vector<std::string> added;
        for (const ProfileEntry& e : w.entries) {
            const std::string_view keyName = Trim(e.key);
            if (BadKeyName(keyName) || HasLineBreak(e.value)) {
                *refused = true;
                continue;
            }
            std::string line = std::string(keyName) + "=" + EncodeValue(e.value);
            const auto [it, isNew] = slots.emplace(keyName, lines.size() + added.size());
            if (isNew) {
                added.push_back(std::move(line));
            } else if (it->second >= lines.size()) {
                added[it->second - lines.size()] = std::move(line);
            } else {
                replaced[it->second] = std::move(line);
            }
        }
        // Lines that already read so stay.
        for (auto it = replaced.begin(); it != replaced.end();) {
            const ParsedLine& l = lines[it->first];
            it = std::string_view(text).substr(l.start, l.end - l.start) == it->second
                     ? replaced.erase(it)
                     : std::next(it);
        }
        if (replaced.empty() && added.empty()) continue;
        if (header == Profile::npos) {
            newSections += "[" + std::string(w.section) + "]\r\n";
            for (const std::string& line : added)
                newSections += line + "\r\n";
            continue;
        }
        // The line's text is replaced in place; its line end stays.
        for (auto& [i, line] : replaced)
            edits.push_back(Edit{lines[i].start, lines[i].end, std::move(line)});
        // New keys follow the section's last entry (or its header), so blank lines and comments
        // that lead into the next section stay where they are.
        if (!added.empty()) {
            const ParsedLine& after = lines[end - 1];
            std::string inserted = after.next == after.end ? "\r\n" : "";  // no line end
            for (const std::string& line : added)
                inserted += line + "\r\n";
            edits.push_back(Edit{after.next, after.next, std::move(inserted)});
        }
    }
    *changed = !edits.empty() || !newSections.empty();
    if (!*changed) return {};
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.start < b.start; });
    std::string result;
    result.reserve(text.size() + newSections.size());
    std::size_t kept = 0;
    for (const Edit& e : edits) {
        result.append(text, kept, e.start - kept);
        result += e.text;
        kept = e.end;
    }
    result.append(text, kept, std::string::npos);
    if (!newSections.empty()) {
        if (!result.empty() && result.back() != '\n' && result.back() != '\r') result += "\r\n";
        result += newSections;
    }
    return result;
}

// The text the file's edits made inside the batch give, in one pass over the text for each run
// of keys set between deletions. A run whose text would be larger than a settings file can be
// is set key by key, each as far as the size allows (the failure recorded as a store's).
void ApplyPendingEdits(const std::string& key) {
    Batch& batch = TheBatch();
    const auto found = batch.edits.find(key);
    if (found == batch.edits.end()) return;
    const std::vector<PendingEdit> edits = std::move(found->second);
    batch.edits.erase(found);
    CachedFile& cached = TheCache()[key];
    std::shared_ptr<const Profile> profile = cached.profile ? cached.profile : EmptyProfile();
    bool changedAny = false;
    const auto take = [&](std::string text) {
        profile = std::make_shared<const Profile>(std::move(text));
        changedAny = true;
    };
    // Keys set in a row, gathered by section in the order first named, the last value of a key
    // winning.
    std::vector<std::string_view> sections;
    std::vector<std::vector<ProfileEntry>> entries;
    const auto mergeRun = [&] {
        if (sections.empty()) return;
        std::vector<SectionWrite> writes;
        for (std::size_t i = 0; i < sections.size(); ++i)
            writes.push_back(SectionWrite{sections[i], entries[i]});
        bool refused = false, changed = false;
        std::string result = MergeSections(*profile, writes, &refused, &changed);
        if (changed && result.size() <= platform::kMaxTextFileBytes) {
            take(std::move(result));
        } else if (changed) {
            for (const SectionWrite& w : writes)
                for (const ProfileEntry& e : w.entries) {
                    const SectionWrite one{w.section, std::span<const ProfileEntry>(&e, 1)};
                    std::string text = MergeSections(*profile, std::span<const SectionWrite>(&one, 1),
                                                     &refused, &changed);
                    if (!changed) continue;
                    if (text.size() > platform::kMaxTextFileBytes)
                        RecordStore(key, platform::kFileTooLarge);
                    else
                        take(std::move(text));
                }
        }
        sections.clear();
        entries.clear();
    };
    for (const PendingEdit& e : edits) {
        if (e.kind == PendingEdit::kSet) {
            std::size_t i = 0;
            while (i < sections.size() && !EqualIgnoringCase(sections[i], e.section)) ++i;
            if (i == sections.size()) {
                sections.push_back(e.section);
                entries.emplace_back();
            }
            entries[i].push_back(ProfileEntry{e.key, e.value});
            continue;
        }
        mergeRun();
        const std::string_view keyName = e.key;
        std::string result;
        if (DeleteFromText(*profile, e.section,
                           e.kind == PendingEdit::kDeleteKey ? &keyName : nullptr, &result))
            take(std::move(result));
    }
    mergeRun();
    cached.profile = profile;
    cached.lastUse = NextUse();
    if (changedAny) batch.changed.insert(key);
}

}  // namespace

bool WritePrivateProfileStrings(const char* section, std::span<const ProfileEntry> entries,
                                std::string_view fileName) {
    if (entries.empty()) return NothingToChange();
    const std::string_view sectionName = section == nullptr ? std::string_view() : Trim(section);
    if (section == nullptr || BadSectionName(sectionName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (TheBatch().depth > 0) {
        const LoadedText loaded = LoadFromFile(fileName, false);
        if (!loaded.readable) return false;
        bool refused = false;
        for (const ProfileEntry& e : entries) {
            const std::string_view keyName = Trim(e.key);
            if (BadKeyName(keyName) || HasLineBreak(e.value)) {
                refused = true;
                continue;
            }
            QueueEdit(fileName, loaded,
                      PendingEdit{PendingEdit::kSet, std::string(sectionName), std::string(keyName),
                                  std::string(e.value)});
        }
        SetLastError(refused ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS);
        return !refused;
    }
    const LoadedText loaded = LoadFromFile(fileName);
    if (!loaded.readable) return false;
    bool refused = false, changed = false;
    const SectionWrite write{sectionName, entries};
    std::string result = MergeSections(*loaded.profile, std::span<const SectionWrite>(&write, 1),
                                       &refused, &changed);
    const auto finish = [&](bool stored) {
        if (stored && refused) SetLastError(ERROR_INVALID_PARAMETER);
        return stored && !refused;
    };
    if (!changed) return finish(NothingToChange());
    if (entries.size() > 1 && result.size() > platform::kMaxTextFileBytes) {
        // Too large for one store: key by key, each write as far as the size allows (one key
        // alone is refused by the store).
        bool all = true;
        for (const ProfileEntry& e : entries) {
            const std::string key(e.key), value(e.value);
            all = WritePrivateProfileString(section, key.c_str(), value.c_str(), fileName) && all;
        }
        return all;
    }
    return finish(StoreText(fileName, loaded.key, std::move(result)));
}

bool CopyPrivateProfile(std::string_view fromFile, std::string_view fileName) {
    const LoadedText from = LoadFromFile(fromFile);
    if (!from.readable) return false;
    const Profile& source = *from.profile;
    const auto& lines = source.Lines();
    // Every section and key as the reads of `fromFile` see them: the first section of a name,
    // and in it the first line of each key.
    std::unordered_map<std::string_view, std::size_t, FoldedHash, FoldedEqual> seen;
    std::vector<std::vector<ProfileEntry>> entries;
    std::vector<SectionWrite> writes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != LineKind::kSection) continue;
        const std::string_view name = source.Name(i);
        if (BadSectionName(name) || !seen.emplace(name, i).second) continue;
        std::vector<ProfileEntry>& section = entries.emplace_back();
        std::unordered_map<std::string_view, bool, FoldedHash, FoldedEqual> keys;
        for (std::size_t k = i + 1, end = source.SectionEnd(i); k < end; ++k)
            if (keys.emplace(source.Name(k), true).second)
                section.push_back(ProfileEntry{source.Name(k), source.Value(k)});
        writes.push_back(SectionWrite{name, {}});
    }
    for (std::size_t i = 0; i < writes.size(); ++i) writes[i].entries = entries[i];
    const LoadedText loaded = LoadFromFile(fileName);
    if (!loaded.readable) return false;
    bool refused = false, changed = false;
    std::string result = MergeSections(*loaded.profile, writes, &refused, &changed);
    const bool stored = !changed || StoreText(fileName, loaded.key, std::move(result));
    if (stored) SetLastError(refused ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS);
    return stored && !refused;
}

ProfileWriteBatch::ProfileWriteBatch() : outermost(TheBatch().depth++ == 0) {}

ProfileWriteBatch::ProfileWriteBatch(Own) : outermost(true) {
    Batch& batch = TheBatch();
    ++batch.depth;
    if (batch.pending.empty() && batch.edits.empty() && batch.changed.empty()) return;
    auto outer = std::make_shared<Batch>();
    outer->pending = std::move(batch.pending);
    outer->edits = std::move(batch.edits);
    outer->changed = std::move(batch.changed);
    batch.pending.clear();
    batch.edits.clear();
    batch.changed.clear();
    setAside = outer;
}

ProfileWriteBatch::~ProfileWriteBatch() {
    Flush();
    Batch& batch = TheBatch();
    --batch.depth;
    if (!setAside) return;
    Batch& outer = *static_cast<Batch*>(setAside.get());
    batch.pending.merge(outer.pending);
    batch.edits.merge(outer.edits);
    batch.changed.merge(outer.changed);
}

ProfileReadBatch::ProfileReadBatch() {
    ++TheReadBatch().depth;
}

ProfileReadBatch::~ProfileReadBatch() {
    ReadBatch& reads = TheReadBatch();
    if (--reads.depth == 0) reads.loaded.clear();
}

bool ProfileWriteBatch::Flush() {
    Batch& batch = TheBatch();
    if (!outermost) return true;
    bool stored = true;
    std::uint32_t firstError = ERROR_SUCCESS;
    const std::map<std::string, std::string> pending = std::move(batch.pending);
    batch.pending.clear();
    const int depth = batch.depth;
    batch.depth = 0;  // the stores below go to the files
    for (const auto& [key, fileName] : pending) ApplyPendingEdits(key);
    const std::set<std::string> changed = std::move(batch.changed);
    batch.changed.clear();
    for (const auto& [key, fileName] : pending) {
        const auto it = TheCache().find(key);
        if (it == TheCache().end() || changed.count(key) == 0) continue;
        const std::shared_ptr<const Profile> profile = it->second.profile;
        if (!StoreText(fileName, key, profile->Text())) {
            if (stored) firstError = GetLastError();
            stored = false;
        }
    }
    batch.depth = depth;
    // The reason the caller reads is the first failure's.
    SetLastError(stored ? ERROR_SUCCESS : firstError);
    return stored;
}

std::uint64_t ProfileTextsParsed() {
    return Profile::parsed;
}

std::uint64_t ProfileStoreFailureCount() {
    return TheStoreFailures().recorded;
}

std::uint32_t TakeProfileStoreFailure(std::string_view fileName) {
    StoreFailures& f = TheStoreFailures();
    const auto it = f.byFile.find(platform::ResolvePath(fileName).path);
    if (it == f.byFile.end() || it->second.taken) return ERROR_SUCCESS;
    it->second.taken = true;
    return it->second.error;
}

std::vector<std::string> GetPrivateProfileSectionNames(std::string_view fileName) {
    const LoadedText loaded = LoadText(fileName);
    return loaded.readable ? SectionNames(*loaded.profile) : std::vector<std::string>();
}

std::vector<std::string> GetPrivateProfileKeyNames(std::string_view section,
                                                   std::string_view fileName) {
    const LoadedText loaded = LoadText(fileName);
    return loaded.readable ? KeyNames(*loaded.profile, section) : std::vector<std::string>();
}

}  // namespace win
