#include "search/search_engine.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace findolin {

// What the engine and its threads share; it outlives the engine while work still runs.
struct SearchEngine::Shared {
    struct Delivery {
        Ticket ticket;
        std::function<void(SearchEngine&)> deliver;
    };

    std::mutex mutex;
    SearchEngine* engine = nullptr; // null once the engine is gone
    int running = 0;
    std::condition_variable ended;
    std::vector<Delivery> deliveries; // results on their way, in the order posted
    bool drainQueued = false;         // a call of drain() is on its way to the engine's thread
};

struct SearchEngine::JobState {
    Ticket ticket;
    std::shared_ptr<Shared> shared;
    std::atomic<bool> stop = false;
};

SearchEngine::SearchEngine(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>()) {
    shared_->engine = this;
}

SearchEngine::~SearchEngine() {
    cancelAll();
    std::unique_lock lock(shared_->mutex);
    shared_->engine = nullptr;
    // Cancelled work ends at its next step; only a thread stuck in the kernel takes longer.
    shared_->ended.wait_for(lock, std::chrono::seconds(2),
                            [this] { return shared_->running == 0; });
}

SearchEngine::Ticket SearchEngine::start(Work work) {
    cancelAll();
    auto state = std::make_shared<JobState>();
    state->ticket = ++lastIssued_;
    state->shared = shared_;
    current_ = state->ticket;
    currentJob_ = state;
    {
        const std::lock_guard lock(shared_->mutex);
        ++shared_->running;
    }
    std::thread([state, work = std::move(work)] {
        Job job(state);
        work(job);
        // The end is delivered like a result, after every result posted before it.
        job.queue([](SearchEngine& engine) { engine.finished(); });
        const std::lock_guard lock(state->shared->mutex);
        --state->shared->running;
        state->shared->ended.notify_all();
    }).detach();
    return current_;
}

void SearchEngine::cancel(Ticket ticket) {
    if (!isCurrent(ticket))
        return;
    currentJob_->stop = true;
    currentJob_.reset();
    current_ = 0;
}

int SearchEngine::runningWorkers() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->running;
}

void SearchEngine::finished() {
    currentJob_.reset();
    current_ = 0;
    Q_EMIT idle();
}

bool SearchEngine::Job::stopped() const {
    return state_->stop.load(std::memory_order_relaxed);
}

void SearchEngine::Job::post(std::function<void()> deliver) {
    queue([deliver = std::move(deliver)](SearchEngine&) { deliver(); });
}

// Results travel through the engine's own list, under its lock; the queued call that tells the
// engine's thread to take them carries nothing. So a thread checker sees the hand-over (it cannot
// see the locks inside Qt's event queue), and posts in quick succession cost one call.
void SearchEngine::Job::queue(std::function<void(SearchEngine&)> deliver) {
    if (stopped())
        return;
    Shared& shared = *state_->shared;
    const std::lock_guard lock(shared.mutex);
    // Under the lock the engine cannot go away between this test and the queueing; once queued,
    // the call is dropped with the engine if it goes first.
    if (!shared.engine)
        return;
    shared.deliveries.push_back({state_->ticket, std::move(deliver)});
    if (!std::exchange(shared.drainQueued, true))
        QMetaObject::invokeMethod(shared.engine, "drain", Qt::QueuedConnection);
}

void SearchEngine::drain() {
    std::vector<Shared::Delivery> deliveries;
    {
        const std::lock_guard lock(shared_->mutex);
        deliveries.swap(shared_->deliveries);
        shared_->drainQueued = false;
    }
    // A delivery may start newer work, which voids the ticket of the ones after it.
    for (Shared::Delivery& delivery : deliveries) {
        if (isCurrent(delivery.ticket))
            delivery.deliver(*this);
    }
}

} // namespace findolin
