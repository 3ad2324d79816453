#pragma once

#include "platform/work.h"

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
    // How a search ended: done, stopped by the user, or overtaken by a newer request (which then
    // owns the window: the older one writes nothing more).
    enum class Outcome { Finished, Stopped, Overtaken };

    Outcome SucheComm1Comm2();
    Outcome searchFolderInPlace(WorkTickets::Ticket ticket);
    Outcome OrdnerSuche(const QString& start, WorkTickets::Ticket ticket);
    void finish(Outcome outcome);
    bool bothQueriesEmpty() const;

    Form1& f;
};

} // namespace findolin
