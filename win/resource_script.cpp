#include "win/resource_script.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <unordered_map>

#include "win/resource.h"

namespace win {

namespace {

// ---- Constants the scripts may name -------------------------------------------------------------

const std::unordered_map<std::string, std::int64_t>& Constants() {
    static const std::unordered_map<std::string, std::int64_t> table = {
        // Window styles.
        {"WS_OVERLAPPED", 0x00000000},
        {"WS_POPUP", 0x80000000},
        {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000},
        {"WS_VISIBLE", 0x10000000},
        {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000},
        {"WS_CLIPCHILDREN", 0x02000000},
        {"WS_MAXIMIZE", 0x01000000},
        {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},
        {"WS_DLGFRAME", 0x00400000},
        {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000},
        {"WS_SYSMENU", 0x00080000},
        {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000},
        {"WS_TABSTOP", 0x00010000},
        {"WS_MINIMIZEBOX", 0x00020000},
        {"WS_MAXIMIZEBOX", 0x00010000},
        {"WS_OVERLAPPEDWINDOW", 0x00CF0000},
        {"WS_POPUPWINDOW", 0x80880000},
        {"WS_CHILDWINDOW", 0x40000000},
        {"WS_TILED", 0},
        {"WS_ICONIC", 0x20000000},
        {"WS_SIZEBOX", 0x00040000},
        {"WS_EX_DLGMODALFRAME", 0x1},
        {"WS_EX_NOPARENTNOTIFY", 0x4},
        {"WS_EX_TOPMOST", 0x8},
        {"WS_EX_ACCEPTFILES", 0x10},
        {"WS_EX_TRANSPARENT", 0x20},
        {"WS_EX_MDICHILD", 0x40},
        {"WS_EX_TOOLWINDOW", 0x80},
        {"WS_EX_WINDOWEDGE", 0x100},
        {"WS_EX_CLIENTEDGE", 0x200},
        {"WS_EX_CONTEXTHELP", 0x400},
        {"WS_EX_RIGHT", 0x1000},
        {"WS_EX_LEFT", 0},
        {"WS_EX_RTLREADING", 0x2000},
        {"WS_EX_LEFTSCROLLBAR", 0x4000},
        {"WS_EX_CONTROLPARENT", 0x10000},
        {"WS_EX_STATICEDGE", 0x20000},
        {"WS_EX_APPWINDOW", 0x40000},
        // Dialog styles.
        {"DS_ABSALIGN", 0x1},
        {"DS_SYSMODAL", 0x2},
        {"DS_3DLOOK", 0x4},
        {"DS_FIXEDSYS", 0x8},
        {"DS_NOFAILCREATE", 0x10},
        {"DS_LOCALEDIT", 0x20},
        {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80},
        {"DS_NOIDLEMSG", 0x100},
        {"DS_SETFOREGROUND", 0x200},
        {"DS_CONTROL", 0x400},
        {"DS_CENTER", 0x800},
        {"DS_CENTERMOUSE", 0x1000},
        {"DS_CONTEXTHELP", 0x2000},
        {"DS_SHELLFONT", 0x48},
        // Statics.
        {"SS_LEFT", 0x0},
        {"SS_CENTER", 0x1},
        {"SS_RIGHT", 0x2},
        {"SS_ICON", 0x3},
        {"SS_BLACKRECT", 0x4},
        {"SS_GRAYRECT", 0x5},
        {"SS_WHITERECT", 0x6},
        {"SS_BLACKFRAME", 0x7},
        {"SS_GRAYFRAME", 0x8},
        {"SS_WHITEFRAME", 0x9},
        {"SS_SIMPLE", 0xB},
        {"SS_LEFTNOWORDWRAP", 0xC},
        {"SS_OWNERDRAW", 0xD},
        {"SS_BITMAP", 0xE},
        {"SS_ETCHEDHORZ", 0x10},
        {"SS_ETCHEDVERT", 0x11},
        {"SS_ETCHEDFRAME", 0x12},
        {"SS_NOPREFIX", 0x80},
        {"SS_NOTIFY", 0x100},
        {"SS_CENTERIMAGE", 0x200},
        {"SS_RIGHTJUST", 0x400},
        {"SS_SUNKEN", 0x1000},
        // Buttons.
        {"BS_PUSHBUTTON", 0x0},
        {"BS_DEFPUSHBUTTON", 0x1},
        {"BS_CHECKBOX", 0x2},
        {"BS_AUTOCHECKBOX", 0x3},
        {"BS_RADIOBUTTON", 0x4},
        {"BS_3STATE", 0x5},
        {"BS_AUTO3STATE", 0x6},
        {"BS_GROUPBOX", 0x7},
        {"BS_USERBUTTON", 0x8},
        {"BS_AUTORADIOBUTTON", 0x9},
        {"BS_PUSHBOX", 0xA},
        {"BS_OWNERDRAW", 0xB},
        {"BS_LEFTTEXT", 0x20},
        {"BS_TEXT", 0x0},
        {"BS_ICON", 0x40},
        {"BS_BITMAP", 0x80},
        {"BS_LEFT", 0x100},
        {"BS_RIGHT", 0x200},
        {"BS_CENTER", 0x300},
        {"BS_TOP", 0x400},
        {"BS_BOTTOM", 0x800},
        {"BS_VCENTER", 0xC00},
        {"BS_PUSHLIKE", 0x1000},
        {"BS_MULTILINE", 0x2000},
        {"BS_NOTIFY", 0x4000},
        {"BS_FLAT", 0x8000},
        // Edits.
        {"ES_LEFT", 0x0},
        {"ES_CENTER", 0x1},
        {"ES_RIGHT", 0x2},
        {"ES_MULTILINE", 0x4},
        {"ES_UPPERCASE", 0x8},
        {"ES_LOWERCASE", 0x10},
        {"ES_PASSWORD", 0x20},
        {"ES_AUTOVSCROLL", 0x40},
        {"ES_AUTOHSCROLL", 0x80},
        {"ES_NOHIDESEL", 0x100},
        {"ES_OEMCONVERT", 0x400},
        {"ES_READONLY", 0x800},
        {"ES_WANTRETURN", 0x1000},
        {"ES_NUMBER", 0x2000},
        // List boxes, combo boxes, scroll bars.
        {"LBS_NOTIFY", 0x1},
        {"LBS_SORT", 0x2},
        {"LBS_NOREDRAW", 0x4},
        {"LBS_MULTIPLESEL", 0x8},
        {"LBS_OWNERDRAWFIXED", 0x10},
        {"LBS_OWNERDRAWVARIABLE", 0x20},
        {"LBS_HASSTRINGS", 0x40},
        {"LBS_USETABSTOPS", 0x80},
        {"LBS_NOINTEGRALHEIGHT", 0x100},
        {"LBS_MULTICOLUMN", 0x200},
        {"LBS_WANTKEYBOARDINPUT", 0x400},
        {"LBS_EXTENDEDSEL", 0x800},
        {"LBS_DISABLENOSCROLL", 0x1000},
        {"LBS_NODATA", 0x2000},
        {"LBS_NOSEL", 0x4000},
        {"LBS_STANDARD", 0xA00003},
        {"CBS_SIMPLE", 0x1},
        {"CBS_DROPDOWN", 0x2},
        {"CBS_DROPDOWNLIST", 0x3},
        {"CBS_OWNERDRAWFIXED", 0x10},
        {"CBS_OWNERDRAWVARIABLE", 0x20},
        {"CBS_AUTOHSCROLL", 0x40},
        {"CBS_OEMCONVERT", 0x80},
        {"CBS_SORT", 0x100},
        {"CBS_HASSTRINGS", 0x200},
        {"CBS_NOINTEGRALHEIGHT", 0x400},
        {"CBS_DISABLENOSCROLL", 0x800},
        {"CBS_UPPERCASE", 0x2000},
        {"CBS_LOWERCASE", 0x4000},
        {"SBS_HORZ", 0x0},
        {"SBS_VERT", 0x1},
        // Common controls.
        {"TBS_AUTOTICKS", 0x1},
        {"TBS_VERT", 0x2},
        {"TBS_HORZ", 0x0},
        {"TBS_TOP", 0x4},
        {"TBS_BOTTOM", 0x0},
        {"TBS_LEFT", 0x4},
        {"TBS_RIGHT", 0x0},
        {"TBS_BOTH", 0x8},
        {"TBS_NOTICKS", 0x10},
        {"TBS_ENABLESELRANGE", 0x20},
        {"TBS_FIXEDLENGTH", 0x40},
        {"TBS_NOTHUMB", 0x80},
        {"UDS_WRAP", 0x1},
        {"UDS_SETBUDDYINT", 0x2},
        {"UDS_ALIGNRIGHT", 0x4},
        {"UDS_ALIGNLEFT", 0x8},
        {"UDS_AUTOBUDDY", 0x10},
        {"UDS_ARROWKEYS", 0x20},
        {"UDS_HORZ", 0x40},
        {"UDS_NOTHOUSANDS", 0x80},
        {"LVS_ICON", 0x0},
        {"LVS_REPORT", 0x1},
        {"LVS_SMALLICON", 0x2},
        {"LVS_LIST", 0x3},
        {"LVS_SINGLESEL", 0x4},
        {"LVS_SHOWSELALWAYS", 0x8},
        {"LVS_SORTASCENDING", 0x10},
        {"LVS_SORTDESCENDING", 0x20},
        {"LVS_SHAREIMAGELISTS", 0x40},
        {"LVS_NOLABELWRAP", 0x80},
        {"LVS_AUTOARRANGE", 0x100},
        {"LVS_EDITLABELS", 0x200},
        {"LVS_OWNERDRAWFIXED", 0x400},
        {"LVS_NOSCROLL", 0x2000},
        {"LVS_NOCOLUMNHEADER", 0x4000},
        {"LVS_NOSORTHEADER", 0x8000},
        // Dialog results and the static id.
        {"IDOK", 1},
        {"IDCANCEL", 2},
        {"IDABORT", 3},
        {"IDRETRY", 4},
        {"IDIGNORE", 5},
        {"IDYES", 6},
        {"IDNO", 7},
        {"IDC_STATIC", -1},
        // Virtual keys.
        {"VK_LBUTTON", 0x01},
        {"VK_RBUTTON", 0x02},
        {"VK_CANCEL", 0x03},
        {"VK_BACK", 0x08},
        {"VK_TAB", 0x09},
        {"VK_CLEAR", 0x0C},
        {"VK_RETURN", 0x0D},
        {"VK_SHIFT", 0x10},
        {"VK_CONTROL", 0x11},
        {"VK_MENU", 0x12},
        {"VK_PAUSE", 0x13},
        {"VK_CAPITAL", 0x14},
        {"VK_ESCAPE", 0x1B},
        {"VK_SPACE", 0x20},
        {"VK_PRIOR", 0x21},
        {"VK_NEXT", 0x22},
        {"VK_END", 0x23},
        {"VK_HOME", 0x24},
        {"VK_LEFT", 0x25},
        {"VK_UP", 0x26},
        {"VK_RIGHT", 0x27},
        {"VK_DOWN", 0x28},
        {"VK_SELECT", 0x29},
        {"VK_PRINT", 0x2A},
        {"VK_SNAPSHOT", 0x2C},
        {"VK_INSERT", 0x2D},
        {"VK_DELETE", 0x2E},
        {"VK_HELP", 0x2F},
        {"VK_NUMPAD0", 0x60},
        {"VK_NUMPAD1", 0x61},
        {"VK_NUMPAD2", 0x62},
        {"VK_NUMPAD3", 0x63},
        {"VK_NUMPAD4", 0x64},
        {"VK_NUMPAD5", 0x65},
        {"VK_NUMPAD6", 0x66},
        {"VK_NUMPAD7", 0x67},
        {"VK_NUMPAD8", 0x68},
        {"VK_NUMPAD9", 0x69},
        {"VK_MULTIPLY", 0x6A},
        {"VK_ADD", 0x6B},
        {"VK_SEPARATOR", 0x6C},
        {"VK_SUBTRACT", 0x6D},
        {"VK_DECIMAL", 0x6E},
        {"VK_DIVIDE", 0x6F},
        {"VK_F1", 0x70},
        {"VK_F2", 0x71},
        {"VK_F3", 0x72},
        {"VK_F4", 0x73},
        {"VK_F5", 0x74},
        {"VK_F6", 0x75},
        {"VK_F7", 0x76},
        {"VK_F8", 0x77},
        {"VK_F9", 0x78},
        {"VK_F10", 0x79},
        {"VK_F11", 0x7A},
        {"VK_F12", 0x7B},
        {"VK_NUMLOCK", 0x90},
        {"VK_SCROLL", 0x91},
        {"VK_OEM_1", 0xBA},
        {"VK_OEM_PLUS", 0xBB},
        {"VK_OEM_COMMA", 0xBC},
        {"VK_OEM_MINUS", 0xBD},
        {"VK_OEM_PERIOD", 0xBE},
        {"VK_OEM_2", 0xBF},
        {"VK_OEM_3", 0xC0},
        {"VK_OEM_4", 0xDB},
        {"VK_OEM_5", 0xDC},
        {"VK_OEM_6", 0xDD},
        {"VK_OEM_7", 0xDE},
    };
    return table;
}

std::string ResourceScriptUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// ---- Tokens -------------------------------------------------------------------------------------

enum class Tok { Word, Number, String, Punct, End };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // a string token holds its decoded text
    std::int64_t number = 0;
    int file = 0;
    int line = 0;
};

bool IsWordStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '\\' ||
           c == '/' || c == ':';
}

