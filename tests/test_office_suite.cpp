#include "preview/document_converter.h"
#include "preview/word_processor.h"
#include "testdir.h"

#include <QSignalSpy>
#include <QtTest>
#include <csignal>

using namespace findolin;

namespace {

// A stand-in for soffice: logs the arguments of each call as one tab-separated line, then does
// what `behaviour` says. `convert` writes a small PDF for the document into the --outdir folder.
QString fakeSoffice(const TestDir& dir, const QString& behaviour, const QString& name = "soffice") {
    const QString script = QStringLiteral(R"(#!/bin/sh
{ for a in "$@"; do printf '%s\t' "$a"; done; echo; } >> '%1'
convert() {
    for a in "$@"; do
        case "$prev" in --outdir) out=$a ;; esac
        prev=$a doc=$a
    done
    name=$(basename "$doc")
    printf '%%PDF-1.4 fake\n' > "$out/${name%.*}.pdf"
}
%2
)")
                               .arg(dir.path("calls.log"), behaviour);
    const QString path = dir.file("bin/" + name, script.toUtf8());
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path;
}

// The logged calls, each as its list of arguments.
QList<QStringList> calls(const TestDir& dir) {
    QFile log(dir.path("calls.log"));
    QList<QStringList> result;
    if (!log.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (!line.isEmpty())
            result.append(QString::fromUtf8(line.chopped(1)).split(u'\t'));
    }
    return result;
}

// Whether the process whose id the file holds still runs (a zombie has ended).
bool runs(const QString& pidFile) {
    QFile file(pidFile);
    const int pid = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const char state = line.mid(line.lastIndexOf(')') + 2, 1).at(0);
    return state != 'Z' && state != 'X';
}

// The running processes that have the office profile under `cache` in their arguments (a
// zombie has none): the bridge, the office's starter and the office itself; each id with its
// program.
using Processes = QMap<QByteArray, QByteArray>;
Processes officeProcesses(const QString& cache) {
    const QByteArray profile = QUrl::fromLocalFile(cache + "/office-profile").toEncoded();
    Processes result;
    for (const QString& pid : QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs)) {
        QFile file("/proc/" + pid + "/cmdline");
        const QByteArray arguments = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
constexpr int officeWaitMs = 60000;

// Hangs, with a child process standing in for soffice.bin; both log their ids, each file written
// whole before it appears.
const char* hangs = "echo $$ > \"${0%/bin/*}/pid.new\"; mv \"${0%/bin/*}/pid.new\" "
                    "\"${0%/bin/*}/script.pid\"; sleep 30 & echo $! > \"${0%/bin/*}/pid.new\"; "
                    "mv \"${0%/bin/*}/pid.new\" \"${0%/bin/*}/child.pid\"; wait";

// Converts once a file "go" appears next to the log.
const char* waitsForGo = "while [ ! -e \"${0%/bin/*}/go\" ]; do sleep 0.02; done; convert \"$@\"";

// The documents reported converted, in order.
QStringList documents(const QSignalSpy& spy) {
    QStringList result;
    for (const QList<QVariant>& signal : spy)
        result.append(signal.at(0).toString());
    return result;
}

// PATH for the time of one test.
class PathOverride {
public:
    explicit PathOverride(const QString& path) : saved_(qgetenv("PATH")) {
        qputenv("PATH", QFile::encodeName(path));
    }
    ~PathOverride() { qputenv("PATH", saved_); }

private:
    QByteArray saved_;
};

// The working folder for the time of one test.
class WorkingFolder {
public:
    explicit WorkingFolder(const QString& path) : saved_(QDir::currentPath()) {
        QDir::setCurrent(path);
    }
    ~WorkingFolder() { QDir::setCurrent(saved_); }

private:
    QString saved_;
};

} // namespace

class TestOfficeSuite : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Converting into the cache
    void convertsOnceIntoTheCache();
    void convertsAgainAfterAChange();
    void reportsAFailedConversion_data();
    void reportsAFailedConversion();
    void reportsAMissingOfficeAndGoesOn();
    void reportsAnUnusableCache();
    void doesNothingWithoutAnOffice();
    void handlesOddNames_data();
    void handlesOddNames();

    // One conversion at a time
    void convertsOnlyTheNewestRequest();
    void askingForTheRunningOneDropsTheWaitingOne();
    void killsAHungConversion();
    void destructionEndsTheConversion();

    // One office for all conversions
    void fallsBackWithoutTheBridge_data();
    void fallsBackWithoutTheBridge();
    void oneOfficeServesEveryConversion();
    void anOfficeThatDiesOrHangsIsReplaced_data();
    void anOfficeThatDiesOrHangsIsReplaced();

    // The word processor
    void printsHeadless();
    void printFails();
    void opensTheDocument();
    void findsTheOfficeOnThePath();
};

