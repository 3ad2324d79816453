#pragma once

#include "platform/work.h"
#include "search/search_outcome.h"

namespace findolin {

class Form1;

// The search inside the files that the name search left behind: the walk's result, the folder's
// file list or its refined list. It keeps the files whose text matches the text query in List2.
class TextSearch {
public:
    explicit TextSearch(Form1& form) : f(form) {}

    SearchOutcome Textsuche(WorkTickets::Ticket ticket);
    void Text4_Change();

private:
    Form1& f;
};

} // namespace findolin
