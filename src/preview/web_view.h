#pragma once

#include <QWidget>
#include <memory>

class QMediaPlayer;
class QStackedLayout;
class QTemporaryDir;
class QVideoWidget;
class QWebEngineView;

namespace findolin {

// The web view: a page shown by the browser engine, a mail message rendered from its parts into
// the same engine, a video played in its place. The engine and the player are made on first use:
// most sessions never need them.
class WebView : public QWidget {
    Q_OBJECT
public:
    // Scripts do not run and nothing is fetched from the network: a stored page or mail must not
    // report back to whoever sent it.
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
    // The rendered mail, a file the engine can load whatever its size, in a folder only this user
    // may enter.
    std::unique_ptr<QTemporaryDir> mailFolder_;
    QString mailPage_;
    int mailPages_ = 0;
};

} // namespace findolin