void TestOfficeSuite::convertsOnceIntoTheCache() {
    TestDir dir;
    const QString document = dir.file("Brief.docx", "text");
    DocumentConverter converter(dir.path("cache"), fakeSoffice(dir, "convert \"$@\""));
    QSignalSpy spy(&converter, &DocumentConverter::converted);

    QVERIFY(converter.available());
    QCOMPARE(converter.pdfFor(document), std::nullopt);
    QCOMPARE(spy.count(), 0); // reported from the event loop, not from within pdfFor
    QVERIFY(spy.wait());
    const QString pdf = spy.at(0).at(1).toString();
    QCOMPARE(spy.at(0).at(0).toString(), document);
    QCOMPARE(QFileInfo(pdf).path(), dir.path("cache"));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("%PDF"));

    QCOMPARE(converter.pdfFor(document), pdf);
    QCOMPARE(calls(dir).size(), 1);
    const QStringList arguments = calls(dir).at(0);
    QCOMPARE(arguments.mid(0, 2), QStringList({"--headless", "--norestore"}));
    QVERIFY(arguments.at(2).startsWith("-env:UserInstallation=file://"));
    QCOMPARE(arguments.mid(3, 3), QStringList({"--convert-to", "pdf", "--outdir"}));
    QCOMPARE(arguments.last(), document);
    QVERIFY(!QFileInfo::exists(arguments.at(6))); // the output folder is cleared away
}

void TestOfficeSuite::convertsAgainAfterAChange() {
    TestDir dir;
    const QString document = dir.file("Liste.xlsx", "1");
    const auto touch = [&](int minutes) {
        QFile file(document);
        return file.open(QIODevice::ReadWrite) &&
               file.setFileTime(QDateTime(QDate(2024, 5, 1), QTime(12, minutes)),
                                QFileDevice::FileModificationTime);
    };
    DocumentConverter converter(dir.path("cache"), fakeSoffice(dir, "convert \"$@\""));
    QSignalSpy spy(&converter, &DocumentConverter::converted);
    QVERIFY(touch(0));
    converter.pdfFor(document);
    QVERIFY(spy.wait());

    QVERIFY(touch(1));
    QCOMPARE(converter.pdfFor(document), std::nullopt); // same size, other time
    QVERIFY(spy.wait());
    dir.file("Liste.xlsx", "12");
    QVERIFY(touch(1));
    QCOMPARE(converter.pdfFor(document), std::nullopt); // same time, other size
    QVERIFY(spy.wait());

    QCOMPARE(calls(dir).size(), 3);
    QCOMPARE(QSet<QString>({spy.at(0).at(1).toString(), spy.at(1).at(1).toString(),
                            spy.at(2).at(1).toString()})
                 .size(),
             3);
    QCOMPARE(converter.pdfFor(document), spy.at(2).at(1).toString());
}

void TestOfficeSuite::reportsAFailedConversion_data() {
    QTest::addColumn<QString>("behaviour");
    QTest::newRow("exit 1") << "convert \"$@\"; exit 1";
    QTest::newRow("no pdf") << "exit 0";
    QTest::newRow("empty pdf") << "convert \"$@\"; : > \"$out/${name%.*}.pdf\"";
    QTest::newRow("crash") << "convert \"$@\"; kill -9 $$";
}

void TestOfficeSuite::reportsAFailedConversion() {
    QFETCH(QString, behaviour);
    TestDir dir;
    const QString document = dir.file("Brief.odt", "text");
    DocumentConverter converter(dir.path("cache"), fakeSoffice(dir, behaviour));
    QSignalSpy spy(&converter, &DocumentConverter::converted);

    converter.pdfFor(document);
    QVERIFY(spy.wait());
    QCOMPARE(spy.at(0).at(0).toString(), document);
    QCOMPARE(spy.at(0).at(1).toString(), QString());
    QCOMPARE(QDir(dir.path("cache")).entryList({"*.pdf"}, QDir::Files), QStringList());
    QCOMPARE(converter.pdfFor(document), std::nullopt); // a failure is tried again
    QVERIFY(spy.wait());
    QCOMPARE(calls(dir).size(), 2);
}

