#pragma once

#include "search/search_engine.h"

#include <functional>

namespace findolin {

class Form1;
struct ResultBatch;

// The search inside the files that the name search left behind: the walk's result, the folder's
// file list or its refined list. It keeps the files whose text matches the text query in List2.
// The files are read on workers; the list fills as their verdicts come in.
class TextSearch {
public:
    explicit TextSearch(Form1& form) : f(form) {}

    // Starts the search; `then` runs when it has ended, also after a stop.
    void Textsuche(std::function<void()> then);
    // Ends the running search as a stop at its next test would.
    void stop();
    void Text4_Change();

private:
    void received(const ResultBatch& batch);
    void ended(const ResultBatch* last);
    void showBusy(bool busy);

    Form1& f;
    SearchEngine::Ticket ticket_ = 0;
    std::function<void()> then_;
};

} // namespace findolin
