#include "search/name_search.h"

#include "app/form1.h"
#include "platform/dialogs.h"
#include "platform/folder_scan.h"
#include "platform/native_names.h"
#include "platform/paths.h"
#include "search/date_filter.h"
#include "search/file_list_box.h"
#include "search/folder_listing.h"
#include "search/name_match.h"
#include "search/query_line_edit.h"
#include "search/search_jobs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace findolin {

// What a worker finds out about the folder of the folder field before a search: whether it has
// sub-folders and, when not, its files narrowed by the query.
struct FolderProbe {
    Result<bool> hasSubfolders = OsError::NotFound;
    QString pattern; // the search pattern the files were listed with
    Result<FolderListing> listing = OsError::NotFound; // when it has none
    std::optional<QStringList> refined; // the names that pass the whole query, when it has + or -
};

namespace {

const QString kStopHint = QStringLiteral("   STOP mit ESC");

// The date filter's test of one file, with the limit taken from the number fields now.
std::function<bool(FileAt)> dateTestFor(const Form1& f) {
    const DateAmounts amounts{amountFromText(f.TextMon->text()), amountFromText(f.TextTag->text()),
                              amountFromText(f.TextStd->text())};
    const QDateTime limit = dateLimit(QDateTime::currentDateTime(), amounts);
    return [limit](FileAt file) {
        const auto modified = modificationTimeAt(file);
        return modified && changedAfter(*modified, limit);
    };
}

bool refines(const QString& query) {
    return query.contains(u'+') || query.contains(u'-');
}

} // namespace

void NameSearch::Command1_Click() {
    f.SuchModus = NameMatch::Contains;
    SucheComm1Comm2();
}

void NameSearch::Command2_Click() {
    f.SuchModus = NameMatch::StartsWith;
    SucheComm1Comm2();
}

void NameSearch::startStep(Step step, SearchEngine::Work work) {
    step_ = step;
    ticket_ = f.startWork(std::move(work));
}

