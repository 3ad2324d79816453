// Times Findolin's own routines on the shared corpus against the command-line tools that do the
// same work, alternating them, and checks that they find the same files; and how long the
// document preview waits for the office suite.
//
//   findolin_bench [--corpus DIR] [--runs N] [--only listing|walk|text|whole|copy|escape|preview]
//
// The corpus comes from the benchmark's corpus generator (default folder /tmp/corpus); the
// preview needs none. `fdfind` and `rg`, when installed, join the walk and the text rows.

#include "app/form1.h"
#include "platform/file_changes.h"
#include "platform/list_box.h"
#include "platform/paths.h"
#include "preview/content_loader.h"
#include "preview/document_converter.h"
#include "preview/word_processor.h"
#include "search/content_match.h"
#include "search/folder_listing.h"
#include "search/folder_walk.h"
#include "search/query_line_edit.h"
#include "search/query_patterns.h"
#include "search/search_jobs.h"
#include "search/verdict_pool.h"
#include "search/wildcard.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace findolin;

namespace {

struct Timing {
    double medianMs = 0, minMs = 0, maxMs = 0;
    double cpuMs = 0; // median user + system time, of this process and of the programs it ran
    qsizetype hits = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// User and system time so far, this process's and that of its finished child processes.
double cpuMsSoFar() {
    double ms = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        ::getrusage(who, &usage);
        for (const timeval& t : {usage.ru_utime, usage.ru_stime})
            ms += t.tv_sec * 1e3 + t.tv_usec / 1e3;
    }
    return ms;
}

// Runs the contenders in turn, once each to warm up, then `runs` rounds: each gets the same
// share of whatever else the machine is doing.
std::vector<Timing> alternate(int runs, const std::vector<std::function<qsizetype()>>& contenders) {
    std::vector<Timing> timings(contenders.size());
    std::vector<std::vector<double>> ms(contenders.size()), cpu(contenders.size());
    for (size_t c = 0; c < contenders.size(); ++c)
        timings[c].hits = contenders[c]();
    for (int i = 0; i < runs; ++i) {
        for (size_t c = 0; c < contenders.size(); ++c) {
            const double cpuBefore = cpuMsSoFar();
            QElapsedTimer clock;
            clock.start();
            timings[c].hits = contenders[c]();
            ms[c].push_back(clock.nsecsElapsed() / 1e6);
            cpu[c].push_back(cpuMsSoFar() - cpuBefore);
        }
    }
    for (size_t c = 0; c < contenders.size(); ++c) {
        timings[c].medianMs = median(ms[c]);
        timings[c].minMs = *std::min_element(ms[c].begin(), ms[c].end());
        timings[c].maxMs = *std::max_element(ms[c].begin(), ms[c].end());
        timings[c].cpuMs = median(cpu[c]);
    }
    return timings;
}

bool installed(const char* program) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

// Lets the window's event loop run until its workers have delivered everything.
void waitUntilIdle(Form1& window) {
    while (window.engine().busy()) {
        QEventLoop loop;
        QObject::connect(&window.engine(), &SearchEngine::idle, &loop, &QEventLoop::quit);
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

// Lets the window's event loop run for a while.
void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Output lines of a command: the way to count the files a tool found.
qsizetype linesOf(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(-1);
    return process.readAllStandardOutput().count('\n');
}

// One line per contender; the first is the reference of the ratios.
void report(const char* what, const QStringList& names, const std::vector<Timing>& timings) {
    std::printf("%s\n    %-62s %9s %19s %9s %7s %6s\n", what, "", "median", "min-max", "cpu",
                "hits", "ratio");
    for (size_t c = 0; c < timings.size(); ++c) {
        const Timing& t = timings[c];
        const bool agree = t.hits == timings[0].hits;
        std::printf("    %-62s %9.1f %9.1f-%9.1f %9.1f %7lld  x%.2f%s\n", qPrintable(names[int(c)]),
                    t.medianMs, t.minMs, t.maxMs, t.cpuMs, (long long)t.hits,
                    t.medianMs / timings[0].medianMs, agree ? "" : "  HITS DIFFER");
    }
}

// Runs a shell pipeline and counts the paths it prints, all of them and the ".txt" ones.
std::pair<qsizetype, qsizetype> pathsPrinted(const QString& pipeline) {
    QProcess process;
    process.start(QStringLiteral("bash"), {QStringLiteral("-c"), pipeline});
    process.waitForFinished(-1);
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    qsizetype all = 0, texts = 0;
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        ++all;
        texts += line.toLower().endsWith(".txt");
    }
    return {all, texts};
}

// One keystroke's listing of a folder: read, match, sort, merge with the sub-folder entries.
void benchListing(const QString& folder, int runs) {
    const struct {
        const char* what;
        QString pattern;
        QString findPattern;
    } cases[] = {
        {"listing, everything (\"*\")", QStringLiteral("*"), QStringLiteral("*")},
        {"listing, live pattern of \"angebot\"", livePattern(u"angebot"),
         QStringLiteral("angebot*")},
        {"listing, \"*a*\"", QStringLiteral("*a*"), QStringLiteral("*a*")},
    };
    for (const auto& c : cases) {
        const WildcardPattern pattern(c.pattern);
        const auto ours = [&]() -> qsizetype {
            const auto listing = listFolder(folder, pattern);
            const QStringList lines =
                mergedListing(*listing, folder, QString(), ProfileShorthand::On).lines;
            return lines.size() - listing->subfolders.size();
        };
        const QStringList args{folder,  "-mindepth", "1",      "-maxdepth",  "1",
                               "-type", "f",         "-iname", c.findPattern};
        const auto theirs = [&] { return linesOf("find", args); };
        report(c.what, {"findolin", "find " + args.join(u' ')}, alternate(runs, {ours, theirs}));
    }
}

// The recursive name search over the whole corpus: the walk alone, the same search through the
// window (with its turns of the event loop and its list), and find.
void benchWalk(const QString& corpus, int runs) {
    const struct {
        const char* what;
        QString query;
        NameMatch mode;
        QStringList findTest;
        QString fdPattern; // fd's regular expression on the name, and what filters its output
        QString fdFilter;
    } cases[] = {
        {"walk, \"angebot\"",
         QStringLiteral("angebot"),
         NameMatch::Contains,
         {"-iname", "*angebot*"},
         "angebot",
         {}},
        {"walk, \"angebot#rechnung-alt\"",
         QStringLiteral("angebot#rechnung-alt"),
         NameMatch::Contains,
         {"(", "-iname", "*angebot*", "-o", "-iname", "*rechnung*", ")", "!", "-iname", "*alt*"},
         "angebot|rechnung",
         " | awk -F/ 'tolower($NF) !~ /alt/'"},
        {"walk, starts with \"angebot\"",
         QStringLiteral("angebot"),
         NameMatch::StartsWith,
         {"-iname", "angebot*"},
         "^angebot",
         {}},
    };
    Form1 window;
    window.show();
    window.Text2->setText(corpus);
    waitUntilIdle(window);
    for (const auto& c : cases) {
        const auto headless = [&]() -> qsizetype {
            return OrdnerDurchsuchen(WalkRequest{corpus, TextAuslesen(c.query), c.mode, {}, {}}, {})
                .hits;
        };
        const auto throughWindow = [&]() -> qsizetype {
            const QSignalBlocker quiet(window.Text1);
            window.Text1->setText(c.query);
            (c.mode == NameMatch::Contains ? window.Command1 : window.Command2)->click();
            waitUntilIdle(window);
            return window.Trefferzahl;
        };
        const QStringList args = QStringList{corpus, "-type", "f"} + c.findTest;
        QStringList names{"findolin walk", "findolin window", "find " + args.join(u' ')};
        std::vector<std::function<qsizetype()>> contenders{headless, throughWindow,
                                                           [&] { return linesOf("find", args); }};
        for (const char* threads : {"1", "2"}) {
            if (!installed("fdfind"))
                break;
            const QString fd = QStringLiteral("fdfind -j%1 -u -i -t f '%2' '%3'%4")
                                   .arg(threads, c.fdPattern, corpus, c.fdFilter);
            names << fd;
            contenders.push_back([fd] { return pathsPrinted(fd).first; });
        }
        report(c.what, names, alternate(runs, contenders));
    }
}

// Counts a result list's file lines, all of them and the ".txt" ones.
std::pair<qsizetype, qsizetype> filesListed(const ListBox& list) {
    qsizetype all = 0, texts = 0;
    for (int row = 0; row < list.count(); ++row) {
        if (!list.isFile(row))
            continue;
        ++all;
        texts += list.line(row).endsWith(u".txt", Qt::CaseInsensitive);
    }
    return {all, texts};
}

// The search inside the hits of a name walk: through the window, over the lines its walk wrote;
// on one worker without the window; and grep and rg over the same list of files. The hit counts
// are compared on the plain-text files too, where all read the same characters.
void benchTextSearch(const QString& corpus, int runs) {
    QStringList candidates;
    WalkEvents collect;
    collect.folderHits = [&](const QString& folder, const QStringList& names) {
        for (const QString& name : names)
            candidates.append(joinPath(folder, name));
    };
    OrdnerDurchsuchen(WalkRequest{corpus, TextAuslesen(u".txt#.doc"), NameMatch::Contains, {}, {}},
                      collect);
    QTemporaryFile list;
    if (!list.open())
        return;
    list.write(candidates.join(u'\n').toUtf8() + '\n');
    list.flush();
    const QString files = QStringLiteral("xargs -r -d '\\n' -a ") + list.fileName();
    const QString more = QStringLiteral(" | xargs -r -d '\\n' ");
    std::printf("text search over the %lld \".txt\" and \".doc\" names of the corpus\n",
                (long long)candidates.size());

    Form1 window;
    window.show();
    window.Text2->setText(corpus);
    waitUntilIdle(window);
    {
        const QSignalBlocker quietNames(window.Text1);
        window.Text1->setText(QStringLiteral(".txt#.doc"));
        window.Command1->click();
        waitUntilIdle(window);
    }
    if (filesListed(*window.List1).first != candidates.size())
        std::printf("    the window's walk listed %lld files!\n",
                    (long long)filesListed(*window.List1).first);

    const struct {
        const char* what;
        QString query;
        QString grep;
        QString rg;
    } cases[] = {
        {"text, \"mhz\"", QStringLiteral("mhz"), "grep -il mhz", "rg -j2 -il mhz"},
        {"text, \"600+MHz\"", QStringLiteral("600+MHz"), "grep -il 600" + more + "grep -il mhz",
         "rg -j2 -il 600" + more + "rg -j2 -il mhz"},
        {"text, \"600MHz#733MHz-Entwurf\"", QStringLiteral("600MHz#733MHz-Entwurf"),
         "grep -il -e 600mhz -e 733mhz" + more + "grep -iL entwurf",
         "rg -j2 -il -e 600mhz -e 733mhz" + more + "rg -j2 -i --files-without-match entwurf"},
    };
    const ContentLoader loader = window.contentLoader();
    for (const auto& c : cases) {
        const ContentQuery query(TextAuslesen(c.query));
        qsizetype windowTexts = 0, grepTexts = 0;
        const auto throughWindow = [&]() -> qsizetype {
            const QSignalBlocker quietText(window.Text4);
            window.Text4->setText(c.query);
            window.Textsuche([] {});
            waitUntilIdle(window);
            const auto [all, texts] = filesListed(*window.List2);
            windowTexts = texts;
            return all;
        };
        const auto oneWorker = [&]() -> qsizetype {
            qsizetype hits = 0;
            VerdictPool verdicts(loader, query, candidates, 1);
            for (qsizetype i = 0; i < candidates.size(); ++i)
                hits += verdicts.take(i, std::chrono::hours(1)) == ContentVerdict::Hit;
            return hits;
        };
        const auto tool = [&](const QString& pipeline, qsizetype* texts) {
            return [&files, pipeline, texts]() -> qsizetype {
                const auto [all, txt] = pathsPrinted(files + " " + pipeline);
                if (texts)
                    *texts = txt;
                return all;
            };
        };
        QStringList names{"findolin window", "findolin, one worker, no window", c.grep};
        std::vector<std::function<qsizetype()>> contenders{throughWindow, oneWorker,
                                                           tool(c.grep, &grepTexts)};
        if (installed("rg")) {
            names << c.rg;
            contenders.push_back(tool(c.rg, nullptr));
        }
        report(c.what, names, alternate(runs, contenders));
        std::printf("    hits in .txt files: findolin %lld, grep %lld%s\n", (long long)windowTexts,
                    (long long)grepTexts, windowTexts == grepTexts ? "" : "  DIFFER");
    }
}

// The whole tree searched by text, as the user starts it: the walk, then the text search over its
// lines (headers and pictures passed over), through the window.
void benchWholeTree(const QString& corpus, int runs) {
    Form1 window;
    window.show();
    window.Text2->setText(corpus);
    waitUntilIdle(window);
    const auto walkAndSearch = [&window](const QString& names, const QString& text) {
        return [&window, names, text]() -> qsizetype {
            const QSignalBlocker quietNames(window.Text1);
            const QSignalBlocker quietText(window.Text4);
            window.Text1->setText(names);
            window.Text4->setText(text);
            window.Command1->click();
            waitUntilIdle(window);
            return filesListed(*window.List2).first;
        };
    };
    const auto grepping = [](const QString& pipeline) {
        return [pipeline]() -> qsizetype { return pathsPrinted(pipeline).first; };
    };
    QStringList names{"findolin window", "grep -ril mhz " + corpus};
    std::vector<std::function<qsizetype()>> contenders{walkAndSearch("*", "mhz"),
                                                       grepping(names.last())};
    if (installed("rg")) {
        names << "rg -uuu -j2 -il mhz " + corpus;
        contenders.push_back(grepping(names.last()));
    }
    report("whole tree, name \"*\" and text \"mhz\", through the window, walk included", names,
           alternate(runs, contenders));
}

// Copying the corpus's largest file, to a new file and over an existing one. Ours writes beside
// the target and renames the copy into place, flushing it to the disk first when it replaces a
// file; cp writes into the target and flushes nothing.
void benchCopy(const QString& corpus, int runs) {
    QProcess find;
    find.start("sh",
               {"-c", "find '" + corpus + "' -type f -printf '%s %p\\n' | sort -n | tail -1"});
    find.waitForFinished(-1);
    const QString largest =
        QString::fromUtf8(find.readAllStandardOutput()).trimmed().section(u' ', 1);
    QTemporaryDir target;
    const QString copy = target.filePath("copy");
    const auto kibOfCopy = [&] { return qsizetype(QFileInfo(copy).size() / 1024); };
    const auto ours = [&]() -> qsizetype {
        return copyFile(largest, copy, WhenTaken::Replace).ok() ? kibOfCopy() : -1;
    };
    const auto theirs = [&]() -> qsizetype {
        QProcess::execute("cp", {largest, copy});
        return kibOfCopy();
    };
    const auto theirsFlushed = [&]() -> qsizetype {
        QProcess::execute("sh", {"-c", "cp \"$0\" \"$1\" && sync \"$1\"", largest, copy});
        return kibOfCopy();
    };
    const auto toNewFile = [&](const std::function<qsizetype()>& contender) {
        return [&, contender] {
            QFile::remove(copy);
            return contender();
        };
    };
    const QString what = "copy of " + largest + " (hits: KiB copied)";
    report(qPrintable(what + ", to a new file"), {"findolin", "cp"},
           alternate(runs, {toNewFile(ours), toNewFile(theirs)}));
    report(qPrintable(what + ", over the copy"), {"findolin", "cp", "cp, then sync of the copy"},
           alternate(runs, {ours, theirs, theirsFlushed}));
}

// Escape during long work: the time from the key to the last line the window writes (nothing
// may come after the key's handler has returned), and how the window answers while a folder of
// the walk does not answer at all.
void benchEscape(const QString& corpus, int runs) {
    QTemporaryDir large;
    {
        // A 40 MB text without the term, read while Escape comes.
        QFile file(large.filePath("gross.txt"));
        if (!file.open(QIODevice::WriteOnly))
            return;
        const QByteArray line =
            QByteArrayLiteral("Angebot ohne den gesuchten Begriff, Zeile fuer Zeile\n");
        for (qint64 written = 0; written < 40'000'000; written += line.size())
            file.write(line);
    }
    QTemporaryDir sparse;
    {
        // 4 GiB with no text at all, and no disk space taken: a file of holes.
        QFile file(sparse.filePath("big.txt"));
        if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(4) << 30))
            return;
    }
    std::atomic<bool> blockedReached = false;
    std::atomic<bool> letGo = false;
    const QString blockedFolder = corpus + "/Projekte";
    Surroundings surroundings;
    // A folder that never answers: as a network share whose server went away.
    surroundings.scanFolder = [&](const QString& folder, const KeepGoing& keepGoing) {
        if (folder.startsWith(blockedFolder) && !letGo) {
            blockedReached = true;
            while (!letGo)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return scanFolder(folder, keepGoing);
    };
    Form1 window(surroundings);
    window.show();
    waitUntilIdle(window);

    const auto press = [&window](Qt::Key key, const QString& text = {}) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QElapsedTimer clock;
        clock.start();
        QCoreApplication::sendEvent(window.Text1, &event);
        return clock.nsecsElapsed() / 1e6;
    };
    // Starts the search, waits until `running` says it is in the middle, presses Escape; the
    // time of the key's handling, and the lines written after it.
    struct Stop {
        double ms;
        qsizetype linesAfter;
        double idleMs; // until the worker has stopped too
    };
    const auto escapeDuring = [&](const QString& folder, const QString& names, const QString& text,
                                  const std::function<bool()>& running) {
        {
            const QSignalBlocker quiet(window.Text2);
            window.Text2->setText(folder);
        }
        const QSignalBlocker quietNames(window.Text1);
        const QSignalBlocker quietText(window.Text4);
        window.Text1->setText(names);
        window.Text4->setText(text);
        window.Command1->click();
        while (!running())
            runFor(1);
        const auto lines = [&] { return window.List1->count() + window.List2->count(); };
        QElapsedTimer sinceKey;
        sinceKey.start();
        const double ms = press(Qt::Key_Escape);
        const qsizetype before = lines();
        const bool stillBusy = window.engine().busy();
        while (window.engine().runningWorkers() > 0 && sinceKey.elapsed() < 10'000)
            runFor(1);
        const double idleMs = sinceKey.nsecsElapsed() / 1e6;
        runFor(200);
        return Stop{ms, stillBusy ? -1 : lines() - before, idleMs};
    };
    const auto measure = [&](const char* what, const std::function<Stop()>& once) {
        std::vector<double> ms, idle;
        qsizetype worst = 0;
        for (int i = 0; i < runs; ++i) {
            const Stop stop = once();
            ms.push_back(stop.ms);
            idle.push_back(stop.idleMs);
            worst = stop.linesAfter < 0 ? -1 : std::max(worst, stop.linesAfter);
        }
        std::printf("%s\n    Escape to last line: median %.3f ms, worst %.3f ms; lines after "
                    "Escape: %lld%s; worker stopped after: median %.1f ms, worst %.1f ms\n",
                    what, median(ms), *std::max_element(ms.begin(), ms.end()), (long long)worst,
                    worst < 0 ? " (still busy!)" : "", median(idle),
                    *std::max_element(idle.begin(), idle.end()));
    };
    letGo = true; // the first two do not block
    measure("Escape 150 ms into a walk of the corpus (\"a\")", [&] {
        QElapsedTimer clock;
        clock.start();
        return escapeDuring(corpus, "a", {}, [&] { return clock.elapsed() >= 150; });
    });
    measure("Escape while the text search reads a 40 MB file", [&] {
        QElapsedTimer clock;
        clock.start();
        return escapeDuring(large.path(), "gross", "zzqq",
                            [&] { return window.List2->isVisible() && clock.elapsed() >= 30; });
    });
    measure("Escape while the text search reads a 4 GiB file of holes", [&] {
        QElapsedTimer clock;
        clock.start();
        return escapeDuring(sparse.path(), "big", "zzqq",
                            [&] { return window.List2->isVisible() && clock.elapsed() >= 30; });
    });

    // A walk into a folder that never answers: keys are still handled at once, and Escape ends
    // the search.
    std::vector<double> typing, timers, escapes;
    for (int i = 0; i < runs; ++i) {
        letGo = false;
        blockedReached = false;
        const QSignalBlocker quiet(window.Text2);
        window.Text2->setText(corpus);
        const QSignalBlocker quietNames(window.Text1);
        window.Text1->setText("angebot");
        window.Text4->setText({});
        window.Command1->click();
        while (!blockedReached)
            runFor(1);
        QElapsedTimer clock;
        clock.start();
        runFor(0); // one timer through the event loop
        timers.push_back(clock.nsecsElapsed() / 1e6);
        typing.push_back(press(Qt::Key_X, "x")); // a key the window handles (no search)
        escapes.push_back(press(Qt::Key_Escape));
        if (window.engine().busy())
            std::printf("    the search still runs after Escape!\n");
        letGo = true;
        runFor(50);
    }
    std::printf("walk blocked in a folder that does not answer\n    a timer through the event "
                "loop: median %.3f ms; a key: median %.3f ms; Escape: median %.3f ms, worst %.3f "
                "ms, search ended: %s\n",
                median(timers), median(typing), median(escapes),
                *std::max_element(escapes.begin(), escapes.end()),
                window.engine().busy() ? "no" : "yes");
}

// The memory each process holding the office profile under `cache` takes (the bridge, the
// office's starter, the office): proportional (PSS, shared pages split among their users) and
// resident (RSS), in MiB.
QString officeMemory(const QString& cache) {
    const QByteArray profile = QUrl::fromLocalFile(cache + "/office-profile").toEncoded();
    QStringList result;
    for (const QString& pid : QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs)) {
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QByteArray arguments = cmdline.readAll();
        if (!arguments.contains(profile))
            continue;
        const auto mib = [&](const QString& file, const QByteArray& field) {
            QFile f("/proc/" + pid + "/" + file);
            if (!f.open(QIODevice::ReadOnly))
                return 0.0;
            for (const QByteArray& line : f.readAll().split('\n')) {
                if (line.startsWith(field))
                    return line.mid(field.size()).trimmed().split(' ').at(0).toDouble() / 1024;
            }
            return 0.0;
        };
        result << QStringLiteral("%1 %2 MiB PSS (%3 MiB RSS)")
                      .arg(
                          QFileInfo(QString::fromLocal8Bit(arguments.left(arguments.indexOf('\0'))))
                              .fileName())
                      .arg(mib("smaps_rollup", "Pss:"), 0, 'f', 0)
                      .arg(mib("status", "VmRSS:"), 0, 'f', 0);
    }
    return result.join(QStringLiteral(", "));
}