void TestOfficeSuite::reportsAMissingOfficeAndGoesOn() {
    TestDir dir;
    DocumentConverter converter(dir.path("cache"), dir.path("no/soffice"));
    QSignalSpy spy(&converter, &DocumentConverter::converted);
    converter.pdfFor(dir.file("a.doc"));
    converter.pdfFor(dir.file("b.doc"));
    QCOMPARE(spy.count(), 0);
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0), QList<QVariant>({dir.path("a.doc"), QString()}));
    QCOMPARE(spy.at(1), QList<QVariant>({dir.path("b.doc"), QString()}));
}

void TestOfficeSuite::reportsAnUnusableCache() {
    TestDir dir;
    DocumentConverter converter(dir.file("cache") + "/below a file",
                                fakeSoffice(dir, "convert \"$@\""));
    QSignalSpy spy(&converter, &DocumentConverter::converted);
    QCOMPARE(converter.pdfFor(dir.file("a.doc")), std::nullopt);
    QCOMPARE(spy.count(), 0);
    QVERIFY(spy.wait());
    QCOMPARE(spy.at(0), QList<QVariant>({dir.path("a.doc"), QString()}));
    QCOMPARE(calls(dir).size(), 0);
}

void TestOfficeSuite::doesNothingWithoutAnOffice() {
    TestDir dir;
    DocumentConverter converter(dir.path("cache"), QString());
    QSignalSpy spy(&converter, &DocumentConverter::converted);
    QVERIFY(!converter.available());
    QCOMPARE(converter.pdfFor(dir.file("a.doc")), std::nullopt);
    QCoreApplication::processEvents();
    QCOMPARE(spy.count(), 0);
    QVERIFY(!QFileInfo::exists(dir.path("cache")));
}

void TestOfficeSuite::handlesOddNames_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("blank and umlaut") << "Ordner mit Lücke/Bericht über Öl.docx";
    QTest::newRow("several dots") << "v1.2 Entwurf.final.odt";
    QTest::newRow("no extension") << "LIESMICH";
    QTest::newRow("leading dash") << "-p.rtf";
}

void TestOfficeSuite::handlesOddNames() {
    QFETCH(QString, name);
    TestDir dir;
    const QString cache = dir.path("Zwischen speicher ä");
    const QString document = dir.file(name, "text");
    DocumentConverter converter(cache, fakeSoffice(dir, "convert \"$@\""));
    QSignalSpy spy(&converter, &DocumentConverter::converted);

    // Asked for relative to the working folder: soffice must get the whole path, else a name
    // starting with '-' would be taken for an option.
    WorkingFolder working(dir.path());
    converter.pdfFor(name);
    QVERIFY(spy.wait());
    QCOMPARE(spy.at(0).at(0).toString(), name);
    QVERIFY(!spy.at(0).at(1).toString().isEmpty());
    QCOMPARE(calls(dir).at(0).last(), document);
    const QString profile = calls(dir).at(0).at(2).section(u'=', 1);
    QVERIFY(!profile.contains(u' '));
    QCOMPARE(QFileInfo(QUrl(profile, QUrl::StrictMode).toLocalFile()).path(), cache);
}

void TestOfficeSuite::convertsOnlyTheNewestRequest() {
    TestDir dir;
    DocumentConverter converter(dir.path("cache"), fakeSoffice(dir, waitsForGo));
    QSignalSpy spy(&converter, &DocumentConverter::converted);

    converter.pdfFor(dir.file("a.doc"));
    QTRY_COMPARE(calls(dir).size(), 1);
    converter.pdfFor(dir.file("b.doc"));
    converter.pdfFor(dir.file("c.doc"));
    converter.pdfFor(dir.path("c.doc")); // asked twice, converted once
    dir.file("go");
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(documents(spy), QStringList({dir.path("a.doc"), dir.path("c.doc")}));
    QVERIFY(!spy.at(1).at(1).toString().isEmpty());
    QCOMPARE(calls(dir).size(), 2);
    QCOMPARE(calls(dir).at(1).last(), dir.path("c.doc"));
    QVERIFY(converter.pdfFor(dir.path("a.doc")).has_value());
}

