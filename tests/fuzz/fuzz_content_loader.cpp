// Any file turns into text through the one loader of the search and the preview, and the content
// test finds a term in it exactly when the text holds it.
#include "fuzz_input.h"
#include "preview/content_loader.h"
#include "search/content_match.h"
#include "search/query_parser.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("input"));
    const FuzzInput input(data, size);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(input.bytes.data(), input.bytes.size());
    }
    const findolin::ContentLoader loader;
    QString text;
    const auto read = loader.readText(path, [&](QStringView piece) {
        text += piece;
        return true;
    });
    if (!read.ok() || text.size() < 3)
        return 0;
    // A term taken from the text itself must be found.
    const QString term = text.mid(text.size() / 2, 3);
    if (term.contains(u'+') || term.contains(u'#') || term.contains(u'-') || term.trimmed() != term)
        return 0;
    const findolin::ContentQuery query(findolin::TextAuslesen(term));
    FUZZ_EXPECT(query.test(loader, path) == findolin::ContentVerdict::Hit);
    return 0;
}
