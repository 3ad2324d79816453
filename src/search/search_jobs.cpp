#include "search/search_jobs.h"

#include "platform/native_names.h"
#include "platform/paths.h"
#include "preview/file_types.h"
#include "search/content_match.h"
#include "search/verdict_pool.h"

namespace findolin {
namespace {

// Hands a batch to the receiver on the window's thread.
void deliver(SearchEngine::Job& job, const BatchReceiver& receive, ResultBatch batch) {
    job.post([receive, batch = std::move(batch)]() mutable { receive(std::move(batch)); });
}

// Hands over the lines gathered so far, with the counters as they stand.
void deliverLines(SearchEngine::Job& job, const BatchReceiver& receive, ResultBatch& batch) {
    ResultBatch sent = batch;
    batch.lines = {};
    deliver(job, receive, std::move(sent));
}

} // namespace

void walkInBatches(SearchEngine::Job& job, const WalkRequest& request, HeaderLines headers,
                   BatchReceiver receive) {
    ResultBatch batch;
    BatchClock clock;
    const auto sendIfDue = [&] {
        if (clock.due())
            deliverLines(job, receive, batch);
    };
    WalkEvents events;
    events.enteringFolder = [&](const QString& folder) {
        batch.progress = visibleText(folder) + QStringLiteral("...");
        batch.caption = countCaption(batch.hits);
    };
    events.folderHits = [&](const QString& folder, const QStringList& names) {
        if (headers == HeaderLines::Written && batch.lastFolder != folder) {
            const QString header = headerLine(folder);
            batch.lines.add(header, &header, LineKind::Header);
        }
        batch.lastFolder = folder;
        for (const QString& name : names) {
            const QString path = joinPath(folder, name);
            batch.lines.add(name, &path, LineKind::File);
        }
        batch.hits += names.size();
        batch.caption = countCaption(batch.hits);
    };
    events.dateRejected = [&](qint64 examined) { batch.caption = QString::number(examined); };
    events.keepGoing = [&] {
        if (job.stopped())
            return false;
        sendIfDue();
        return true;
    };
    if (OrdnerDurchsuchen(request, events).stopped)
        return;
    batch.caption = countCaption(batch.hits);
    batch.last = true;
    deliver(job, receive, std::move(batch));
}

void searchTextsInBatches(SearchEngine::Job& job, const TextCandidates& candidates,
                          const ParsedQuery& query, const ContentLoader& loader,
                          BatchReceiver receive) {
    const QStringList& lines = candidates.lines;
    const qsizetype n = lines.size();
    const auto kindOf = [&](qsizetype i) { return candidates.kinds.value(i, LineKind::File); };
    // Header lines and pictures are not read.
    QStringList toRead;
    toRead.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const bool read = kindOf(i) == LineKind::File && !isPictureOrDrawingName(lines[i]);
        toRead.append(read ? candidates.paths.value(i) : QString());
    }

    const ContentQuery contentQuery(query);
    VerdictPool verdicts(loader, contentQuery, toRead);
    ResultBatch batch;
    BatchClock clock;
    qsizetype current = 0;
    qsizetype header = -1; // the header line above the files being read, until one is a hit
    const auto sendIfDue = [&] {
        if (!clock.due())
            return;
        batch.caption = QString::number(n - current); // candidates still to read
        batch.progress = visibleText(lines.value(current));
        deliverLines(job, receive, batch);
    };
    for (; current < n; ++current) {
        if (job.stopped())
            return;
        sendIfDue();
        if (kindOf(current) == LineKind::Header) {
            header = current;
            continue;
        }
        if (toRead[current].isEmpty())
            continue;
        // A file still being read must not keep a stop waiting.
        std::optional<ContentVerdict> verdict;
        while (!(verdict = verdicts.take(current, std::chrono::milliseconds(10)))) {
            if (job.stopped())
                return;
            sendIfDue();
        }
        if (verdict != ContentVerdict::Hit || lines[current].isEmpty())
            continue;
        if (header >= 0) {
            batch.lines.add(lines[header], &candidates.paths[header], LineKind::Header);
            header = -1;
        }
        batch.lines.add(lines[current], candidates.pathsKept ? &candidates.paths[current] : nullptr,
                        LineKind::File);
        ++batch.hits;
    }
    batch.caption = countCaption(batch.hits);
    batch.last = true;
    deliver(job, receive, std::move(batch));
}

} // namespace findolin
