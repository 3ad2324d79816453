#include "search/name_match.h"
#include "search/query_parser.h"
#include "search/query_patterns.h"
#include "search/query_rule.h"

#include <QtTest>

using namespace findolin;

namespace {

std::vector<QStringList> groups(std::initializer_list<QStringList> list) {
    return list;
}

// Knowledge written one character a term: '+' present, '-' absent, '?' not known yet.
Presence presenceOf(QChar c) {
    return c == u'+' ? Presence::Present : c == u'-' ? Presence::Absent : Presence::Unknown;
}

QString nameOf(Decision decision) {
    switch (decision) {
    case Decision::Yes:
        return QStringLiteral("yes");
    case Decision::No:
        return QStringLiteral("no");
    case Decision::Undecided:
        return QStringLiteral("undecided");
    }
    return {};
}

} // namespace

class TestQuery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void blankBeforeLeadingNot();
    void rule_data();
    void rule();
    void nameTest_data();
    void nameTest();
    void searchPattern_data();
    void searchPattern();
    void livePattern_data();
    void livePattern();
    void groupPatternFollowsMode();
};

void TestQuery::parse_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<std::vector<QStringList>>("groupTerms");
    QTest::addColumn<QStringList>("notTerms");
    QTest::addColumn<QStringList>("leading");

    QTest::newRow("help example, name")
        << "Angebot+PC#Angebot+Computer-gebraucht"
        << groups({{"Angebot", "PC"}, {"Angebot", "Computer"}}) << QStringList{"gebraucht"}
        << QStringList{"Angebot", "Angebot"};
    QTest::newRow("three AND terms")
        << "Versicherung+Brief+KFZ" << groups({{"Versicherung", "Brief", "KFZ"}}) << QStringList{}
        << QStringList{"Versicherung"};
    QTest::newRow("text AND") << "600+MHz+64+MB" << groups({{"600", "MHz", "64", "MB"}})
                              << QStringList{} << QStringList{"600"};
    QTest::newRow("text OR") << "600MHz#733MHz#800MHz"
                             << groups({{"600MHz"}, {"733MHz"}, {"800MHz"}}) << QStringList{}
                             << QStringList{"600MHz", "733MHz", "800MHz"};
    QTest::newRow("leading NOT with its blank")
        << " -Entwurf" << groups({{" "}}) << QStringList{"Entwurf"} << QStringList{" "};
    QTest::newRow("star ends a term, not the leading text")
        << "Rech*2003+Mai" << groups({{"Rech", "2003", "Mai"}}) << QStringList{}
        << QStringList{"Rech*2003"};
    QTest::newRow("empty query") << "" << groups({{}}) << QStringList{} << QStringList{""};
    QTest::newRow("empty NOT term between")
        << "a--b" << groups({{"a"}}) << QStringList{"", "b"} << QStringList{"a"};
    QTest::newRow("empty NOT term at the end")
        << "abc-" << groups({{"abc"}}) << QStringList{""} << QStringList{"abc"};
    QTest::newRow("leading AND") << "+a" << groups({{"a"}}) << QStringList{} << QStringList{""};
    QTest::newRow("leading star") << "*a" << groups({{"a"}}) << QStringList{} << QStringList{"*a"};
    QTest::newRow("empty OR group")
        << "a#" << groups({{"a"}, {}}) << QStringList{} << QStringList{"a", ""};
    QTest::newRow("only NOT") << "-alt" << groups({{}}) << QStringList{"alt"} << QStringList{""};
    QTest::newRow("NOT in the second group")
        << "a#b-c" << groups({{"a"}, {"b"}}) << QStringList{"c"} << QStringList{"a", "b"};
    QTest::newRow("pasted blank stays in its term")
        << "Brief an" << groups({{"Brief an"}}) << QStringList{} << QStringList{"Brief an"};
    QTest::newRow("NOT term ends at the next operator")
        << "a-b+c#d" << groups({{"a", "c"}, {"d"}}) << QStringList{"b"} << QStringList{"a", "d"};
}

void TestQuery::parse() {
    QFETCH(QString, query);
    QFETCH(std::vector<QStringList>, groupTerms);
    QFETCH(QStringList, notTerms);
    QFETCH(QStringList, leading);

    const ParsedQuery parsed = TextAuslesen(query);
    QCOMPARE(parsed.List3, groupTerms);
    QCOMPARE(parsed.List3Nicht, notTerms);
    QCOMPARE(parsed.List3Dateiname, leading);
    QCOMPARE(parsed.GruppenIndex(), int(groupTerms.size()) - 1);
    QCOMPARE(parsed.List3Dateiname.size(), parsed.List3.size());
}

