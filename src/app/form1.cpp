#include "app/form1.h"

#include "app/help_text.h"
#include "app/key_preview.h"
#include "app/layout.h"
#include "app/text_fitting.h"
#include "fileops/file_operations.h"
#include "fileops/form2.h"
#include "fileops/list_gestures.h"
#include "navigation/folder_shortcuts.h"
#include "platform/dialogs.h"
#include "platform/native_names.h"
#include "platform/paths.h"
#include "preview/document_converter.h"
#include "preview/document_view.h"
#include "preview/pdf_text.h"
#include "preview/picture_viewer.h"
#include "preview/preview_dispatch.h"
#include "preview/web_view.h"
#include "preview/word_processor.h"
#include "search/date_filter_handlers.h"
#include "search/date_sort_handler.h"
#include "search/file_list_box.h"
#include "search/folder_listing_handlers.h"
#include "search/name_search.h"
#include "search/query_line_edit.h"
#include "search/text_search.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTextEdit>
#include <QUrl>
#include <functional>

namespace findolin {

const QString Form1::kCredit = QStringLiteral("® Trellwin");

Form1::Form1(Surroundings surroundings, QWidget* parent)
    : QMainWindow(parent), contentLoader_(readPdfText), sites_(siteFoldersForHome()),
      surroundings_(std::move(surroundings)),
      ownDialogs_(surroundings_.dialogs ? nullptr : std::make_unique<WidgetDialogs>(this)),
      dialogs_(surroundings_.dialogs ? surroundings_.dialogs : ownDialogs_.get()),
      listing_(std::make_unique<FolderListingHandlers>(*this)),
      nameSearch_(std::make_unique<NameSearch>(*this)),
      textSearch_(std::make_unique<TextSearch>(*this)),
      pictures_(std::make_unique<PictureViewer>(*this)),
      preview_(std::make_unique<PreviewDispatch>(*this)),
      dateSort_(std::make_unique<DateSortHandler>(*this)),
      fileOps_(std::make_unique<FileOperations>(*this)),
      dateFilter_(std::make_unique<DateFilterHandlers>(*this)),
      shortcuts_(std::make_unique<FolderShortcuts>(*this)),
      keyPreview_(std::make_unique<KeyPreview>(*this)),
      gestures_(std::make_unique<ListGestures>(*this)), engine_(std::make_unique<SearchEngine>()) {
    setWindowTitle(QStringLiteral("Findolin"));
    if (!surroundings_.openWithShell)
        surroundings_.openWithShell = [](const QString& path) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(pathForOtherPrograms(path)));
        };
    if (!surroundings_.printerAvailable)
        surroundings_.printerAvailable = [] {
            return !QPrinterInfo::availablePrinterNames().isEmpty();
        };
    createControls();
    createMenus();
    describeControls();
    connectHandlers();
    placeAtStart();
}

Form1::~Form1() {
    delete std::exchange(form2_, nullptr); // before the handlers it calls go
}

