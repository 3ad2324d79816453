#include "fake_office.h"
#include "preview/document_converter.h"
#include "preview/word_processor.h"

#include <QSignalSpy>
#include <QtTest>
#include <csignal>

using namespace findolin;

namespace {

const QString kConverts = QStringLiteral("convert \"$@\"");
// Converts once a file "go" appears in the test folder.
const QString kWaitsForGo =
    QStringLiteral("while [ ! -e \"${0%/bin/*}/go\" ]; do sleep 0.02; done; convert \"$@\"");
// Hangs, with a child standing in for soffice.bin; both log their ids, each file written whole
// before it appears.
const QString kHangs = QStringLiteral(
    "d=${0%/bin/*}; echo $$ > $d/p; mv $d/p $d/script.pid; sleep 30 & echo $! > $d/p; "
    "mv $d/p $d/child.pid; wait");

// Whether the process whose id the file holds still runs (a zombie has ended).
bool runs(const QString& pidFile) {
    const QByteArray stat =
        contentOf(QStringLiteral("/proc/%1/stat").arg(contentOf(pidFile).trimmed().toInt()));
    const qsizetype state = stat.lastIndexOf(')') + 2;
    return state > 1 && state < stat.size() && stat[state] != 'Z' && stat[state] != 'X';
}

// The running processes with the office profile under `cache` in their arguments (the bridge,
// the office's starter and the office), each id with its program.
QMap<QByteArray, QByteArray> officeProcesses(const QString& cache) {
    const QByteArray profile = QUrl::fromLocalFile(cache + "/office-profile").toEncoded();
    QMap<QByteArray, QByteArray> result;
    for (const QString& pid : QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs)) {
        const QByteArray arguments = contentOf("/proc/" + pid + "/cmdline");
        if (arguments.contains(profile))
            result.insert(pid.toLatin1(), arguments.left(arguments.indexOf('\0')));
    }
    return result;
}

// A converter with the real office and its bridge, or none where they are missing.
std::unique_ptr<DocumentConverter> realConverter(const QString& cache) {
    const QString soffice = findSoffice();
    const QString python = bridgePython(soffice);
    if (python.isEmpty() || QProcess::execute(python, {"-c", "import uno"}) != 0)
        return nullptr;
    return std::make_unique<DocumentConverter>(cache, soffice, python);
}

// Office start-up on a busy machine takes seconds; this bounds the wait, not the work.
constexpr int kOfficeWaitMs = 60000;

QString pdfOf(const QSignalSpy& spy, int i) {
    return spy.at(i).at(1).toString();
}

} // namespace

class TestOfficeSuite : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void convertsIntoTheCache_data();
    void convertsIntoTheCache();
    void failuresAreReportedAndTriedAgain_data();
    void failuresAreReportedAndTriedAgain();
    void convertsOnlyTheNewestRequest_data();
    void convertsOnlyTheNewestRequest();
    void hungConversionsAreKilled();
    void oneOfficeServesEveryConversion();
    void printsAndOpensThroughTheOffice();
    void findsTheOfficeOnThePath();
};

// Without a working bridge each document gets a soffice of its own, again after it changed. Names
// are asked for relative to the working folder: soffice must get the whole path, else a name
// starting with '-' would be taken for an option.
void TestOfficeSuite::convertsIntoTheCache_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("python");
    QTest::newRow("no bridge") << "Brief.docx" << QString();
    QTest::newRow("blank and umlaut") << "Ordner mit Lücke/Bericht über Öl.docx" << QString();
    QTest::newRow("several dots") << "v1.2 Entwurf.final.odt" << QString();
    QTest::newRow("no extension") << "LIESMICH" << QString();
    QTest::newRow("leading dash, no python") << "-p.rtf"
                                             << "no/python3";
    QTest::newRow("no uno") << "Brief.docx" << QStandardPaths::findExecutable("false");
}

