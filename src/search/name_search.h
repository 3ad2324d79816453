#pragma once

#include "platform/work.h"
#include "search/search_outcome.h"

namespace findolin {

class Form1;

// The search buttons: "* Suche" (names containing the query), "Suche" (names starting with it)
// and "*Firma..." (the company folder). A folder without sub-folders is narrowed in place; a
// folder tree is walked into the result list, one header line per folder with hits.
class NameSearch {
public:
    explicit NameSearch(Form1& form) : f(form) {}

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

private:
    using Outcome = SearchOutcome;

    Outcome SucheComm1Comm2();
    void clearForSearch();
    Outcome searchFolderInPlace(WorkTickets::Ticket ticket);
    Outcome OrdnerSuche(const QString& start, WorkTickets::Ticket ticket);
    void finish(Outcome outcome);
    bool bothQueriesEmpty() const;

    Form1& f;
};

} // namespace findolin
