// Any message renders, and what it renders holds no script element (an unknown element such as
// "<scriptx>" is no script).
#include "fuzz_input.h"
#include "preview/mail_message.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QRegularExpression script(QStringLiteral("<script[\\s/>]"),
                                           QRegularExpression::CaseInsensitiveOption);
    const FuzzInput input(data, size);
    FUZZ_EXPECT(!findolin::mailAsHtml(input.bytes).contains(script));
    return 0;
}
