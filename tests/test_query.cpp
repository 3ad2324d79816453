#include "search/date_sort.h"
#include "search/name_match.h"
#include "search/query_parser.h"
#include "search/query_patterns.h"
#include "search/query_rule.h"
#include "search/wildcard.h"

#include <QtTest>

using namespace findolin;

// A row "pattern|names|names": the row rebuilt from the names `matches` takes and those it leaves.
template <typename Matches> void checkSplit(const QString& row, Matches matches) {
    QStringList taken, left;
    for (const QString& name : row.section(u'|', 1).split(QRegularExpression("[|,]")))
        if (!name.isEmpty())
            (matches(name) ? taken : left) << name;
    QCOMPARE(row.section(u'|', 0, 0) + u'|' + taken.join(u',') + u'|' + left.join(u','), row);
}

// The tables below hold one row a string, its fields split by '|'; each loop builds the row again
// from what the code answers, so that a failure names the row.
class TestQuery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A query, then its AND terms by group in [], its NOT terms after "-", its leading texts in {}.
    void parse() {
        for (const QString row :
             {"Angebot+PC#Angebot+Computer-gebraucht|[Angebot,PC][Angebot,Computer]-gebraucht"
              "{Angebot,Angebot}",
              "600MHz#733MHz#800MHz|[600MHz][733MHz][800MHz]{600MHz,733MHz,800MHz}",
              "600+MHz+64+MB|[600,MHz,64,MB]{600}", " -Entwurf|[ ]-Entwurf{ }",
              "Rech*2003+Mai|[Rech,2003,Mai]{Rech*2003}", "|[]{}", "a--b|[a]--b{a}",
              "abc-|[abc]-{abc}", "+a|[a]{}", "*a|[a]{*a}", "a#|[a][]{a,}", "-alt|[]-alt{}",
              "a#b-c|[a][b]-c{a,b}", "Brief an|[Brief an]{Brief an}", "a-b+c#d|[a,c][d]-b{a,d}"}) {
            const QString query = row.section(u'|', 0, 0);
            const ParsedQuery parsed = TextAuslesen(query);
            QString shown = query + u'|';
            for (const QStringList& group : parsed.List3)
                shown += u'[' + group.join(u',') + u']';
            for (const QString& notTerm : parsed.List3Nicht)
                shown += u'-' + notTerm;
            QCOMPARE(shown + u'{' + parsed.List3Dateiname.join(u',') + u'}', row);
            QCOMPARE(parsed.GruppenIndex(), parsed.List3.size() - 1);
        }
        QCOMPARE(withBlankBeforeLeadingNot("-Entwurf"), QStringLiteral(" -Entwurf"));
        for (const QString unchanged : {" -Entwurf", "Angebot-Entwurf", ""})
            QCOMPARE(withBlankBeforeLeadingNot(unchanged), unchanged);
    }

    // The shared rule of names and contents. A row: what is known of the NOT terms, then of each
    // OR group's terms, each group ended by ';' ('+' present, '-' absent, '?' not known yet, as
    // while a text is read); then the decision, and how many NOT terms and groups were asked.
    void rule() {
        for (const QString row :
             {"|++;|yes|0|1", "|+-;|no|0|1", "|-+;++;|yes|0|2", "|+;-;+;|yes|0|1",
              "|+-;-+;-;|no|0|3", "|;|yes|0|1", "||no|0|0", "--|+;|yes|2|1", "-+-|+;|no|2|0",
              "+|;|no|1|0", "?|+;|undecided|1|1", "?+|+;|no|2|0", "|+?;|undecided|0|1",
              "|?-;|no|0|1", "|?;+;|yes|0|2", "|-;?;-;|undecided|0|3", "?|?;+;|undecided|1|1",
              "?|-;+-;|no|1|2", "?||no|1|0"}) {
            const QString notTerms = row.section(u'|', 0, 0);
            QStringList groups = row.section(u'|', 1, 1).split(u';');
            groups.removeLast();
            // '-', '+', '?' in the order of Presence's values
            const auto presence = [](QChar c) {
                return Presence(QStringLiteral("-+?").indexOf(c));
            };
            int notAsked = 0, groupsAsked = 0;
            const Decision decided = decideQuery(
                notTerms.size(), [&](qsizetype i) { return ++notAsked, presence(notTerms[i]); },
                groups.size(),
                [&](qsizetype g) {
                    ++groupsAsked;
                    return allPresent(groups[g].size(),
                                      [&](qsizetype t) { return presence(groups[g][t]); });
                });
            const char* names[] = {"no", "yes", "undecided"};
            QCOMPARE(row.section(u'|', 0, 1) + u'|' + names[int(decided)] +
                         QStringLiteral("|%1|%2").arg(notAsked).arg(groupsAsked),
                     row);
        }
    }

    // A query, the names that match it, those that do not.
    void nameTest() {
        for (const QString row :
             {"Angebot+PC#Angebot+Computer-gebraucht|PC-Angebote.doc,Angebot-PC.doc,"
              "Computerangebot.txt|Angebot PC gebraucht.doc,Angebot Drucker.doc",
              "Versicherung+Brief+KFZ|Brief an KFZ-Versicherung.doc|", "A+b|xaYBz|",
              "müller|Angebot MÜLLER.doc|",
              // "?" in a leading text is a wildcard for one character, literal in a later term.
              "a?c|abc|", "Rech?2003||Rech2003.doc", "x+a?c|x wa?c.txt|x abc",
              "Rech*2003+Mai||2003 Rech Mai", "**+neu||alt.txt", "a--b||a.txt", "a#|zzz.txt|",
              "-alt|neu.doc|Halter.doc", "a+b#c|c.txt|", "a#b-c||a c.txt", "|x|"}) {
            const NameQuery query(TextAuslesen(row.section(u'|', 0, 0)), NameMatch::Contains);
            checkSplit(row, [&](const QString& name) { return query.matches(name); });
        }
    }

    // The refinement of a folder's names: each one told to `testing`, a stop asked every 256.
    void namesThatMatch() {
        QStringList names(300, "b");
        names[0] = "a1";
        names[299] = "a2";
        int asked = 0, tested = 0;
        const NameQuery query(TextAuslesen(u"a"), NameMatch::Contains);
        const auto found = findolin::namesThatMatch(
            names, query, [&] { return ++asked > 0; }, [&](const QString&) { ++tested; });
        QCOMPARE(found, (QStringList{"a1", "a2"}));
        QCOMPARE(QList<int>({asked, tested}), QList<int>({2, 300}));
        QCOMPARE(findolin::namesThatMatch(names, query, [] { return false; }), std::nullopt);
    }

    // A query, its search patterns for "contains" and "starts with", its live pattern.
    void patterns() {
        for (const QString row :
             {"Angebot+PC#Angebot+Computer-gebraucht|*Angebot*.*;*Angebot*|Angebot*.*;Angebot*|"
              "Angebot*PC*.*;Angebot*Computer*",
              "Versicherung+Brief+KFZ|*Versicherung*|Versicherung*|Versicherung*Brief*KFZ*",
              "Rech*2003+Mai|*Rech*2003*|Rech*2003*|Rech*2003*Mai*",
              "Angebot.doc#Brief.doc|*Angebot.doc;*Brief.doc*|Angebot.doc;Brief.doc*|"
              "Angebot.doc;Brief.doc*",
              "|**|*|*", "ab#c|*ab*.*;*c*|ab*.*;c*|ab*.*;c*", "-alt|**|*|*",
              "a-b#c|*a*.*;*c*|a*.*;c*|a*.*;c*", "a-b+c|*a*|a*|a*c*"}) {
            const QString query = row.section(u'|', 0, 0);
            QCOMPARE(QStringList({query, searchPattern(query, NameMatch::Contains),
                                  searchPattern(query, NameMatch::StartsWith), livePattern(query)})
                         .join(u'|'),
                     row);
        }
        QCOMPARE(groupPattern(u"Angebot", NameMatch::Contains), QStringLiteral("*Angebot*"));
        QCOMPARE(groupPattern(u"Angebot", NameMatch::StartsWith), QStringLiteral("Angebot*"));
        QCOMPARE(groupPattern(u"", NameMatch::StartsWith), QStringLiteral("*"));
    }

    // A pattern, the names that match it, those that do not.
    void wildcard() {
        for (const QString row :
             {"*|anything.txt|", "*.*|README|",
              "Angebot*PC*.*|Angebot-PC,Angebot PC.doc|Angebot.doc", "*angebot*|Mein ANGEBOT.DOC|",
              "*müller*|Brief MÜLLER.doc|", "Angebot*||PC-Angebot.doc", "a?c.txt|abc.txt|ac.txt",
              "a?c|a😀c|", "*Angebot.doc;*Brief.doc*|Brief.doc.bak|Angebot.docx",
              "a01*.*;*.1226*|Mueller.1226,a01Kaiser.053|Mueller.1126",
              "*a*b*c|xxaxxbxxbxxc|xxaxxbxxbxx", "asd.000|asd.000|xasd.000", "x;||y",
              "a*.*;*|zzz|"}) {
            const WildcardPattern pattern(row.section(u'|', 0, 0));
            checkSplit(row, [&](const QString& name) { return pattern.matches(name); });
            checkSplit(row, [&](const QString& name) {
                return pattern.matchesFolded(name.toCaseFolded());
            });
        }
        for (const QString row : {"*|1", "a*;*.*|1", "**x|0"})
            QCOMPARE(WildcardPattern(row.chopped(2)).matchesEverything(), row.endsWith(u'1'));
    }

    void dateKeysAndOrder() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QStringList names{"a.053", "b.129", "c.042"};
        QCOMPARE(reordered(names, orderByDate(names)), (QStringList{"b.129", "c.042", "a.053"}));
        // Equal keys: by the whole line, case ignored; a short name keeps its whole text.
        const QStringList same{"Zander.053", "abel.053", "x", "B.053"};
        QCOMPARE(reordered(same, orderByDate(same)),
                 (QStringList{"x", "abel.053", "B.053", "Zander.053"}));
        QCOMPARE(reordered(same, orderPlain(same)),
                 (QStringList{"abel.053", "B.053", "x", "Zander.053"}));
        QCOMPARE(reordered(QStringList{}, {}), QStringList{});
        // A name, its key. "a01Kaiser.053" is May 2003; a name holding "doc", "asc" or "txt" has
        // its date before the last four characters; years ending in 0 to 3 ("a" to "d") sort after
        // those ending in 4 to 9; a name too short is keyed by its padded start.
        for (const QString row :
             {"a01Kaiser.053|d05", "Mueller.129|912", "Schulz.042|c04", "Rechnung 053.doc|d05",
              "Doctor Kaiser 1183.xls|d18", "RECHNUNG 047.TXT|704", "ascii 105.bak|510",
              "x.120|a12", "x.061|b06", "ab| ab", "a.doc|da."})
            QCOMPARE(row.section(u'|', 0, 0) + u'|' + dateKey(row.section(u'|', 0, 0)), row);
    }
};

QTEST_GUILESS_MAIN(TestQuery)
#include "test_query.moc"
