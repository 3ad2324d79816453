#include "preview/web_view.h"

#include "platform/read_only_file.h"
#include "preview/file_types.h"
#include "preview/mail_message.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMediaPlayer>
#include <QStackedLayout>
#include <QStandardPaths>
#include <QUrl>
#include <QVideoWidget>
#include <QWebEngineView>

namespace findolin {
namespace {

// Enough for any letter with its attachments; a mailbox archive shows its first messages.
constexpr qsizetype kMailBytes = 32 << 20;

// The message, read-only; a mail that cannot be read shows as an empty page.
QByteArray mailBytes(const QString& path) {
    auto file = ReadOnlyFile::open(path);
    QByteArray bytes;
    while (file && bytes.size() < kMailBytes) {
        auto piece = file->read(1 << 20);
        if (!piece || piece->isEmpty())
            break;
        bytes += *piece;
    }
    return bytes;
}

} // namespace

WebView::WebView(QWidget* parent) : QWidget(parent), stack_(new QStackedLayout(this)) {
    stack_->setContentsMargins(0, 0, 0, 0);
}

WebView::~WebView() {
    if (!mailPage_.isEmpty())
        QFile::remove(mailPage_);
}

QWebEngineView* WebView::ensurePage() {
    if (!page_) {
        page_ = new QWebEngineView;
        stack_->addWidget(page_);
    }
    return page_;
}

QVideoWidget* WebView::ensureVideo() {
    if (!video_) {
        video_ = new QVideoWidget;
        player_ = new QMediaPlayer(this);
        player_->setVideoOutput(video_);
        stack_->addWidget(video_);
    }
    return video_;
}

void WebView::Navigate(const QString& path) {
    if (player_)
        player_->stop();
    const WebMode mode = webModeOf(path);
    if (mode == WebMode::Video) {
        stack_->setCurrentWidget(ensureVideo());
        player_->setSource(QUrl::fromLocalFile(path));
        player_->play();
        return;
    }
    QWebEngineView* page = ensurePage();
    stack_->setCurrentWidget(page);
    if (mode == WebMode::Page) {
        page->load(QUrl::fromLocalFile(path));
        return;
    }
    // Rendered into a file beside nothing of the user's: the engine loads any size from a file,
    // but only 2 MB from a string.
    if (mailPage_.isEmpty()) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
        mailPage_ = QDir(folder).filePath(
            QStringLiteral("findolin-mail-%1.html").arg(QCoreApplication::applicationPid()));
    }
    QFile out(mailPage_);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(mailAsHtml(mailBytes(path)).toUtf8());
    out.close();
    page->load(QUrl::fromLocalFile(mailPage_));
}

} // namespace findolin