void TestOfficeSuite::askingForTheRunningOneDropsTheWaitingOne() {
    TestDir dir;
    DocumentConverter converter(dir.path("cache"), fakeSoffice(dir, waitsForGo));
    QSignalSpy spy(&converter, &DocumentConverter::converted);

    converter.pdfFor(dir.file("a.doc"));
    converter.pdfFor(dir.file("b.doc"));
    converter.pdfFor(dir.path("a.doc"));
    dir.file("go");
    QVERIFY(spy.wait());
    // Had b been kept, d would wait for it.
    converter.pdfFor(dir.file("d.doc"));
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(documents(spy), QStringList({dir.path("a.doc"), dir.path("d.doc")}));
    QCOMPARE(calls(dir).size(), 2);
}

void TestOfficeSuite::killsAHungConversion() {
    TestDir dir;
    DocumentConverter converter(dir.path("cache"), fakeSoffice(dir, hangs));
    converter.setTimeLimit(std::chrono::milliseconds(300));
    QSignalSpy spy(&converter, &DocumentConverter::converted);

    converter.pdfFor(dir.file("a.doc"));
    QTRY_VERIFY(runs(dir.path("child.pid")));
    QVERIFY(spy.wait());
    QCOMPARE(spy.at(0).at(1).toString(), QString());
    QTRY_VERIFY(!runs(dir.path("child.pid")));
}

void TestOfficeSuite::destructionEndsTheConversion() {
    TestDir dir;
    auto converter =
        std::make_unique<DocumentConverter>(dir.path("cache"), fakeSoffice(dir, hangs));
    converter->pdfFor(dir.file("a.doc"));
    QTRY_VERIFY(runs(dir.path("child.pid")));
    converter.reset();
    // Killed by then; a loaded machine may take a moment to carry the kill out.
    QTRY_VERIFY(!runs(dir.path("script.pid")));
    QTRY_VERIFY(!runs(dir.path("child.pid")));
}

void TestOfficeSuite::fallsBackWithoutTheBridge_data() {
    QTest::addColumn<QString>("python");
    QTest::newRow("no python") << "no/python3";
    // Ends at once, as a Python without uno does.
    QTest::newRow("no uno") << QStandardPaths::findExecutable("false");
}

void TestOfficeSuite::fallsBackWithoutTheBridge() {
    QFETCH(QString, python);
    TestDir dir;
    DocumentConverter converter(dir.path("cache"), fakeSoffice(dir, "convert \"$@\""),
                                QDir(dir.path()).filePath(python));
    QSignalSpy spy(&converter, &DocumentConverter::converted);
    converter.pdfFor(dir.file("a.doc"));
    QVERIFY(spy.wait());
    converter.pdfFor(dir.file("b.doc"));
    QVERIFY(spy.wait());
    QVERIFY(!spy.at(0).at(1).toString().isEmpty());
    QVERIFY(!spy.at(1).at(1).toString().isEmpty());
    QCOMPARE(calls(dir).size(), 2);
    QCOMPARE(calls(dir).at(1).last(), dir.path("b.doc"));
}

void TestOfficeSuite::oneOfficeServesEveryConversion() {
    TestDir dir;
    const QString cache = dir.path("cache");
    auto converter = realConverter(cache);
    if (!converter)
        QSKIP("needs LibreOffice and python3-uno");
    QSignalSpy spy(converter.get(), &DocumentConverter::converted);

    // A text and a spreadsheet, each exported by its own PDF filter; names the URLs must encode.
    converter->pdfFor(dir.file("Brief an Jürgen.rtf", "{\\rtf1 Brief}"));
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, officeWaitMs);
    const Processes office = officeProcesses(cache);
    converter->pdfFor(dir.file("Liste #1.csv", "a;b\n1;2\n"));
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, officeWaitMs);
    for (const QList<QVariant>& signal : spy)
        QVERIFY2(contentOf(signal.at(1).toString()).startsWith("%PDF"),
                 qPrintable(signal.at(0).toString()));
    QVERIFY(office.size() >= 2); // the bridge and its office
    QCOMPARE(officeProcesses(cache), office);

    converter.reset();
    QTRY_VERIFY(officeProcesses(cache).isEmpty());
}

