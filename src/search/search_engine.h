#pragma once

#include "platform/folder_scan.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

namespace findolin {

// Runs long work (a walk, a text search, the listing of a folder) off the window's thread, each
// request on a thread of its own: the window never waits, not for a large tree and not for a
// folder on a server that stopped answering, and a newer request need not queue behind a stuck
// one. A request gets a ticket; a newer request or cancel() voids it. Results come back as calls
// queued to the engine's thread, where those of a voided ticket are dropped: nothing of a
// cancelled request is ever written.
class SearchEngine : public QObject {
    Q_OBJECT
public:
    using Ticket = quint64;
    class Job;
    using Work = std::function<void(Job& job)>;

    explicit SearchEngine(QObject* parent = nullptr);
    // Cancels the current request and waits a little for running work; work stuck in the kernel
    // is left to end by itself, and what it sends then goes nowhere.
    ~SearchEngine() override;

    // Starts `work` and voids every earlier ticket. The work captures what it needs by value:
    // it may outlive whoever started it.
    Ticket start(Work work);
    void cancel(Ticket ticket);
    void cancelAll() { cancel(current_); }
    bool isCurrent(Ticket ticket) const { return ticket != 0 && ticket == current_; }
    // Whether the current request is still at work.
    bool busy() const { return current_ != 0; }
    // Workers not yet returned, voided ones included: how quickly a cancelled one lets go.
    int runningWorkers() const;

Q_SIGNALS:
    // The current request ended and its last result was delivered.
    void idle();

private:
    struct Shared;
    struct JobState;

    // Takes the results the workers posted and hands on those whose ticket is current.
    Q_INVOKABLE void drain();
    void finished();

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<JobState> currentJob_;
    Ticket current_ = 0;
    Ticket lastIssued_ = 0;
};

// What a request's work sees of the engine.
class SearchEngine::Job {
public:
    explicit Job(std::shared_ptr<JobState> state) : state_(std::move(state)) {}

    // The stop token: true once the ticket is void. Work asks it at every step where it may stop.
    bool stopped() const;
    KeepGoing keepGoing() const {
        return [this] { return !stopped(); };
    }
    // Runs `deliver` on the engine's thread, in the order posted, unless the ticket is void by
    // then.
    void post(std::function<void()> deliver);

private:
    friend class SearchEngine;
    void queue(std::function<void(SearchEngine&)> deliver);

    std::shared_ptr<JobState> state_;
};

} // namespace findolin