struct Failure {
    int file = 0;
    int line = 0;
    std::string message;
};

// Replaces comments with spaces (keeping line breaks) and joins lines ending in a backslash,
// leaving string literals alone.
std::string StripComments(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            out.push_back(c);
            if (c == '\\' && i + 1 < text.size() && text[i + 1] != '\n') {
                out.push_back(text[++i]);
            } else if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    out.push_back(text[++i]);  // "" inside a string is a quote
                } else {
                    inString = false;
                }
            } else if (c == '\n') {
                inString = false;  // an unterminated string ends with its line
            }
            continue;
        }
        if (c == '"') {
            inString = true;
            out.push_back(c);
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n')
                ++i;
            if (i < text.size()) out.push_back('\n');
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            i += 2;
            while (i < text.size() &&
                   !(text[i] == '*' && i + 1 < text.size() && text[i + 1] == '/')) {
                out.push_back(text[i] == '\n' ? '\n' : ' ');
                ++i;
            }
            ++i;  // past the '/'
            out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Tokenises one line; false with a message on a character that belongs to no token.
bool Tokenise(std::string_view line, int file, int lineNo, std::vector<Token>& out,
              std::string& error) {
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        Token t;
        t.file = file;
        t.line = lineNo;
        if (c == '"' || (c == 'L' && i + 1 < line.size() && line[i + 1] == '"')) {
            if (c == 'L') ++i;
            ++i;
            std::string s;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    if (i < line.size() && line[i] == '"') {
                        s.push_back('"');
                        ++i;
                        continue;
                    }
                    closed = true;
                    break;
                }
                if (d == '\\' && i < line.size()) {
                    const char e = line[i++];
                    switch (e) {
                        case 'n':
                            s.push_back('\n');
                            break;
                        case 't':
                            s.push_back('\t');
                            break;
                        case 'r':
                            s.push_back('\r');
                            break;
                        case 'a':
                            s.push_back('\a');
                            break;
                        case '\\':
                            s.push_back('\\');
                            break;
                        case '"':
                            s.push_back('"');
                            break;
                        case 'x': {
                            int v = 0, n = 0;
                            while (n < 2 && i < line.size() &&
                                   std::isxdigit(static_cast<unsigned char>(line[i]))) {
                                v = v * 16 + (std::isdigit(static_cast<unsigned char>(line[i]))
                                                  ? line[i] - '0'
                                                  : std::tolower(line[i]) - 'a' + 10);
                                ++i;
                                ++n;
                            }
                            s.push_back(static_cast<char>(v));
                            break;
                        }
                        default:
                            if (e >= '0' && e <= '7') {
                                int v = e - '0', n = 1;
                                while (n < 3 && i < line.size() && line[i] >= '0' &&
                                       line[i] <= '7') {
                                    v = v * 8 + (line[i++] - '0');
                                    ++n;
                                }
                                s.push_back(static_cast<char>(v & 0xFF));
                            } else {
                                s.push_back('\\');
                                s.push_back(e);
                            }
                    }
                    continue;
                }
                s.push_back(d);
            }
            if (!closed) {
                error = "unterminated string";
                return false;
            }
            t.kind = Tok::String;
            t.text = std::move(s);
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t j = i;
            while (j < line.size() && std::isalnum(static_cast<unsigned char>(line[j])))
                ++j;
            std::string digits(line.substr(i, j - i));
            i = j;
            while (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l' ||
                                       digits.back() == 'U' || digits.back() == 'u'))
                digits.pop_back();
            std::int64_t v = 0;
            bool ok = !digits.empty();
            const bool hex =
                digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
            for (std::size_t k = hex ? 2 : 0; k < digits.size() && ok; ++k) {
                const char d = digits[k];
                int digit = -1;
                if (std::isdigit(static_cast<unsigned char>(d)))
                    digit = d - '0';
                else if (hex && std::isxdigit(static_cast<unsigned char>(d)))
                    digit = std::tolower(d) - 'a' + 10;
                if (digit < 0) ok = false;
                v = v * (hex ? 16 : 10) + digit;
                if (v > 0xFFFFFFFFLL) ok = false;
            }
            if (!ok) {
                error = "bad number '" + std::string(line.substr(i - (j - i), j - i)) + "'";
                return false;
            }
            t.kind = Tok::Number;
            t.number = v;
            t.text = digits;
        } else if (IsWordStart(c)) {
            std::size_t j = i;
            while (j < line.size() && IsWordChar(line[j]))
                ++j;
            t.kind = Tok::Word;
            t.text = std::string(line.substr(i, j - i));
            i = j;
        } else {
            static const std::string_view kTwo[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||"};
            t.kind = Tok::Punct;
            bool two = false;
            for (std::string_view p : kTwo)
                if (line.substr(i, 2) == p) {
                    t.text = std::string(p);
                    i += 2;
                    two = true;
                    break;
                }
            if (!two) {
                if (std::string_view(",|(){}+-~&!<>*/^%").find(c) == std::string_view::npos) {
                    error = std::string("unexpected character '") + c + "'";
                    return false;
                }
                t.text = std::string(1, c);
                ++i;
            }
        }
        out.push_back(std::move(t));
    }
    return true;
}

