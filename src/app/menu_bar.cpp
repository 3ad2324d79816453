#include "app/form1.h"

#include <QMenuBar>

namespace findolin {
namespace {

// Dividers in the file menu are ordinary items that look like a line and do nothing.
const QString kDivider = QString(30, u'-');

QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromUtf8(name));
    return action;
}

} // namespace

void Form1::createMenus() {
    QMenuBar* bar = menuBar();
    mnuDatei = bar->addMenu(QStringLiteral("&Datei"));
    mnuDatei->setObjectName(QStringLiteral("mnuDatei"));
    mnuOrdnerSuchen = addItem(mnuDatei, "mnuOrdnerSuchen", QStringLiteral("&Ordner auswählen"));
    mnuEigeneDateien = addItem(mnuDatei, "mnuEigeneDateien", QStringLiteral("&Eigene Dateien"));
    mnuFaxeÖffnen = addItem(mnuDatei, "mnuFaxeÖffnen", QStringLiteral("&Faxe"));
    mnuRechÖffnen = addItem(mnuDatei, "mnuRechÖffnen", QStringLiteral("&rech"));
    mnuRechNetzÖffnen =
        addItem(mnuDatei, "mnuRechNetzÖffnen", QString::fromUtf16(kNetworkInvoicesCaption));
    mnuRechFAÖffnen = addItem(mnuDatei, "mnuRechFAÖffnen", QStringLiteral("rech-F&A"));
    rech23Öffnen = addItem(mnuDatei, "rech23Öffnen", QStringLiteral("rech-&23"));
    SoftwareÖffnen = addItem(mnuDatei, "SoftwareÖffnen", QStringLiteral("&Software + Treiber"));
    leer0 = addItem(mnuDatei, "leer0", kDivider);

    mnuDatSuch = mnuDatei->addMenu(QStringLiteral("nach D&atum suchen"));
    mnuDatSuch->setObjectName(QStringLiteral("mnuDatSuch"));
    mnuDatStd =
        addItem(mnuDatSuch, "mnuDatStd", QStringLiteral("geändert innerhalb der letzten Stunden"));
    mnuDatTag =
        addItem(mnuDatSuch, "mnuDatTag", QStringLiteral("geändert innerhalb der letzten Tage"));
    mnuDatMon =
        addItem(mnuDatSuch, "mnuDatMon", QStringLiteral("geändert innerhalb der letzten Monate"));

    leer1 = addItem(mnuDatei, "leer1", kDivider);
    mnuItemÖffnen = addItem(mnuDatei, "mnuItemÖffnen", QStringLiteral("&Öffnen"));
    mnuItemDrucken = addItem(mnuDatei, "mnuItemDrucken", QStringLiteral("&Drucken"));
    leer2 = addItem(mnuDatei, "leer2", kDivider);
    mnuDateiUmbenennen = addItem(mnuDatei, "mnuDateiUmbenennen", QStringLiteral("&Umbenennen"));
    mnuDateiKopieren = addItem(mnuDatei, "mnuDateiKopieren", QStringLiteral("&Kopieren"));
    mnuDateiLöschen = addItem(mnuDatei, "mnuDateiLöschen", QStringLiteral("&Löschen"));
    leer3 = addItem(mnuDatei, "leer3", kDivider);
    mnuItemBeenden = addItem(mnuDatei, "mnuItemBeenden", QStringLiteral("&Beenden"));

    const auto addToBar = [bar](const char* name, const QString& caption) {
        QAction* action = bar->addAction(caption);
        action->setObjectName(QString::fromUtf8(name));
        return action;
    };
    mnuOrdner = addToBar("mnuOrdner", QStringLiteral("^Ordner"));
    mnuDateiZähler = addToBar("mnuDateiZähler", QString());
    mnuName = addToBar("mnuName", QString());
    mnuHelp = addToBar("mnuHelp", QStringLiteral("?"));
}

} // namespace findolin
