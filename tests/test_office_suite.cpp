#include "fake_office.h"
#include "preview/document_converter.h"
#include "preview/word_processor.h"

#include <QSignalSpy>
#include <QtTest>
#include <csignal>
#include <filesystem>

using namespace findolin;

namespace {

const QString kConverts = QStringLiteral("convert \"$@\"");
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

} // namespace

class TestOfficeSuite : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    // Some tests name files relative to their own folder, which goes when they end.
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }
    void convertsIntoTheCache_data();
    void convertsIntoTheCache();
    void convertsOnlyTheNewestRequest();
    void hungConversionsAreKilled();
    void oneOfficeServesEveryConversion();
    void printsAndOpensThroughTheOffice();
};

// Without a working bridge each document gets a soffice of its own, again after it changed. Names
// are asked for relative to the working folder: soffice must get the whole path, else a name
// starting with '-' would be taken for an option.
void TestOfficeSuite::convertsIntoTheCache_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("python");
    QTest::addColumn<QString>("behaviour"); // empty: no office where the converter looks
    QTest::addColumn<bool>("converts");
    const auto row = [](const char* tag, const QString& name, const QString& python,
                        const QString& behaviour, bool converts) {
        QTest::newRow(tag) << name << python << behaviour << converts;
    };
    row("no bridge", "Brief.docx", {}, kConverts, true);
    row("blank and umlaut", "Ordner mit Lücke/Bericht über Öl.docx", {}, kConverts, true);
    row("several dots", "v1.2 Entwurf.final.odt", {}, kConverts, true);
    row("no extension", "LIESMICH", {}, kConverts, true);
    row("leading dash, no python", "-p.rtf", "no/python3", kConverts, true);
    row("no uno", "Brief.docx", QStandardPaths::findExecutable("false"), kConverts, true);
    row("exit 1", "Brief.docx", {}, "convert \"$@\"; exit 1", false);
    row("no pdf", "Brief.docx", {}, "exit 0", false);
    row("empty pdf", "Brief.docx", {}, "convert \"$@\"; : > \"$out/${name%.*}.pdf\"", false);
    row("crash", "Brief.docx", {}, "convert \"$@\"; kill -9 $$", false);
    row("office missing", "Brief.docx", {}, {}, false);
    // The one failing row whose office converts: its cache would lie below a file.
    row("cache below a file", "Brief.docx", {}, kConverts, false);
}

void TestOfficeSuite::convertsIntoTheCache() {
    QFETCH(QString, name);
    QFETCH(QString, python);
    QFETCH(QString, behaviour);
    QFETCH(bool, converts);
    TestDir dir;
    const QString cache = converts || behaviour != kConverts ? dir.path("Zwischen speicher ä")
                                                             : dir.file("cache") + "/below";
    const QString document = dir.file(name, "text");
    const FakeOffice office(dir, behaviour);
    DocumentConverter converter(cache,
                                behaviour.isEmpty() ? dir.path("no/soffice") : office.program(),
                                python.isEmpty() ? python : QDir(dir.path()).filePath(python));
    QSignalSpy spy(&converter, &DocumentConverter::converted);
    QDir::setCurrent(dir.path());

    QVERIFY(converter.available());
    QCOMPARE(converter.pdfFor(name), std::nullopt);
    QCOMPARE(spy.count(), 0); // reported from the event loop, not from within pdfFor
    QVERIFY(spy.wait());
    if (!converts) { // reported failed, and tried again when asked again
        QCOMPARE(converter.pdfFor(name), std::nullopt);
        QVERIFY(spy.wait());
        QCOMPARE(QList<QList<QVariant>>(spy), QList<QList<QVariant>>(2, {name, QString()}));
        QCOMPARE(QDir(cache).entryList({"*.pdf"}, QDir::Files), QStringList());
        QCOMPARE(office.calls().size(), behaviour.isEmpty() || behaviour == kConverts ? 0 : 2);
        return;
    }
    const QString pdf = spy.at(0).at(1).toString();
    QCOMPARE(QStringList({spy.at(0).at(0).toString(), QFileInfo(pdf).path()}),
             QStringList({name, cache}));
    QVERIFY(contentOf(pdf).startsWith("%PDF"));
    QCOMPARE(converter.pdfFor(name), pdf);
    const QStringList arguments = office.calls().value(0);
    const QString outdir = arguments.value(6);
    QVERIFY(!outdir.isEmpty() && !QFileInfo::exists(outdir)); // the output folder is cleared away
    // The profile, in the cache, as a URL without blanks.
    const QString profile = QUrl::fromLocalFile(cache + "/office-profile").toEncoded();
    QCOMPARE(arguments,
             QStringList({"--headless", "--norestore", "-env:UserInstallation=" + profile,
                          "--convert-to", "pdf", "--outdir", outdir, document}));

    // Converted again after a change of its time, then of its size alone.
    for (const QByteArray& content : {QByteArray("text"), QByteArray("longer")}) {
        std::filesystem::last_write_time(QFile::encodeName(dir.file(name, content)).toStdString(),
                                         std::filesystem::file_time_type());
        QCOMPARE(converter.pdfFor(name), std::nullopt);
        QVERIFY(spy.wait());
    }
    QCOMPARE(QSet<QString>({pdf, spy[1][1].toString(), spy[2][1].toString(), QString()}).size(), 4);
    QCOMPARE(office.calls().size(), 3);
}