// The first and the second document a new window previews, a .docx and an .odt of two pages:
// with one soffice per document, and with one office kept running through the bridge, whose first
// conversion includes starting it. Each round starts a new converter on the same profile (warmed
// by a first, untimed round) and an empty cache.
void benchPreview(int runs) {
    const QString soffice = findSoffice();
    const QString python = bridgePython(soffice);
    if (soffice.isEmpty() || python.isEmpty()) {
        std::printf("preview: needs LibreOffice and python3-uno\n");
        return;
    }
    QTemporaryDir work;
    QFile html(work.filePath("Bericht.html"));
    if (!html.open(QIODevice::WriteOnly))
        return;
    html.write("<html><body><h1>Bericht</h1>");
    for (int p = 0; p < 4; ++p) {
        html.write("<h2>Abschnitt</h2><p>");
        for (int w = 0; w < 80; ++w)
            html.write(w % 7 == 0 ? "Lieferung " : "Angebot und Rechnung ");
        html.write("</p>");
    }
    html.write("</body></html>");
    html.close();
    const QString profile =
        QUrl::fromLocalFile(work.filePath("profile")).toString(QUrl::FullyEncoded);
    for (const char* target : {"docx:MS Word 2007 XML", "odt:writer8"}) {
        QProcess make;
        make.setStandardOutputFile(QProcess::nullDevice());
        make.setStandardErrorFile(QProcess::nullDevice());
        make.start(soffice, {"--headless", "--norestore", "-env:UserInstallation=" + profile,
                             "--infilter=HTML (StarWriter)", "--convert-to", target, "--outdir",
                             work.path(), html.fileName()});
        make.waitForFinished(-1);
    }
    const QStringList documents{work.filePath("Bericht.docx"), work.filePath("Bericht.odt")};

    struct Mode {
        const char* what;
        QString python;
        QString cache;
        std::vector<double> ms[2];
        double newProfile[2] = {};
    } modes[] = {{"one soffice --convert-to per document", {}, work.filePath("alone"), {}},
                 {"one office kept running (bridge)", python, work.filePath("bridge"), {}}};
    QString memory;
    for (int run = 0; run <= runs; ++run) {
        for (Mode& mode : modes) {
            for (const QString& pdf : QDir(mode.cache).entryList({"*.pdf"}, QDir::Files))
                QFile::remove(QDir(mode.cache).filePath(pdf));
            DocumentConverter converter(mode.cache, soffice, mode.python);
            for (int d = 0; d < 2; ++d) {
                QEventLoop loop;
                QString pdf;
                QObject::connect(&converter, &DocumentConverter::converted, &loop,
                                 [&](const QString&, const QString& result) {
                                     pdf = result;
                                     loop.quit();
                                 });
                QElapsedTimer clock;
                clock.start();
                converter.pdfFor(documents[d]);
                loop.exec();
                if (pdf.isEmpty())
                    std::printf("    %s: %s not converted!\n", mode.what, qPrintable(documents[d]));
                if (run > 0)
                    mode.ms[d].push_back(clock.nsecsElapsed() / 1e6);
                else
                    mode.newProfile[d] = clock.nsecsElapsed() / 1e6;
            }
            if (!mode.python.isEmpty())
                memory = officeMemory(mode.cache);
        }
    }
    std::printf("preview of a new window's first (.docx) and second (.odt) office document, two "
                "pages each\n");
    for (const Mode& mode : modes) {
        std::printf("    %-45s first %8.1f ms   second %8.1f ms\n", mode.what, median(mode.ms[0]),
                    median(mode.ms[1]));
        std::printf("    %-45s first %8.1f ms   second %8.1f ms\n",
                    "  its first round, on a new profile", mode.newProfile[0], mode.newProfile[1]);
    }
    std::printf("    the office kept running, after these two: %s\n", qPrintable(memory));
}

} // namespace

