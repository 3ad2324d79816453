#include "app/help_text.h"

namespace findolin {
namespace {

QString blanks(int count) {
    return QString(count, u' ');
}

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

QString operators(const QString& search) {
    return search + blanks(9) + QStringLiteral("+ für UND") + blanks(11) +
           QStringLiteral("# für ODER") + blanks(10) + QStringLiteral("- für NICHT");
}

} // namespace

QStringList helpTextLines() {
    const QString orSeparator = QStringLiteral("  oder  ");
    return {
        operators(QStringLiteral("Dateisuche mit")),
        QString(),
        QStringLiteral("z.B.  Angebot+PC#Angebot+Computer-gebraucht"),
        blanks(8) + QStringLiteral("findet  ") + quoted(QStringLiteral("PC-Angebote.doc")) +
            orSeparator + quoted(QStringLiteral("Angebot-PC.doc")) + orSeparator +
            quoted(QStringLiteral("Computerangebot.txt")) + u' ',
        blanks(8) + QStringLiteral("(alle Dateien mit ") + quoted(QStringLiteral("gebraucht")) +
            QStringLiteral("  werden ausgeschlossen)"),
        QString(),
        QStringLiteral("z.B. Versicherung+Brief+KFZ") + QString(4, u'\t'),
        blanks(8) + QStringLiteral("findet  ") +
            quoted(QStringLiteral("Brief an KFZ-Versicherung.doc")) + u' ',
        QString(),
        QString(118, u'-'),
        QString(7, u'\t'),
        operators(QStringLiteral("Textsuche mit")),
        QString(),
        QStringLiteral("z.B. 600+MHz+64+MB") + QString(2, u'\t'),
        blanks(8) + QStringLiteral("findet Documente  mit Textinhalt  ") +
            quoted(QStringLiteral("600 MHz")) + QStringLiteral("  und  ") +
            quoted(QStringLiteral("64MB")) + u' ',
        QStringLiteral("\t"),
        QStringLiteral("z.B. 600MHz#733MHz#800MHz"),
        blanks(7) + QStringLiteral("findet Documente mit Textinhalt  ") +
            quoted(QStringLiteral("600MHz")) + orSeparator + quoted(QStringLiteral("700MHz")) +
            orSeparator + quoted(QStringLiteral("800MHz")),
        QString(),
        QString(119, u'-'),
    };
}

} // namespace findolin
