// Plain text decodes the same in two pieces as whole, once the pieces lead to the same encoding
// (it is chosen from the first piece); the printable runs of binary files do so always.
#include "fuzz_input.h"
#include "preview/text_decoding.h"

namespace {

template <typename Decoder>
QString decoded(Decoder& decoder, std::initializer_list<QByteArrayView> pieces) {
    QString text;
    for (QByteArrayView piece : pieces)
        text += decoder.decode(piece);
    return text + decoder.finish();
}

struct Runs : findolin::PrintableRuns {
    QString decode(QByteArrayView piece) { return feed(piece); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzInput input(data, size);
    findolin::TextDecoder whole, split;
    const QString wholeText = decoded(whole, {input.bytes});
    const QString splitText = decoded(split, {input.head(), input.tail()});
    if (whole.encoding() == split.encoding())
        FUZZ_EXPECT(wholeText == splitText);
    Runs wholeRuns, splitRuns;
    FUZZ_EXPECT(decoded(wholeRuns, {input.bytes}) ==
                decoded(splitRuns, {input.head(), input.tail()}));
    return 0;
}
