#include "preview/rtf_reader.h"

#include "preview/text_decoding.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

namespace findolin {
namespace {

// Deeper groups than this are read as skipped, so that a hostile file cannot grow the stack.
constexpr std::size_t kMaxDepth = 512;
// Held-back text is handed on at least this often, so that a huge paragraph costs bounded memory.
constexpr qsizetype kMaxHeldText = 1 << 16;
// Parameters are clamped here: RTF's are 16- or 32-bit; anything longer is broken input.
constexpr qint64 kMaxNumber = qint64(1) << 40;

enum class Action : quint8 {
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Plain,
    Character, // the entry's character
    Unicode,
    UnicodeSkip,
    Binary,
    Destination, // a group whose content is not text
};

struct Word {
    std::string_view name;
    Action action;
    char16_t character = 0;
};

// Ordered by length, then by name: most comparisons in the search are decided by the length.
constexpr std::array kWords = std::to_array<Word>({
    {"b", Action::Bold},
    {"i", Action::Italic},
    {"u", Action::Unicode},
    {"uc", Action::UnicodeSkip},
    {"ul", Action::Underline},
    {"bin", Action::Binary},
    {"par", Action::Character, u'\n'},
    {"row", Action::Character, u'\n'},
    {"tab", Action::Character, u'\t'},
    {"uld", Action::Underline},
    {"ulw", Action::Underline},
    {"cell", Action::Character, u'\t'},
    {"info", Action::Destination},
    {"line", Action::Character, u'\n'},
    {"page", Action::Character, u'\n'},
    {"pict", Action::Destination},
    {"sect", Action::Character, u'\n'},
    {"uldb", Action::Underline},
    {"ulth", Action::Underline},
    {"plain", Action::Plain},
    {"ulthd", Action::Underline},
    {"bullet", Action::Character, 0x2022},
    {"emdash", Action::Character, 0x2014},
    {"endash", Action::Character, 0x2013},
    {"lquote", Action::Character, 0x2018},
    {"object", Action::Destination},
    {"pntxta", Action::Destination},
    {"pntxtb", Action::Destination},
    {"revtbl", Action::Destination},
    {"rquote", Action::Character, 0x2019},
    {"uldash", Action::Underline},
    {"ulnone", Action::UnderlineNone},
    {"ulwave", Action::Underline},
    {"emspace", Action::Character, u' '},
    {"enspace", Action::Character, u' '},
    {"filetbl", Action::Destination},
    {"fldinst", Action::Destination},
    {"fonttbl", Action::Destination},
    {"mmathPr", Action::Destination},
    {"objdata", Action::Destination},
    {"rsidtbl", Action::Destination},
    {"uldashd", Action::Underline},
    {"ulhwave", Action::Underline},
    {"ulldash", Action::Underline},
    {"colortbl", Action::Destination},
    {"nestcell", Action::Character, u'\t'},
    {"pgdsctbl", Action::Destination},
    {"uldashdd", Action::Underline},
    {"ulthdash", Action::Underline},
    {"xmlnstbl", Action::Destination},
    {"datastore", Action::Destination},
    {"generator", Action::Destination},
    {"ldblquote", Action::Character, 0x201C},
    {"listtable", Action::Destination},
    {"rdblquote", Action::Character, 0x201D},
    {"themedata", Action::Destination},
    {"ulthdashd", Action::Underline},
    {"ulthldash", Action::Underline},
    {"stylesheet", Action::Destination},
    {"ulthdashdd", Action::Underline},
    {"ululdbwave", Action::Underline},
    {"latentstyles", Action::Destination},
    {"listoverridetable", Action::Destination},
    {"colorschememapping", Action::Destination},
});
constexpr bool shorterOrBefore(std::string_view a, std::string_view b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}
static_assert(std::is_sorted(kWords.begin(), kWords.end(), [](const Word& a, const Word& b) {
    return shorterOrBefore(a.name, b.name);
}));

const Word* findWord(std::string_view name) {
    const auto it =
        std::lower_bound(kWords.begin(), kWords.end(), name, [](const Word& w, std::string_view n) {
            return shorterOrBefore(w.name, n);
        });
    return it != kWords.end() && it->name == name ? &*it : nullptr;
}

// What a byte of the document is to the reader outside control words.
enum class ByteClass : quint8 { Text, Backslash, Open, Close, Tab, Ignored };

constexpr std::array<ByteClass, 256> kByteClass = [] {
    std::array<ByteClass, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = b < 0x20 ? ByteClass::Ignored : ByteClass::Text;
    table['\t'] = ByteClass::Tab;
    table['\\'] = ByteClass::Backslash;
    table['{'] = ByteClass::Open;
    table['}'] = ByteClass::Close;
    return table;
}();

bool isLetter(uchar c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(uchar c) {
    return c >= '0' && c <= '9';
}

int hexValue(uchar c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

struct RtfReader::State {
    struct Group {
        bool skip = false;
        quint8 unicodeSkip = 1; // \ucN: fallback characters after each \uN
        RtfFormat format;
    };
    enum class Mode : quint8 { BeforeStart, Text, Backslash, Word, Number, Hex, Binary, Done };

    TextHandler handler;
    Mode mode = Mode::BeforeStart;
    std::vector<Group> groups;
    qsizetype overflow = 0; // groups opened beyond kMaxDepth

    // The control word being read.
    char word[24] = {};
    int wordLength = 0;
    bool wordTooLong = false;
    bool negative = false;
    bool hasNumber = false;
    qint64 number = 0;

    int hexDigits = 0;
    int hex = 0;
    qint64 binaryLeft = 0;
    int fallbackLeft = 0; // fallback characters of the last \uN still to skip

    QString text; // held back until the formatting changes
    RtfFormat textFormat;

    bool skipping() const { return overflow > 0 || groups.back().skip; }

    void flush() {
        if (!text.isEmpty()) {
            handler(text, textFormat);
            text.truncate(0);
        }
    }

    // Readies `text` for characters in the current formatting.
    void prepare() {
        const RtfFormat& format = groups.back().format;
        if (!text.isEmpty() && !(format == textFormat))
            flush();
        textFormat = format;
    }

    void flushIfLarge() {
        // Not between the halves of a surrogate pair written as two \uN.
        if (text.size() >= kMaxHeldText && !text.back().isHighSurrogate())
            flush();
    }

    // One character of text, from a control word or symbol.
    void character(char16_t c) {
        if (skipping())
            return;
        if (fallbackLeft > 0) {
            --fallbackLeft;
            return;
        }
        prepare();
        text.append(QChar(c));
        flushIfLarge();
    }

    void openGroup() {
        fallbackLeft = 0;
        if (groups.size() >= kMaxDepth)
            ++overflow;
        else
            groups.push_back(groups.back());
    }

    void closeGroup() {
        fallbackLeft = 0;
        if (overflow > 0) {
            --overflow;
            return;
        }
        groups.pop_back();
        if (groups.empty()) {
            mode = Mode::Done; // what follows the document's last brace is not part of it
            flush();
        }
    }

    // Reads text bytes from `i` on until a backslash (consumed) or the piece's end.
    qsizetype readText(const uchar* p, qsizetype i, qsizetype n) {
        while (i < n) {
            switch (kByteClass[p[i]]) {
            case ByteClass::Backslash:
                mode = Mode::Backslash;
                return i + 1;
            case ByteClass::Open:
                openGroup();
                ++i;
                break;
            case ByteClass::Close:
                closeGroup();
                if (mode == Mode::Done)
                    return n;
                ++i;
                break;
            case ByteClass::Tab:
                character(u'\t');
                ++i;
                break;
            case ByteClass::Ignored: // CR and LF are the writer's line breaks, not the document's
                ++i;
                break;
            case ByteClass::Text:
                if (skipping()) {
                    do
                        ++i;
                    while (i < n && kByteClass[p[i]] == ByteClass::Text);
                } else if (fallbackLeft > 0) {
                    --fallbackLeft;
                    ++i;
                } else {
                    const qsizetype start = i;
                    uchar bits = 0;
                    do
                        bits |= p[i++];
                    while (i < n && kByteClass[p[i]] == ByteClass::Text);
                    prepare();
                    const auto bytes =
                        QByteArrayView(reinterpret_cast<const char*>(p) + start, i - start);
                    if (bits < 0x80)
                        text.append(QLatin1StringView(bytes));
                    else
                        appendWindows1252(text, bytes);
                    flushIfLarge();
                }
                break;
            }
        }
        return i;
    }

    void controlSymbol(uchar c) {
        switch (c) {
        case '\'':
            mode = Mode::Hex;
            hexDigits = 0;
            hex = 0;
            return;
        case '*':
            if (overflow == 0)
                groups.back().skip = true;
            return;
        case '\\':
        case '{':
        case '}':
            character(c);
            return;
        case '~':
            character(0x00A0);
            return;
        case '_':
            character(u'-');
            return;
        case '\r':
        case '\n': // a backslash ending a line is a paragraph mark
            character(u'\n');
            return;
        default: // \- (optional hyphen) and the rest: nothing to show, but one fallback character
            if (!skipping() && fallbackLeft > 0)
                --fallbackLeft;
            return;
        }
    }

    void hexByte() {
        if (skipping())
            return;
        if (fallbackLeft > 0) {
            --fallbackLeft;
            return;
        }
        const char byte = char(hex);
        prepare();
        appendWindows1252(text, QByteArrayView(&byte, 1));
        flushIfLarge();
    }

    void controlWord() {
        const std::string_view name(word, wordLength);
        const qint64 value = negative ? -number : number;
        if (wordTooLong)
            return;
        if (name == "bin") {
            // Binary data is skipped wherever it is: it may hold braces and backslashes.
            if (hasNumber && value > 0) {
                binaryLeft = value;
                mode = Mode::Binary;
            }
            return;
        }
        if (skipping())
            return;
        if (fallbackLeft > 0) {
            --fallbackLeft;
            return;
        }
        const Word* entry = findWord(name);
        if (!entry)
            return;
        RtfFormat& format = groups.back().format;
        const bool on = !hasNumber || value != 0;
        switch (entry->action) {
        case Action::Bold:
            format.bold = on;
            break;
        case Action::Italic:
            format.italic = on;
            break;
        case Action::Underline:
            format.underline = on;
            break;
        case Action::UnderlineNone:
            format.underline = false;
            break;
        case Action::Plain:
            format = RtfFormat();
            break;
        case Action::Character:
            character(entry->character);
            break;
        case Action::Unicode:
            if (hasNumber) {
                const qint64 code = value < 0 ? value + 65536 : value;
                if (code > 0 && code <= 0xFFFF) {
                    character(char16_t(code));
                } else if (code > 0xFFFF && code <= 0x10FFFF) {
                    character(QChar::highSurrogate(char32_t(code)));
                    character(QChar::lowSurrogate(char32_t(code)));
                }
                fallbackLeft = groups.back().unicodeSkip;
            }
            break;
        case Action::UnicodeSkip:
            if (hasNumber)
                groups.back().unicodeSkip = quint8(std::clamp<qint64>(value, 0, 16));
            break;
        case Action::Binary:
            break;
        case Action::Destination:
            groups.back().skip = true;
            break;
        }
    }

    void startWord(uchar c) {
        mode = Mode::Word;
        word[0] = char(c);
        wordLength = 1;
        wordTooLong = false;
        negative = false;
        hasNumber = false;
        number = 0;
    }

    // Ends the control word at byte `i` (a space there is its delimiter and is consumed).
    qsizetype endWord(const uchar* p, qsizetype i) {
        mode = Mode::Text;
        controlWord();
        return p[i] == ' ' ? i + 1 : i;
    }

    void feed(const uchar* p, qsizetype n) {
        qsizetype i = 0;
        while (i < n) {
            switch (mode) {
            case Mode::BeforeStart: {
                const auto* brace = static_cast<const uchar*>(std::memchr(p + i, '{', n - i));
                if (!brace)
                    return;
                i = brace - p + 1;
                groups.push_back(Group());
                mode = Mode::Text;
                break;
            }
            case Mode::Text:
                i = readText(p, i, n);
                break;
            case Mode::Backslash:
                if (isLetter(p[i])) {
                    startWord(p[i++]);
                } else {
                    mode = Mode::Text;
                    controlSymbol(p[i++]);
                }
                break;
            case Mode::Word:
                while (i < n && isLetter(p[i])) {
                    if (wordLength < int(sizeof(word)))
                        word[wordLength++] = char(p[i]);
                    else
                        wordTooLong = true;
                    ++i;
                }
                if (i == n)
                    break;
                if (p[i] == '-') {
                    negative = true;
                    mode = Mode::Number;
                    ++i;
                } else if (isDigit(p[i])) {
                    mode = Mode::Number;
                } else {
                    i = endWord(p, i);
                }
                break;
            case Mode::Number:
                while (i < n && isDigit(p[i])) {
                    number = std::min(number * 10 + (p[i] - '0'), kMaxNumber);
                    hasNumber = true;
                    ++i;
                }
                if (i < n)
                    i = endWord(p, i);
                break;
            case Mode::Hex: {
                const int digit = hexValue(p[i]);
                if (digit < 0) { // a broken escape: the byte is read as what it is
                    mode = Mode::Text;
                    break;
                }
                hex = hex * 16 + digit;
                ++i;
                if (++hexDigits == 2) {
                    mode = Mode::Text;
                    hexByte();
                }
                break;
            }
            case Mode::Binary: {
                const qint64 take = std::min<qint64>(binaryLeft, n - i);
                i += take;
                binaryLeft -= take;
                if (binaryLeft == 0)
                    mode = Mode::Text;
                break;
            }
            case Mode::Done:
                return;
            }
        }
    }

    void finish() {
        if (mode == Mode::Word || mode == Mode::Number) {
            mode = Mode::Text;
            controlWord(); // a document cut off after "\par" still ends its paragraph
        }
        if (!groups.empty())
            flush();
        mode = Mode::Done;
    }
};

bool looksLikeRtf(QByteArrayView head) {
    return head.startsWith("{\\rtf");
}

RtfReader::RtfReader(TextHandler handler) : state_(new State) {
    state_->handler = std::move(handler);
}

RtfReader::~RtfReader() {
    delete state_;
}

void RtfReader::feed(QByteArrayView piece) {
    state_->feed(reinterpret_cast<const uchar*>(piece.data()), piece.size());
}

void RtfReader::finish() {
    state_->finish();
}

} // namespace findolin
