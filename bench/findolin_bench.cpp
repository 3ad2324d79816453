// Times Findolin's own routines on the shared corpus against the command-line tools that do the
// same work, alternating the two, and checks that both find the same files.
//
//   findolin_bench [--corpus DIR] [--runs N]
//
// The corpus comes from the benchmark's corpus generator (default folder /tmp/corpus).

#include "search/folder_listing.h"
#include "search/query_patterns.h"
#include "search/wildcard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace findolin;

namespace {

struct Timing {
    double medianMs = 0;
    qsizetype hits = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs `ours` and `theirs` alternately, once each to warm up, then `runs` times each.
std::pair<Timing, Timing> alternate(int runs, const std::function<qsizetype()>& ours,
                                    const std::function<qsizetype()>& theirs) {
    std::vector<double> oursMs, theirsMs;
    Timing a, b;
    a.hits = ours();
    b.hits = theirs();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        a.hits = ours();
        oursMs.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        b.hits = theirs();
        theirsMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    a.medianMs = median(oursMs);
    b.medianMs = median(theirsMs);
    return {a, b};
}

// Output lines of a command: the way to count the files a tool found.
qsizetype linesOf(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(-1);
    return process.readAllStandardOutput().count('\n');
}

void report(const char* what, const QString& tool, const std::pair<Timing, Timing>& result) {
    const auto& [ours, theirs] = result;
    std::printf("%-34s findolin %8.2f ms %7lld hits | %-44s %8.2f ms %7lld hits | ratio %.2f%s\n",
                what, ours.medianMs, (long long)ours.hits, qPrintable(tool), theirs.medianMs,
                (long long)theirs.hits, ours.medianMs / theirs.medianMs,
                ours.hits == theirs.hits ? "" : "  HIT COUNTS DIFFER");
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
                mergedListing(*listing, folder, QString(), ProfileShorthand::On);
            return lines.size() - listing->subfolders.size();
        };
        const QStringList args{folder,  "-mindepth", "1",      "-maxdepth",  "1",
                               "-type", "f",         "-iname", c.findPattern};
        const auto theirs = [&] { return linesOf("find", args); };
        report(c.what, "find -maxdepth 1 -type f -iname " + c.findPattern,
               alternate(runs, ours, theirs));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QString corpus = QStringLiteral("/tmp/corpus");
    int runs = 9;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--corpus")
            corpus = args[i + 1];
        else if (args[i] == u"--runs")
            runs = args[i + 1].toInt();
    }
    if (!QFileInfo(corpus + "/flat").isDir()) {
        std::fprintf(stderr, "no corpus at %s: make one with shared/bench/make-corpus\n",
                     qPrintable(corpus));
        return 1;
    }
    std::printf("corpus %s, median of %d runs, locale %s\n", qPrintable(corpus), runs,
                qPrintable(QLocale().name()));
    benchListing(corpus + "/flat", runs);
    return 0;
}
