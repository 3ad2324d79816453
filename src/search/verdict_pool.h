#pragma once

#include "search/content_match.h"

#include <QStringList>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace findolin {

class ContentLoader;

// Tests documents against a text query on worker threads, a little ahead of the one who takes
// the verdicts in order. Reading files is the slow part of a text search, and this way it keeps
// every core busy while the window stays free to redraw and to hear Escape.
class VerdictPool {
public:
    // An empty path is a document not to read (a header line, a picture); its verdict is Miss.
    VerdictPool(const ContentLoader& loader, const ContentQuery& query, QStringList paths,
                int workers = int(std::thread::hardware_concurrency()));
    // Stops the workers, also in the middle of a large file, and waits for them.
    ~VerdictPool();
    VerdictPool(const VerdictPool&) = delete;
    VerdictPool& operator=(const VerdictPool&) = delete;

    // The verdict of document `index`, or nothing when it is not known within `wait`. Documents
    // are taken in order, and may be passed over: once one is asked for, the earlier ones are
    // gone.
    std::optional<ContentVerdict> take(qsizetype index, std::chrono::milliseconds wait);

    // How far the workers may run ahead of the taker: enough to keep them busy, few enough that
    // a stop wastes little.
    static constexpr qsizetype kLookAhead = 64;
    // How many verdicts the taker waits for when it has to wait.
    static constexpr qsizetype kBatch = 32;

private:
    void work();

    const ContentLoader& loader_;
    const ContentQuery& query_;
    const QStringList paths_;
    std::vector<std::optional<ContentVerdict>> verdicts_;
    qsizetype next_ = 0;        // the next document a worker claims
    qsizetype taken_ = 0;       // documents before this one have been taken
    qsizetype doneBefore_ = 0;  // every document before this one has its verdict
    qsizetype waitingFor_ = -1; // the taker waits until this document has its verdict
    int workersWaiting_ = 0;    // workers waiting for room ahead
    std::atomic<bool> stopping_ = false;
    std::mutex mutex_;
    std::condition_variable ready_; // a verdict is in
    std::condition_variable room_;  // a worker may claim the next document
    std::vector<std::thread> workers_;
};

} // namespace findolin