void TestOfficeSuite::convertsIntoTheCache() {
    QFETCH(QString, name);
    QFETCH(QString, python);
    TestDir dir;
    const QString cache = dir.path("Zwischen speicher ä");
    const QString document = dir.file(name, "text");
    const FakeOffice office(dir, kConverts);
    DocumentConverter converter(cache, office.program(),
                                python.isEmpty() ? python : QDir(dir.path()).filePath(python));
    QSignalSpy spy(&converter, &DocumentConverter::converted);
    const auto working = qScopeGuard([path = QDir::currentPath()] { QDir::setCurrent(path); });
    QDir::setCurrent(dir.path());

    QVERIFY(converter.available());
    QCOMPARE(converter.pdfFor(name), std::nullopt);
    QCOMPARE(spy.count(), 0); // reported from the event loop, not from within pdfFor
    QVERIFY(spy.wait());
    QCOMPARE(spy.at(0).at(0).toString(), name);
    QCOMPARE(QFileInfo(pdfOf(spy, 0)).path(), cache);
    QVERIFY(contentOf(pdfOf(spy, 0)).startsWith("%PDF"));
    QCOMPARE(converter.pdfFor(name), pdfOf(spy, 0));

    const QStringList arguments = office.calls().value(0);
    QCOMPARE(arguments.mid(0, 2), QStringList({"--headless", "--norestore"}));
    const QString profile = arguments.at(2).section(u'=', 1);
    QVERIFY(arguments.at(2).startsWith("-env:UserInstallation=file://"));
    QVERIFY(!profile.contains(u' '));
    QCOMPARE(QFileInfo(QUrl(profile, QUrl::StrictMode).toLocalFile()).path(), cache);
    QCOMPARE(arguments.mid(3, 3), QStringList({"--convert-to", "pdf", "--outdir"}));
    QCOMPARE(arguments.last(), document);
    QVERIFY(!QFileInfo::exists(arguments.at(6))); // the output folder is cleared away

    // Converted again after a change of its time, then of its size alone.
    for (const QByteArray& content : {QByteArray("text"), QByteArray("longer")}) {
        QFile file(dir.file(name, content));
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(QDateTime(QDate(2024, 5, 1), QTime(12, 0)),
                                 QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(converter.pdfFor(name), std::nullopt);
        QVERIFY(spy.wait());
    }
    QCOMPARE(QSet<QString>({pdfOf(spy, 0), pdfOf(spy, 1), pdfOf(spy, 2)}).size(), 3);
    QVERIFY(!pdfOf(spy, 1).isEmpty() && !pdfOf(spy, 2).isEmpty());
    QCOMPARE(office.calls().size(), 3);
}

void TestOfficeSuite::failuresAreReportedAndTriedAgain_data() {
    QTest::addColumn<QString>("behaviour"); // empty: no office where the converter looks
    QTest::addColumn<bool>("cacheUsable");
    QTest::newRow("exit 1") << "convert \"$@\"; exit 1" << true;
    QTest::newRow("no pdf") << "exit 0" << true;
    QTest::newRow("empty pdf") << "convert \"$@\"; : > \"$out/${name%.*}.pdf\"" << true;
    QTest::newRow("crash") << "convert \"$@\"; kill -9 $$" << true;
    QTest::newRow("office missing") << QString() << true;
    QTest::newRow("cache below a file") << kConverts << false;
}

void TestOfficeSuite::failuresAreReportedAndTriedAgain() {
    QFETCH(QString, behaviour);
    QFETCH(bool, cacheUsable);
    TestDir dir;
    const QString document = dir.file("Brief.odt", "text");
    const FakeOffice office(dir, behaviour);
    const QString cache = cacheUsable ? dir.path("cache") : dir.file("cache") + "/below";
    DocumentConverter converter(cache,
                                behaviour.isEmpty() ? dir.path("no/soffice") : office.program());
    QSignalSpy spy(&converter, &DocumentConverter::converted);
    for (int attempt = 1; attempt <= 2; ++attempt) { // a failure is tried again
        QCOMPARE(converter.pdfFor(document), std::nullopt);
        QCOMPARE(spy.count(), attempt - 1);
        QVERIFY(spy.wait());
        QCOMPARE(spy.last(), QList<QVariant>({document, QString()}));
    }
    QCOMPARE(QDir(dir.path("cache")).entryList({"*.pdf"}, QDir::Files), QStringList());
    QCOMPARE(office.calls().size(), behaviour.isEmpty() || !cacheUsable ? 0 : 2);
}

// Requests while the first runs; once that is through, one more: which are converted.
void TestOfficeSuite::convertsOnlyTheNewestRequest_data() {
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("converted");
    QTest::newRow("the newest waits, asked twice") << "abcc"
                                                   << "acz";
    // Had b been kept, z would wait for it.
    QTest::newRow("back at the running one") << "aba"
                                             << "az";
}

void TestOfficeSuite::convertsOnlyTheNewestRequest() {
    QFETCH(QString, asked);
    QFETCH(QString, converted);
    TestDir dir;
    const FakeOffice office(dir, kWaitsForGo);
    DocumentConverter converter(dir.path("cache"), office.program());
    QSignalSpy spy(&converter, &DocumentConverter::converted);
    const auto ask = [&](QChar name) { converter.pdfFor(dir.path(name + QString(".doc"))); };
    for (QChar name : asked + 'z')
        dir.file(name + QString(".doc"));
    for (QChar name : asked)
        ask(name);
    dir.file("go");
    QVERIFY(spy.wait());
    ask(u'z');
    QTRY_COMPARE(spy.count(), converted.size());
    for (int i = 0; i < converted.size(); ++i) {
        QCOMPARE(spy.at(i).at(0).toString(), dir.path(converted[i] + QString(".doc")));
        QVERIFY(!pdfOf(spy, i).isEmpty());
    }
    QCOMPARE(office.calls().size(), converted.size());
}

void TestOfficeSuite::hungConversionsAreKilled() {
    TestDir dir;
    const FakeOffice office(dir, kHangs);
    auto converter = std::make_unique<DocumentConverter>(dir.path("cache"), office.program());
    QSignalSpy spy(converter.get(), &DocumentConverter::converted);
    converter->setTimeLimit(std::chrono::milliseconds(300));
    converter->pdfFor(dir.file("a.doc"));
    QTRY_VERIFY(runs(dir.path("child.pid")));
    QVERIFY(spy.wait());
    QCOMPARE(pdfOf(spy, 0), QString());
    QTRY_VERIFY(!runs(dir.path("child.pid")));

    // Ending the converter ends the conversion; a loaded machine may take a moment to do it.
    converter->setTimeLimit(std::chrono::minutes(1));
    converter->pdfFor(dir.file("b.doc"));
    QTRY_VERIFY(runs(dir.path("child.pid")));
    converter.reset();
    QTRY_VERIFY(!runs(dir.path("script.pid")));
    QTRY_VERIFY(!runs(dir.path("child.pid")));
}

// One office for every conversion; one that dies or hangs is replaced, and none outlives the
// converter.
void TestOfficeSuite::oneOfficeServesEveryConversion() {
    TestDir dir;
    const QString cache = dir.path("cache");
    auto converter = realConverter(cache);
    if (!converter)
        QSKIP("needs LibreOffice and python3-uno");
    QSignalSpy spy(converter.get(), &DocumentConverter::converted);
    const auto convert = [&](const QString& name, const QByteArray& content) {
        converter->pdfFor(dir.file(name, content));
        const int before = spy.count();
        return QTest::qWaitFor([&] { return spy.count() > before; }, kOfficeWaitMs) &&
               !pdfOf(spy, before).isEmpty() && contentOf(pdfOf(spy, before)).startsWith("%PDF");
    };
    // A text and a spreadsheet, each exported by its own PDF filter; names the URLs must encode.
    QVERIFY(convert("Brief an Jürgen.rtf", "{\\rtf1 Brief}"));
    const auto office = officeProcesses(cache);
    QVERIFY(office.size() >= 2); // the bridge and its office
    QVERIFY(convert("Liste #1.csv", "a;b\n1;2\n"));
    QCOMPARE(officeProcesses(cache), office);

    // A dead office is found out only by the next request, which a new office then serves; a
    // dead bridge takes its office with it.
    for (const char* killed : {"soffice.bin", "python"}) {
        const auto running = officeProcesses(cache);
        for (const QByteArray& pid : running.keys())
            if (running[pid].contains(killed))
                ::kill(pid.toInt(), SIGKILL);
        QVERIFY2(convert(QString(killed) + ".txt", "eins"), killed);
    }
    QVERIFY(officeProcesses(cache) != office);

    // Out of time: reported failed, and the office ends.
    converter->setTimeLimit(std::chrono::milliseconds(1));
    QVERIFY(!convert("a.txt", "zwei"));
    QCOMPARE(pdfOf(spy, spy.count() - 1), QString());
    QTRY_VERIFY(officeProcesses(cache).isEmpty());
    converter->setTimeLimit(std::chrono::minutes(1));
    QVERIFY(convert("b.txt", "drei"));
    converter.reset();
    QTRY_VERIFY(officeProcesses(cache).isEmpty());
}

void TestOfficeSuite::printsAndOpensThroughTheOffice() {
    TestDir dir;
    const QString document = dir.file("-zu drucken ä.odt", "text");
    const FakeOffice office(dir, 0);
    LibreOfficeWriter writer(office.program());
    const auto working = qScopeGuard([path = QDir::currentPath()] { QDir::setCurrent(path); });
    QDir::setCurrent(dir.path());
    QVERIFY(writer.print("-zu drucken ä.odt")); // taken for an option unless made absolute
    QCOMPARE(office.calls().size(), 1);
    const QStringList arguments = office.calls().at(0);
    QVERIFY(arguments.contains("--headless"));
    QCOMPARE(arguments.filter(QRegularExpression("^-env:UserInstallation=file:///\\S+$")).size(),
             1);
    QCOMPARE(arguments.mid(arguments.size() - 2), QStringList({"-p", document}));

    QVERIFY(writer.openShown(document));
    QTRY_COMPARE(office.calls().size(), 2);
    QCOMPARE(office.calls().at(1), QStringList{document});
    for (const QString& missing : {dir.path("missing.odt"), QString("../missing.odt")}) {
        QVERIFY(!writer.print(missing));
        QVERIFY(!writer.openShown(missing));
    }
    QCOMPARE(office.calls().size(), 2);
    QVERIFY(!LibreOfficeWriter(dir.path("no/soffice")).print(document));
    QVERIFY(!LibreOfficeWriter(dir.path("no/soffice")).openShown(document));
    const FakeOffice failing(dir, 1); // no printer, say
    QVERIFY(!LibreOfficeWriter(failing.program()).print(document));
}

void TestOfficeSuite::findsTheOfficeOnThePath() {
    TestDir dir;
    const auto restore = qScopeGuard([path = qgetenv("PATH")] { qputenv("PATH", path); });
    qputenv("PATH", QFile::encodeName(dir.folder("bin")));
    QCOMPARE(findSoffice(), QString());
    QVERIFY(!WordHolen());
    DocumentConverter converter(dir.path("cache"), findSoffice());
    QSignalSpy spy(&converter, &DocumentConverter::converted);
    QVERIFY(!converter.available());
    QCOMPARE(converter.pdfFor(dir.file("a.doc")), std::nullopt);
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);
    QVERIFY(!QFileInfo::exists(dir.path("cache")));

    const FakeOffice libreoffice(dir, QStringLiteral("exit 0"), QStringLiteral("libreoffice"));
    QCOMPARE(findSoffice(), libreoffice.program());
    const FakeOffice soffice(dir, 0);
    QCOMPARE(findSoffice(), soffice.program());
    const std::shared_ptr<WordProcessor> word = WordHolen();
    QVERIFY(word && word->print(dir.file("a.odt")));
    QCOMPARE(soffice.calls().size(), 1);
}

QTEST_GUILESS_MAIN(TestOfficeSuite)
#include "test_office_suite.moc"
