#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

namespace findolin {

// Long work (a listing, a search) runs on the window's thread and gives the event loop a turn
// now and then, so a newer request can start inside it. Each request takes a ticket; once a
// newer ticket exists, the older work must stop and write nothing more.
class WorkTickets {
public:
    using Ticket = quint64;

    Ticket begin() { return ++latest_; }
    bool isCurrent(Ticket ticket) const { return ticket == latest_; }
    // Voids every ticket handed out, e.g. when the window closes.
    void cancelAll() { ++latest_; }

private:
    Ticket latest_ = 0;
};

// Tells when the next turn of the event loop (or the next refresh of a progress display) is due:
// by time, not by count, so that a walk over many small folders does not pay for a turn per
// folder, and Escape is still seen at once.
class YieldClock {
public:
    explicit YieldClock(qint64 intervalMs) : intervalMs_(intervalMs) { clock_.start(); }

    bool due() {
        if (clock_.elapsed() < intervalMs_)
            return false;
        clock_.restart();
        return true;
    }

private:
    QElapsedTimer clock_;
    qint64 intervalMs_;
};

} // namespace findolin