void Form1::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(client);

    const auto make = [client]<typename Widget>(Widget* widget, const char* name) {
        widget->setParent(client);
        widget->setObjectName(QString::fromUtf8(name));
        return widget;
    };
    // The lists lie at one place; one of them is shown at a time.
    File1 = make(new FileListBox, "File1");
    FileList1 = make(new ListBox, "FileList1");
    List1 = make(new ListBox, "List1");
    List2 = make(new ListBox, "List2");
    showList(File1);
    File1->show(OsError::NotFound, QStringLiteral("asd.000")); // the design pattern; no folder yet

    RichTextBox2 = make(new QTextEdit, "RichTextBox2");
    RichTextBox2->setReadOnly(true);
    // Office documents become PDF in a cache of the program's own.
    const QString soffice = findSoffice();
    documentConverter_ =
        new DocumentConverter(QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
                                  .filePath(QStringLiteral("dokumente")),
                              soffice, bridgePython(soffice), this);
    documentView_ = new DocumentView(*documentConverter_);
    webView_ = new WebView;
    OLE1 = make(documentView_, "OLE1");
    WebBrowser1 = make(webView_, "WebBrowser1");
    // The picture at its natural size from the top-left corner, clipped; the scaled view of the
    // full screen lies on it.
    Picture1 = make(new QLabel, "Picture1");
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setAutoFillBackground(true);
    Image1 = new QLabel(Picture1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    for (QWidget* hidden :
         {OLE1, WebBrowser1, static_cast<QWidget*>(Picture1), static_cast<QWidget*>(Image1)})
        hidden->hide();

    const QScreen* shown = screen();
    const double tpp = twipsPerPixel(shown ? shown->logicalDotsPerInchX() : 96.0);
    const auto px = [tpp](double twips) { return twipsToPixels(twips, tpp); };

    TextHilfe = make(new QPlainTextEdit(helpTextLines().join(u'\n')), "TextHilfe");
    TextHilfe->setReadOnly(true);
    TextHilfe->setLineWrapMode(QPlainTextEdit::NoWrap);
    fitHelpPanel(*TextHilfe, helpTextLines(), px(6255));
    TextHilfe->hide();

    Label3 = make(new QLabel(kCredit), "Label3");
    Text2 = make(new QLineEdit(sites_.invoices), "Text2");
    Text1 = make(new QueryLineEdit, "Text1");
    Text4 = make(new QueryLineEdit, "Text4");
    Text5 = make(new QLineEdit(QStringLiteral("EnthaltenerText")), "Text5");
    Text5->setReadOnly(true); // a hint, never typed into
    Text5->setFocusPolicy(Qt::NoFocus);

    TextStd = make(new QLineEdit(QStringLiteral("0")), "TextStd");
    TextTag = make(new QLineEdit(QStringLiteral("0")), "TextTag");
    TextMon = make(new QLineEdit(QStringLiteral("0")), "TextMon");
    fitStatusLine(*Label3, {TextStd, TextTag, TextMon}, kCredit, px(kLabel3Width),
                  px(kAmountLeft - kLabel3Left));
    for (QLineEdit* amount : {TextStd, TextTag, TextMon})
        amount->hide();

    Command1 = make(new QPushButton(QStringLiteral("* Suche")), "Command1");
    Command2 = make(new QPushButton(QStringLiteral("Suche")), "Command2");
    Command3 = make(new QPushButton(QStringLiteral("*Firma...")), "Command3");
    CommandSort = make(new QPushButton(QStringLiteral("nach Datum sortieren")), "CommandSort");
    CommandSort->hide();
    // Drawn over the left end of the status line and under nothing else.
    CommandSort->raise();
    Text5->raise();
    TextHilfe->raise();

    // Clicks into the folder field list it again, the hint over the text query gives way to the
    // mouse, and the busy pointer follows it.
    client->setMouseTracking(true);
    const QList<QObject*> watched{client,
                                  Text2,
                                  Text5,
                                  Command3,
                                  RichTextBox2->viewport(),
                                  Picture1,
                                  Image1,
                                  Label3,
                                  TextHilfe->viewport()};
    for (QObject* object : watched)
        object->installEventFilter(this);
}

// Assistive technology reads what a label or button shows, so their names follow their texts;
// controls without a text of their own are named here. The given name is the description.
void Form1::describeControls() {
    const std::pair<QWidget*, const char*> names[] = {
        {Text2, "Ordner"},           {Text1, "Dateiname"},
        {Text4, "Enthaltener Text"}, {Text5, "Enthaltener Text (Hinweis)"},
        {File1, "Dateien"},          {FileList1, "Ordnerinhalt"},
        {List1, "Suchergebnis"},     {List2, "Textsuchergebnis"},
        {RichTextBox2, "Vorschau"},  {TextStd, "Stunden"},
        {TextTag, "Tage"},           {TextMon, "Monate"},
        {TextHilfe, "Hilfe"},        {Picture1, "Bild"},
        {Image1, "Bild gezoomt"},    {WebBrowser1, "Webvorschau"},
        {OLE1, "Dokumentvorschau"},
    };
    for (const auto& [widget, name] : names) {
        widget->setAccessibleName(QString::fromUtf8(name));
        widget->setAccessibleDescription(widget->objectName());
    }
    for (QWidget* widget :
         std::initializer_list<QWidget*>{Label3, Command1, Command2, Command3, CommandSort})
        widget->setAccessibleDescription(widget->objectName());
    // What a field without a label of its own is for, and what the search buttons find.
    const std::pair<QWidget*, const char*> tips[] = {
        {Text2, "Ordner, in dem gesucht wird"},
        {Text1, "Dateiname oder Teil davon: + für UND, # für ODER, - für NICHT"},
        {Text4, "Text, den die Dateien enthalten: + für UND, # für ODER, - für NICHT"},
        {Command1, "Findet Dateien, deren Name den Suchtext enthält"},
        {Command2, "Findet Dateien, deren Name mit dem Suchtext beginnt"},
        {Command3, "Findet Dateien, deren Name den Suchtext enthält, im ganzen Firmenordner"},
        {TextStd, "Nur Dateien, die in den letzten so vielen Stunden geändert wurden"},
        {TextTag, "Nur Dateien, die in den letzten so vielen Tagen geändert wurden"},
        {TextMon, "Nur Dateien, die in den letzten so vielen Monaten geändert wurden"},
    };
    for (const auto& [widget, tip] : tips)
        widget->setToolTip(QString::fromUtf8(tip));
}

