#pragma once

#include <QWidget>

class QMediaPlayer;
class QStackedLayout;
class QVideoWidget;
class QWebEngineView;

namespace findolin {

// The web view: a page shown by the browser engine, a mail message rendered from its parts into
// the same engine, a video played in its place. The engine and the player are made on first use:
// most sessions never need them.
class WebView : public QWidget {
    Q_OBJECT
public:
    explicit WebView(QWidget* parent = nullptr);
    ~WebView() override;

    // Shows the file, by its own extension: a mail message (".eml"), a video (".mpg", ".mpeg",
    // ".avi") or else a page.
    void Navigate(const QString& path);

    // What is shown, for tests and the file operations: the engine (null before first use).
    QWebEngineView* page() const { return page_; }
    QMediaPlayer* player() const { return player_; }

private:
    QWebEngineView* ensurePage();
    QVideoWidget* ensureVideo();

    QStackedLayout* stack_;
    QWebEngineView* page_ = nullptr;
    QVideoWidget* video_ = nullptr;
    QMediaPlayer* player_ = nullptr;
    QString mailPage_; // the rendered mail, a file the engine can load whatever its size
};

} // namespace findolin