// ---- Expressions --------------------------------------------------------------------------------

// Evaluates C-style constant expressions for #if: unknown names are 0.
class IfEvaluator {
public:
    explicit IfEvaluator(const std::vector<Token>& t) : t_(t) {}
    std::optional<std::int64_t> Run() {
        const std::int64_t v = Binary(0);
        if (failed_ || pos_ != t_.size()) return std::nullopt;
        return v;
    }

private:
    static int Precedence(const std::string& op) {
        static const std::map<std::string, int> p = {
            {"||", 1}, {"&&", 2}, {"|", 3}, {"^", 4},  {"&", 5},  {"==", 6},
            {"!=", 6}, {"<", 7},  {">", 7}, {"<=", 7}, {">=", 7}, {"<<", 8},
            {">>", 8}, {"+", 9},  {"-", 9}, {"*", 10}, {"/", 10}, {"%", 10}};
        auto it = p.find(op);
        return it == p.end() ? -1 : it->second;
    }
    std::int64_t Binary(int minPrec) {
        std::int64_t lhs = Unary();
        while (pos_ < t_.size() && t_[pos_].kind == Tok::Punct) {
            const std::string op = t_[pos_].text;
            const int prec = Precedence(op);
            if (prec < 0 || prec < minPrec) break;
            ++pos_;
            const std::int64_t rhs = Binary(prec + 1);
            lhs = Apply(op, lhs, rhs);
        }
        return lhs;
    }
    std::int64_t Apply(const std::string& op, std::int64_t a, std::int64_t b) {
        // Arithmetic in unsigned 64 bits, so no expression can overflow a signed value.
        const auto ua = static_cast<std::uint64_t>(a), ub = static_cast<std::uint64_t>(b);
        if (op == "||") return a || b;
        if (op == "&&") return a && b;
        if (op == "|") return static_cast<std::int64_t>(ua | ub);
        if (op == "^") return static_cast<std::int64_t>(ua ^ ub);
        if (op == "&") return static_cast<std::int64_t>(ua & ub);
        if (op == "==") return a == b;
        if (op == "!=") return a != b;
        if (op == "<") return a < b;
        if (op == ">") return a > b;
        if (op == "<=") return a <= b;
        if (op == ">=") return a >= b;
        if (op == "<<") return static_cast<std::int64_t>(ua << (ub & 63));
        if (op == ">>") return static_cast<std::int64_t>(ua >> (ub & 63));
        if (op == "+") return static_cast<std::int64_t>(ua + ub);
        if (op == "-") return static_cast<std::int64_t>(ua - ub);
        if (op == "*") return static_cast<std::int64_t>(ua * ub);
        if (b == 0) {
            failed_ = true;
            return 0;
        }
        if (op == "/") return static_cast<std::int64_t>(ua / ub);
        return static_cast<std::int64_t>(ua % ub);
    }
    std::int64_t Unary() {
        if (pos_ >= t_.size() || ++depth_ > 64) {
            failed_ = true;
            return 0;
        }
        const Token& t = t_[pos_++];
        std::int64_t v = 0;
        if (t.kind == Tok::Number) {
            v = t.number;
        } else if (t.kind == Tok::Word) {
            v = 0;
        } else if (t.text == "(") {
            v = Binary(0);
            if (pos_ >= t_.size() || t_[pos_].text != ")") failed_ = true;
            ++pos_;
        } else if (t.text == "!") {
            v = !Unary();
        } else if (t.text == "-") {
            v = static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(Unary()));
        } else if (t.text == "~") {
            v = static_cast<std::int64_t>(~static_cast<std::uint64_t>(Unary()));
        } else if (t.text == "+") {
            v = Unary();
        } else {
            failed_ = true;
        }
        --depth_;
        return v;
    }

    const std::vector<Token>& t_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    bool failed_ = false;
};

