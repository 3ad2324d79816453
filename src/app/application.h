#pragma once

#include <QIcon>
#include <QString>

class QApplication;

namespace findolin {

class Form1;

// Findolin's icon in every size built in; null only when the build left them out.
QIcon findolinIcon();

// Names the program to the desktop (its name, version and desktop entry, which ties the running
// window to its menu entry) and gives every window and dialog the icon.
void presentApplication(QApplication& app);

// Shows the main window, which starts up as usual, and then lists `folder` in place of the
// folder that start-up listed; an empty `folder` leaves start-up's.
void showMainWindow(Form1& window, const QString& folder);

} // namespace findolin
