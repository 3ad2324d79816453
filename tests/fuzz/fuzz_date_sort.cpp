// Every name gets a date key, and the sort by date is an order of all the lines, each once.
#include "fuzz_input.h"
#include "search/date_sort.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzInput input(data, size);
    const QStringList lines = QString::fromUtf8(input.bytes).split(u'\n');
    for (const QString& line : lines)
        (void)findolin::dateKey(line);
    std::vector<qsizetype> order = findolin::orderByDate(lines);
    FUZZ_EXPECT(qsizetype(order.size()) == lines.size());
    std::sort(order.begin(), order.end());
    for (qsizetype i = 0; i < qsizetype(order.size()); ++i)
        FUZZ_EXPECT(order[i] == i);
    return 0;
}
