#include "search/text_search.h"

#include "app/form1.h"
#include "app/text_fitting.h"
#include "platform/paths.h"
#include "preview/file_types.h"
#include "search/content_match.h"
#include "search/file_list_box.h"
#include "search/folder_listing.h"
#include "search/folder_walk.h"
#include "search/query_line_edit.h"
#include "search/verdict_pool.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace findolin {
namespace {

// The files to search: the walk's result with its paths, or names in the file list's folder.
struct Candidates {
    enum class Source { Walk, Folder };
    Source source;
    QStringList lines;
    QStringList paths;     // the walk's, line for line
    QList<LineKind> kinds; // line for line
    QString folder;        // the folder of the names otherwise

    bool fromWalk() const { return source == Source::Walk; }
    bool isHeader(qsizetype i) const { return kinds.value(i) == LineKind::Header; }
    QString pathOf(qsizetype i) const {
        return fromWalk() ? paths.value(i) : joinPath(folder, lines[i]);
    }
};

// The result lines. The visible list gets them at most ten times a second; the last one can be
// taken back while it is a header without files below it.
class Results {
public:
    explicit Results(ListBox* list) : list_(list) {}

    // `path` is null when the lines are names in the file list's folder.
    void append(const QString& line, const QString* path, LineKind kind) {
        pending_.add(line, path, kind);
        endsInHeader_ = kind == LineKind::Header;
    }
    bool endsInHeader() const { return endsInHeader_; }
    // Takes back the last line, a header: the line before it is a file's, or there is none.
    void removeLast() {
        if (!pending_.lines.isEmpty())
            pending_.removeLast();
        else
            list_->removeLine(list_->count() - 1);
        endsInHeader_ = false;
    }
    void show() { list_->addLines(pending_); }
    int count() const { return list_->count() + int(pending_.lines.size()); }

private:
    ListBox* list_;
    PendingLines pending_;
    bool endsInHeader_ = false;
};

// The hourglass over the window, the result list and the preview while the search reads.
class BusyPointers {
public:
    explicit BusyPointers(Form1& form) : f(form) {
        f.setMousePointer(MousePointer::Hourglass);
        f.List2->setCursor(Qt::WaitCursor);
        f.RichTextBox2->viewport()->setCursor(Qt::WaitCursor);
    }
    ~BusyPointers() {
        f.RichTextBox2->viewport()->unsetCursor();
        f.List2->unsetCursor();
        f.setMousePointer(MousePointer::Default);
    }

private:
    Form1& f;
};

Candidates candidatesOf(const Form1& f) {
    if (f.MitUnterordnern || f.DatumsFilter)
        return {Candidates::Source::Walk, f.List1->lines(), f.List1->paths(), f.List1->kinds(), {}};
    const ListBox* list = f.Verfeinert ? f.FileList1 : static_cast<const ListBox*>(f.File1);
    return {Candidates::Source::Folder, list->lines(), {}, list->kinds(), f.File1->folder()};
}

} // namespace

SearchOutcome TextSearch::Textsuche(WorkTickets::Ticket ticket) {
    f.TextAuslesen(QuerySource::Text);
    if (!f.DatumsFilter)
        f.showStatus(QStringLiteral("   STOP mit ESC"));
    f.showList(f.List2);
    f.mnuOrdner->setVisible(false);
    f.List2->clear();

    const Candidates candidates = candidatesOf(f);
    const qsizetype n = candidates.lines.size();
    // Header lines and pictures are not read.
    QStringList paths;
    paths.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const bool read = !candidates.isHeader(i) && !isPictureOrDrawingName(candidates.lines[i]);
        paths.append(read ? candidates.pathOf(i) : QString());
    }
    const ContentQuery query(f.Abfrage);
    Results results(f.List2);
    int headers = 0;
    qsizetype current = 0;
    YieldClock refresh(100);
    const KeepGoing keepGoing = f.keepGoingWhileCurrent(ticket, StopOn::NewerOrEscape, [&] {
        if (!refresh.due())
            return;
        results.show();
        f.mnuDateiZähler->setText(QString::number(n - current)); // candidates still to do
        f.mnuName->setText(candidates.lines.value(current));
    });

    bool complete = true;
    {
        const BusyPointers busy(f);
        VerdictPool verdicts(f.contentLoader, query, paths);
        for (; current < n && complete; ++current) {
            if (!keepGoing()) {
                complete = false;
                break;
            }
            const QString& line = candidates.lines[current];
            if (candidates.isHeader(current)) {
                // The folder before produced no hit: its header goes.
                if (results.endsInHeader()) {
                    results.removeLast();
                    --headers;
                }
                results.append(line, &candidates.paths[current], LineKind::Header);
                ++headers;
                continue;
            }
            if (paths[current].isEmpty())
                continue;
            // A file still being read must not keep Escape waiting.
            std::optional<ContentVerdict> verdict;
            while (!(verdict = verdicts.take(current, std::chrono::milliseconds(10)))) {
                if (!keepGoing()) {
                    complete = false;
                    break;
                }
            }
            if (verdict == ContentVerdict::Hit && !line.isEmpty())
                results.append(line, candidates.fromWalk() ? &candidates.paths[current] : nullptr,
                               LineKind::File);
        }
        if (!f.isCurrent(ticket))
            return SearchOutcome::Overtaken;
        if (complete && results.endsInHeader()) {
            results.removeLast();
            --headers;
        }
        results.show();
    }
    if (complete)
        f.mnuDateiZähler->setText(countCaption(results.count() - headers));

    // The blank the parser put in front of a leading NOT goes again.
    if (f.Text4->text().startsWith(u' '))
        f.Text4->setText(f.Text4->text().mid(1));
    f.mnuName->setText({});
    f.Abfrage = {};
    return complete ? SearchOutcome::Finished : SearchOutcome::Stopped;
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
