#include "preview/web_view.h"

#include "platform/native_names.h"
#include "platform/read_only_file.h"
#include "preview/file_types.h"
#include "preview/mail_message.h"

#include <QDir>
#include <QFile>
#include <QMediaPlayer>
#include <QStackedLayout>
#include <QTemporaryDir>
#include <QUrl>
#include <QVideoWidget>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
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

// Refuses every request that would leave the machine.
class LocalOnly : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (!isLocalUrl(info.requestUrl()))
            info.block(true);
    }
};

} // namespace

WebView::WebView(QWidget* parent) : QWidget(parent), stack_(new QStackedLayout(this)) {
    stack_->setContentsMargins(0, 0, 0, 0);
}

// The page goes before its profile, which the engine requires: a profile released under a live
// page leaves the engine to tear down a page whose profile is gone.
WebView::~WebView() {
    delete page_;
}

QWebEngineView* WebView::ensurePage() {
    if (!page_) {
        page_ = new QWebEngineView;
        // A profile of its own, kept in memory only, that fetches nothing from outside. It belongs
        // to this widget, not to the view, so that the view and its page can go first.
        auto* profile = new QWebEngineProfile(this);
        profile->setUrlRequestInterceptor(new LocalOnly(profile));
        page_->setPage(new QWebEnginePage(profile, page_));
        page_->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
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
        player_->setSource(QUrl::fromLocalFile(pathForOtherPrograms(path)));
        player_->play();
        return;
    }
    QWebEngineView* page = ensurePage();
    stack_->setCurrentWidget(page);
    if (mode == WebMode::Page) {
        page->load(QUrl::fromLocalFile(pathForOtherPrograms(path)));
        return;
    }
    // Rendered into a file of a private folder: the engine loads any size from a file, but only
    // 2 MB from a string. Each mail gets a new file, made by this call and by nobody before.
    if (!mailFolder_)
        mailFolder_ = std::make_unique<QTemporaryDir>();
    if (!mailPage_.isEmpty())
        QFile::remove(mailPage_);
    mailPage_ = mailFolder_->filePath(QStringLiteral("mail-%1.html").arg(++mailPages_));
    QFile out(mailPage_);
    if (mailFolder_->isValid() && out.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                                           QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        out.write(mailAsHtml(mailBytes(path)).toUtf8());
    out.close();
    page->load(QUrl::fromLocalFile(mailPage_));
}

} // namespace findolin