// ---- The preprocessor ---------------------------------------------------------------------------

class Preprocessor {
public:
    Preprocessor(const ScriptFileReader& read, std::vector<std::string>& files)
        : read_(read), files_(files) {}

    bool Run(std::string_view text, const std::string& fileName, bool header, int depth) {
        if (depth > 16) return Fail(0, 0, "#include nested too deeply");
        const int file = static_cast<int>(files_.size());
        files_.push_back(fileName);
        const std::string clean = StripComments(text);
        std::size_t start = 0;
        int lineNo = 0;
        const std::size_t conditionsAtStart = conditions_.size();
        while (start <= clean.size()) {
            std::size_t end = clean.find('\n', start);
            if (end == std::string::npos) end = clean.size();
            std::string line = clean.substr(start, end - start);
            ++lineNo;
            const int firstLine = lineNo;
            // A backslash at the end of a line joins the next one.
            while (!line.empty() && line.back() == '\\' && end < clean.size()) {
                line.pop_back();
                start = end + 1;
                end = clean.find('\n', start);
                if (end == std::string::npos) end = clean.size();
                line += clean.substr(start, end - start);
                ++lineNo;
            }
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!Line(line, file, firstLine, header, depth)) return false;
            if (end >= clean.size()) break;
            start = end + 1;
        }
        if (conditions_.size() != conditionsAtStart)
            return Fail(conditions_.back().file, conditions_.back().line, "#if without #endif");
        return true;
    }

    std::vector<Token> tokens;
    Failure failure;

private:
    struct Condition {
        bool active;  // this branch is taken
        bool taken;   // some branch of this #if was taken
        bool parentActive;
        bool sawElse;
        int file;
        int line;
    };

    bool Active() const { return conditions_.empty() || conditions_.back().active; }

    bool Fail(int file, int line, std::string message) {
        failure = Failure{file, line, std::move(message)};
        return false;
    }

    bool Line(const std::string& line, int file, int lineNo, bool header, int depth) {
        std::size_t i = 0;
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i < line.size() && line[i] == '#')
            return Directive(line.substr(i + 1), file, lineNo, depth);
        if (!Active() || header) return true;
        std::vector<Token> raw;
        std::string error;
        if (!Tokenise(line, file, lineNo, raw, error)) return Fail(file, lineNo, error);
        std::vector<Token> expanded;
        if (!Expand(raw, expanded, 0)) return Fail(file, lineNo, "macro expansion too deep");
        tokens.insert(tokens.end(), expanded.begin(), expanded.end());
        return true;
    }

    bool Expand(const std::vector<Token>& in, std::vector<Token>& out, int depth) {
        if (depth > 32) return false;
        for (const Token& t : in) {
            auto it = t.kind == Tok::Word ? defines_.find(t.text) : defines_.end();
            if (it == defines_.end()) {
                out.push_back(t);
                continue;
            }
            std::vector<Token> body = it->second;
            for (Token& b : body) {
                b.file = t.file;
                b.line = t.line;
            }
            if (!Expand(body, out, depth + 1)) return false;
        }
        return true;
    }

    bool Directive(std::string rest, int file, int lineNo, int depth) {
        std::size_t i = 0;
        while (i < rest.size() && std::isspace(static_cast<unsigned char>(rest[i])))
            ++i;
        std::size_t j = i;
        while (j < rest.size() && std::isalpha(static_cast<unsigned char>(rest[j])))
            ++j;
        const std::string name = rest.substr(i, j - i);
        std::string args = rest.substr(j);
        const auto trim = [](std::string s) {
            while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
                s.erase(0, 1);
            while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
                s.pop_back();
            return s;
        };
        args = trim(args);

        if (name == "ifdef" || name == "ifndef") {
            const bool defined = defines_.count(FirstWord(args)) > 0;
            Push(name == "ifdef" ? defined : !defined, file, lineNo);
            return true;
        }
        if (name == "if") {
            std::optional<std::int64_t> v = Evaluate(args, file, lineNo);
            if (!v) return Fail(file, lineNo, "bad #if expression");
            Push(Active() && *v != 0, file, lineNo);
            return true;
        }
        if (name == "elif") {
            if (conditions_.empty() || conditions_.back().sawElse)
                return Fail(file, lineNo, "#elif without #if");
            Condition& c = conditions_.back();
            if (c.taken || !c.parentActive) {
                c.active = false;
                return true;
            }
            std::optional<std::int64_t> v = Evaluate(args, file, lineNo);
            if (!v) return Fail(file, lineNo, "bad #elif expression");
            c.active = *v != 0;
            c.taken = c.active;
            return true;
        }
        if (name == "else") {
            if (conditions_.empty() || conditions_.back().sawElse)
                return Fail(file, lineNo, "#else without #if");
            Condition& c = conditions_.back();
            c.sawElse = true;
            c.active = c.parentActive && !c.taken;
            c.taken = true;
            return true;
        }
        if (name == "endif") {
            if (conditions_.empty()) return Fail(file, lineNo, "#endif without #if");
            conditions_.pop_back();
            return true;
        }
        if (!Active()) return true;
        if (name == "define") {
            const std::string macro = FirstWord(args);
            if (macro.empty() || !IsWordStart(macro[0]))
                return Fail(file, lineNo, "#define needs a name");
            std::string body = args.substr(macro.size());
            if (!body.empty() && body[0] == '(')
                return Fail(file, lineNo, "macros with arguments are not supported");
            std::vector<Token> value;
            std::string error;
            if (!Tokenise(body, file, lineNo, value, error)) return Fail(file, lineNo, error);
            defines_[macro] = std::move(value);
            return true;
        }
        if (name == "undef") {
            defines_.erase(FirstWord(args));
            return true;
        }
        if (name == "include") {
            if (args.size() >= 2 && args.front() == '<') return true;  // the platform's headers
            if (args.size() < 2 || args.front() != '"' || args.back() != '"')
                return Fail(file, lineNo, "#include needs a \"file\"");
            const std::string path = args.substr(1, args.size() - 2);
            const std::optional<std::string> text = read_(path);
            if (!text) return Fail(file, lineNo, "cannot read included file \"" + path + "\"");
            const bool header =
                path.size() > 2 && (ResourceScriptUpper(path.substr(path.size() - 2)) == ".H" ||
                                    ResourceScriptUpper(path.substr(path.size() - 2)) == ".C");
            return Run(*text, path, header, depth + 1);
        }
        if (name == "pragma" || name == "error" || name == "line" || name.empty()) {
            if (name == "error") return Fail(file, lineNo, "#error " + args);
            return true;
        }
        return Fail(file, lineNo, "unknown directive #" + name);
    }

    static std::string FirstWord(const std::string& s) {
        std::size_t j = 0;
        while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_'))
            ++j;
        return s.substr(0, j);
    }

    void Push(bool value, int file, int line) {
        const bool parent = Active();
        conditions_.push_back(Condition{parent && value, value, parent, false, file, line});
    }

    std::optional<std::int64_t> Evaluate(const std::string& text, int file, int lineNo) {
        std::vector<Token> raw;
        std::string error;
        if (!Tokenise(text, file, lineNo, raw, error)) return std::nullopt;
        // "defined NAME" and "defined(NAME)" before any expansion.
        std::vector<Token> resolved;
        for (std::size_t k = 0; k < raw.size(); ++k) {
            if (raw[k].kind == Tok::Word && raw[k].text == "defined") {
                std::size_t n = k + 1;
                const bool paren = n < raw.size() && raw[n].text == "(";
                if (paren) ++n;
                if (n >= raw.size() || raw[n].kind != Tok::Word) return std::nullopt;
                Token v = raw[n];
                v.kind = Tok::Number;
                v.number = defines_.count(raw[n].text) ? 1 : 0;
                resolved.push_back(v);
                k = n;
                if (paren) {
                    if (k + 1 >= raw.size() || raw[k + 1].text != ")") return std::nullopt;
                    ++k;
                }
                continue;
            }
            resolved.push_back(raw[k]);
        }
        std::vector<Token> expanded;
        if (!Expand(resolved, expanded, 0)) return std::nullopt;
        return IfEvaluator(expanded).Run();
    }

    const ScriptFileReader& read_;
    std::vector<std::string>& files_;
    std::map<std::string, std::vector<Token>> defines_;
    std::vector<Condition> conditions_;
};

