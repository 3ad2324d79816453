#include "search/wildcard.h"

#include <QtTest>

using namespace findolin;

class TestWildcard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A pattern, a name, whether the name matches.
    void matches() {
        for (const QString row : {"*|anything.txt|yes",
                                  "*.*|README|yes",
                                  "Angebot*PC*.*|Angebot-PC|yes",
                                  "Angebot*PC*.*|Angebot PC.doc|yes",
                                  "Angebot*PC*.*|Angebot.doc|no",
                                  "*angebot*|Mein ANGEBOT.DOC|yes",
                                  "*müller*|Brief MÜLLER.doc|yes",
                                  "Angebot*|PC-Angebot.doc|no",
                                  "a?c.txt|abc.txt|yes",
                                  "a?c.txt|ac.txt|no",
                                  "a?c|a😀c|yes",
                                  "*Angebot.doc;*Brief.doc*|Brief.doc.bak|yes",
                                  "*Angebot.doc;*Brief.doc*|Angebot.docx|no",
                                  "a01*.*;*.1226*|Mueller.1226|yes",
                                  "a01*.*;*.1226*|a01Kaiser.053|yes",
                                  "a01*.*;*.1226*|Mueller.1126|no",
                                  "*a*b*c|xxaxxbxxbxxc|yes",
                                  "*a*b*c|xxaxxbxxbxx|no",
                                  "asd.000|asd.000|yes",
                                  "asd.000|xasd.000|no",
                                  "x;|y|no",
                                  "a*.*;*|zzz|yes"}) {
            const WildcardPattern pattern(row.section(u'|', 0, 0));
            const QString name = row.section(u'|', 1, 1);
            QCOMPARE(row.section(u'|', 0, 1) + (pattern.matches(name) ? "|yes" : "|no"), row);
            QCOMPARE(pattern.matchesFolded(name.toCaseFolded()), pattern.matches(name));
        }
        QVERIFY(WildcardPattern(u"*").matchesEverything());
        QVERIFY(WildcardPattern(u"a*;*.*").matchesEverything());
        QVERIFY(!WildcardPattern(u"**x").matchesEverything());
    }
};

QTEST_GUILESS_MAIN(TestWildcard)
#include "test_wildcard.moc"
