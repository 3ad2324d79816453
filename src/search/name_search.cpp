#include "search/name_search.h"

#include "app/form1.h"
#include "platform/dialogs.h"
#include "platform/file_times.h"
#include "platform/paths.h"
#include "search/date_filter.h"
#include "search/file_list_box.h"
#include "search/folder_listing.h"
#include "search/folder_walk.h"
#include "search/name_match.h"
#include "search/query_line_edit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace findolin {
namespace {

const QString kStopHint = QStringLiteral("   STOP mit ESC");

// Whether the walk writes a header line above each folder's hits.
enum class HeaderLines { Written, Left };

// Collects the walk's lines and shows them, with the progress captions, at most ten times a
// second: a walk over twenty thousand folders must not redraw the window for every one of them,
// and nobody reads a caption that changes faster.
class ResultWriter {
public:
    ResultWriter(Form1& form, HeaderLines headers) : f(form), headers_(headers) {}

    void enteringFolder(const QString& folder) {
        progress_ = folder + QStringLiteral("...");
        caption_ = countCaption(f.Trefferzahl);
    }

    void folderHits(const QString& folder, const QStringList& names) {
        if (headers_ == HeaderLines::Written && f.Label1 != folder) {
            const QString header = headerLine(folder);
            pending_.add(header, &header, LineKind::Header);
        }
        f.Label1 = folder;
        for (const QString& name : names) {
            const QString path = joinPath(folder, name);
            pending_.add(name, &path, LineKind::File);
        }
        f.Trefferzahl += names.size();
        caption_ = countCaption(f.Trefferzahl);
    }

    // The caption then counts the files examined, so that a long filtered walk shows progress.
    void dateRejected(qint64 examined) { caption_ = QString::number(examined); }

    void showNowAndThen() {
        if (refresh_.due())
            show();
    }

    void show() {
        showLines();
        if (!caption_.isNull())
            f.mnuDateiZähler->setText(caption_);
        if (!progress_.isNull())
            f.mnuName->setText(progress_);
    }

    void finish() {
        caption_ = countCaption(f.Trefferzahl);
        show();
    }

    // After a stop the lines written so far stay, but the captions stay as Escape emptied them.
    void showLines() { f.List1->addLines(pending_); }

private:
    Form1& f;
    HeaderLines headers_;
    PendingLines pending_;
    QString caption_;
    QString progress_;
    YieldClock refresh_{100};
};

// The date filter's test of one file, with the limit taken from the number fields now.
std::function<bool(const QString&)> dateTestFor(const Form1& f) {
    const DateAmounts amounts{amountFromText(f.TextMon->text()), amountFromText(f.TextTag->text()),
                              amountFromText(f.TextStd->text())};
    const QDateTime limit = dateLimit(QDateTime::currentDateTime(), amounts);
    return [limit](const QString& path) {
        const auto modified = modificationTime(path);
        return modified && changedAfter(*modified, limit);
    };
}

} // namespace

void NameSearch::Command1_Click() {
    f.SuchModus = NameMatch::Contains;
    finish(SucheComm1Comm2());
}

void NameSearch::Command2_Click() {
    f.SuchModus = NameMatch::StartsWith;
    finish(SucheComm1Comm2());
}

void NameSearch::finish(Outcome outcome) {
    if (outcome == Outcome::Overtaken) {
        // The newer request has done its work by the time this one unwinds: nothing runs now.
        f.setMousePointer(MousePointer::Default);
        return;
    }
    f.ScrollbreiteSetzen();
}

// What every search clears first: the date fields (unless the filter is armed), the preview and
// the sort button, whose offer belongs to the search before.
void NameSearch::clearForSearch() {
    if (!f.DatumsFilter)
        f.hideDateAmounts();
    f.RichTextBox2->clear();
    f.CommandSort->hide();
    f.shownOrder = ListOrder::Plain;
}

NameSearch::Outcome NameSearch::SucheComm1Comm2() {
    const auto ticket = f.beginWork();
    clearForSearch();
    f.setMousePointer(MousePointer::Hourglass);
    f.MitUnterordnern = false;
    f.Verfeinert = false;
    f.Abbruch = false;
    f.showList(f.File1);
    f.mnuOrdner->setVisible(true);

    f.UnterordnerPrüfen(f.Text2->text());
    if (!f.MitUnterordnern && searchFolderInPlace(ticket) == Outcome::Overtaken)
        return Outcome::Overtaken;
    f.setMousePointer(MousePointer::Default);
    if (f.MitUnterordnern && !f.DatumsFilter)
        f.showStatus(kStopHint);
    // A stop during the refinement does not go on into a walk.
    if ((f.MitUnterordnern || f.DatumsFilter) && !f.Abbruch) {
        if (OrdnerSuche(f.AktuellerOrdner, ticket) == Outcome::Overtaken)
            return Outcome::Overtaken;
    }
    f.mnuName->setText({});
    if (!f.Abbruch && !f.Text4->text().isEmpty() && f.Textsuche(ticket) == Outcome::Overtaken)
        return Outcome::Overtaken;
    if (!f.MitUnterordnern) {
        f.setSortButtonRole(SortButtonRole::Sort);
        if (f.offersDateSort && !f.DatumsFilter)
            f.CommandSort->show();
    } else if (!f.DatumsFilter) {
        f.showCredit();
    }
    f.DatumsFilter = false; // the date filter serves one search
    if (f.showsInvoiceFolder())
        f.CommandSort_Click();
    return f.Abbruch ? Outcome::Stopped : Outcome::Finished;
}

