#include "app/window_rules.h"
#include "fileops/form2.h"
#include "form1_fixture.h"
#include "platform/list_box.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"

#include <QAccessible>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <atomic>
#include <thread>

using namespace findolin;

class TestForm1Startup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void machineWithoutCompanyFolder();
    void companyFolderWithoutFilesCountsAsMissing();
    void machineWithCompanyFolder();
    void oneInvoiceLeavesCountEmpty();
    void oneDocumentIsOneDatei();
    void menuCaptions();
    void everyControlIsNamedForScreenReaders();
    void closingStopsRunningWork();
};

namespace {

QList<QAction*> shortcutsOf(const Form1& form) {
    return {form.mnuFaxeÖffnen,   form.mnuRechÖffnen, form.mnuRechNetzÖffnen,
            form.mnuRechFAÖffnen, form.rech23Öffnen,  form.SoftwareÖffnen};
}

QString thisMonthsInvoice(const QString& name) {
    const QDate today = QDate::currentDate();
    return name + "." + today.toString("MM") + QString::number(today.year() - 2000);
}

} // namespace

void TestForm1Startup::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void TestForm1Startup::machineWithoutCompanyFolder() {
    TestHome home;
    home.file("home/Documents/b.txt");
    home.file("home/Documents/a.doc");
    home.folder("home/Documents/Briefe");

    const auto form = startForm1();
    QCOMPARE(form->Command3->text(), QStringLiteral("STOP"));
    QVERIFY(!form->offersDateSort);
    for (QAction* shortcut : shortcutsOf(*form))
        QVERIFY2(!shortcut->isVisible(), qPrintable(shortcut->objectName()));
    QVERIFY(form->mnuEigeneDateien->isVisible());

    QCOMPARE(form->Text2->text(), home.home("Documents"));
    QVERIFY(form->FileList1->isVisible());
    QVERIFY(!form->File1->isVisible());
    QCOMPARE(form->FileList1->lines(),
             (QStringList{" [~home/Documents/Briefe]", "a.doc", "b.txt"}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("2 Dateien"));
    QCOMPARE(form->File1->pattern(), QStringLiteral("*"));
    QVERIFY(form->MitUnterordnern);
    QCOMPARE(form->Label3->text(), QStringLiteral("® Trellwin"));

    // The offscreen screen is narrower than 20000 twips: the window stands near its corner.
    const double tpp = twipsPerPixel(form->screen()->logicalDotsPerInchX());
    QVERIFY(form->screen()->geometry().width() * tpp < 20000);
    QCOMPARE(form->pos(), QPoint(twipsToPixels(120, tpp), twipsToPixels(120, tpp)));
    QCOMPARE(form->width(), twipsToPixels(11500, tpp));
    // The height then snaps to whole rows of the file list: less than one row lost.
    QVERIFY(form->height() <= twipsToPixels(8205, tpp));
    QVERIFY(form->height() > twipsToPixels(8205, tpp) - form->File1->rowHeight());
}

void TestForm1Startup::companyFolderWithoutFilesCountsAsMissing() {
    TestHome home;
    home.folder("home/rech-FA/unter");
    home.file("home/rech-FA/.versteckt");
    home.folder("home/Documents");
    const auto form = startForm1();
    QCOMPARE(form->Command3->text(), QStringLiteral("STOP"));
    QVERIFY(!form->mnuRechFAÖffnen->isVisible());
}

void TestForm1Startup::machineWithCompanyFolder() {
    TestHome home;
    home.file("home/rech-FA/kunden.doc");
    home.file("home/rech/a01Kaiser.053");
    home.file("home/rech/" + thisMonthsInvoice("Mueller"));
    home.file("home/rech/Mueller.0199");
    home.file("home/rech/brief.doc");
    home.folder("home/rech/2005");
    home.file("home/Documents/nicht-gelistet.txt");

    const auto form = startForm1();
    QCOMPARE(form->Command3->text(), QStringLiteral("*Firma..."));
    QVERIFY(form->offersDateSort);
    QVERIFY(!form->mnuFaxeÖffnen->isVisible());
    QVERIFY(!form->rech23Öffnen->isVisible());
    for (QAction* offered : {form->mnuRechÖffnen, form->mnuRechNetzÖffnen, form->mnuRechFAÖffnen,
                             form->SoftwareÖffnen})
        QVERIFY2(offered->isVisible(), qPrintable(offered->objectName()));

    // The folder field keeps its start text and no folder listing runs: no sub-folder entries.
    QCOMPARE(form->Text2->text(), home.home("rech"));
    QVERIFY(form->File1->isVisible());
    QVERIFY(!form->FileList1->isVisible());
    QCOMPARE(form->File1->pattern(), invoicePattern(QDate::currentDate()));
    QCOMPARE(form->File1->lines(), (QStringList{"a01Kaiser.053", thisMonthsInvoice("Mueller")}));
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("2 Dateien"));
}