void Form1::connectHandlers() {
    connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_change(); });
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_change(); });
    connect(Text4, &QLineEdit::textChanged, this, [this] { textSearch_->Text4_Change(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { nameSearch_->Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { nameSearch_->Command3_Click(); });
    connect(mnuItemBeenden, &QAction::triggered, this, [this] { close(); });
    connect(CommandSort, &QPushButton::clicked, this, [this] { CommandSort_Click(); });
    connect(mnuHelp, &QAction::triggered, this, [this] { mnuHelp_Click(); });
    connect(mnuName, &QAction::triggered, this, [this] { fileOps_->mnuName_Click(); });
    connect(mnuItemÖffnen, &QAction::triggered, this, [this] { fileOps_->mnuItemÖffnen_Click(); });
    connect(mnuItemDrucken, &QAction::triggered, this,
            [this] { fileOps_->mnuItemDrucken_Click(); });
    connect(mnuDateiUmbenennen, &QAction::triggered, this,
            [this] { fileOps_->mnuDateiUmbenennen_Click(); });
    connect(mnuDateiLöschen, &QAction::triggered, this,
            [this] { fileOps_->mnuDateiLöschen_Click(); });
    connect(mnuDateiKopieren, &QAction::triggered, this,
            [this] { fileOps_->mnuDateiKopieren_Click(); });
    preview_->connectLists();
    gestures_->connectLists();
    shortcuts_->connectMenu();
    dateFilter_->connectControls();
}

void Form1::Text2_change() {
    listing_->Text2_change();
}

void Form1::Text2_Click() {
    listing_->Text2_Click();
}

void Form1::Text1_change() {
    listing_->Text1_change();
}

void Form1::UnterordnerPrüfen(const QString& Pfad) {
    listing_->UnterordnerPrüfen(Pfad);
}

void Form1::UnterordnerPrüfen(const QString& Pfad, const Result<bool>& hasSubfolders) {
    listing_->UnterordnerPrüfen(Pfad, hasSubfolders);
}

void Form1::mnuEigeneDateien_Click() {
    shortcuts_->mnuEigeneDateien_Click();
}

void Form1::listFolder(const QString& folder) {
    if (Text2->text() != folder)
        Text2->setText(folder); // its change lists the folder
    else
        Text2_change();
}

Form2& Form1::form2() {
    if (!form2_)
        form2_ = new Form2(*this, *fileOps_);
    return *form2_;
}

void Form1::Command1_Click() {
    nameSearch_->Command1_Click();
}

void Form1::TextAuslesen(QuerySource Quelle) {
    const QString textQuery = withBlankBeforeLeadingNot(Text4->text());
    if (textQuery != Text4->text())
        Text4->setText(textQuery);
    Abfrage = findolin::TextAuslesen(Quelle == QuerySource::Text ? textQuery : Text1->text());
}

void Form1::Textsuche(std::function<void()> then) {
    textSearch_->Textsuche(std::move(then));
}

void Form1::DateiAuswählen() {
    preview_->DateiAuswählen();
}

void Form1::WordVorschau() {
    DateiAuswählen();
    OLE1->show();
    documentView_->showDocument(AuswahlPfad);
    if (WordApp)
        WordApp->markNormalTemplateSaved();
    RichTextBox2->hide();
    WebBrowser1->hide();
}

void Form1::Navigate(const QString& path) {
    webView_->Navigate(path);
}

void Form1::CommandSort_Click() {
    dateSort_->CommandSort_Click();
}

bool Form1::showsInvoiceFolder() const {
    const QString folder = Text2->text();
    return folder == sites_.invoices || folder == sites_.networkInvoicesShared;
}

// In the full screen "?" reads "Zoom" and scales the picture to the screen, or not.
void Form1::mnuHelp_Click() {
    if (VollbildModus) {
        ZoomModus = !ZoomModus;
        pictures_->Bilder(PictureView::FullScreen);
    } else if (TextHilfe->isVisible()) {
        TextHilfe->hide();
    } else {
        TextHilfe->show();
        TextHilfe->raise(); // over a picture shown since
    }
}

void Form1::ScrollbreiteSetzen() {
    shownList_->fitScrollWidthToLines();
}

void Form1::showList(ListBox* list) {
    shownList_ = list;
    for (ListBox* each : {static_cast<ListBox*>(File1), FileList1, List1, List2})
        each->setVisible(each == list);
}

QString Form1::selectedPath() const {
    return pathOf(shownList_, shownList_->currentRow());
}

// After a walk the result lists carry their paths; the text search's result does so only when it
// read the walk's result. Other lines are names in the folder the file list was read from.
QString Form1::pathOf(const ListBox* list, int row) const {
    if (list->hasPaths())
        return list->path(row);
    return joinPath(File1->folder(), list->line(row));
}

SearchEngine::Ticket Form1::startWork(SearchEngine::Work work) {
    // Overtaken work leaves its hourglass behind.
    if (engine_->busy())
        setMousePointer(MousePointer::Default);
    return engine_->start(std::move(work));
}

void Form1::stopSearch() {
    // The text search first: its end finishes the name search it belongs to.
    textSearch_->stop();
    nameSearch_->stop();
}

void Form1::hideDateAmounts() {
    for (QLineEdit* amount : {TextMon, TextTag, TextStd})
        amount->hide();
}

void Form1::setMousePointer(MousePointer pointer) {
    mousePointer_ = pointer;
    switch (pointer) {
    case MousePointer::Default:
        unsetCursor();
        // The text search also puts the hourglass over its list and the preview.
        List2->unsetCursor();
        RichTextBox2->viewport()->unsetCursor();
        break;
    case MousePointer::Hourglass:
        setCursor(Qt::WaitCursor);
        break;
    case MousePointer::ArrowHourglass:
        setCursor(Qt::BusyCursor);
        break;
    }
}

void Form1::setSortButtonRole(SortButtonRole role) {
    sortButtonRole_ = role;
    CommandSort->setText(role == SortButtonRole::FullScreen
                             ? QStringLiteral("Vollbild")
                             : QStringLiteral("nach Datum sortieren"));
}

void Form1::showStatus(const QString& text) {
    Label3->setText(text);
}

void Form1::showCredit() {
    showStatus(kCredit);
}

void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
        // Start-up has given Command3 its role: without the company folder it stops the search.
        if (!offersDateSort)
            Command3->setToolTip(QStringLiteral("Hält die laufende Suche an, wie Esc"));
    }
}