void NameSearch::stop() {
    if (step_ == Step::Idle || step_ == Step::Texts || !f.engine().isCurrent(ticket_))
        return; // the text search stops itself; an overtaken search has nothing left to do
    f.engine().cancel(ticket_);
    if (step_ == Step::Probing)
        probed({});
    else
        walkEnded();
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

void NameSearch::SucheComm1Comm2() {
    kind_ = Kind::Folder;
    clearForSearch();
    f.setMousePointer(MousePointer::Hourglass);
    f.MitUnterordnern = false;
    f.Verfeinert = false;
    f.Abbruch = false;
    f.showList(f.File1);
    f.mnuOrdner->setVisible(true);

    // The folder may lie on a server that stopped answering: even the look at it is a worker's.
    const QString folderText = normalFolderPath(f.Text2->text());
    const QString shownFolder = f.File1->folder();
    const QStringList shownFiles = f.File1->lines();
    const QString query = f.Text1->text();
    const QString pattern = searchPattern(query, f.SuchModus);
    std::optional<NameQuery> nameQuery;
    if (refines(query)) {
        f.TextAuslesen(QuerySource::Names);
        nameQuery.emplace(f.Abfrage, f.SuchModus);
    }
    startStep(Step::Probing, [=, this](SearchEngine::Job& job) {
        FolderProbe probe;
        probe.pattern = pattern;
        probe.hasSubfolders = hasSubfolders(folderText);
        if (!probe.hasSubfolders || !probe.hasSubfolders.value()) {
            const QString folder = probe.hasSubfolders ? folderText : shownFolder;
            probe.listing = listFolder(folder, WildcardPattern(pattern), job.keepGoing());
            // A long refinement shows the name it is testing.
            BatchClock clock;
            const auto testing = [&](const QString& name) {
                if (clock.due())
                    job.post([this, name] { f.mnuName->setText(visibleText(name)); });
            };
            if (nameQuery)
                probe.refined = namesThatMatch(probe.listing ? probe.listing->files : shownFiles,
                                               *nameQuery, job.keepGoing(), testing);
        }
        job.post([this, probe = std::move(probe)] { probed(probe); });
    });
}

// `probe` is empty when a stop came first.
void NameSearch::probed(const FolderProbe& probe) {
    f.UnterordnerPrüfen(f.Text2->text(), probe.hasSubfolders);
    if (!f.MitUnterordnern && !probe.pattern.isNull())
        showInPlace(probe);
    f.Abfrage = {};
    f.setMousePointer(MousePointer::Default);
    if (f.MitUnterordnern && !f.DatumsFilter)
        f.showStatus(kStopHint);
    if ((f.MitUnterordnern || f.DatumsFilter) && !f.Abbruch)
        OrdnerSuche(f.AktuellerOrdner);
    else
        afterWalk();
}

// A folder without sub-folders: the file list is narrowed by the query's pattern, and when the
// query has more than leading texts ("+" or "-"), the names that pass it go into FileList1.
void NameSearch::showInPlace(const FolderProbe& probe) {
    f.File1->show(probe.listing, probe.pattern);
    f.mnuDateiZähler->setText(countCaption(f.File1->count()));
    if (!probe.refined)
        return;
    f.Verfeinert = true;
    f.FileList1->setLines(*probe.refined);
    f.showList(f.FileList1);
    f.mnuOrdner->setVisible(true);
    f.mnuDateiZähler->setText(probe.refined->size() > 1 ? countCaption(probe.refined->size())
                                                        : QString());
}

void NameSearch::Command3_Click() {
    // On a machine without the company folder this is the stop button: it stops whatever runs
    // and changes nothing else, so that the stopped search's lists stay as they were.
    if (!folderHoldsFile(f.sites().company)) {
        f.Abbruch = true;
        f.stopSearch();
        return;
    }
    kind_ = Kind::Company;
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
    OrdnerSuche(f.sites().company);
}

void NameSearch::OrdnerSuche(const QString& start) {
    if (bothQueriesEmpty()) {
        f.dialogs().message(QStringLiteral("Dateinamen eingeben!"));
        afterWalk();
        return;
    }
    f.TextAuslesen(QuerySource::Names);
    f.Trefferzahl = 0;
    if (!f.DatumsFilter)
        f.showStatus(kStopHint);
    f.mnuName->setText(visibleText(f.List1->line(f.List1->currentRow())));
    f.showList(f.List1);
    f.mnuOrdner->setVisible(false);
    f.List1->clear();
    f.Label1.clear();
    f.setMousePointer(MousePointer::Hourglass);

    // A filtered search of a single folder lists bare names.
    const HeaderLines headers =
        f.DatumsFilter && !f.MitUnterordnern ? HeaderLines::Left : HeaderLines::Written;
    WalkRequest request{start, f.Abfrage, f.SuchModus, {}, f.surroundings().scanFolder};
    if (f.DatumsFilter)
        request.datePasses = dateTestFor(f);
    startStep(Step::Walking, [this, request, headers](SearchEngine::Job& job) {
        walkInBatches(job, request, headers, [this](ResultBatch batch) { walkBatch(batch); });
    });
}

void NameSearch::walkBatch(const ResultBatch& batch) {
    PendingLines lines = batch.lines;
    f.List1->addLines(lines);
    f.Trefferzahl = batch.hits;
    f.Label1 = batch.lastFolder;
    if (!batch.caption.isNull())
        f.mnuDateiZähler->setText(batch.caption);
    if (!batch.progress.isNull())
        f.mnuName->setText(batch.progress);
    if (batch.last)
        walkEnded();
}

// After a stop the lines written so far stay, and the captions stay as Escape emptied them.
void NameSearch::walkEnded() {
    f.mnuName->setText({});
    f.Label1.clear();
    f.setMousePointer(MousePointer::Default);
    f.Abfrage = {};
    if (kind_ == Kind::Company && f.Abbruch) {
        step_ = Step::Idle;
        f.ScrollbreiteSetzen();
        return;
    }
    afterWalk();
}

void NameSearch::afterWalk() {
    f.mnuName->setText({});
    if (!f.Abbruch && !f.Text4->text().isEmpty()) {
        step_ = Step::Texts;
        f.Textsuche([this] { finishSearch(); });
        return;
    }
    finishSearch();
}

void NameSearch::finishSearch() {
    step_ = Step::Idle;
    if (kind_ == Kind::Folder && !f.MitUnterordnern) {
        f.setSortButtonRole(SortButtonRole::Sort);
        if (f.offersDateSort && !f.DatumsFilter)
            f.CommandSort->show();
    } else if (!f.DatumsFilter) {
        f.showCredit();
    }
    f.DatumsFilter = false; // the date filter serves one search
    if (kind_ == Kind::Folder && f.showsInvoiceFolder())
        f.CommandSort_Click();
    f.ScrollbreiteSetzen();
}

bool NameSearch::bothQueriesEmpty() const {
    return !f.DatumsFilter && f.Text1->text().isEmpty() && f.Text4->text().isEmpty();
}

} // namespace findolin
