#include "preview/rich_text_buffer.h"

#include "platform/read_only_file.h"
#include "preview/content_loader.h"

namespace findolin {

bool RichTextBuffer::LoadFile(const QString& path) {
    const bool readable = ReadOnlyFile::open(path).ok();
    path_ = readable ? path : QString();
    return readable;
}

qsizetype RichTextBuffer::Find(const QString& term) const {
    if (path_.isEmpty())
        return -1;
    TermScanner scanner({term});
    const auto failure = loader_.readText(path_, [&](QStringView piece) {
        scanner.feed(piece);
        return !scanner.found(0);
    });
    if (failure)
        return -1;
    scanner.finish();
    return scanner.position(0);
}

ContentVerdict RichTextBuffer::Matches(const ContentQuery& query,
                                       const KeepGoing& keepGoing) const {
    if (path_.isEmpty())
        return ContentVerdict::Unreadable;
    return query.test(loader_, path_, keepGoing);
}

} // namespace findolin
