#include "preview/rich_text_buffer.h"

#include "platform/read_only_file.h"
#include "preview/content_loader.h"

namespace findolin {

bool RichTextBuffer::LoadFile(const QString& path) {
    auto file = ReadOnlyFile::open(path);
    file_.reset();
    path_.clear();
    if (!file)
        return false;
    file_.emplace(std::move(*file));
    path_ = path;
    return true;
}

ReadOnlyFile* RichTextBuffer::rewound() {
    if (!file_ || !file_->rewind())
        return nullptr;
    return &*file_;
}

qsizetype RichTextBuffer::Find(const QString& term) {
    ReadOnlyFile* file = rewound();
    if (!file)
        return -1;
    TermScanner scanner({term});
    const auto read = loader_.readText(*file, path_, [&](QStringView piece) {
        scanner.feed(piece);
        return !scanner.found(0);
    });
    if (!read.ok())
        return -1;
    scanner.finish();
    return scanner.position(0);
}

ContentVerdict RichTextBuffer::Matches(const ContentQuery& query, const KeepGoing& keepGoing) {
    ReadOnlyFile* file = rewound();
    if (!file)
        return ContentVerdict::Unreadable;
    return query.test(loader_, *file, path_, keepGoing);
}

} // namespace findolin
