#pragma once

#include "platform/folder_scan.h"
#include "search/query_parser.h"
#include "search/query_patterns.h"
#include "search/wildcard.h"

#include <QStringView>
#include <optional>
#include <vector>

namespace findolin {

// Case-insensitive substring test (umlauts included). An empty term is in every text.
bool containsIgnoringCase(QStringView text, QStringView term);

// The name test of a search, prepared once for many names. A name matches when it holds no NOT
// term and, for one OR group, matches the group's file pattern (made from the group's leading
// text, where "*" and "?" are wildcards) and holds the group's other terms as substrings. The
// refinement of a single folder and the folder walk both ask this one test, so that a query
// finds the same names in a folder whether or not it has sub-folders.
class NameQuery {
public:
    struct Group {
        WildcardPattern pattern;
        QStringList foldedTerms; // the terms the pattern does not already ask for
    };

    NameQuery(const ParsedQuery& query, NameMatch mode);

    bool matches(QStringView name) const;

    // The parts of the test, for a name already case-folded (QString::toCaseFolded), so that a
    // walk folds each name once for every group.
    const std::vector<Group>& groups() const { return groups_; }
    bool isExcludedFolded(QStringView foldedName) const;
    static bool holdsAllFolded(QStringView foldedName, const QStringList& foldedTerms);

private:
    std::vector<Group> groups_;
    QStringList foldedNotTerms_;
};

// The names that pass the name test, in their order; nothing when `keepGoing` says stop.
// `testing` hears of each name before it is tested.
std::optional<QStringList> namesThatMatch(const QStringList& names, const NameQuery& query,
                                          const KeepGoing& keepGoing = {},
                                          const std::function<void(const QString&)>& testing = {});

} // namespace findolin
