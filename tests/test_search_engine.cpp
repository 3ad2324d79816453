#include "search/search_engine.h"
#include "search/search_jobs.h"
#include "testdir.h"

#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <numeric>
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
    void resultsArriveInOrderThenIdle() {
        SearchEngine engine;
        QSignalSpy idle(&engine, &SearchEngine::idle);
        QList<int> received;
        const auto ticket = engine.start([&received](SearchEngine::Job& job) {
            for (int i = 0; i < 100; ++i)
                job.post([&received, i] { received << i; });
        });
        QVERIFY(engine.isCurrent(ticket));
        QVERIFY(engine.busy());
        QVERIFY(idle.wait(5000));
        QList<int> expected(100);
        std::iota(expected.begin(), expected.end(), 0);
        QCOMPARE(received, expected);
        QVERIFY(!engine.busy());
        QVERIFY(!engine.isCurrent(ticket));
    }

    // A result already queued, or posted after the stop, goes nowhere; nor does an idle signal.
    void cancelledWorkDeliversNothing() {
        SearchEngine engine;
        QSignalSpy idle(&engine, &SearchEngine::idle);
        std::binary_semaphore posted{0};
        int delivered = 0;
        const auto ticket = engine.start([&](SearchEngine::Job& job) {
            job.post([&delivered] { ++delivered; });
            posted.release();
            while (!job.stopped())
                spin();
            job.post([&delivered] { ++delivered; });
        });
        posted.acquire();
        engine.cancel(ticket);
        QVERIFY(!engine.busy());
        settle(engine);
        QCOMPARE(delivered, 0);
        QCOMPARE(idle.count(), 0);
    }

    // A result of an older request still queued when a newer one starts never arrives.
    void lateResultOfAnOldTicketIsDropped() {
        SearchEngine engine;
        QSignalSpy idle(&engine, &SearchEngine::idle);
        std::binary_semaphore posted{0};
        QStringList delivered;
        engine.start([&](SearchEngine::Job& job) {
            job.post([&delivered] { delivered << "old"; });
            posted.release();
        });
        posted.acquire();
        engine.start(
            [&](SearchEngine::Job& job) { job.post([&delivered] { delivered << "new"; }); });
        QVERIFY(idle.wait(5000));
        settle(engine);
        QCOMPARE(delivered, QStringList{"new"});
        QCOMPARE(idle.count(), 1);
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
        QString caption;
        bool last = false;
        const auto ticket = engine.start([&, request](SearchEngine::Job& job) {
            walkInBatches(job, request, HeaderLines::Written, [&](ResultBatch batch) {
                for (qsizetype i = 0; i < batch.lines.lines.size(); ++i)
                    shown << QString::number(int(batch.lines.kinds[i])) + ' ' +
                                 batch.lines.lines[i] + ' ' + batch.lines.paths[i];
                caption = batch.caption;
                last = batch.last;
            });
        });
        QTRY_VERIFY(reached);
        QTRY_COMPARE(shown.size(), 6);
        QStringList expected;
        for (const QString folder : {"akten/0", "akten/1", "akten/2"})
            expected << "1 " + headerLine(dir.path(folder)) + ' ' + headerLine(dir.path(folder))
                     << "0 brief.txt " + dir.path(folder + "/brief.txt");
        QCOMPARE(shown, expected);
        QCOMPARE(caption, QStringLiteral("3 Dateien"));
        engine.cancel(ticket);
        settle(engine);
        QVERIFY(!last);
        QCOMPARE(shown.size(), 6);
    }
};

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "test_search_engine.moc"
