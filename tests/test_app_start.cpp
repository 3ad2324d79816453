#include "app/application.h"
#include "fileops/form2.h"
#include "form1_fixture.h"
#include "platform/list_box.h"
#include "search/file_list_box.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>

using namespace findolin;

// What main does around the window: the program's name and icon for the desktop, and the folder
// from the command line.
class TestAppStart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void iconInEverySize();
    void windowsAndDialogsShowTheIcon();
    void startsOnTheFolderGiven_data();
    void startsOnTheFolderGiven();
};

void TestAppStart::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    presentApplication(*qApp);
}

// The sizes the icon theme gets are the ones built in, each drawn, not blank.
void TestAppStart::iconInEverySize() {
    const QIcon icon = findolinIcon();
    QVERIFY(!icon.isNull());
    QList<QSize> sizes = icon.availableSizes();
    std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
    QCOMPARE(
        sizes,
        (QList<QSize>{
            {16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    for (const QSize size : sizes) {
        const QImage image = icon.pixmap(size).toImage();
        QCOMPARE(image.size(), size);
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 4, qPrintable(QString::number(size.width())));
        // Transparent around the drawing, as icons on a panel of any colour need.
        QCOMPARE(qAlpha(image.pixel(size.width() - 1, 0)), 0);
    }
}

void TestAppStart::windowsAndDialogsShowTheIcon() {
    QCOMPARE(QApplication::applicationName(), QStringLiteral("Findolin"));
    QVERIFY(!QApplication::applicationVersion().isEmpty());
    // The desktop entry the build installs carries the name the windows give the desktop.
    QVERIFY2(QFile::exists(FINDOLIN_DATA_BUILD_DIR "/" + QGuiApplication::desktopFileName() +
                           ".desktop"),
             qPrintable(QGuiApplication::desktopFileName()));

    TestHome home;
    const auto form = startForm1();
    QCOMPARE(QApplication::windowIcon().availableSizes(), findolinIcon().availableSizes());
    QVERIFY(!form->windowIcon().isNull());
    QCOMPARE(form->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    QVERIFY(!form->form2().windowIcon().isNull());
    QMessageBox box(QMessageBox::Question, "Findolin", "?", QMessageBox::Ok, form.get());
    QVERIFY(!box.windowIcon().isNull());
}

void TestAppStart::startsOnTheFolderGiven_data() {
    QTest::addColumn<bool>("companyMachine");
    QTest::addColumn<QString>("folder"); // below the test's tree; empty for none
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("no folder: the documents") << false << "" << QStringList{"start.txt"};
    QTest::newRow("a folder elsewhere")
        << false << "elsewhere/Projekt" << QStringList{"plan.odt", "zeit.txt"};
    QTest::newRow("the documents folder itself")
        << false << "home/Documents" << QStringList{"start.txt"};
    QTest::newRow("company machine: a folder instead of the invoices")
        << true << "elsewhere/Projekt" << QStringList{"plan.odt", "zeit.txt"};
}

void TestAppStart::startsOnTheFolderGiven() {
    QFETCH(bool, companyMachine);
    QFETCH(QString, folder);
    QFETCH(QStringList, listed);
    TestHome home;
    home.file("home/Documents/start.txt");
    home.file("elsewhere/Projekt/zeit.txt");
    home.file("elsewhere/Projekt/plan.odt");
    if (companyMachine) {
        home.file("home/rech-FA/kunden.doc");
        home.file("home/rech/a01Kaiser.053");
    }
    const QString given = folder.isEmpty() ? QString() : home.path(folder);

    Form1 form;
    showMainWindow(form, given);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    settle(form);

    const QString shown = given.isEmpty() ? home.home("Documents") : given;
    QCOMPARE(form.Text2->text(), shown);
    QCOMPARE(form.File1->folder(), shown);
    QVERIFY(form.File1->isVisible());
    QCOMPARE(form.File1->lines(), listed);
    QCOMPARE(form.mnuDateiZähler->text(),
             listed.size() == 1 ? QStringLiteral("1 Datei") : QStringLiteral("2 Dateien"));
    // The rest of the start follows the machine as always.
    QCOMPARE(form.Command3->text(),
             companyMachine ? QStringLiteral("*Firma...") : QStringLiteral("STOP"));
    QCOMPARE(form.mnuRechÖffnen->isVisible(), companyMachine);
}

QTEST_MAIN(TestAppStart)
#include "test_app_start.moc"