int main(int argc, char* argv[]) {
    // The window runs offscreen, on a home of its own so that start-up lists nothing big.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // figures as they come, also into a pipe
    QString corpus = QStringLiteral("/tmp/corpus");
    int runs = 9;
    QString only;
    const QStringList args = app.arguments();
    const char* const usage =
        "usage: findolin_bench [--corpus DIR] [--runs N] [--only "
        "listing|walk|text|whole|copy|escape|preview]\n"
        "  --corpus DIR  the corpus of shared/bench/make-corpus (default /tmp/corpus)\n"
        "  --runs N      rounds per row, after one to warm up (default 9)\n"
        "  --only PART   one part of the benchmark\n"
        "Each row runs its contenders in turn and prints median, min-max and CPU time (user +\n"
        "system, of the tools' processes too) in ms, the hits found, and the ratio to the first.\n";
    for (int i = 1; i < args.size(); i += 2) {
        const bool valued = i + 1 < args.size();
        if (args[i] == u"--help" || args[i] == u"-h") {
            std::printf("%s", usage);
            return 0;
        }
        if (valued && args[i] == u"--corpus") {
            corpus = args[i + 1];
        } else if (valued && args[i] == u"--runs" && args[i + 1].toInt() > 0) {
            runs = args[i + 1].toInt();
        } else if (valued && args[i] == u"--only") {
            only = args[i + 1];
        } else {
            std::fprintf(stderr, "findolin_bench: cannot use \"%s\"\n%s", qPrintable(args[i]),
                         usage);
            return 2;
        }
    }
    if (only == u"preview") {
        std::printf("median of %d runs\n", runs);
        benchPreview(runs);
        return 0;
    }
    if (!QFileInfo(corpus + "/flat").isDir()) {
        std::fprintf(stderr, "no corpus at %s: make one with shared/bench/make-corpus\n",
                     qPrintable(corpus));
        return 1;
    }
    std::printf("corpus %s, median of %d runs, locale %s\n", qPrintable(corpus), runs,
                qPrintable(QLocale().name()));
    const auto wanted = [&](const char* part) {
        return only.isEmpty() || only == QLatin1String(part);
    };
    if (wanted("listing"))
        benchListing(corpus + "/flat", runs);
    if (wanted("walk"))
        benchWalk(corpus, runs);
    if (wanted("text"))
        benchTextSearch(corpus, runs);
    if (wanted("whole"))
        benchWholeTree(corpus, runs);
    if (wanted("copy"))
        benchCopy(corpus, runs);
    if (wanted("escape"))
        benchEscape(corpus, runs);
    if (wanted("preview"))
        benchPreview(runs);
    return 0;
}