void TestOfficeSuite::anOfficeThatDiesOrHangsIsReplaced_data() {
    QTest::addColumn<QByteArray>("killed");
    QTest::newRow("bridge killed") << QByteArray("python");
    // Found out only by the next request, which a new office then serves.
    QTest::newRow("office killed") << QByteArray("soffice.bin");
    QTest::newRow("out of time") << QByteArray();
}

void TestOfficeSuite::anOfficeThatDiesOrHangsIsReplaced() {
    QFETCH(QByteArray, killed);
    TestDir dir;
    const QString cache = dir.path("cache");
    const auto converter = realConverter(cache);
    if (!converter)
        QSKIP("needs LibreOffice and python3-uno");
    QSignalSpy spy(converter.get(), &DocumentConverter::converted);

    if (killed.isEmpty()) {
        // Cut short while the office starts: reported failed, and its processes end.
        converter->setTimeLimit(std::chrono::milliseconds(1));
        converter->pdfFor(dir.file("a.txt", "eins"));
        QVERIFY(spy.wait());
        QCOMPARE(spy.at(0).at(1).toString(), QString());
        converter->setTimeLimit(std::chrono::minutes(1));
        QTRY_VERIFY(officeProcesses(cache).isEmpty());
    } else {
        converter->pdfFor(dir.file("a.txt", "eins"));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, officeWaitMs);
        QVERIFY(!spy.at(0).at(1).toString().isEmpty());
        const Processes office = officeProcesses(cache);
        for (const QByteArray& pid : office.keys()) {
            if (office[pid].contains(killed))
                ::kill(pid.toInt(), SIGKILL);
        }
        if (killed == "python") // its office goes with it
            QTRY_VERIFY(officeProcesses(cache).isEmpty());
    }
    converter->pdfFor(dir.file("b.txt", "zwei"));
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, officeWaitMs);
    QVERIFY(contentOf(spy.at(1).at(1).toString()).startsWith("%PDF"));
}

void TestOfficeSuite::printsHeadless() {
    TestDir dir;
    const QString document = dir.file("-zu drucken ä.odt", "text");
    LibreOfficeWriter writer(fakeSoffice(dir, "exit 0"));
    WorkingFolder working(dir.path());
    QVERIFY(writer.print("-zu drucken ä.odt"));
    QCOMPARE(calls(dir).size(), 1);
    const QStringList arguments = calls(dir).at(0);
    QVERIFY(arguments.contains("--headless"));
    QVERIFY(arguments.filter(QRegularExpression("^-env:UserInstallation=file:///\\S+$")).size() ==
            1);
    QCOMPARE(arguments.mid(arguments.size() - 2), QStringList({"-p", document}));
}

void TestOfficeSuite::printFails() {
    TestDir dir;
    LibreOfficeWriter writer(fakeSoffice(dir, "exit 1"));
    QVERIFY(!writer.print(dir.file("a.odt")));
    QCOMPARE(calls(dir).size(), 1);
    QVERIFY(!writer.print(dir.path("missing.odt")));
    QCOMPARE(calls(dir).size(), 1);
    QVERIFY(!LibreOfficeWriter(dir.path("no/soffice")).print(dir.path("a.odt")));
}

void TestOfficeSuite::opensTheDocument() {
    TestDir dir;
    const QString document = dir.file("Brief an Jürgen.docx", "text");
    LibreOfficeWriter writer(fakeSoffice(dir, "exit 0"));
    QVERIFY(writer.openShown(document));
    QTRY_COMPARE(calls(dir), QList<QStringList>({{document}}));
    QVERIFY(!writer.openShown(dir.path("missing.docx")));
    QVERIFY(!LibreOfficeWriter(dir.path("no/soffice")).openShown(document));
}

void TestOfficeSuite::findsTheOfficeOnThePath() {
    TestDir dir;
    PathOverride path(dir.folder("bin"));
    QCOMPARE(findSoffice(), QString());
    QVERIFY(!WordHolen());

    const QString libreoffice = fakeSoffice(dir, "exit 0", "libreoffice");
    QCOMPARE(findSoffice(), libreoffice);
    const QString soffice = fakeSoffice(dir, "exit 0");
    QCOMPARE(findSoffice(), soffice);
    const std::shared_ptr<WordProcessor> word = WordHolen();
    QVERIFY(word);
    QVERIFY(word->print(dir.file("a.odt")));
    QCOMPARE(calls(dir).size(), 1);
}

QTEST_GUILESS_MAIN(TestOfficeSuite)
#include "test_office_suite.moc"
