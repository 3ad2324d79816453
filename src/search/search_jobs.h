#pragma once

#include "preview/content_loader.h"
#include "search/folder_listing.h"
#include "search/folder_walk.h"
#include "search/line_kind.h"
#include "search/search_engine.h"

#include <QElapsedTimer>
#include <functional>

namespace findolin {

// The searches as work for the engine. Each runs on a worker and hands its results to a receiver
// on the window's thread in batches: about every 30 ms, which is as often as a window can usefully
// redraw, and once more at the end.

// What a batch of a walk or a text search brings.
struct ResultBatch {
    PendingLines lines; // new result lines, in walk order
    QString caption;    // the counter: hits so far (a text search: files still to read)
    QString progress;   // the folder being searched or the file being read
    qint64 hits = 0;    // files among all lines so far
    QString lastFolder; // the folder of the last header line so far
    bool last = false;  // the search is done: the caption is its count
};
using BatchReceiver = std::function<void(ResultBatch batch)>;

// Whether the walk writes a header line above each folder's hits.
enum class HeaderLines { Written, Left };

// The recursive name search. Its progress caption counts the hits, or, while the date filter
// drops files, the files examined.
void walkInBatches(SearchEngine::Job& job, const WalkRequest& request, HeaderLines headers,
                   BatchReceiver receive);

// The files a text search reads: lines of a result list with their paths and kinds.
struct TextCandidates {
    QStringList lines;
    QStringList paths; // the file of each line; header lines carry their own text
    QList<LineKind> kinds;
    // Whether the hits keep their paths (a walk's result) or are names in the listed folder.
    bool pathsKept = false;
};

// The text search over the candidates, with the files read ahead by a pool of workers. A header
// line is written only above a hit. Pictures are not read.
void searchTextsInBatches(SearchEngine::Job& job, const TextCandidates& candidates,
                          const ParsedQuery& query, const ContentLoader& loader,
                          BatchReceiver receive);

// Tells when a batch is due.
class BatchClock {
public:
    BatchClock() { clock_.start(); }
    bool due() {
        if (clock_.elapsed() < kIntervalMs)
            return false;
        clock_.restart();
        return true;
    }
    static constexpr qint64 kIntervalMs = 30;

private:
    QElapsedTimer clock_;
};

} // namespace findolin