// Requests while the first runs; once that is through, one more, z: which are converted, a
// failed conversion marked "!". Had b been kept in the second case, z would wait for it.
void TestOfficeSuite::convertsOnlyTheNewestRequest() {
    for (const auto& [asked, converted] :
         {std::pair<QString, QString>("abcc", "acz"), {"aba", "az"}}) {
        TestDir dir;
        // Converts once a file "go" appears in the test folder.
        const FakeOffice office(dir, "while [ ! -e \"${0%/bin/*}/go\" ]; do sleep 0.02; done; " +
                                         kConverts);
        DocumentConverter converter(dir.path("cache"), office.program());
        QSignalSpy spy(&converter, &DocumentConverter::converted);
        for (QChar name : asked + 'z')
            dir.file(name + QString(".doc"));
        for (QChar name : asked)
            converter.pdfFor(dir.path(name + QString(".doc")));
        dir.file("go");
        QVERIFY(spy.wait());
        converter.pdfFor(dir.path("z.doc"));
        QTRY_COMPARE(spy.count(), converted.size());
        QString got;
        for (const QList<QVariant>& call : spy)
            got += QFileInfo(call[0].toString()).baseName() +
                   (call[1].toString().isEmpty() ? "!" : "");
        QCOMPARE(got, converted);
        QCOMPARE(office.calls().size(), converted.size());
    }
}

void TestOfficeSuite::hungConversionsAreKilled() {
    TestDir dir;
    const FakeOffice office(dir, kHangs);
    auto converter = std::make_unique<DocumentConverter>(dir.path("cache"), office.program());
    QSignalSpy spy(converter.get(), &DocumentConverter::converted);
    converter->setTimeLimit(std::chrono::milliseconds(300));
    converter->pdfFor(dir.file("a.doc"));
    QTRY_VERIFY(runs(dir.path("child.pid")));
    QVERIFY(spy.wait() && spy.at(0).at(1).toString().isEmpty());
    QTRY_VERIFY(!runs(dir.path("child.pid")));

    // Ending the converter ends the conversion; a loaded machine may take a moment to do it.
    converter->setTimeLimit(std::chrono::minutes(1));
    converter->pdfFor(dir.file("b.doc"));
    QTRY_VERIFY(runs(dir.path("child.pid")));
    converter.reset();
    QTRY_VERIFY(!runs(dir.path("script.pid")) && !runs(dir.path("child.pid")));
}

// One office for every conversion; one that dies or hangs is replaced, and none outlives the
// converter.
void TestOfficeSuite::oneOfficeServesEveryConversion() {
    TestDir dir;
    const QString cache = dir.path("cache");
    const QString python = bridgePython(findSoffice());
    if (python.isEmpty() || QProcess::execute(python, {"-c", "import uno"}) != 0)
        QSKIP("needs LibreOffice and python3-uno");
    auto converter = std::make_unique<DocumentConverter>(cache, findSoffice(), python);
    QSignalSpy spy(converter.get(), &DocumentConverter::converted);
    const auto convert = [&](const QString& name, const QByteArray& content) {
        converter->pdfFor(dir.file(name, content));
        const int before = spy.count();
        // Office start-up on a busy machine takes seconds; this bounds the wait, not the work.
        return QTest::qWaitFor([&] { return spy.count() > before; }, 60000) &&
               contentOf(spy.at(before).at(1).toString()).startsWith("%PDF");
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
        for (const auto& [pid, program] : officeProcesses(cache).asKeyValueRange())
            if (program.contains(killed))
                ::kill(pid.toInt(), SIGKILL);
        QVERIFY2(convert(QString(killed) + ".txt", "eins"), killed);
    }
    QVERIFY(officeProcesses(cache) != office);

    // Out of time: reported failed, and the office ends.
    converter->setTimeLimit(std::chrono::milliseconds(1));
    QVERIFY(!convert("a.txt", "zwei"));
    QCOMPARE(spy.last().at(1).toString(), QString());
    QTRY_VERIFY(officeProcesses(cache).isEmpty());
    converter->setTimeLimit(std::chrono::minutes(1));
    QVERIFY(convert("b.txt", "drei"));
    converter.reset();
    QTRY_VERIFY(officeProcesses(cache).isEmpty());
}

// The office is looked for on the PATH, soffice before libreoffice. It prints and opens documents
// given by their whole paths, else a name starting with '-' would be taken for an option.
void TestOfficeSuite::printsAndOpensThroughTheOffice() {
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
    const FakeOffice office(dir, 0);
    QCOMPARE(findSoffice(), office.program());
    const std::shared_ptr<WordProcessor> writer = WordHolen();
    QVERIFY(writer);
    const QString document = dir.file("-zu drucken ä.odt", "text");
    QDir::setCurrent(dir.path());
    QVERIFY(writer->print("-zu drucken ä.odt") && writer->openShown(document));
    QTRY_COMPARE(office.calls().size(), 2);
    // Printing uses a profile of its own, in the cache.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString profile = QUrl::fromLocalFile(cache + "/office-print-profile").toEncoded();
    QCOMPARE(office.calls().value(0),
             QStringList({"--headless", "--norestore", "-env:UserInstallation=" + profile, "-p",
                          document}));
    QCOMPARE(office.calls().value(1), QStringList(document));
    for (const QString& missing : {dir.path("missing.odt"), QString("../missing.odt")})
        QVERIFY(!writer->print(missing) && !writer->openShown(missing));
    QCOMPARE(office.calls().size(), 2);
    LibreOfficeWriter none(dir.path("no/soffice"));
    QVERIFY(!none.print(document) && !none.openShown(document));
    const FakeOffice failing(dir, 1); // no printer, say
    QVERIFY(!LibreOfficeWriter(failing.program()).print(document));
}

QTEST_GUILESS_MAIN(TestOfficeSuite)
#include "test_office_suite.moc"