void TestForm1Startup::oneInvoiceLeavesCountEmpty() {
    TestHome home;
    home.file("home/rech-FA/kunden.doc");
    home.file("home/rech/a01Kaiser.053");
    const auto form = startForm1();
    QCOMPARE(form->File1->count(), 1);
    QCOMPARE(form->mnuDateiZähler->text(), QString());
}

void TestForm1Startup::oneDocumentIsOneDatei() {
    TestHome home;
    home.file("home/Documents/brief.doc");
    const auto form = startForm1();
    QVERIFY(form->File1->isVisible());
    QCOMPARE(form->File1->lines(), QStringList{"brief.doc"});
    QCOMPARE(form->mnuDateiZähler->text(), QStringLiteral("1 Datei"));
}

void TestForm1Startup::menuCaptions() {
    TestHome home;
    const auto form = startForm1();
    QStringList fileMenu;
    for (const QAction* item : form->mnuDatei->actions())
        fileMenu << item->text();
    const QString divider(30, u'-');
    QCOMPARE(fileMenu,
             (QStringList{"&Ordner auswählen", "&Eigene Dateien", "&Faxe", "&rech", "rech server",
                          "rech-F&A", "rech-&23", "&Software + Treiber", divider,
                          "nach D&atum suchen", divider, "&Öffnen", "&Drucken", divider,
                          "&Umbenennen", "&Kopieren", "&Löschen", divider, "&Beenden"}));
    QStringList dateMenu;
    for (const QAction* item : form->mnuDatSuch->actions())
        dateMenu << item->text();
    QCOMPARE(dateMenu, (QStringList{"geändert innerhalb der letzten Stunden",
                                    "geändert innerhalb der letzten Tage",
                                    "geändert innerhalb der letzten Monate"}));
    QStringList bar;
    for (const QAction* item : form->menuBar()->actions())
        bar << item->objectName();
    QCOMPARE(bar.mid(1), (QStringList{"mnuOrdner", "mnuDateiZähler", "mnuName", "mnuHelp"}));
    QCOMPARE(form->mnuOrdner->text(), QStringLiteral("^Ordner"));
    QCOMPARE(form->mnuHelp->text(), QStringLiteral("?"));
}

// Screen readers read what a label or button shows, also after its caption changed ("Vollbild"
// on the sort button while a picture is previewed); the other controls carry a name of their own.
void TestForm1Startup::everyControlIsNamedForScreenReaders() {
    TestHome home;
    QDir().mkpath(home.path("home/Documents"));
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(Qt::green);
    QVERIFY(picture.save(home.path("home/Documents/a.bmp")));
    const auto form = startForm1();
    form->File1->setCurrentRow(0);
    form->mnuOrdnerSuchen->trigger(); // the folder picker too
    settle(*form);
    QVERIFY(form->CommandSort->isVisible() && form->form2().isVisible());
    int controls = 0;
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget == form->centralWidget() ||
            widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_"))
            continue; // Qt's own parts of a control
        ++controls;
        const QString name = QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        if (label && !label->text().isEmpty())
            QCOMPARE(name, label->text());
        else if (button)
            QCOMPARE(name, QString(button->text()).remove(u'&'));
        else
            QVERIFY2(!name.isEmpty(), qPrintable(widget->objectName()));
        if (widget->window() == form.get())
            QCOMPARE(widget->accessibleDescription(), widget->objectName());
    }
    QVERIFY(controls >= 15);
}

void TestForm1Startup::closingStopsRunningWork() {
    TestHome home;
    const auto form = startForm1();
    std::atomic<bool> sawStop = false;
    form->startWork([&](SearchEngine::Job& job) {
        while (!job.stopped())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawStop = true;
    });
    QVERIFY(form->engine().busy());
    form->close();
    QVERIFY(form->Abbruch);
    QVERIFY(!form->engine().busy());
    QTRY_VERIFY(sawStop);
}

QTEST_MAIN(TestForm1Startup)
#include "test_form1_startup.moc"
