#pragma once

#include "platform/folder_scan.h"
#include "platform/read_only_file.h"
#include "search/content_match.h"

#include <QString>
#include <optional>

namespace findolin {

class ContentLoader;

// The text search's reading buffer. Loading a file opens it and tells whether it can be read;
// searching then reads its text as a stream, so that even a file of gigabytes costs no more
// memory than a small one. A file that cannot be read leaves the buffer empty: nothing of the
// document loaded before can be found in its place.
class RichTextBuffer {
public:
    explicit RichTextBuffer(const ContentLoader& loader) : loader_(loader) {}
    explicit RichTextBuffer(const ContentLoader&&) = delete; // it keeps the loader it is given

    bool LoadFile(const QString& path);
    // Where the term first occurs in the text, without regard to case; -1 when it does not, or
    // when nothing is loaded.
    qsizetype Find(const QString& term);
    // The loaded document against a whole text query, read once for all its terms.
    ContentVerdict Matches(const ContentQuery& query, const KeepGoing& keepGoing = {});

private:
    // The loaded file, at its start.
    ReadOnlyFile* rewound();

    const ContentLoader& loader_;
    QString path_;
    std::optional<ReadOnlyFile> file_;
};

} // namespace findolin