void TestQuery::blankBeforeLeadingNot() {
    QCOMPARE(withBlankBeforeLeadingNot("-Entwurf"), QStringLiteral(" -Entwurf"));
    QCOMPARE(withBlankBeforeLeadingNot(" -Entwurf"), QStringLiteral(" -Entwurf"));
    QCOMPARE(withBlankBeforeLeadingNot("Angebot-Entwurf"), QStringLiteral("Angebot-Entwurf"));
    QCOMPARE(withBlankBeforeLeadingNot(""), QString());
}

void TestQuery::rule_data() {
    QTest::addColumn<QString>("notTerms");   // one character per NOT term
    QTest::addColumn<QStringList>("groups"); // one string per OR group, a character per term
    QTest::addColumn<QString>("decision");
    QTest::addColumn<int>("notTermsAsked");
    QTest::addColumn<int>("groupsAsked");

    // Everything known, as at the end of a text or for a name.
    QTest::newRow("group all present") << "" << QStringList{"++"} << "yes" << 0 << 1;
    QTest::newRow("a term of the only group absent") << "" << QStringList{"+-"} << "no" << 0 << 1;
    QTest::newRow("second group present") << "" << QStringList{"-+", "++"} << "yes" << 0 << 2;
    QTest::newRow("a present group ends the asking")
        << "" << QStringList{"+", "-", "+"} << "yes" << 0 << 1;
    QTest::newRow("every group has an absent term")
        << "" << QStringList{"+-", "-+", "-"} << "no" << 0 << 3;
    QTest::newRow("group without terms") << "" << QStringList{""} << "yes" << 0 << 1;
    QTest::newRow("no group") << "" << QStringList{} << "no" << 0 << 0;
    QTest::newRow("NOT terms absent") << "--" << QStringList{"+"} << "yes" << 2 << 1;
    QTest::newRow("NOT term present, no group asked")
        << "-+-" << QStringList{"+"} << "no" << 2 << 0;
    QTest::newRow("NOT term excludes a group without terms")
        << "+" << QStringList{""} << "no" << 1 << 0;

    // Some not known yet, as while a text is read: what is not found yet may still turn up.
    QTest::newRow("group found, NOT term may come")
        << "?" << QStringList{"+"} << "undecided" << 1 << 1;
    QTest::newRow("NOT term found") << "?+" << QStringList{"+"} << "no" << 2 << 0;
    QTest::newRow("a term of the group not found")
        << "" << QStringList{"+?"} << "undecided" << 0 << 1;
    QTest::newRow("absent term outweighs an unknown one")
        << "" << QStringList{"?-"} << "no" << 0 << 1;
    QTest::newRow("a later group found") << "" << QStringList{"?", "+"} << "yes" << 0 << 2;
    QTest::newRow("other groups absent")
        << "" << QStringList{"-", "?", "-"} << "undecided" << 0 << 3;
    QTest::newRow("open NOT term and open group end the asking")
        << "?" << QStringList{"?", "+"} << "undecided" << 1 << 1;
    QTest::newRow("no group can pass, whatever the NOT term")
        << "?" << QStringList{"-", "+-"} << "no" << 1 << 2;
    QTest::newRow("no group, NOT term open") << "?" << QStringList{} << "no" << 1 << 0;
}

void TestQuery::rule() {
    QFETCH(QString, notTerms);
    QFETCH(QStringList, groups);
    QFETCH(QString, decision);
    QFETCH(int, notTermsAsked);
    QFETCH(int, groupsAsked);

    int notTermCalls = 0;
    int groupCalls = 0;
    const Decision decided = decideQuery(
        notTerms.size(),
        [&](qsizetype i) {
            ++notTermCalls;
            return presenceOf(notTerms[i]);
        },
        groups.size(),
        [&](qsizetype g) {
            ++groupCalls;
            return allPresent(groups[g].size(),
                              [&](qsizetype t) { return presenceOf(groups[g][t]); });
        });
    QCOMPARE(nameOf(decided), decision);
    QCOMPARE(notTermCalls, notTermsAsked);
    QCOMPARE(groupCalls, groupsAsked);
}