// ---- The parser ---------------------------------------------------------------------------------

constexpr std::uint32_t kChildVisible = 0x40000000 | 0x10000000;

class Parser {
public:
    Parser(std::vector<Token> tokens, const ScriptFileReader& read,
           const std::vector<std::string>& files)
        : t_(std::move(tokens)), read_(read), files_(files) {}

    bool Run(std::vector<CompiledResource>& out) {
        while (!AtEnd()) {
            if (!Statement(out)) return false;
        }
        return true;
    }

    Failure failure;

private:
    // -- Token access --
    bool AtEnd() const { return pos_ >= t_.size(); }
    const Token& Peek(std::size_t ahead = 0) const {
        static const Token kEnd;
        return pos_ + ahead < t_.size() ? t_[pos_ + ahead] : kEnd;
    }
    const Token& Next() {
        const Token& t = Peek();
        if (!AtEnd()) ++pos_;
        return t;
    }
    bool IsWord(const char* w, std::size_t ahead = 0) const {
        const Token& t = Peek(ahead);
        return t.kind == Tok::Word && ResourceScriptUpper(t.text) == w;
    }
    bool IsPunct(const char* p) const { return Peek().kind == Tok::Punct && Peek().text == p; }
    // Reports at the token in hand; when that is the end of a block or of the script, what is
    // wrong or missing belongs to the token before it.
    bool Fail(std::string message) {
        const Token* at = &Peek();
        if (pos_ > 0 && pos_ - 1 < t_.size() && (AtEnd() || IsEnd())) at = &t_[pos_ - 1];
        return FailAt(*at, std::move(message));
    }
    bool FailAt(const Token& at, std::string message) {
        failure = Failure{at.file, at.line, std::move(message)};
        return false;
    }
    static std::string Describe(const Token& t) {
        switch (t.kind) {
            case Tok::End:
                return "the end of the script";
            case Tok::String:
                return "a string";
            default:
                return "'" + t.text + "'";
        }
    }
    bool Expect(const char* punct) {
        if (!IsPunct(punct))
            return Fail(std::string("expected '") + punct + "' but found " + Describe(Peek()));
        Next();
        return true;
    }
    bool Comma() {
        if (IsPunct(",")) Next();
        return true;
    }
    bool Begin() {
        if (IsWord("BEGIN") || IsPunct("{")) {
            Next();
            return true;
        }
        return Fail("expected BEGIN but found " + Describe(Peek()));
    }
    bool IsEnd() const { return IsWord("END") || IsPunct("}"); }
    void SkipMemoryOptions() {
        static const std::set<std::string> kOptions = {"DISCARDABLE", "MOVEABLE", "FIXED",
                                                       "PURE",        "IMPURE",   "PRELOAD",
                                                       "LOADONCALL",  "SHARED",   "NONSHARED"};
        while (Peek().kind == Tok::Word && kOptions.count(ResourceScriptUpper(Peek().text)))
            Next();
    }
    void SkipLineOf(const Token& t) {
        while (!AtEnd() && Peek().file == t.file && Peek().line == t.line)
            Next();
    }

