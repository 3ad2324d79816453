#pragma once

#include "platform/folder_scan.h"
#include "search/query_parser.h"
#include "search/term_bytes.h"

#include <QStringList>
#include <vector>

namespace findolin {

class ContentLoader;
class ReadOnlyFile;

// Finds many terms in one reading of a text that arrives in pieces, without regard to case
// (umlauts included). The pieces are searched with an overlap of the longest term, so a term split
// between two pieces is found, and memory stays bounded whatever the length of the text.
class TermScanner {
public:
    explicit TermScanner(const QStringList& terms);

    // Takes the next piece; returns true when it searched (then found() may have changed).
    bool feed(QStringView piece);
    // Searches what is left.
    void finish();

    bool found(qsizetype term) const { return positions_[term] >= 0; }
    // Where the term first occurs in the whole text, or -1.
    qsizetype position(qsizetype term) const { return positions_[term]; }

private:
    void search();

    QStringList terms_; // case-folded
    std::vector<qsizetype> positions_;
    QString window_;            // folded text not yet searched, after the overlap
    qsizetype windowStart_ = 0; // position of window_ in the whole text
    qsizetype overlap_ = 0;
    QChar pendingHigh_; // the first half of a pair whose second half is in the next piece
};

// How a document fared against the text query.
enum class ContentVerdict { Hit, Miss, Unreadable, Stopped };

// The text query as a test of a document's content: no NOT term in it, and every term of at least
// one OR group. The document is read once for all terms, and no further than the answer needs.
class ContentQuery {
public:
    explicit ContentQuery(const ParsedQuery& query);

    ContentVerdict test(const ContentLoader& loader, const QString& path,
                        const KeepGoing& keepGoing = {}) const;
    // The same for a file already open at its start.
    ContentVerdict test(const ContentLoader& loader, ReadOnlyFile& file, const QString& path,
                        const KeepGoing& keepGoing = {}) const;

private:
    // The answer as far as the terms' presence tells it, or nothing when it needs more text.
    template <typename TermPresence> std::optional<bool> decided(TermPresence&& presence) const;
    std::optional<bool> decided(const TermScanner& scanner, bool complete) const;
    // The verdict told by the raw bytes alone, or nothing when the text must be read: the file is
    // left somewhere in between.
    std::optional<ContentVerdict> testBytes(ReadOnlyFile& file, const KeepGoing& keepGoing) const;

    QStringList terms_;               // every distinct term, NOT terms first
    std::vector<qsizetype> notTerms_; // indexes into terms_
    std::vector<std::vector<qsizetype>> groups_;
    std::vector<TermBytes> termBytes_; // empty when one of the terms cannot be ruled out by bytes
    qsizetype longestSpelling_ = 0;
    std::vector<bool> wholeInRuns_; // for each term: its ASCII bytes always stay within one run
};

} // namespace findolin
