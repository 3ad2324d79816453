#include "search/wildcard.h"

#include <QList>

namespace findolin {
namespace {

// Glob match of a case-folded name against one case-folded alternative. Iterative with a
// single backtrack point, so it stays linear in practice even for patterns like "*a*b*".
bool globMatches(QStringView pattern, QStringView name) {
    qsizetype p = 0, n = 0;
    qsizetype starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == u'?') {
            ++p;
            // "?" stands for one character, also one outside the basic plane.
            n += (name[n].isHighSurrogate() && n + 1 < name.size()) ? 2 : 1;
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool alternativeMatches(QStringView alternative, QStringView foldedName) {
    if (globMatches(alternative, foldedName))
        return true;
    // A trailing ".*" may also stand for "no extension at all".
    return alternative.endsWith(u".*") && globMatches(alternative.chopped(2), foldedName);
}

} // namespace

WildcardPattern::WildcardPattern(QStringView pattern) {
    for (QStringView alternative : pattern.split(u';')) {
        QString folded = alternative.toString().toCaseFolded();
        if (folded == u"*" || folded == u"*.*")
            matchesEverything_ = true;
        alternatives_.push_back(std::move(folded));
    }
}

bool WildcardPattern::matches(QStringView name) const {
    return matchesEverything_ || matchesFolded(name.toString().toCaseFolded());
}

bool WildcardPattern::matchesFolded(QStringView foldedName) const {
    if (matchesEverything_)
        return true;
    for (const QString& alternative : alternatives_) {
        if (alternativeMatches(alternative, foldedName))
            return true;
    }
    return false;
}

} // namespace findolin
