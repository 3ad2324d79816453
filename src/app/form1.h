#pragma once

#include "navigation/site_folders.h"
#include "platform/folder_scan.h"
#include "preview/content_loader.h"
#include "search/query_parser.h"
#include "search/query_patterns.h"
#include "search/search_engine.h"

#include <QMainWindow>
#include <QPixmap>
#include <QRect>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;

namespace findolin {

class DateFilterHandlers;
class DateSortHandler;
class Dialogs;
class DocumentConverter;
class DocumentView;
class FileListBox;
class FileOperations;
class FolderListingHandlers;
class FolderShortcuts;
class Form2;
class KeyPreview;
class ListBox;
class ListGestures;
class NameSearch;
class PictureViewer;
class PreviewDispatch;
class QueryLineEdit;
class TextSearch;
class WebView;
class WordProcessor;

// The window's mouse pointer while it works.
enum class MousePointer { Default, Hourglass, ArrowHourglass };

// The keys the window's key handler acts on, as their character codes.
inline constexpr int kEnterKey = 13;
inline constexpr int kEscapeKey = 27;

// Which query the parser reads.
enum class QuerySource { Names = 1, Text = 4 };

// The order a result list is in: as listed, or by the date in the invoice names.
enum class ListOrder { Plain, ByDate };

// What the button over the status line does: sort by date, or, while a picture is shown, open
// the full-screen view.
enum class SortButtonRole { Sort, FullScreen };

// What the window asks of the desktop and the system. Tests put their own stand-ins here; an
// empty member means the real thing.
struct Surroundings {
    Surroundings(Dialogs* dialogs = nullptr) : dialogs(dialogs) {}

    Dialogs* dialogs;                                       // else real message boxes
    std::function<void(const QString& path)> openWithShell; // else the desktop's application
    // Else the desktop's file manager, with the file selected (see platform/file_manager.h).
    std::function<void(const QString& path)> showInFileManager;
    std::function<bool()> printerAvailable; // else whether the print system knows one
    FolderScanner scanFolder;               // else the file system's
};

// The main window. It holds the controls, the lists and the window-level state under their given
// names; the handlers of each subsystem live in that subsystem's folder and work on this state.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(Surroundings surroundings = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // ---- Controls -------------------------------------------------------------------------
    QLineEdit* Text2;      // the current folder
    QueryLineEdit* Text1;  // the file-name query
    QueryLineEdit* Text4;  // the text (content) query
    QLineEdit* Text5;      // placeholder lying over Text4
    QPushButton* Command1; // "* Suche": name contains the query
    QPushButton* Command2; // "Suche": name starts with the query
    QPushButton* Command3; // "*Firma..." (company folder search) or "STOP"
    QPushButton* CommandSort;
    QLineEdit* TextStd; // date filter amounts: hours, days, months
    QLineEdit* TextTag;
    QLineEdit* TextMon;
    FileListBox* File1; // files of the current folder matching the live pattern
    ListBox* FileList1; // sub-folder entries and files, merged; refined results
    ListBox* List1;     // result of the name search
    ListBox* List2;     // result of the text search
    QLabel* Label3;     // status line
    QPlainTextEdit* TextHilfe;
    QTextEdit* RichTextBox2; // text preview
    QLabel* Picture1;        // the picture area
    QLabel* Image1;          // the scaled picture in the full-screen view, on Picture1
    QWidget* WebBrowser1;    // host of the web, mail and video surface
    QWidget* OLE1;           // host of the document surface

    // ---- Menu -----------------------------------------------------------------------------
    QMenu* mnuDatei;
    QAction* mnuOrdnerSuchen;
    QAction* mnuEigeneDateien;
    QAction* mnuFaxeÖffnen;
    QAction* mnuRechÖffnen;
    QAction* mnuRechNetzÖffnen;
    QAction* mnuRechFAÖffnen;
    QAction* rech23Öffnen;
    QAction* SoftwareÖffnen;
    QAction* leer0;
    QMenu* mnuDatSuch;
    QAction* mnuDatStd;
    QAction* mnuDatTag;
    QAction* mnuDatMon;
    QAction* leer1;
    QAction* mnuItemÖffnen;
    QAction* mnuItemDrucken;
    QAction* leer2;
    QAction* mnuDateiUmbenennen;
    QAction* mnuDateiKopieren;
    QAction* mnuDateiLöschen;
    QAction* leer3;
    QAction* mnuItemBeenden;
    // On the menu bar itself; the last three double as status captions.
    QAction* mnuOrdner;
    QAction* mnuDateiZähler;
    QAction* mnuName;
    QAction* mnuHelp;

    // ---- Lists that are never shown --------------------------------------------------------
    ParsedQuery Abfrage; // the parsed query: List3, List3Nicht, List3Dateiname
    QString Label1;      // folder of the last header line the name search wrote
    QPixmap Picture2;    // the picture loaded for the viewer, at its natural size

