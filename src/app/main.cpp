#include "app/form1.h"
#include "app/window_rules.h"

#include <QApplication>
#include <unistd.h>

int main(int argc, char* argv[]) {
    // The web view's engine refuses to run as the superuser inside its sandbox.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // the web view needs it early
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Findolin"));
    findolin::loadGermanQtTexts(app);
    findolin::Form1 window;
    window.show();
    return app.exec();
}
