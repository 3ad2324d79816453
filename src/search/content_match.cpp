#include "search/content_match.h"

#include "preview/content_loader.h"
#include "preview/file_types.h"

#include <algorithm>

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
// temporary string: the text search folds every character it reads.
void appendFolded(QString& out, QStringView text) {
    static const Latin1Folding latin1;
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char16_t* to = reinterpret_cast<char16_t*>(out.data()) + start;
    for (QChar c : text) {
        const char16_t unit = c.unicode();
        *to++ =
            unit < 256 ? latin1.folded[unit] : (c.isSurrogate() ? unit : QChar::toCaseFolded(unit));
    }
}

} // namespace

TermScanner::TermScanner(const QStringList& terms) : positions_(terms.size(), -1) {
    for (const QString& term : terms) {
        terms_.append(term.toCaseFolded());
        overlap_ = std::max(overlap_, term.size() - 1);
    }
    // An empty term is in every text, even an empty one.
    for (qsizetype i = 0; i < terms_.size(); ++i) {
        if (terms_[i].isEmpty())
            positions_[i] = 0;
    }
}

bool TermScanner::feed(QStringView piece) {
    appendFolded(window_, piece);
    if (window_.size() < kSearchWindow + overlap_)
        return false;
    search();
    return true;
}

void TermScanner::finish() {
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
        notTerms_.push_back(indexOf(term.toCaseFolded()));
    for (const QStringList& group : query.List3) {
        std::vector<qsizetype> indexes;
        for (const QString& term : group)
            indexes.push_back(indexOf(term.toCaseFolded()));
        groups_.push_back(std::move(indexes));
    }
}

std::optional<bool> ContentQuery::decided(const TermScanner& scanner, bool complete) const {
    const auto found = [&](qsizetype term) { return scanner.found(term); };
    if (std::any_of(notTerms_.cbegin(), notTerms_.cend(), found))
        return false;
    // Until the end, a NOT term may still turn up.
    if (!complete && !notTerms_.empty())
        return std::nullopt;
    const bool someGroup = std::any_of(groups_.cbegin(), groups_.cend(), [&](const auto& group) {
        return std::all_of(group.cbegin(), group.cend(), found);
    });
    if (someGroup)
        return true;
    return complete ? std::optional<bool>(false) : std::nullopt;
}

ContentVerdict ContentQuery::test(const ContentLoader& loader, const QString& path,
                                  const KeepGoing& keepGoing) const {
    auto file = ReadOnlyFile::open(path);
    if (!file)
        return ContentVerdict::Unreadable;
    return test(loader, *file, path, keepGoing);
}

ContentVerdict ContentQuery::test(const ContentLoader& loader, ReadOnlyFile& file,
                                  const QString& path, const KeepGoing& keepGoing) const {
    TermScanner scanner(terms_);
    std::optional<bool> answer = decided(scanner, false);
    bool stopped = false;
    const auto read = loader.readText(file, path, [&](QStringView piece) {
        if (answer)
            return false;
        if (scanner.feed(piece)) {
            answer = decided(scanner, false);
            if (keepGoing && !keepGoing()) {
                stopped = true;
                return false;
            }
        }
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

bool isPictureByName(QStringView displayLine) {
    return isPictureOrDrawingName(displayLine);
}

} // namespace findolin