    // ---- Window-level variables ------------------------------------------------------------
    bool Abbruch = false;         // stop requested
    bool MitUnterordnern = false; // the current folder has sub-folders
    NameMatch SuchModus = NameMatch::Contains;
    bool Verfeinert = false; // the last name search refined its hits into FileList1
    // Command3's tag: a search offers the sort by date (the company folder is here).
    bool offersDateSort = true;
    // CommandSort's tag: the order the shown result list is in.
    ListOrder shownOrder = ListOrder::Plain;
    qint64 Trefferzahl = 0;     // files written into the result being built
    bool DatumsFilter = false;  // the date filter is armed
    bool VollbildModus = false; // the picture is shown full screen
    bool ZoomModus = false;     // zoom within the full-screen view
    QString AktuellerOrdner;    // the folder last opened by UnterordnerPrüfen or the walk
    QString AuswahlPfad;        // full path of the selected entry
    std::shared_ptr<WordProcessor> WordApp; // the word processor, when there is one
    QRect FensterVorVollbild;               // the window's place before full screen
    bool Kopiermodus = false; // the target-folder dialog copies (else it picks a folder to list)
    QString Quelldatei;       // the file to copy, captured when the copy began
    QString Zieldatei;        // its name; once copied, the full path of the copy
    QString Zielordner;       // the folder chosen in the target-folder dialog

    // ---- Routines other parts call by name --------------------------------------------------
    void Form_Load();
    void Form_KeyPress(int keyAscii);
    void Form_Unload();
    void Text2_change();
    void Text2_Click();
    void Text1_change();
    void UnterordnerPrüfen(const QString& Pfad);
    // The same with the answer of a worker that looked at the folder.
    void UnterordnerPrüfen(const QString& Pfad, const Result<bool>& hasSubfolders);
    void mnuEigeneDateien_Click();
    // Lists the folder, also when the folder field already names it.
    void listFolder(const QString& folder);
    void Command1_Click();
    void ScrollbreiteSetzen();
    // Parses the text query or the name query into Abfrage; a text query beginning with "-" gets
    // its blank in front first.
    void TextAuslesen(QuerySource Quelle);
    // Starts the text search over what the name search left; `then` runs when it has ended.
    void Textsuche(std::function<void()> then);
    void DateiAuswählen();
    // The document view shows AuswahlPfad's document.
    void WordVorschau();
    // The web view shows the page, mail or video.
    void Navigate(const QString& path);
    void CommandSort_Click();
    void mnuHelp_Click();
    // The four result lists lie at one place, and one of them is shown: this one.
    ListBox* shownList() const { return shownList_; }
    // Shows the list and hides the other three.
    void showList(ListBox* list);
    // The full path of a line of a result list (a header line or folder entry as it stands).
    QString pathOf(const ListBox* list, int row) const;
    // The full path of the entry selected in the shown list; empty when none is selected.
    QString selectedPath() const;
    // Whether the folder field names one of the invoice folders, where lists come sorted by date.
    bool showsInvoiceFolder() const;
    PictureViewer& pictures() { return *pictures_; }
    // The target-folder dialog, made on first use.
    Form2& form2();
    DocumentView& documentView() { return *documentView_; }
    WebView& webView() { return *webView_; }

    // Long work runs on the engine's workers; starting it overtakes the work before.
    SearchEngine& engine() { return *engine_; }
    SearchEngine::Ticket startWork(SearchEngine::Work work);
    // Escape and STOP: the running search ends as at its next test. A listing goes on.
    void stopSearch();

    Dialogs& dialogs() { return *dialogs_; }
    const SiteFolders& sites() const { return sites_; }
    // Turns every file into text for the text search and the text preview.
    const ContentLoader& contentLoader() const { return contentLoader_; }
    const Surroundings& surroundings() const { return surroundings_; }
    void hideDateAmounts();

    void setMousePointer(MousePointer pointer);
    MousePointer mousePointer() const { return mousePointer_; }
    SortButtonRole sortButtonRole() const { return sortButtonRole_; }
    void setSortButtonRole(SortButtonRole role);
    void showStatus(const QString& text);
    void showCredit();

    static const QString kCredit;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenus();
    void describeControls();
    void connectHandlers();
    void placeAtStart();
    void countFiles();
    void placeFrameAt(QPoint corner);
    void applyLayout();

    const ContentLoader contentLoader_;
    const SiteFolders sites_;
    Surroundings surroundings_;
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs* dialogs_;
    std::unique_ptr<FolderListingHandlers> listing_;
    std::unique_ptr<NameSearch> nameSearch_;
    std::unique_ptr<TextSearch> textSearch_;
    std::unique_ptr<PictureViewer> pictures_;
    std::unique_ptr<PreviewDispatch> preview_;
    std::unique_ptr<DateSortHandler> dateSort_;
    std::unique_ptr<FileOperations> fileOps_;
    std::unique_ptr<DateFilterHandlers> dateFilter_;
    std::unique_ptr<FolderShortcuts> shortcuts_;
    std::unique_ptr<KeyPreview> keyPreview_;
    std::unique_ptr<ListGestures> gestures_;
    DocumentConverter* documentConverter_ = nullptr;
    DocumentView* documentView_ = nullptr;
    WebView* webView_ = nullptr;
    Form2* form2_ = nullptr; // a child window, deleted first when the window goes
    // Declared after the handlers, so it goes first: no result reaches a handler that is gone.
    std::unique_ptr<SearchEngine> engine_;
    ListBox* shownList_ = nullptr;
    SortButtonRole sortButtonRole_ = SortButtonRole::Sort;
    MousePointer mousePointer_ = MousePointer::Default;
    std::optional<QPoint> frameCorner_; // where the frame goes once a window manager made one
    bool loaded_ = false;
    bool unloaded_ = false;
};

} // namespace findolin
