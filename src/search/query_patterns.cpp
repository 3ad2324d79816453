#include "search/query_patterns.h"

namespace findolin {
namespace {

// What an alternative gets before the next "#": nothing more when its text already ends in a
// three-letter extension (the fourth character before the "#" is a dot), else "*.*".
QStringView alternativeTail(QStringView query, qsizetype hashIndex) {
    const bool endsInExtension = hashIndex >= 4 && query[hashIndex - 4] == u'.';
    return endsInExtension ? u";" : u"*.*;";
}

} // namespace

QString searchPattern(QStringView query, NameMatch mode) {
    QString pattern;
    bool skipping = false;
    for (qsizetype i = 0; i < query.size(); ++i) {
        const QChar c = query[i];
        if (c == u'+' || c == u'-') {
            skipping = true;
        } else if (c == u'#') {
            skipping = false;
            pattern += alternativeTail(query, i).toString();
            if (mode == NameMatch::Contains)
                pattern += u'*';
        } else if (!skipping) {
            pattern += c;
        }
    }
    return mode == NameMatch::Contains ? u'*' + pattern + u'*' : pattern + u'*';
}

QString livePattern(QStringView query) {
    QString pattern;
    bool skipping = false;
    for (qsizetype i = 0; i < query.size(); ++i) {
        const QChar c = query[i];
        if (c == u'+') {
            skipping = false;
            pattern += u'*';
        } else if (c == u'-') {
            skipping = true;
        } else if (c == u'#') {
            skipping = false;
            pattern += alternativeTail(query, i).toString();
        } else if (!skipping) {
            pattern += c;
        }
    }
    return pattern + u'*';
}

QString groupPattern(QStringView leadingText, NameMatch mode) {
    return mode == NameMatch::Contains ? u'*' + leadingText.toString() + u'*'
                                       : leadingText.toString() + u'*';
}

} // namespace findolin
