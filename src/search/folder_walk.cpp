#include "search/folder_walk.h"

#include "platform/paths.h"
#include "search/list_order.h"
#include "search/name_match.h"

#include <algorithm>
#include <vector>

namespace findolin {
namespace {

class Walk {
public:
    Walk(const WalkRequest& request, const WalkEvents& events)
        : request_(request), events_(events), query_(request.query, request.mode) {}

    WalkSummary run() {
        std::vector<QString> pending{normalFolderPath(request_.start)};
        while (!pending.empty() && !summary_.stopped) {
            const QString folder = std::move(pending.back());
            pending.pop_back();
            if (!keepGoing())
                break;
            if (events_.enteringFolder)
                events_.enteringFolder(folder);
            auto scan = request_.scan ? request_.scan(folder, events_.keepGoing)
                                      : scanFolder(folder, events_.keepGoing);
            if (!scan) {
                summary_.stopped = scan.error() == OsError::Stopped;
                continue; // an unreadable folder is skipped with its sub-tree
            }
            const QStringList hits = hitsIn(*scan);
            if (summary_.stopped)
                break;
            summary_.hits += hits.size();
            if (!hits.isEmpty() && events_.folderHits)
                events_.folderHits(folder, hits);
            order_.sort(scan->subfolders);
            for (auto it = scan->subfolders.crbegin(); it != scan->subfolders.crend(); ++it)
                pending.push_back(joinPath(folder, *it));
        }
        return summary_;
    }

private:
    bool keepGoing() {
        if (events_.keepGoing && !events_.keepGoing())
            summary_.stopped = true;
        return !summary_.stopped;
    }

    QStringList hitsIn(const FolderScan& scan) {
        QStringList hits;
        for (const QString& name : scan.files) {
            bool dateRejected = false;
            const auto datePasses = [&] {
                dateRejected =
                    request_.datePasses && !request_.datePasses(joinPath(scan.folder, name));
                return !dateRejected;
            };
            qsizetype listed = 0;
            const bool hit = query_.matchesFolded(name.toCaseFolded(), datePasses, listed);
            // A name counts as examined once for each group whose pattern lists it; a stop is
            // asked for every 1024 examined.
            const qint64 before = summary_.examined;
            summary_.examined += listed;
            if ((before >> 10) != (summary_.examined >> 10) && !keepGoing())
                return {};
            if (dateRejected && events_.dateRejected)
                events_.dateRejected(summary_.examined);
            if (hit)
                hits.append(name);
        }
        order_.sort(hits);
        return hits;
    }

    const WalkRequest& request_;
    const WalkEvents& events_;
    const NameQuery query_;
    ListBoxOrder order_;
    WalkSummary summary_;
};

} // namespace

WalkSummary OrdnerDurchsuchen(const WalkRequest& request, const WalkEvents& events) {
    return Walk(request, events).run();
}

} // namespace findolin
