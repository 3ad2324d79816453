#include "search/query_parser.h"

namespace findolin {
namespace {

bool isTermSeparator(QChar c) {
    return c == u'-' || c == u'+' || c == u'#' || c == u'*';
}

// The leading text runs up to the first operator; unlike a term it keeps its "*" wildcards.
bool endsLeadingText(QChar c) {
    return c == u'-' || c == u'+' || c == u'#';
}

} // namespace

ParsedQuery TextAuslesen(QStringView query) {
    ParsedQuery parsed;
    QString term;
    bool notPending = false;
    const auto flushTerm = [&] {
        if (notPending)
            parsed.List3Nicht.append(term); // an empty NOT term too: it is in every name
        else if (!term.isEmpty())
            parsed.List3.back().append(term);
        term.clear();
    };

    QString leading;
    bool leadingOpen = true;

    for (const QChar c : query) {
        if (!isTermSeparator(c)) {
            term.append(c);
        } else {
            flushTerm();
            notPending = c == u'-';
            if (c == u'#')
                parsed.List3.emplace_back();
        }

        if (!endsLeadingText(c)) {
            if (leadingOpen)
                leading.append(c);
        } else {
            if (leadingOpen)
                parsed.List3Dateiname.append(leading);
            leadingOpen = c == u'#';
            leading.clear();
        }
    }
    flushTerm();
    if (leadingOpen)
        parsed.List3Dateiname.append(leading);
    return parsed;
}

QString withBlankBeforeLeadingNot(const QString& textQuery) {
    return textQuery.startsWith(u'-') ? u' ' + textQuery : textQuery;
}

} // namespace findolin
