// The term scanner finds the same terms at the same places whether the text comes whole or in two
// pieces, and what it finds agrees with a plain case-insensitive search. The test on raw bytes
// never rules out a term that a decoding of the bytes holds, and an ASCII spelling it reports is
// in the decoded plain text, and in a binary file's runs when the term always stays whole in one.
#include "fuzz_input.h"
#include "preview/text_decoding.h"
#include "search/content_match.h"
#include "search/term_bytes.h"

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

    const QByteArrayView bytes = input.bytes.sliced(input.bytes.indexOf('\n') + 1);
    findolin::TextDecoder decoder;
    const QString plain = (decoder.decode(bytes) + decoder.finish()).toCaseFolded();
    findolin::PrintableRuns runs;
    const QString binary = (runs.feed(bytes) + runs.finish()).toCaseFolded();
    const bool readAsItself = decoder.encoding() == findolin::TextDecoder::Encoding::Utf8 ||
                              decoder.encoding() == findolin::TextDecoder::Encoding::Windows1252;
    for (const QString& term : terms) {
        const QString folded = term.toCaseFolded();
        const findolin::TermBytes test(folded);
        if (!test.usable())
            continue;
        const auto found = test.find(bytes);
        if (found == findolin::TermBytes::Found::Nothing)
            FUZZ_EXPECT(!plain.contains(folded) && !binary.contains(folded));
        if (found == findolin::TermBytes::Found::AsciiSpelling && readAsItself)
            FUZZ_EXPECT(plain.contains(folded));
        if (found == findolin::TermBytes::Found::AsciiSpelling &&
            findolin::PrintableRuns::keepsWhole(folded))
            FUZZ_EXPECT(binary.contains(folded));
    }
    return 0;
}
