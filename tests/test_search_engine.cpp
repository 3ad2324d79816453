#include "search/search_engine.h"
#include "search/search_jobs.h"
#include "testdir.h"

#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <semaphore>
#include <thread>

using namespace findolin;

class TestSearchEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resultsArriveInOrderThenIdle();
    void cancelledWorkDeliversNothing();
    void lateResultOfAnOldTicketIsDropped();
    void stuckWorkDoesNotHoldUpNewerWork();
    void walkInBatchesStopsAtAFolderThatBlocks();
};

void TestSearchEngine::resultsArriveInOrderThenIdle() {
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
    QCOMPARE(received.size(), 100);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(received[i], i);
    QVERIFY(!engine.busy());
    QVERIFY(!engine.isCurrent(ticket));
}

void TestSearchEngine::cancelledWorkDeliversNothing() {
    SearchEngine engine;
    QSignalSpy idle(&engine, &SearchEngine::idle);
    std::atomic<bool> sawStop = false;
    std::binary_semaphore posted{0};
    int delivered = 0;
    const auto ticket = engine.start([&](SearchEngine::Job& job) {
        job.post([&delivered] { ++delivered; });
        posted.release();
        while (!job.stopped())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawStop = true;
        job.post([&delivered] { ++delivered; }); // after the stop: goes nowhere
    });
    posted.acquire(); // a result is queued, not yet delivered
    engine.cancel(ticket);
    QVERIFY(!engine.busy());
    QTRY_VERIFY(sawStop);
    QTest::qWait(20);
    QCOMPARE(delivered, 0);
    QCOMPARE(idle.count(), 0); // a cancelled request does not end, it is gone
}

// A result of an older request that is still queued when a newer one starts never arrives.
void TestSearchEngine::lateResultOfAnOldTicketIsDropped() {
    SearchEngine engine;
    QSignalSpy idle(&engine, &SearchEngine::idle);
    std::binary_semaphore posted{0};
    QStringList delivered;
    engine.start([&](SearchEngine::Job& job) {
        job.post([&delivered] { delivered << "old"; });
        posted.release();
    });
    posted.acquire();
    engine.start([&](SearchEngine::Job& job) { job.post([&delivered] { delivered << "new"; }); });
    QVERIFY(idle.wait(5000));
    QTest::qWait(20);
    QCOMPARE(delivered, QStringList{"new"});
    QCOMPARE(idle.count(), 1);
}

void TestSearchEngine::stuckWorkDoesNotHoldUpNewerWork() {
    std::atomic<bool> letGo = false;
    std::atomic<bool> ended = false;
    bool newerDelivered = false;
    {
        SearchEngine engine;
        QSignalSpy idle(&engine, &SearchEngine::idle);
        engine.start([&](SearchEngine::Job& job) {
            while (!letGo) // deaf to the stop, as a read stuck in the kernel
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            job.post([] { QFAIL("a result of stuck work was delivered"); });
            ended = true;
        });
        engine.start([&](SearchEngine::Job& job) { job.post([&] { newerDelivered = true; }); });
        QVERIFY(idle.wait(5000));
        QVERIFY(newerDelivered);
        letGo = true;
        QTRY_VERIFY(ended);
        QTest::qWait(20);
    }
}

void TestSearchEngine::walkInBatchesStopsAtAFolderThatBlocks() {
    TestDir dir;
    for (int i = 0; i < 5; ++i)
        dir.file(QStringLiteral("akten/%1/brief.txt").arg(i));
    const QString blocked = dir.path("akten/3");
    std::atomic<bool> reached = false;
    WalkRequest request{dir.path("akten"), TextAuslesen(u"brief"), NameMatch::Contains, {}, {}};
    request.scan = [&](const QString& folder, const KeepGoing& keepGoing) -> Result<FolderScan> {
        if (folder == blocked) {
            reached = true;
            while (keepGoing())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return OsError::Stopped;
        }
        return scanFolder(folder, keepGoing);
    };

    SearchEngine engine;
    PendingLines lines;
    QString caption;
    bool last = false;
    const auto ticket = engine.start([&, request](SearchEngine::Job& job) {
        walkInBatches(job, request, HeaderLines::Written, [&](ResultBatch batch) {
            lines.lines << batch.lines.lines;
            lines.paths << batch.lines.paths;
            lines.kinds << batch.lines.kinds;
            caption = batch.caption;
            last = batch.last;
        });
    });
    QTRY_VERIFY(reached);
    // While the walk waits, what it found before reaches the window in a batch.
    QTRY_COMPARE(lines.lines.size(), 6);
    QCOMPARE(lines.lines, (QStringList{">>>[" + dir.path("akten/0") + "]", "brief.txt",
                                       ">>>[" + dir.path("akten/1") + "]", "brief.txt",
                                       ">>>[" + dir.path("akten/2") + "]", "brief.txt"}));
    QCOMPARE(lines.paths[1], dir.path("akten/0/brief.txt"));
    QCOMPARE(lines.kinds, (QList<LineKind>{LineKind::Header, LineKind::File, LineKind::Header,
                                           LineKind::File, LineKind::Header, LineKind::File}));
    QCOMPARE(caption, QStringLiteral("3 Dateien"));
    engine.cancel(ticket);
    QTest::qWait(20);
    QVERIFY(!last);
    QCOMPARE(lines.lines.size(), 6);
}

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "test_search_engine.moc"
