#include "search/content_match.h"

#include "preview/content_loader.h"
#include "preview/text_decoding.h"
#include "search/query_rule.h"

#include <algorithm>
#include <utility>

namespace findolin {
namespace {

// Enough text to make a search worth its overhead, small enough to stay in the cache.
constexpr qsizetype kSearchWindow = 64 * 1024;

// The case folding of the first 256 characters, the bulk of any German text.
struct Latin1Folding {
    char16_t folded[256];
    Latin1Folding() {
        for (char16_t c = 0; c < 256; ++c)
            folded[c] = QChar(c).toCaseFolded().unicode();
    }
};

// Appends the text case-folded as QString::toCaseFolded() would, in one pass and without a
// temporary string: the text search folds every character it reads. A character outside the
// basic plane is folded as the pair of units that stands for it; a lone half of a pair stays as
// it is (QString::toCaseFolded() makes it U+FFFD), so terms are folded here too.
void appendFolded(QString& out, QStringView text) {
    static const Latin1Folding latin1;
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data()) + start;
    char16_t* to = begin;
    const char16_t* from = text.utf16();
    const char16_t* const end = from + text.size();
    for (; from < end; ++from) {
        const char16_t unit = *from;
        if (unit < 256) {
            *to++ = latin1.folded[unit];
        } else if (!QChar::isSurrogate(unit)) {
            *to++ = QChar::toCaseFolded(unit);
        } else if (QChar::isHighSurrogate(unit) && from + 1 < end &&
                   QChar::isLowSurrogate(from[1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(unit, from[1]));
            if (QChar::requiresSurrogates(folded)) {
                *to++ = QChar::highSurrogate(folded);
                *to++ = QChar::lowSurrogate(folded);
            } else {
                *to++ = char16_t(folded);
            }
            ++from;
        } else {
            *to++ = unit;
        }
    }
    out.resize(start + (to - begin));
}

QString caseFolded(QStringView text) {
    QString folded;
    appendFolded(folded, text);
    return folded;
}

} // namespace

TermScanner::TermScanner(const QStringList& terms) : positions_(terms.size(), -1) {
    for (const QString& term : terms) {
        terms_.append(caseFolded(term));
        overlap_ = std::max(overlap_, term.size() - 1);
    }
    // An empty term is in every text, even an empty one.
    for (qsizetype i = 0; i < terms_.size(); ++i) {
        if (terms_[i].isEmpty())
            positions_[i] = 0;
    }
}

bool TermScanner::feed(QStringView piece) {
    // A pair of units split between two pieces is folded once both halves are here.
    QString joined;
    if (!pendingHigh_.isNull()) {
        joined.reserve(piece.size() + 1);
        joined.append(pendingHigh_).append(piece);
        piece = joined;
        pendingHigh_ = QChar();
    }
    if (!piece.isEmpty() && piece.back().isHighSurrogate()) {
        pendingHigh_ = piece.back();
        piece.chop(1);
    }
    appendFolded(window_, piece);
    if (window_.size() < kSearchWindow + overlap_)
        return false;
    search();
    return true;
}

void TermScanner::finish() {
    if (!pendingHigh_.isNull())
        window_ += std::exchange(pendingHigh_, QChar());
    search();
}

void TermScanner::search() {
    for (qsizetype i = 0; i < terms_.size(); ++i) {
        if (positions_[i] >= 0)
            continue;
        const qsizetype at = window_.indexOf(terms_[i]);
        if (at >= 0)
            positions_[i] = windowStart_ + at;
    }
    // Keep the tail that a term may still begin in.
    const qsizetype keep = std::min(overlap_, window_.size());
    windowStart_ += window_.size() - keep;
    window_.remove(0, window_.size() - keep);
}

ContentQuery::ContentQuery(const ParsedQuery& query) {
    const auto indexOf = [this](const QString& term) {
        const qsizetype known = terms_.indexOf(term, 0);
        if (known >= 0)
            return known;
        terms_.append(term);
        return terms_.size() - 1;
    };
    for (const QString& term : query.List3Nicht)
        notTerms_.push_back(indexOf(caseFolded(term)));
    for (const QStringList& group : query.List3) {
        std::vector<qsizetype> indexes;
        for (const QString& term : group)
            indexes.push_back(indexOf(caseFolded(term)));
        groups_.push_back(std::move(indexes));
    }
    for (const QString& term : std::as_const(terms_)) {
        termBytes_.emplace_back(term);
        if (!termBytes_.back().usable()) {
            termBytes_.clear();
            break;
        }
        longestSpelling_ = std::max(longestSpelling_, termBytes_.back().longestSpelling());
        wholeInRuns_.push_back(PrintableRuns::keepsWhole(term));
    }
}

std::optional<bool> ContentQuery::decided(const TermScanner& scanner, bool complete) const {
    // Until the end, a term not found yet may still turn up.
    return decided([&](qsizetype term) {
        return scanner.found(term) ? Presence::Present
                                   : (complete ? Presence::Absent : Presence::Unknown);
    });
}

template <typename TermPresence>
std::optional<bool> ContentQuery::decided(TermPresence&& presence) const {
    const Decision decision = decideQuery(
        qsizetype(notTerms_.size()), [&](qsizetype i) { return presence(notTerms_[i]); },
        qsizetype(groups_.size()),
        [&](qsizetype g) {
            const std::vector<qsizetype>& group = groups_[g];
            return allPresent(qsizetype(group.size()),
                              [&](qsizetype t) { return presence(group[t]); });
        });
    if (decision == Decision::Undecided)
        return std::nullopt;
    return decision == Decision::Yes;
}

ContentVerdict ContentQuery::test(const ContentLoader& loader, const QString& path,
                                  const KeepGoing& keepGoing) const {
    auto file = ReadOnlyFile::open(path);
    if (!file)
        return ContentVerdict::Unreadable;
    return test(loader, *file, path, keepGoing);
}

std::optional<ContentVerdict> ContentQuery::testBytes(ReadOnlyFile& file,
                                                      const KeepGoing& keepGoing) const {
    if (termBytes_.empty())
        return std::nullopt;
    using Found = TermBytes::Found;
    std::vector<Found> found(terms_.size(), Found::Nothing);
    // ASCII proves a term only where the decoder reads ASCII bytes as themselves: in plain text
    // read as UTF-8 or Windows-1252, and in a binary file's runs when the term's bytes cannot
    // fall between two of them.
    bool asciiProves = false;
    bool binary = false;
    const auto presence = [&](Presence notFound) {
        return [&, notFound](qsizetype t) {
            if (found[t] == Found::AsciiSpelling && (asciiProves || (binary && wholeInRuns_[t])))
                return Presence::Present;
            return found[t] == Found::Nothing ? notFound : Presence::Unknown;
        };
    };
    QByteArray carried; // the end of the last piece, where a spelling may begin
    for (bool first = true;; first = false) {
        auto piece = file.read(ContentLoader::kPieceBytes);
        if (!piece)
            return std::nullopt;
        if (first && !piece->isEmpty()) {
            // Rich text, PDF and office files hold their text in a form of their own.
            const ContentKind kind = contentKindOf(*piece);
            if (kind != ContentKind::PlainText && kind != ContentKind::Binary)
                return std::nullopt;
            asciiProves = kind == ContentKind::PlainText && !piece->startsWith("\xff\xfe") &&
                          !piece->startsWith("\xfe\xff");
            binary = kind == ContentKind::Binary;
        }
        if (piece->isEmpty())
            break;
        if (keepGoing && !keepGoing())
            return ContentVerdict::Stopped;
        const QByteArray joined = carried.isEmpty() ? *piece : carried + *piece;
        for (size_t t = 0; t < termBytes_.size(); ++t) {
            if (found[t] != Found::AsciiSpelling)
                found[t] = std::max(found[t], termBytes_[t].find(joined));
        }
        // Settled whatever the rest holds; or open even if the rest holds no other term.
        if (const auto answer = decided(presence(Presence::Unknown)))
            return *answer ? ContentVerdict::Hit : ContentVerdict::Miss;
        if (!decided(presence(Presence::Absent)))
            return std::nullopt;
        carried = joined.right(longestSpelling_ - 1);
    }
    const auto answer = decided(presence(Presence::Absent));
    if (!answer)
        return std::nullopt;
    return *answer ? ContentVerdict::Hit : ContentVerdict::Miss;
}

ContentVerdict ContentQuery::test(const ContentLoader& loader, ReadOnlyFile& file,
                                  const QString& path, const KeepGoing& keepGoing) const {
    if (const auto verdict = testBytes(file, keepGoing))
        return *verdict;
    if (!file.rewind())
        return ContentVerdict::Unreadable;
    TermScanner scanner(terms_);
    std::optional<bool> answer = decided(scanner, false);
    bool stopped = false;
    // Asked after every piece read, also one without any text (a file of zeros), so that a stop
    // never waits for the end of a large file.
    const auto read = loader.readText(file, path, [&](QStringView piece) {
        if (answer)
            return false;
        if (keepGoing && !keepGoing()) {
            stopped = true;
            return false;
        }
        if (scanner.feed(piece))
            answer = decided(scanner, false);
        return !answer;
    });
    if (!read.ok())
        return ContentVerdict::Unreadable;
    if (stopped)
        return ContentVerdict::Stopped;
    if (!answer) {
        scanner.finish();
        answer = decided(scanner, true);
    }
    return *answer ? ContentVerdict::Hit : ContentVerdict::Miss;
}

} // namespace findolin
