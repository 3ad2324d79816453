#pragma once

#include "platform/folder_scan.h"
#include "search/query_parser.h"
#include "search/query_patterns.h"
#include "search/query_rule.h"
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
    NameQuery(const ParsedQuery& query, NameMatch mode);

    bool matches(QStringView name) const;

    // The same test for a name already case-folded (QString::toCaseFolded), with the walk's date
    // filter: `datePasses()` is asked at most once, and only when a group's pattern lists the name
    // and no NOT term excludes it; a name that fails it is no hit. `listed` is set to the number of
    // groups whose pattern lists the name: every pattern is tried, whatever the answer.
    template <typename DatePasses>
    bool matchesFolded(QStringView foldedName, DatePasses&& datePasses, qsizetype& listed) const;

private:
    struct Group {
        WildcardPattern pattern;
        QStringList foldedTerms; // the terms the pattern does not already ask for
    };

    std::vector<Group> groups_;
    QStringList foldedNotTerms_;
};

template <typename DatePasses>
bool NameQuery::matchesFolded(QStringView foldedName, DatePasses&& datePasses,
                              qsizetype& listed) const {
    const qsizetype groups = qsizetype(groups_.size());
    qsizetype firstListing = groups;
    listed = 0;
    for (qsizetype g = 0; g < groups; ++g) {
        if (groups_[g].pattern.matchesFolded(foldedName) && listed++ == 0)
            firstListing = g;
    }
    // Every group asks for its pattern: a name none lists needs no NOT term and no date looked at.
    if (listed == 0)
        return false;

    // A name changed before the date limit is excluded just as one holding a NOT term; it comes
    // last, so that the costly look at the file is spared for names a NOT term already excludes.
    const qsizetype notTerms = foldedNotTerms_.size();
    const auto notTerm = [&](qsizetype i) {
        return presentIf(i < notTerms ? foldedName.contains(foldedNotTerms_[i]) : !datePasses());
    };
    const auto group = [&](qsizetype g) {
        const Group& asked = groups_[g];
        // The patterns up to the first listing one were tried above.
        if (g < firstListing || (g > firstListing && !asked.pattern.matchesFolded(foldedName)))
            return Presence::Absent;
        return allPresent(asked.foldedTerms.size(), [&](qsizetype t) {
            return presentIf(foldedName.contains(asked.foldedTerms[t]));
        });
    };
    return decideQuery(notTerms + 1, notTerm, groups, group) == Decision::Yes;
}

// The names that pass the name test, in their order; nothing when `keepGoing` says stop.
// `testing` hears of each name before it is tested.
std::optional<QStringList> namesThatMatch(const QStringList& names, const NameQuery& query,
                                          const KeepGoing& keepGoing = {},
                                          const std::function<void(const QString&)>& testing = {});

} // namespace findolin