// When the window is first drawn, a window manager has framed it: its place is taken again, now
// as that of the frame.
void Form1::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (frameCorner_ && frameGeometry() != geometry()) {
        const QPoint corner = *std::exchange(frameCorner_, std::nullopt);
        if (frameGeometry().topLeft() != corner)
            move(corner);
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    QMainWindow::closeEvent(event);
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyLayout();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == Text2 && type == QEvent::MouseButtonRelease) {
        Text2_Click();
    } else if (watched == Text5 && (type == QEvent::MouseButtonPress || type == QEvent::Enter)) {
        // The hint gives way as soon as the user goes for the text query.
        Text5->hide();
        if (type == QEvent::MouseButtonPress)
            Text4->setFocus();
        return true;
    } else if ((watched == Picture1 || watched == Image1) && type == QEvent::MouseButtonPress) {
        pictures_->Picture1_Click();
        return true;
    } else if (watched == Label3 && type == QEvent::MouseButtonPress) {
        CommandSort_Click(); // the status line acts as the sort button, hidden or not
    } else if ((watched == TextHilfe->viewport() || watched == RichTextBox2->viewport()) &&
               type == QEvent::MouseButtonPress) {
        TextHilfe->hide();
    } else if (watched == Command3 && type == QEvent::Enter) {
        // Over the stop button the hourglass gets an arrow, so the button can be aimed at.
        if (mousePointer_ == MousePointer::Hourglass)
            setMousePointer(MousePointer::ArrowHourglass);
    } else if ((watched == centralWidget() && type == QEvent::MouseMove) ||
               (watched == RichTextBox2->viewport() && type == QEvent::Enter)) {
        if (mousePointer_ == MousePointer::ArrowHourglass)
            setMousePointer(MousePointer::Hourglass);
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace findolin
