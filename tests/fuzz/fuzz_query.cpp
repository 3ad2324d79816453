// The query parser takes any text, and the name test and the wildcard matcher agree with their
// own case-folded forms.
#include "fuzz_input.h"
#include "search/name_match.h"
#include "search/query_parser.h"
#include "search/wildcard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzInput input(data, size);
    const QString query = input.firstLine();
    const findolin::ParsedQuery parsed = findolin::TextAuslesen(query);
    const findolin::WildcardPattern pattern(query);
    for (const findolin::NameMatch mode :
         {findolin::NameMatch::Contains, findolin::NameMatch::StartsWith}) {
        const findolin::NameQuery names(parsed, mode);
        for (const QString& name : input.rest().split(u'\n')) {
            const QString folded = name.toCaseFolded();
            qsizetype listed = 0;
            FUZZ_EXPECT(names.matches(name) == names.matchesFolded(
                                                   folded, [] { return true; }, listed));
            FUZZ_EXPECT(pattern.matches(name) == pattern.matchesFolded(folded));
        }
    }
    return 0;
}
