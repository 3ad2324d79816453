// The RTF reader gives the same text whether the document comes whole or in two pieces.
#include "fuzz_input.h"
#include "preview/rtf_reader.h"

namespace {

QString textOf(std::initializer_list<QByteArrayView> pieces) {
    QString text;
    findolin::RtfReader reader(
        [&](QStringView piece, const findolin::RtfFormat&) { text += piece; });
    for (QByteArrayView piece : pieces)
        reader.feed(piece);
    reader.finish();
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzInput input(data, size);
    FUZZ_EXPECT(textOf({input.bytes}) == textOf({input.head(), input.tail()}));
    return 0;
}
