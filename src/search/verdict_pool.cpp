#include "search/verdict_pool.h"

#include "preview/rich_text_buffer.h"

namespace findolin {

VerdictPool::VerdictPool(const ContentLoader& loader, const ContentQuery& query, QStringList paths,
                         int workers)
    : loader_(loader), query_(query), paths_(std::move(paths)), verdicts_(paths_.size()) {
    for (int i = 0; i < std::max(1, workers); ++i)
        workers_.emplace_back([this] { work(); });
}

VerdictPool::~VerdictPool() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    room_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

// Threads are woken only when someone waits for what happened, and the taker waits for a batch
// of verdicts at once: a wake-up per document would cost more than reading a small one.
std::optional<ContentVerdict> VerdictPool::take(qsizetype index, std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    // The documents before this one are gone, taken or passed over (a header line, a picture):
    // their room ahead goes to the workers, or they would wait for a taker who waits for them.
    if (index > taken_) {
        taken_ = index;
        if (workersWaiting_ > 0)
            room_.notify_all();
    }
    if (!verdicts_[index]) {
        waitingFor_ = std::min(index + kBatch, paths_.size()) - 1;
        ready_.wait_for(lock, wait, [&] { return doneBefore_ > waitingFor_; });
        waitingFor_ = -1;
        if (!verdicts_[index])
            return std::nullopt;
    }
    taken_ = index + 1;
    const std::optional<ContentVerdict> verdict = verdicts_[index];
    const bool workersWait = workersWaiting_ > 0;
    lock.unlock();
    if (workersWait)
        room_.notify_all();
    return verdict;
}

void VerdictPool::work() {
    // Each worker reads through a buffer of its own.
    RichTextBuffer buffer(loader_);
    const KeepGoing keepGoing = [this] { return !stopping_.load(std::memory_order_relaxed); };
    for (;;) {
        qsizetype index;
        {
            std::unique_lock lock(mutex_);
            const auto mayGoOn = [&] {
                return stopping_ || next_ >= paths_.size() || next_ < taken_ + kLookAhead;
            };
            if (!mayGoOn()) {
                ++workersWaiting_;
                room_.wait(lock, mayGoOn);
                --workersWaiting_;
            }
            if (stopping_ || next_ >= paths_.size())
                return;
            index = next_++;
        }
        const QString& path = paths_[index];
        ContentVerdict verdict = ContentVerdict::Miss;
        if (!path.isEmpty())
            verdict = buffer.LoadFile(path) ? buffer.Matches(query_, keepGoing)
                                            : ContentVerdict::Unreadable;
        bool takerWaits;
        {
            const std::lock_guard lock(mutex_);
            verdicts_[index] = verdict;
            while (doneBefore_ < paths_.size() && verdicts_[doneBefore_])
                ++doneBefore_;
            takerWaits = waitingFor_ >= 0 && doneBefore_ > waitingFor_;
        }
        if (takerWaits)
            ready_.notify_one();
    }
}

} // namespace findolin
