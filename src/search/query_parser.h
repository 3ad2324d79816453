#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace findolin {

// A query of the small language shared by the name and the text field:
// "+" AND, "#" OR, "-" NOT; terms are case-insensitive substrings.
struct ParsedQuery {
    // The AND terms of each OR group, in query order. Group 0 always exists.
    std::vector<QStringList> List3{QStringList{}};
    // The NOT terms; they exclude, whichever group they were typed in. May hold empty terms.
    QStringList List3Nicht;
    // The leading text of each group (up to its first "+", "-" or "#"; a "*" stays in it).
    // One entry per group; the folder walk builds each group's file pattern from it.
    QStringList List3Dateiname;

    // Index of the last OR group (0 when the query has no "#").
    int GruppenIndex() const { return int(List3.size()) - 1; }

    friend bool operator==(const ParsedQuery&, const ParsedQuery&) = default;
};

// Parses either query. "-", "+", "#" and "*" end a term; "-" makes the next term a NOT term.
ParsedQuery TextAuslesen(QStringView query);

// A text query that begins with "-" gets one blank in front, so that it asks for every document
// (every document holds a blank) that lacks the NOT term. Other texts come back unchanged.
QString withBlankBeforeLeadingNot(const QString& textQuery);

} // namespace findolin
