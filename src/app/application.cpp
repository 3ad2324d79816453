#include "app/application.h"

#include "app/command_line.h"
#include "app/form1.h"

#include <QApplication>
#include <QDirIterator>

namespace findolin {

QIcon findolinIcon() {
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/findolin/icons"), QDir::Files,
                       QDirIterator::Subdirectories);
    while (sizes.hasNext())
        icon.addFile(sizes.next());
    return icon;
}

void presentApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("Findolin"));
    QApplication::setApplicationVersion(findolinVersion());
    QGuiApplication::setDesktopFileName(QStringLiteral(FINDOLIN_APP_ID));
    app.setWindowIcon(findolinIcon());
}

void showMainWindow(Form1& window, const QString& folder) {
    window.show(); // its first showing runs Form_Load
    // Listing the folder after start-up's own listing overtakes that one, and leaves every rule
    // of the start (the site folders, the menu, the placement) as it was.
    if (!folder.isEmpty())
        window.listFolder(folder);
}

} // namespace findolin
