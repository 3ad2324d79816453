#include "search/name_match.h"

#include <algorithm>

namespace findolin {

bool containsIgnoringCase(QStringView text, QStringView term) {
    return text.contains(term, Qt::CaseInsensitive);
}

bool NameTrifft(const ParsedQuery& query, QStringView name) {
    const auto inName = [name](const QString& term) { return containsIgnoringCase(name, term); };
    if (std::any_of(query.List3Nicht.cbegin(), query.List3Nicht.cend(), inName))
        return false;
    return std::any_of(query.List3.cbegin(), query.List3.cend(), [&](const QStringList& group) {
        return std::all_of(group.cbegin(), group.cend(), inName);
    });
}

std::optional<QStringList> namesThatMatch(const QStringList& names, const ParsedQuery& query,
                                          const KeepGoing& keepGoing) {
    QStringList matching;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (keepGoing && (i & 0xff) == 0 && !keepGoing())
            return std::nullopt;
        if (NameTrifft(query, names[i]))
            matching.append(names[i]);
    }
    return matching;
}

} // namespace findolin