    // -- Values --
    bool Primary(std::int64_t& v, int depth) {
        if (depth > 64) return Fail("expression nested too deeply");
        const Token& t = Peek();
        if (t.kind == Tok::Number) {
            v = Next().number;
            return true;
        }
        if (t.kind == Tok::Word) {
            auto it = Constants().find(t.text);
            if (it == Constants().end()) return Fail("unknown name '" + t.text + "'");
            Next();
            v = it->second;
            return true;
        }
        if (IsPunct("-") || IsPunct("~") || IsPunct("+")) {
            const std::string op = Next().text;
            if (!Primary(v, depth + 1)) return false;
            if (op == "-") v = static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(v));
            if (op == "~") v = static_cast<std::int64_t>(~static_cast<std::uint64_t>(v));
            return true;
        }
        if (IsPunct("(")) {
            Next();
            if (!Value(v, depth + 1)) return false;
            return Expect(")");
        }
        return Fail("expected a number but found " + Describe(t));
    }
    // Operators apply left to right; "NOT x" after | clears x's bits.
    bool Value(std::int64_t& v, int depth = 0) {
        bool negate = false;
        if (IsWord("NOT")) {
            Next();
            negate = true;
        }
        if (!Primary(v, depth)) return false;
        if (negate) v = static_cast<std::int64_t>(~static_cast<std::uint64_t>(v));
        while (IsPunct("|") || IsPunct("+") || IsPunct("-") || IsPunct("&")) {
            const std::string op = Next().text;
            bool clear = false;
            if (IsWord("NOT")) {
                Next();
                clear = true;
            }
            std::int64_t rhs = 0;
            if (!Primary(rhs, depth)) return false;
            const auto a = static_cast<std::uint64_t>(v), b = static_cast<std::uint64_t>(rhs);
            if (clear) {
                v = static_cast<std::int64_t>(a & ~b);
            } else if (op == "|") {
                v = static_cast<std::int64_t>(a | b);
            } else if (op == "&") {
                v = static_cast<std::int64_t>(a & b);
            } else if (op == "+") {
                v = static_cast<std::int64_t>(a + b);
            } else {
                v = static_cast<std::int64_t>(a - b);
            }
        }
        return true;
    }
    bool U16(std::uint16_t& out, const char* what) {
        std::int64_t v = 0;
        if (!Value(v)) return false;
        if (v < -32768 || v > 65535) return Fail(std::string(what) + " out of range");
        out = static_cast<std::uint16_t>(v);
        return true;
    }
    bool I16(std::int16_t& out, const char* what) {
        std::int64_t v = 0;
        if (!Value(v)) return false;
        if (v < -32768 || v > 32767) return Fail(std::string(what) + " out of range");
        out = static_cast<std::int16_t>(v);
        return true;
    }
    bool U32(std::uint32_t& out) {
        std::int64_t v = 0;
        if (!Value(v)) return false;
        if (v < INT32_MIN || v > static_cast<std::int64_t>(UINT32_MAX))
            return Fail("value out of range");
        out = static_cast<std::uint32_t>(v);
        return true;
    }
    bool String(std::string& out, const char* what) {
        if (Peek().kind != Tok::String)
            return Fail(std::string("expected ") + what + " but found " + Describe(Peek()));
        out = Next().text;
        // Adjacent literals join, as in C.
        while (Peek().kind == Tok::String)
            out += Next().text;
        if (out.size() > 0xFFFF) return Fail("text longer than 65535 bytes");
        return true;
    }

    // -- Statements --
    bool Statement(std::vector<CompiledResource>& out) {
        const Token& first = Peek();
        if (IsWord("LANGUAGE")) {
            SkipLineOf(first);
            return true;
        }
        if (IsWord("STRINGTABLE")) return StringTable(out);
        std::string name;
        if (first.kind == Tok::Number) {
            name = "#" + std::to_string(first.number);
        } else if (first.kind == Tok::Word || first.kind == Tok::String) {
            name = ResourceScriptUpper(first.text);
        } else {
            return Fail("expected a resource name but found " + Describe(first));
        }
        if (first.kind == Tok::Number && (first.number < 0 || first.number > 65535))
            return Fail("resource id out of range");
        Next();
        const Token& typeToken = Peek();
        if (typeToken.kind != Tok::Word && typeToken.kind != Tok::Number)
            return Fail("expected a resource type after '" + first.text + "' but found " +
                        Describe(typeToken));
        const std::string type = typeToken.kind == Tok::Number
                                     ? "#" + std::to_string(typeToken.number)
                                     : ResourceScriptUpper(typeToken.text);
        Next();
        CompiledResource res;
        res.name = name;
        res.file = files_[static_cast<std::size_t>(first.file)];
        res.line = first.line;
        bool ok = false;
        if (type == "MENU") {
            res.type = std::string(RT_MENU);
            ok = Menu(res);
        } else if (type == "ACCELERATORS") {
            res.type = std::string(RT_ACCELERATOR);
            ok = Accelerators(res);
        } else if (type == "DIALOG" || type == "DIALOGEX") {
            res.type = std::string(RT_DIALOG);
            ok = Dialog(res, type == "DIALOGEX");
        } else if (type == "MENUEX" || type == "RCDATA" || type == "VERSIONINFO" ||
                   type == "TEXTINCLUDE") {
            return FailAt(t_[pos_ - 1], type + " resources are not supported");
        } else if (type == "STRINGTABLE") {
            return FailAt(t_[pos_ - 1], "STRINGTABLE takes no name");
        } else {
            res.type = type;
            ok = FileResource(res);
        }
        if (!ok) return false;
        res.member = ResourceMemberName(res.type, res.name);
        return Add(std::move(res), out);
    }

    bool Add(CompiledResource res, std::vector<CompiledResource>& out) {
        for (const CompiledResource& r : out)
            if (r.member == res.member) {
                failure = Failure{0, 0, ""};
                // Report at the second definition, naming the first.
                failure.message = "duplicate resource " + res.type + " " + res.name +
                                  " (first defined at " + r.file + ":" + std::to_string(r.line) +
                                  ")";
                failure.line = res.line;
                failure.file = static_cast<int>(std::find(files_.begin(), files_.end(), res.file) -
                                                files_.begin());
                return false;
            }
        out.push_back(std::move(res));
        return true;
    }

    bool FileResource(CompiledResource& res) {
        SkipMemoryOptions();
        std::string path;
        if (IsWord("BEGIN") || IsPunct("{")) {
            return Fail("inline data is not supported; name a file");
        } else if (Peek().kind == Tok::String || Peek().kind == Tok::Word) {
            path = Next().text;
        } else {
            return Fail("expected a file name but found " + Describe(Peek()));
        }
        if (IsWord("BEGIN") || IsPunct("{")) return Fail("inline data is not supported");
        const std::optional<std::string> bytes = read_(path);
        if (!bytes) return Fail("cannot read file \"" + path + "\"");
        res.data.assign(bytes->begin(), bytes->end());
        if (res.type == RT_BITMAP && !DecodeBmpFile(res.data))
            return Fail("\"" + path + "\" is not a bitmap this program can read");
        if ((res.type == RT_CURSOR || res.type == RT_ICON) && !DecodeIconFile(res.data))
            return Fail("\"" + path + "\" is not a cursor or icon file this program can read");
        return true;
    }

    bool StringTable(std::vector<CompiledResource>& out) {
        const Token start = Next();
        SkipMemoryOptions();
        if (!Begin()) return false;
        while (!IsEnd()) {
            if (AtEnd()) return Fail("STRINGTABLE without END");
            const Token at = Peek();
            std::uint16_t id = 0;
            if (!U16(id, "string id")) return false;
            Comma();
            CompiledResource res;
            if (!String(res.name, "a string")) return false;
            res.data.assign(res.name.begin(), res.name.end());
            res.type = std::string(RT_STRING);
            res.name = "#" + std::to_string(id);
            res.member = ResourceMemberName(res.type, id);
            res.file = files_[static_cast<std::size_t>(at.file)];
            res.line = at.line;
            if (!Add(std::move(res), out)) return false;
        }
        Next();
        (void)start;
        return true;
    }

    bool MenuOptions(std::uint16_t& flags) {
        for (;;) {
            if (IsPunct(",") && Peek(1).kind == Tok::Word) {
                Next();
                continue;
            }
            if (Peek().kind != Tok::Word) return true;
            const std::string w = ResourceScriptUpper(Peek().text);
            if (w == "CHECKED")
                flags |= MF_CHECKED;
            else if (w == "GRAYED")
                flags |= MF_GRAYED;
            else if (w == "INACTIVE")
                flags |= MF_DISABLED;
            else if (w == "MENUBARBREAK")
                flags |= MF_MENUBARBREAK;
            else if (w == "MENUBREAK")
                flags |= MF_MENUBREAK;
            else if (w == "HELP")
                flags |= MF_HELP;
            else
                return true;
            Next();
        }
    }

    bool MenuItems(std::vector<MenuTemplateItem>& items, int depth) {
        if (depth > 8) return Fail("menus nested too deeply");
        if (!Begin()) return false;
        while (!IsEnd()) {
            if (AtEnd()) return Fail("menu without END");
            MenuTemplateItem item;
            if (IsWord("MENUITEM")) {
                Next();
                if (IsWord("SEPARATOR")) {
                    Next();
                    item.flags = MF_SEPARATOR;
                } else {
                    if (!String(item.text, "the item's text")) return false;
                    if (!Expect(",")) return false;
                    if (!U16(item.id, "command id")) return false;
                    if (!MenuOptions(item.flags)) return false;
                }
            } else if (IsWord("POPUP")) {
                Next();
                if (!String(item.text, "the popup's text")) return false;
                item.flags = MF_POPUP;
                if (!MenuOptions(item.flags)) return false;
                if (!MenuItems(item.items, depth + 1)) return false;
            } else {
                return Fail("expected MENUITEM or POPUP but found " + Describe(Peek()));
            }
            items.push_back(std::move(item));
        }
        Next();
        return true;
    }

    bool Menu(CompiledResource& res) {
        SkipMemoryOptions();
        std::vector<MenuTemplateItem> items;
        if (!MenuItems(items, 1)) return false;
        res.data = EncodeMenuTemplate(items);
        return true;
    }

    bool Accelerators(CompiledResource& res) {
        SkipMemoryOptions();
        if (!Begin()) return false;
        std::vector<ACCEL> entries;
        while (!IsEnd()) {
            if (AtEnd()) return Fail("ACCELERATORS without END");
            ACCEL a;
            std::string keyText;
            bool isString = false;
            std::int64_t keyValue = 0;
            if (Peek().kind == Tok::String) {
                keyText = Next().text;
                isString = true;
            } else if (!Value(keyValue)) {
                return false;
            }
            if (!Expect(",")) return false;
            if (!U16(a.cmd, "command id")) return false;
            bool ascii = false, virtkey = false;
            while (IsPunct(",")) {
                Next();
                if (Peek().kind != Tok::Word)
                    return Fail("expected an accelerator option but found " + Describe(Peek()));
                const std::string w = ResourceScriptUpper(Next().text);
                if (w == "ASCII")
                    ascii = true;
                else if (w == "VIRTKEY")
                    virtkey = true;
                else if (w == "NOINVERT")
                    a.flags |= FNOINVERT;
                else if (w == "ALT")
                    a.flags |= FALT;
                else if (w == "SHIFT")
                    a.flags |= FSHIFT;
                else if (w == "CONTROL")
                    a.flags |= FCONTROL;
                else
                    return Fail("unknown accelerator option '" + w + "'");
            }
            if (ascii && virtkey) return Fail("an accelerator is ASCII or VIRTKEY, not both");
            if (virtkey) a.flags |= FVIRTKEY;
            if (isString) {
                if (keyText.size() == 2 && keyText[0] == '^') {
                    if (virtkey) return Fail("a ^ key cannot be VIRTKEY");
                    const char c =
                        static_cast<char>(std::toupper(static_cast<unsigned char>(keyText[1])));
                    if (c < '@' || c > '_') return Fail("bad control key \"" + keyText + "\"");
                    a.key = static_cast<std::uint16_t>(c - '@');
                } else if (keyText.size() == 1) {
                    const auto c = static_cast<unsigned char>(keyText[0]);
                    a.key = virtkey ? static_cast<std::uint16_t>(std::toupper(c)) : c;
                } else {
                    return Fail("an accelerator key must be one character");
                }
            } else {
                if (keyValue < 0 || keyValue > 0xFFFF) return Fail("accelerator key out of range");
                a.key = static_cast<std::uint16_t>(keyValue);
            }
            entries.push_back(a);
        }
        Next();
        if (entries.size() > 0xFFFF) return Fail("too many accelerators");
        res.data = EncodeAccelerators(entries);
        return true;
    }

    // -- Dialogs --
    bool ControlText(std::string& out) {
        if (Peek().kind == Tok::String) return String(out, "text");
        if (Peek().kind == Tok::Number) {
            out = "#" + std::to_string(Next().number);
            return true;
        }
        if (Peek().kind == Tok::Word) {
            out = Next().text;
            return true;
        }
        return Fail("expected the control's text but found " + Describe(Peek()));
    }
    bool ControlId(std::int32_t& id) {
        std::int64_t v = 0;
        if (!Value(v)) return false;
        if (v < INT32_MIN || v > static_cast<std::int64_t>(UINT32_MAX))
            return Fail("control id out of range");
        id = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return true;
    }
    bool Rect(DialogItemTemplate& item) {
        if (!I16(item.x, "x")) return false;
        if (!Expect(",")) return false;
        if (!I16(item.y, "y")) return false;
        if (!Expect(",")) return false;
        if (!I16(item.cx, "width")) return false;
        if (!Expect(",")) return false;
        return I16(item.cy, "height");
    }
    // A control's style: terms joined by | (or +) add to the statement's default, and
    // "NOT term" takes bits away from it.
    bool StyleTerms(std::uint32_t& style) {
        std::uint64_t v = style;
        for (;;) {
            const bool clear = IsWord("NOT");
            if (clear) Next();
            std::int64_t term = 0;
            if (!Primary(term, 0)) return false;
            const auto bits = static_cast<std::uint64_t>(term) & 0xFFFFFFFFu;
            v = clear ? (v & ~bits) : (v | bits);
            if (!IsPunct("|") && !IsPunct("+")) break;
            Next();
        }
        style = static_cast<std::uint32_t>(v);
        return true;
    }
    // [, style [, exstyle [, helpid]]]
    bool TrailingStyles(DialogItemTemplate& item) {
        if (!IsPunct(",")) return true;
        Next();
        if (!StyleTerms(item.style)) return false;
        if (!IsPunct(",")) return true;
        Next();
        if (!U32(item.exStyle)) return false;
        if (!IsPunct(",")) return true;
        Next();
        return U32(item.helpId);
    }

    bool Control(DialogTemplate& d) {
        const std::string kw = ResourceScriptUpper(Peek().text);
        struct Kind {
            const char* keyword;
            const char* className;
            std::uint32_t style;
            int shape;  // 0 text+id+rect, 1 id+rect, 2 icon
        };
        static const Kind kKinds[] = {
            {"LTEXT", "Static", 0x0 | 0x20000, 0},
            {"RTEXT", "Static", 0x2 | 0x20000, 0},
            {"CTEXT", "Static", 0x1 | 0x20000, 0},
            {"PUSHBUTTON", "Button", 0x0 | 0x10000, 0},
            {"DEFPUSHBUTTON", "Button", 0x1 | 0x10000, 0},
            {"CHECKBOX", "Button", 0x2 | 0x10000, 0},
            {"AUTOCHECKBOX", "Button", 0x3 | 0x10000, 0},
            {"RADIOBUTTON", "Button", 0x4, 0},
            {"AUTORADIOBUTTON", "Button", 0x9, 0},
            {"STATE3", "Button", 0x5 | 0x10000, 0},
            {"AUTO3STATE", "Button", 0x6 | 0x10000, 0},
            {"GROUPBOX", "Button", 0x7, 0},
            {"PUSHBOX", "Button", 0xA | 0x10000, 0},
            {"EDITTEXT", "Edit", 0x0 | 0x800000 | 0x10000, 1},
            {"COMBOBOX", "ComboBox", 0x1 | 0x10000, 1},
            {"LISTBOX", "ListBox", 0x1 | 0x800000, 1},
            {"SCROLLBAR", "ScrollBar", 0x0, 1},
            {"ICON", "Static", 0x3, 2},
        };
        DialogItemTemplate item;
        if (kw == "CONTROL") {
            Next();
            if (!ControlText(item.text)) return false;
            if (!Expect(",")) return false;
            if (!ControlId(item.id)) return false;
            if (!Expect(",")) return false;
            if (Peek().kind == Tok::String) {
                item.className = Next().text;
            } else if (Peek().kind == Tok::Word) {
                static const std::map<std::string, std::string> kClasses = {
                    {"BUTTON", "Button"},   {"EDIT", "Edit"},           {"STATIC", "Static"},
                    {"LISTBOX", "ListBox"}, {"SCROLLBAR", "ScrollBar"}, {"COMBOBOX", "ComboBox"}};
                auto it = kClasses.find(ResourceScriptUpper(Peek().text));
                if (it == kClasses.end())
                    return Fail("unknown control class '" + Peek().text + "'");
                item.className = it->second;
                Next();
            } else {
                return Fail("expected a control class but found " + Describe(Peek()));
            }
            if (!Expect(",")) return false;
            if (!U32(item.style)) return false;
            item.style |= kChildVisible;
            if (!Expect(",")) return false;
            if (!Rect(item)) return false;
            if (IsPunct(",")) {
                Next();
                if (!U32(item.exStyle)) return false;
                if (IsPunct(",")) {
                    Next();
                    if (!U32(item.helpId)) return false;
                }
            }
            d.items.push_back(std::move(item));
            return true;
        }
        const Kind* kind = nullptr;
        for (const Kind& k : kKinds)
            if (kw == k.keyword) kind = &k;
        if (!kind) return Fail("expected a control statement but found " + Describe(Peek()));
        Next();
        item.className = kind->className;
        item.style = kind->style | kChildVisible;
        if (kind->shape != 1) {
            if (!ControlText(item.text)) return false;
            if (!Expect(",")) return false;
        }
        if (!ControlId(item.id)) return false;
        if (!Expect(",")) return false;
        if (kind->shape == 2) {
            if (!I16(item.x, "x") || !Expect(",") || !I16(item.y, "y")) return false;
            if (IsPunct(",")) {
                Next();
                if (!I16(item.cx, "width") || !Expect(",") || !I16(item.cy, "height")) return false;
            }
        } else if (!Rect(item)) {
            return false;
        }
        if (!TrailingStyles(item)) return false;
        d.items.push_back(std::move(item));
        return true;
    }

    bool Dialog(CompiledResource& res, bool extended) {
        SkipMemoryOptions();
        DialogTemplate d;
        DialogItemTemplate box;
        if (!Rect(box)) return false;
        d.x = box.x;
        d.y = box.y;
        d.cx = box.cx;
        d.cy = box.cy;
        if (extended && IsPunct(",")) {
            Next();
            if (!U32(d.helpId)) return false;
        }
        bool styleGiven = false;
        bool captionGiven = false;
        d.style = 0x80000000 | 0x00800000 | 0x00080000;  // WS_POPUP | WS_BORDER | WS_SYSMENU
        for (;;) {
            if (IsWord("STYLE")) {
                Next();
                if (!U32(d.style)) return false;
                styleGiven = true;
            } else if (IsWord("EXSTYLE")) {
                Next();
                if (!U32(d.exStyle)) return false;
            } else if (IsWord("CAPTION")) {
                Next();
                if (!String(d.caption, "the caption")) return false;
                captionGiven = true;
            } else if (IsWord("FONT")) {
                Next();
                if (!U16(d.fontSize, "font size")) return false;
                if (!Expect(",")) return false;
                if (!String(d.fontFace, "the font's face name")) return false;
                if (IsPunct(",")) {
                    Next();
                    if (!U16(d.fontWeight, "font weight")) return false;
                    if (IsPunct(",")) {
                        Next();
                        std::uint16_t italic = 0;
                        if (!U16(italic, "italic flag")) return false;
                        d.fontItalic = static_cast<std::uint8_t>(italic != 0);
                        if (IsPunct(",")) {
                            Next();
                            std::uint16_t charset = 0;
                            if (!U16(charset, "character set")) return false;
                            d.fontCharSet = static_cast<std::uint8_t>(charset);
                        }
                    }
                }
            } else if (IsWord("MENU")) {
                Next();
                if (Peek().kind == Tok::Number)
                    d.menu = "#" + std::to_string(Next().number);
                else if (Peek().kind == Tok::Word || Peek().kind == Tok::String)
                    d.menu = ResourceScriptUpper(Next().text);
                else
                    return Fail("expected a menu name but found " + Describe(Peek()));
            } else if (IsWord("CLASS")) {
                Next();
                if (Peek().kind == Tok::String || Peek().kind == Tok::Word)
                    d.className = Next().text;
                else
                    return Fail("expected a class name but found " + Describe(Peek()));
            } else if (IsWord("LANGUAGE") || IsWord("CHARACTERISTICS") || IsWord("VERSION")) {
                const Token t = Next();
                SkipLineOf(t);
            } else {
                break;
            }
        }
        if (captionGiven && !styleGiven) d.style |= 0x00C00000;  // WS_CAPTION
        if (!d.fontFace.empty()) d.style |= 0x40;                // DS_SETFONT
        if (!Begin()) return false;
        while (!IsEnd()) {
            if (AtEnd()) return Fail("dialog without END");
            if (Peek().kind != Tok::Word)
                return Fail("expected a control statement but found " + Describe(Peek()));
            if (!Control(d)) return false;
            if (d.items.size() > 0xFFFF) return Fail("too many controls");
        }
        Next();
        res.data = EncodeDialogTemplate(d);
        return true;
    }

    std::vector<Token> t_;
    std::size_t pos_ = 0;
    const ScriptFileReader& read_;
    const std::vector<std::string>& files_;
};

std::string Where(const std::vector<std::string>& files, const Failure& f) {
    const std::string file =
        f.file >= 0 && static_cast<std::size_t>(f.file) < files.size() ? files[f.file] : "?";
    return file + ":" + std::to_string(f.line) + ": " + f.message;
}

}  // namespace

ResourceScriptResult CompileResourceScript(std::string_view text, std::string_view fileName,
                                           const ScriptFileReader& readFile) {
    ResourceScriptResult result;
    std::vector<std::string> files;
    const ScriptFileReader reader =
        readFile ? readFile
                 : [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
    Preprocessor pre(reader, files);
    if (!pre.Run(text, std::string(fileName), false, 0)) {
        result.error = Where(files, pre.failure);
        return result;
    }
    Parser parser(std::move(pre.tokens), reader, files);
    if (!parser.Run(result.resources)) {
        result.error = Where(files, parser.failure);
        result.resources.clear();
    }
    return result;
}

}  // namespace win
