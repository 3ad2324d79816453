#pragma once

#include "search/search_engine.h"

namespace findolin {

class Form1;
struct FolderProbe;
struct ResultBatch;

// The search buttons: "* Suche" (names containing the query), "Suche" (names starting with it)
// and "*Firma..." (the company folder). A folder without sub-folders is narrowed in place; a
// folder tree is walked into the result list, one header line per folder with hits; the text
// search then reads what the name search found.
//
// The folder work runs on workers; each step starts the next when its results are in. Escape or
// STOP ends the step that runs at once, and the search finishes as after a stop at its next
// test; a newer request takes the window over, and this search writes nothing more.
class NameSearch {
public:
    explicit NameSearch(Form1& form) : f(form) {}

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    // Ends the running search as a stop at its next test would.
    void stop();

private:
    // Which buttons' steps the search follows when the walk is done.
    enum class Kind { Folder, Company };
    enum class Step { Idle, Probing, Walking, Texts };

    void SucheComm1Comm2();
    void clearForSearch();
    void probed(const FolderProbe& probe);
    void showInPlace(const FolderProbe& probe);
    void OrdnerSuche(const QString& start);
    void walkBatch(const ResultBatch& batch);
    void walkEnded();
    void afterWalk();
    void finishSearch();
    bool bothQueriesEmpty() const;
    void startStep(Step step, SearchEngine::Work work);

    Form1& f;
    Kind kind_ = Kind::Folder;
    Step step_ = Step::Idle;
    SearchEngine::Ticket ticket_ = 0;
};

} // namespace findolin
