#pragma once

#include "platform/folder_scan.h"
#include "search/query_parser.h"
#include "search/query_patterns.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace findolin {

// The line above a folder's hits in the result lists, the same in the list and its path list.
inline QString headerLine(const QString& folder) {
    return QStringLiteral(">>>[") + folder + u']';
}

// What the recursive name search looks for.
struct WalkRequest {
    QString start;
    ParsedQuery query;
    NameMatch mode = NameMatch::Contains;
    // The date filter: whether the file passes. It is named relative to its open folder, or by its
    // full path when `scan` reads the folders. Empty when not armed.
    std::function<bool(FileAt file)> datePasses;
    // How folders are read, by their full paths; empty for the walk's own reading through open
    // folder handles, which works however long the paths grow.
    FolderScanner scan;
};

// What the walk tells while it runs. Every member may be left empty.
struct WalkEvents {
    // A folder is about to be read.
    std::function<void(const QString& folder)> enteringFolder;
    // The hits of one folder, in list-box order, each name once.
    std::function<void(const QString& folder, const QStringList& names)> folderHits;
    // The date filter dropped a file; `examined` counts every file enumerated so far.
    std::function<void(qint64 examined)> dateRejected;
    // Asked between steps; false stops the walk. A folder being read when it stops reports
    // nothing.
    KeepGoing keepGoing;
};

struct WalkSummary {
    qint64 examined = 0; // files enumerated, once per OR group whose pattern they match
    qint64 hits = 0;
    bool stopped = false;
};

// Walks the tree below `request.start` depth-first, a folder before its sub-folders, sub-folders
// in list-box order. Links to folders are not followed, so a link loop cannot trap the walk; a
// folder that cannot be read is skipped with everything below it. Each folder is opened relative
// to its parent, so a tree whose paths outgrow PATH_MAX is read whole; only a bounded number of
// folder handles is open at any time.
//
// A file is a hit when, for one OR group, its name matches the group's pattern (made from the
// group's leading text), holds no NOT term, passes the date filter and holds all of the group's
// terms.
WalkSummary OrdnerDurchsuchen(const WalkRequest& request, const WalkEvents& events);

} // namespace findolin
