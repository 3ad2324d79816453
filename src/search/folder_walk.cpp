#include "search/folder_walk.h"

#include "platform/native_names.h"
#include "platform/paths.h"
#include "search/list_order.h"
#include "search/name_match.h"

#include <algorithm>
#include <fcntl.h>
#include <vector>

namespace findolin {
namespace {

// The most folder handles the path of one walk holds (the folder being read adds one). Each
// folder on the path keeps its handle, to open its sub-folders from, while the walk is below it;
// deeper than this, the shallowest are closed (the start folder's never) and opened again from
// the start folder when the walk climbs back to them. No real tree is that deep, so this costs
// nothing in practice, and a deep one cannot run the process out of file descriptors.
constexpr qsizetype kOpenOnPath = 32;

// A folder on the current path of the walk.
struct Frame {
    QString path;           // full path, as in the header lines
    FolderHandle handle;    // closed when read through WalkRequest::scan, or to stay in bounds
    QStringList subfolders; // in list-box order
    qsizetype next = 0;     // the sub-folder to walk into next
};

class Walk {
public:
    Walk(const WalkRequest& request, const WalkEvents& events)
        : request_(request), events_(events), query_(request.query, request.mode) {}

    WalkSummary run() {
        visit(normalFolderPath(request_.start), {});
        while (!path_.empty() && !summary_.stopped) {
            Frame& top = path_.back();
            if (top.next == top.subfolders.size()) {
                path_.pop_back();
                continue;
            }
            const QString name = top.subfolders[top.next++];
            visit(joinPath(top.path, name), name);
        }
        return summary_;
    }

private:
    // Reads one folder (the start folder when `name` is null, else the sub-folder `name` of the
    // deepest folder on the path) and reports its hits; one with sub-folders joins the path.
    void visit(const QString& folder, const QString& name) {
        if (!keepGoing())
            return;
        if (events_.enteringFolder)
            events_.enteringFolder(folder);
        Frame frame{folder, {}, {}, 0};
        auto scan = read(frame, name);
        if (!scan) {
            summary_.stopped = scan.error() == OsError::Stopped;
            return; // an unreadable folder is skipped with its sub-tree
        }
        const QStringList hits = hitsIn(*scan, frame.handle);
        if (summary_.stopped)
            return;
        summary_.hits += hits.size();
        if (!hits.isEmpty() && events_.folderHits)
            events_.folderHits(folder, hits);
        if (scan->subfolders.isEmpty())
            return;
        order_.sort(scan->subfolders);
        frame.subfolders = std::move(scan->subfolders);
        path_.push_back(std::move(frame));
        const qsizetype leaving = path_.size() - kOpenOnPath;
        if (leaving > 0)
            path_[leaving].handle.close();
    }

    Result<FolderScan> read(Frame& frame, const QString& name) {
        if (request_.scan)
            return request_.scan(frame.path, events_.keepGoing);
        auto handle = name.isNull() ? openFolder(frame.path) : openSubfolder(parentHandle(), name);
        if (!handle)
            return handle.error();
        frame.handle = std::move(*handle);
        return scanFolder(frame.handle, frame.path, events_.keepGoing);
    }

    // The handle of the deepest folder on the path. When it was closed, so was every folder
    // between it and the start folder (handles are closed from the shallow end of the path):
    // they are opened again downwards, and the deepest of them kept.
    const FolderHandle& parentHandle() {
        const qsizetype deepest = path_.size() - 1;
        if (path_[deepest].handle.isOpen())
            return path_[deepest].handle;
        for (qsizetype i = 1; i <= deepest; ++i) {
            const Frame& parent = path_[i - 1];
            auto handle = openSubfolder(parent.handle, parent.subfolders[parent.next - 1]);
            if (!handle) {
                // Moved away meanwhile: its sub-folders count as unreadable.
                for (qsizetype j = 1; j < i; ++j)
                    path_[j].handle.close();
                return path_[deepest].handle;
            }
            path_[i].handle = std::move(*handle);
            if (i - 1 >= 1 && i - 1 <= deepest - kOpenOnPath + 1)
                path_[i - 1].handle.close();
        }
        return path_[deepest].handle;
    }

    bool keepGoing() {
        if (events_.keepGoing && !events_.keepGoing())
            summary_.stopped = true;
        return !summary_.stopped;
    }

    // Whether the file passes the date filter: looked at through its folder's handle when there is
    // one, else by its full path.
    bool passesDate(const FolderScan& scan, const FolderHandle& folder, const QString& name) const {
        if (folder.isOpen())
            return request_.datePasses(FileAt{folder.fd(), bytesOfName(name).constData()});
        return request_.datePasses(
            FileAt{AT_FDCWD, bytesOfName(joinPath(scan.folder, name)).constData()});
    }

    QStringList hitsIn(const FolderScan& scan, const FolderHandle& folder) {
        QStringList hits;
        for (const QString& name : scan.files) {
            bool dateRejected = false;
            const auto datePasses = [&] {
                dateRejected = request_.datePasses && !passesDate(scan, folder, name);
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
    std::vector<Frame> path_; // the folders the walk is below, the start folder first
};

} // namespace

WalkSummary OrdnerDurchsuchen(const WalkRequest& request, const WalkEvents& events) {
    return Walk(request, events).run();
}

} // namespace findolin