// A folder without sub-folders: the file list is narrowed by the query's pattern, and when the
// query has more than leading texts ("+" or "-"), each name is tested into FileList1.
NameSearch::Outcome NameSearch::searchFolderInPlace(WorkTickets::Ticket ticket) {
    const QString query = f.Text1->text();
    (void)f.File1->setPattern(searchPattern(query, f.SuchModus));
    f.mnuDateiZähler->setText(countCaption(f.File1->count()));
    if (!query.contains(u'+') && !query.contains(u'-'))
        return Outcome::Finished;

    f.Verfeinert = true;
    f.TextAuslesen(QuerySource::Names);
    f.FileList1->clear();
    // A copy: the file list may be read again while the event loop has its turns.
    const QStringList candidates = f.File1->lines();
    // The status caption shows the name being tested, so a long refinement shows progress.
    const QString* testing = nullptr;
    const auto refined =
        namesThatMatch(candidates, NameQuery(f.Abfrage, f.SuchModus),
                       f.keepGoingWhileCurrent(ticket, StopOn::NewerOrEscape,
                                               [&] {
                                                   if (testing)
                                                       f.mnuName->setText(*testing);
                                               }),
                       [&](const QString& name) { testing = &name; });
    if (!f.isCurrent(ticket))
        return Outcome::Overtaken;
    f.Abfrage = {};
    if (!refined) {
        // Stopped: the file list keeps showing the candidates, and the caption counts them.
        f.mnuDateiZähler->setText(countCaption(f.File1->count()));
        return Outcome::Stopped;
    }
    f.FileList1->setLines(*refined);
    f.showList(f.FileList1);
    f.mnuOrdner->setVisible(true);
    f.mnuDateiZähler->setText(refined->size() > 1 ? countCaption(refined->size()) : QString());
    return Outcome::Finished;
}

void NameSearch::Command3_Click() {
    // On a machine without the company folder this is the stop button: it stops whatever runs
    // and changes nothing else, so that the stopped search's lists stay as they were.
    if (!folderHoldsFile(f.sites.company)) {
        f.Abbruch = true;
        return;
    }
    const auto ticket = f.beginWork();
    clearForSearch();
    f.SuchModus = NameMatch::Contains;
    f.MitUnterordnern = true;
    f.Abbruch = false;
    f.setMousePointer(MousePointer::Default);
    f.Verfeinert = false;
    if (bothQueriesEmpty()) {
        f.dialogs().message(QStringLiteral("Dateinamen eingeben!"));
        return;
    }
    if (!f.DatumsFilter)
        f.showStatus(kStopHint);
    const Outcome outcome = OrdnerSuche(f.sites.company, ticket);
    if (outcome != Outcome::Finished)
        return finish(outcome);
    if (!f.Text4->text().isEmpty() && f.Textsuche(ticket) == Outcome::Overtaken)
        return finish(Outcome::Overtaken);
    if (!f.DatumsFilter)
        f.showCredit();
    f.DatumsFilter = false;
    f.ScrollbreiteSetzen();
}

NameSearch::Outcome NameSearch::OrdnerSuche(const QString& start, WorkTickets::Ticket ticket) {
    if (bothQueriesEmpty()) {
        f.dialogs().message(QStringLiteral("Dateinamen eingeben!"));
        return Outcome::Finished;
    }
    f.TextAuslesen(QuerySource::Names);
    f.Trefferzahl = 0;
    if (!f.DatumsFilter)
        f.showStatus(kStopHint);
    f.mnuName->setText(f.List1->line(f.List1->currentRow()));
    f.showList(f.List1);
    f.mnuOrdner->setVisible(false);
    f.List1->clear();
    f.Label1.clear();
    f.setMousePointer(MousePointer::Hourglass);

    // A filtered search of a single folder lists bare names.
    ResultWriter writer(f, f.DatumsFilter && !f.MitUnterordnern ? HeaderLines::Left
                                                                : HeaderLines::Written);
    WalkRequest request{start, f.Abfrage, f.SuchModus, {}};
    if (f.DatumsFilter)
        request.datePasses = dateTestFor(f);
    WalkEvents events;
    events.enteringFolder = [&](const QString& folder) { writer.enteringFolder(folder); };
    events.folderHits = [&](const QString& folder, const QStringList& names) {
        writer.folderHits(folder, names);
    };
    events.dateRejected = [&](qint64 examined) { writer.dateRejected(examined); };
    events.keepGoing =
        f.keepGoingWhileCurrent(ticket, StopOn::NewerOrEscape, [&] { writer.showNowAndThen(); });
    const WalkSummary summary = OrdnerDurchsuchen(request, events);
    if (!f.isCurrent(ticket))
        return Outcome::Overtaken;

    if (summary.stopped)
        writer.showLines();
    else
        writer.finish();
    f.mnuName->setText({});
    f.Label1.clear();
    f.setMousePointer(MousePointer::Default);
    f.Abfrage = {};
    return summary.stopped ? Outcome::Stopped : Outcome::Finished;
}

bool NameSearch::bothQueriesEmpty() const {
    return !f.DatumsFilter && f.Text1->text().isEmpty() && f.Text4->text().isEmpty();
}

} // namespace findolin