void TestQuery::nameTest_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    const QString help = QStringLiteral("Angebot+PC#Angebot+Computer-gebraucht");
    QTest::newRow("help: PC-Angebote.doc") << help << "PC-Angebote.doc" << true;
    QTest::newRow("help: Angebot-PC.doc") << help << "Angebot-PC.doc" << true;
    QTest::newRow("help: Computerangebot.txt") << help << "Computerangebot.txt" << true;
    QTest::newRow("help: gebraucht excluded") << help << "Angebot PC gebraucht.doc" << false;
    QTest::newRow("help: neither group") << help << "Angebot Drucker.doc" << false;
    QTest::newRow("help 2") << "Versicherung+Brief+KFZ"
                            << "Brief an KFZ-Versicherung.doc" << true;
    QTest::newRow("case ignored") << "A+b"
                                  << "xaYBz" << true;
    QTest::newRow("umlaut case ignored") << "müller"
                                         << "Angebot MÜLLER.doc" << true;
    QTest::newRow("question mark in a leading text is a wildcard") << "a?c"
                                                                   << "abc" << true;
    QTest::newRow("question mark wants one character") << "Rech?2003"
                                                       << "Rech2003.doc" << false;
    QTest::newRow("question mark in a later term is literal") << "x+a?c"
                                                              << "x abc" << false;
    QTest::newRow("question mark found literally") << "x+a?c"
                                                   << "x wa?c.txt" << true;
    QTest::newRow("star keeps the order of a leading text") << "Rech*2003+Mai"
                                                            << "2003 Rech Mai" << false;
    QTest::newRow("wildcards alone leave the terms to test") << "**+neu"
                                                             << "alt.txt" << false;
    QTest::newRow("empty NOT term excludes all") << "a--b"
                                                 << "a.txt" << false;
    QTest::newRow("empty group finds all") << "a#"
                                           << "zzz.txt" << true;
    QTest::newRow("only NOT keeps others") << "-alt"
                                           << "neu.doc" << true;
    QTest::newRow("only NOT drops its own") << "-alt"
                                            << "Halter.doc" << false;
    QTest::newRow("AND binds tighter than OR") << "a+b#c"
                                               << "c.txt" << true;
    QTest::newRow("NOT from another group") << "a#b-c"
                                            << "a c.txt" << false;
    QTest::newRow("only the name, no path") << "Ordner"
                                            << "datei.txt" << false;
    QTest::newRow("empty query") << ""
                                 << "x" << true;
}

void TestQuery::nameTest() {
    QFETCH(QString, query);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(NameQuery(TextAuslesen(query), NameMatch::Contains).matches(name), matches);
}

void TestQuery::searchPattern_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("contains");
    QTest::addColumn<QString>("startsWith");

    QTest::newRow("help example") << "Angebot+PC#Angebot+Computer-gebraucht"
                                  << "*Angebot*.*;*Angebot*"
                                  << "Angebot*.*;Angebot*";
    QTest::newRow("AND terms left out") << "Versicherung+Brief+KFZ"
                                        << "*Versicherung*"
                                        << "Versicherung*";
    QTest::newRow("star stays") << "Rech*2003+Mai"
                                << "*Rech*2003*"
                                << "Rech*2003*";
    QTest::newRow("extension before #") << "Angebot.doc#Brief.doc"
                                        << "*Angebot.doc;*Brief.doc*"
                                        << "Angebot.doc;Brief.doc*";
    QTest::newRow("empty") << ""
                           << "**"
                           << "*";
    QTest::newRow("short text before #") << "ab#c"
                                         << "*ab*.*;*c*"
                                         << "ab*.*;c*";
    QTest::newRow("NOT only") << "-alt"
                              << "**"
                              << "*";
    QTest::newRow("NOT ends at #") << "a-b#c"
                                   << "*a*.*;*c*"
                                   << "a*.*;c*";
}

void TestQuery::searchPattern() {
    QFETCH(QString, query);
    QFETCH(QString, contains);
    QFETCH(QString, startsWith);
    QCOMPARE(findolin::searchPattern(query, NameMatch::Contains), contains);
    QCOMPARE(findolin::searchPattern(query, NameMatch::StartsWith), startsWith);
}

void TestQuery::livePattern_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("pattern");

    QTest::newRow("help example") << "Angebot+PC#Angebot+Computer-gebraucht"
                                  << "Angebot*PC*.*;Angebot*Computer*";
    QTest::newRow("typed with OR") << "Angebot+PC#Brief"
                                   << "Angebot*PC*.*;Brief*";
    QTest::newRow("empty") << ""
                           << "*";
    QTest::newRow("NOT skipped until +") << "a-b+c"
                                         << "a*c*";
    QTest::newRow("NOT only") << "-alt"
                              << "*";
    QTest::newRow("extension before #") << "Angebot.doc#Brief"
                                        << "Angebot.doc;Brief*";
}

void TestQuery::livePattern() {
    QFETCH(QString, query);
    QFETCH(QString, pattern);
    QCOMPARE(findolin::livePattern(query), pattern);
}

void TestQuery::groupPatternFollowsMode() {
    QCOMPARE(groupPattern(u"Angebot", NameMatch::Contains), QStringLiteral("*Angebot*"));
    QCOMPARE(groupPattern(u"Angebot", NameMatch::StartsWith), QStringLiteral("Angebot*"));
    QCOMPARE(groupPattern(u"", NameMatch::StartsWith), QStringLiteral("*"));
}

QTEST_GUILESS_MAIN(TestQuery)
#include "test_query.moc"
