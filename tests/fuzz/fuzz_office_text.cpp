// Any bytes taken for an office document are read without harm, and the text comes in pieces.
#include "fuzz_input.h"
#include "preview/office_text.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzInput input(data, size);
    QByteArray bytes = input.bytes.toByteArray();
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    qsizetype length = 0;
    (void)findolin::readOfficeText(device, [&](QStringView piece) {
        length += piece.size();
        return true;
    });
    return 0;
}
