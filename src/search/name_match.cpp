#include "search/name_match.h"

namespace findolin {
namespace {

QStringList folded(const QStringList& terms) {
    QStringList result;
    result.reserve(terms.size());
    for (const QString& term : terms)
        result.append(term.toCaseFolded());
    return result;
}

// The terms of a group come first from its leading text, one per stretch between its "*"s.
qsizetype termsInLeadingText(QStringView leadingText) {
    const auto pieces = leadingText.split(u'*', Qt::SkipEmptyParts);
    return pieces.size();
}

} // namespace

bool containsIgnoringCase(QStringView text, QStringView term) {
    return text.contains(term, Qt::CaseInsensitive);
}

NameQuery::NameQuery(const ParsedQuery& query, NameMatch mode)
    : foldedNotTerms_(folded(query.List3Nicht)) {
    for (qsizetype g = 0; g < qsizetype(query.List3.size()); ++g) {
        const QString leading = query.List3Dateiname.value(g);
        // A leading text of wildcards alone asks for nothing: its group's terms are all tested.
        groups_.push_back({WildcardPattern(groupPattern(leading, mode)),
                           folded(query.List3[g].mid(termsInLeadingText(leading)))});
    }
}

bool NameQuery::matches(QStringView name) const {
    const auto noDateFilter = [] { return true; };
    qsizetype listed = 0;
    return matchesFolded(name.toString().toCaseFolded(), noDateFilter, listed);
}

std::optional<QStringList> namesThatMatch(const QStringList& names, const NameQuery& query,
                                          const KeepGoing& keepGoing,
                                          const std::function<void(const QString&)>& testing) {
    QStringList matching;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (testing)
            testing(names[i]);
        if (keepGoing && (i & 0xff) == 0 && !keepGoing())
            return std::nullopt;
        if (query.matches(names[i]))
            matching.append(names[i]);
    }
    return matching;
}

} // namespace findolin
