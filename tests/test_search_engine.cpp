#include "search/search_engine.h"
#include "search/search_jobs.h"
#include "testdir.h"

#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <semaphore>
#include <thread>

using namespace findolin;

namespace {

// Waits until no work runs any more, then hands the window's thread what work posted.
void settle(const SearchEngine& engine) {
    QTRY_COMPARE(engine.runningWorkers(), 0);
    QCoreApplication::processEvents();
}

void spin() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

class TestSearchEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A result of older or cancelled work, queued before the stop or posted after it, goes
    // nowhere; nor does the end of that work. The current work's results arrive in order, then
    // its end.
    void onlyTheCurrentWorkDelivers() {
        SearchEngine engine;
        QSignalSpy idle(&engine, &SearchEngine::idle);
        std::binary_semaphore posted{0};
        QStringList delivered, expected;
        const auto work = [&](const QString& name) {
            return [&, name](SearchEngine::Job& job) {
                job.post([&, name] { delivered << name; });
                posted.release();
                while (!job.stopped())
                    spin();
                job.post([&, name] { delivered << name + " danach"; });
            };
        };
        engine.start(work("alt"));
        posted.acquire();
        auto ticket = engine.start(work("abgebrochen"));
        posted.acquire();
        engine.cancel(ticket);
        QVERIFY(!engine.busy());
        settle(engine);
        QCOMPARE(idle.count(), 0);
        for (int i = 0; i < 100; ++i)
            expected << QString::number(i);
        ticket = engine.start([&](SearchEngine::Job& job) {
            for (const QString& result : expected)
                job.post([&delivered, result] { delivered << result; });
        });
        QVERIFY(engine.isCurrent(ticket) && engine.busy());
        QVERIFY(idle.wait(5000));
        settle(engine);
        QCOMPARE(delivered, expected);
        QCOMPARE(idle.count(), 1);
        QVERIFY(!engine.busy() && !engine.isCurrent(ticket));
    }

    // Work deaf to the stop, as a read stuck in the kernel, neither holds up newer work nor
    // delivers anything.
    void stuckWorkDoesNotHoldUpNewerWork() {
        std::atomic<bool> letGo = false, ended = false;
        bool newerDelivered = false;
        SearchEngine engine;
        QSignalSpy idle(&engine, &SearchEngine::idle);
        engine.start([&](SearchEngine::Job& job) {
            while (!letGo)
                spin();
            job.post([] { QFAIL("a result of stuck work was delivered"); });
            ended = true;
        });
        engine.start([&](SearchEngine::Job& job) { job.post([&] { newerDelivered = true; }); });
        QVERIFY(idle.wait(5000));
        QVERIFY(newerDelivered);
        QTRY_COMPARE(engine.runningWorkers(), 1); // the newer one ends too
        letGo = true;
        settle(engine);
        QVERIFY(ended);
    }

    // While the walk waits at a folder that blocks, what it found before reaches the window.
    void walkInBatchesStopsAtAFolderThatBlocks() {
        const TestDir dir;
        for (int i = 0; i < 5; ++i)
            dir.file(QStringLiteral("akten/%1/brief.txt").arg(i));
        std::atomic<bool> reached = false;
        WalkRequest request{dir.path("akten"), TextAuslesen(u"brief"), NameMatch::Contains, {}, {}};
        request.scan = [&](const QString& folder,
                           const KeepGoing& keepGoing) -> Result<FolderScan> {
            if (folder != dir.path("akten/3"))
                return scanFolder(folder, keepGoing);
            reached = true;
            while (keepGoing())
                spin();
            return OsError::Stopped;
        };
        SearchEngine engine;
        QStringList shown; // kind, line, path
        QString caption;   // and whether the batch was the last
        const auto ticket = engine.start([&, request](SearchEngine::Job& job) {
            walkInBatches(job, request, HeaderLines::Written, [&](ResultBatch batch) {
                for (qsizetype i = 0; i < batch.lines.lines.size(); ++i)
                    shown << QString::number(int(batch.lines.kinds[i])) + ' ' +
                                 batch.lines.lines[i] + ' ' + batch.lines.paths[i];
                caption = batch.caption + (batch.last ? " (Ende)" : "");
            });
        });
        QTRY_VERIFY(reached && shown.size() == 6);
        QStringList expected;
        for (const QString folder : {"akten/0", "akten/1", "akten/2"})
            expected << "1 " + headerLine(dir.path(folder)) + ' ' + headerLine(dir.path(folder))
                     << "0 brief.txt " + dir.path(folder + "/brief.txt");
        engine.cancel(ticket);
        settle(engine);
        QCOMPARE(shown, expected);
        QCOMPARE(caption, QStringLiteral("3 Dateien"));
    }
};

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "test_search_engine.moc"
