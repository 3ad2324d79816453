#include "search/text_search.h"

#include "app/form1.h"
#include "app/text_fitting.h"
#include "platform/paths.h"
#include "search/file_list_box.h"
#include "search/folder_listing.h"
#include "search/query_line_edit.h"
#include "search/search_jobs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace findolin {
namespace {

// The files to search: the walk's result with its paths, or names in the file list's folder.
TextCandidates candidatesOf(const Form1& f) {
    if (f.MitUnterordnern || f.DatumsFilter)
        return {f.List1->lines(), f.List1->paths(), f.List1->kinds(), true};
    const ListBox* list = f.Verfeinert ? f.FileList1 : static_cast<const ListBox*>(f.File1);
    TextCandidates candidates{list->lines(), {}, list->kinds(), false};
    candidates.paths.reserve(candidates.lines.size());
    for (const QString& line : candidates.lines)
        candidates.paths.append(joinPath(f.File1->folder(), line));
    return candidates;
}

} // namespace

void TextSearch::Textsuche(std::function<void()> then) {
    f.TextAuslesen(QuerySource::Text);
    if (!f.DatumsFilter)
        f.showStatus(QStringLiteral("   STOP mit ESC"));
    f.showList(f.List2);
    f.mnuOrdner->setVisible(false);
    f.List2->clear();

    then_ = std::move(then);
    showBusy(true);
    ticket_ = f.startWork([this, candidates = candidatesOf(f), query = f.Abfrage,
                           loader = f.contentLoader()](SearchEngine::Job& job) {
        searchTextsInBatches(job, candidates, query, loader,
                             [this](ResultBatch batch) { received(batch); });
    });
}

void TextSearch::stop() {
    if (!then_ || !f.engine().isCurrent(ticket_))
        return;
    f.engine().cancel(ticket_);
    ended(nullptr);
}

void TextSearch::received(const ResultBatch& batch) {
    PendingLines lines = batch.lines;
    f.List2->addLines(lines);
    if (batch.last)
        return ended(&batch);
    f.mnuDateiZähler->setText(batch.caption);
    f.mnuName->setText(batch.progress);
}

// `last` is the last batch, or null after a stop, which leaves the caption as Escape emptied it.
void TextSearch::ended(const ResultBatch* last) {
    showBusy(false);
    if (last)
        f.mnuDateiZähler->setText(last->caption);
    // The blank the parser put in front of a leading NOT goes again.
    if (f.Text4->text().startsWith(u' '))
        f.Text4->setText(f.Text4->text().mid(1));
    f.mnuName->setText({});
    f.Abfrage = {};
    if (auto then = std::exchange(then_, {}))
        then();
}

// The hourglass over the window, the result list and the preview while the search reads.
void TextSearch::showBusy(bool busy) {
    f.setMousePointer(busy ? MousePointer::Hourglass : MousePointer::Default);
    for (QWidget* widget : {static_cast<QWidget*>(f.List2), f.RichTextBox2->viewport()}) {
        if (busy)
            widget->setCursor(Qt::WaitCursor);
        else
            widget->unsetCursor();
    }
}

void TextSearch::Text4_Change() {
    if (!f.DatumsFilter) {
        f.showStatus(kTextQueryHint);
        f.hideDateAmounts();
    }
    f.CommandSort->hide();
    if (!f.Text4->text().isEmpty())
        return; // a search starts from the buttons or Enter, not from typing
    f.showList(f.File1);
    f.mnuOrdner->setVisible(true);
    f.mnuDateiZähler->setText(
        !f.MitUnterordnern && f.File1->count() > 1 ? countCaption(f.File1->count()) : QString());
}

} // namespace findolin
