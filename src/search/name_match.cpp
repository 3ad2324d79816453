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

} // namespace findolin
