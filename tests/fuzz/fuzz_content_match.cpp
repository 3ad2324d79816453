// The term scanner finds the same terms at the same places whether the text comes whole or in two
// pieces, and what it finds agrees with a plain case-insensitive search.
#include "fuzz_input.h"
#include "search/content_match.h"

#include <QStringList>

namespace {

std::vector<qsizetype> positions(const QStringList& terms,
                                 std::initializer_list<QStringView> pieces) {
    findolin::TermScanner scanner(terms);
    for (QStringView piece : pieces)
        scanner.feed(piece);
    scanner.finish();
    std::vector<qsizetype> found;
    for (qsizetype t = 0; t < terms.size(); ++t)
        found.push_back(scanner.position(t));
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzInput input(data, size);
    const QStringList terms = input.firstLine().split(u'+', Qt::SkipEmptyParts);
    const QString text = input.rest();
    const qsizetype split = input.splitPoint() % (text.size() + 1);
    const auto whole = positions(terms, {text});
    FUZZ_EXPECT(whole == positions(terms, {QStringView(text).first(split),
                                           QStringView(text).sliced(split)}));
    for (qsizetype t = 0; t < terms.size(); ++t)
        FUZZ_EXPECT((whole[t] >= 0) == text.toCaseFolded().contains(terms[t].toCaseFolded()));
    return 0;
}
