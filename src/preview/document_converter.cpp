#include "preview/document_converter.h"

#include "platform/native_names.h"
#include "platform/process_group.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <utility>

namespace findolin {

namespace {

// Replaces `to` in one step: a reader of the cache sees the old file or the whole new one.
bool moveOver(const QString& from, const QString& to) {
    return std::rename(bytesOfName(from).constData(), bytesOfName(to).constData()) == 0;
}

QString fileUrl(const QString& path) {
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

constexpr std::chrono::minutes defaultTimeLimit{1};

} // namespace

DocumentConverter::DocumentConverter(QString cacheFolder, QString soffice, QString python,
                                     QObject* parent)
    : QObject(parent), cacheFolder_(std::move(cacheFolder)), soffice_(std::move(soffice)),
      python_(std::move(python)), timeLimit_(new QTimer(this)) {
    timeLimit_->setSingleShot(true);
    timeLimit_->setInterval(defaultTimeLimit);
    connect(timeLimit_, &QTimer::timeout, this, [this] {
        if (process_) {
            killGroup(*process_); // its `finished` then reports the failure
        } else if (bridge_) {
            endBridge(); // the next conversion starts a new office
            finished(false);
        }
    });
}

DocumentConverter::~DocumentConverter() {
    endBridge();
    if (QProcess* process = std::exchange(process_, nullptr)) {
        process->disconnect();
        killGroup(*process);
        process->waitForFinished(3000);
    }
}

void DocumentConverter::setTimeLimit(std::chrono::milliseconds limit) {
    timeLimit_->setInterval(limit);
}

std::optional<QString> DocumentConverter::pdfFor(const QString& document) {
    if (!available())
        return std::nullopt;
    const QString pdf = cachedPdfName(document);
    if (QFileInfo(pdf).size() > 0)
        return pdf;
    if (!converting_)
        start(document);
    else if (pdf == runningPdf_)
        waiting_.clear(); // back at the one running: the one asked for in between is passed
    else
        waiting_ = document;
    return std::nullopt;
}

void DocumentConverter::start(const QString& document) {
    converting_ = true;
    retried_ = false;
    running_ = document;
    runningPdf_ = cachedPdfName(document);

    // The output folder lies in the cache folder, so the result moves into the cache by renaming.
    QDir().mkpath(cacheFolder_);
    outputFolder_ =
        std::make_unique<QTemporaryDir>(QDir(cacheFolder_).filePath(QStringLiteral("out-XXXXXX")));
    if (!outputFolder_->isValid()) {
        // Reported from the event loop, as every other outcome: the caller of pdfFor() gets its
        // answer before the signal. Nothing else can end this conversion meanwhile.
        QMetaObject::invokeMethod(
            this, [this] { finished(false); }, Qt::QueuedConnection);
        return;
    }
    // The name `soffice --convert-to` gives it.
    written_ = QDir(outputFolder_->path())
                   .filePath(QFileInfo(pathForOtherPrograms(document)).completeBaseName() +
                             QStringLiteral(".pdf"));
    timeLimit_->start();
    if (python_.isEmpty())
        convertAlone();
    else
        convertInBridge();
}

void DocumentConverter::convertAlone() {
    auto* process = new QProcess(this);
    process_ = process;
    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                if (process == process_)
                    finished(status == QProcess::NormalExit && exitCode == 0);
            });
    // Other errors (a crash, say) are followed by `finished`. This one is reported from the event
    // loop, as every other outcome.
    connect(
        process, &QProcess::errorOccurred, process,
        [this, process](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart && process == process_)
                finished(false);
        },
        Qt::QueuedConnection);

    process->setProgram(soffice_);
    process->setArguments({QStringLiteral("--headless"), QStringLiteral("--norestore"),
                           QStringLiteral("-env:UserInstallation=") + profileUrl(),
                           QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                           QStringLiteral("--outdir"), outputFolder_->path(),
                           QFileInfo(pathForOtherPrograms(running_)).absoluteFilePath()});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    runInOwnGroup(*process);
    process->start();
}

void DocumentConverter::convertInBridge() {
    if (!bridge_)
        startBridge();
    // Written at once, even while the office is still starting: the bridge reads it when ready.
    // URLs hold neither blanks nor line breaks, whatever the names. A bridge that failed to start
    // takes no request; its end, reported next, converts the document the other way.
    const QString request = fileUrl(QFileInfo(pathForOtherPrograms(running_)).absoluteFilePath()) +
                            u' ' + fileUrl(written_) + u'\n';
    if (bridge_->state() != QProcess::NotRunning)
        bridge_->write(request.toUtf8());
}

void DocumentConverter::startBridge() {
    QFile script(QStringLiteral(":/findolin/office_bridge.py"));
    const QByteArray source = script.open(QIODevice::ReadOnly) ? script.readAll() : QByteArray();

    auto* bridge = new QProcess(this);
    bridge_ = bridge;
    bridgeReady_ = false;
    connect(bridge, &QProcess::readyReadStandardOutput, this, &DocumentConverter::readBridge);
    connect(bridge, &QProcess::finished, this, &DocumentConverter::bridgeEnded);
    connect(
        bridge, &QProcess::errorOccurred, bridge,
        [this, bridge](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart && bridge == bridge_)
                bridgeEnded();
        },
        Qt::QueuedConnection);

    // Given on the command line, the script needs no file that could go stale or missing.
    bridge->setProgram(python_);
    bridge->setArguments({QStringLiteral("-c"), QString::fromUtf8(source), soffice_, profileUrl()});
    bridge->setStandardErrorFile(QProcess::nullDevice());
    // The office it starts joins its group, so that one kill ends both.
    runInOwnGroup(*bridge);
    bridge->start();
    bridgeGroup_ = bridge->processId();
}

void DocumentConverter::readBridge() {
    while (bridge_ && bridge_->canReadLine()) {
        const QByteArray line = bridge_->readLine().trimmed();
        if (line == "ready") {
            bridgeReady_ = true;
        } else if (converting_) {
            // One request at a time, so this was the only answer waiting. Nothing may touch the
            // converter after `finished`: a receiver of its signal may delete it.
            finished(line == "ok");
            return;
        }
    }
}

void DocumentConverter::bridgeEnded() {
    QProcess* bridge = std::exchange(bridge_, nullptr);
    bridge->disconnect();
    bridge->deleteLater();
    // An office outliving its bridge would hold the profile the next office needs.
    killGroup(bridgeGroup_);

    const bool worked = std::exchange(bridgeReady_, false);
    if (!worked)
        python_.clear(); // no python3-uno, say: from now on one soffice per conversion
    if (!converting_)
        return;
    if (!worked) {
        convertAlone();
    } else if (!std::exchange(retried_, true)) {
        // An office that died while idle (ended for want of memory, say) is found out only when
        // asked; the document gets one more try in a new office.
        timeLimit_->start();
        convertInBridge();
    } else {
        finished(false); // the document ends the office
    }
}

void DocumentConverter::endBridge() {
    QProcess* bridge = std::exchange(bridge_, nullptr);
    if (!bridge)
        return;
    bridge->disconnect();
    bridgeReady_ = false;
    killGroup(*bridge);
    // A killed process ends at once; waiting for it reaps it before its QProcess goes.
    bridge->waitForFinished(3000);
    delete bridge;
}

void DocumentConverter::finished(bool ok) {
    timeLimit_->stop();
    converting_ = false;
    if (QProcess* process = std::exchange(process_, nullptr))
        process->deleteLater();

    QString pdf;
    if (ok && QFileInfo(written_).size() > 0 && moveOver(written_, runningPdf_))
        pdf = runningPdf_;
    outputFolder_.reset();
    written_.clear();

    const QString document = std::exchange(running_, QString());
    runningPdf_.clear();
    if (const QString next = std::exchange(waiting_, QString()); !next.isEmpty())
        start(next);
    // Last, as a receiver may delete the converter.
    Q_EMIT converted(document, pdf);
}

QString DocumentConverter::cachedPdfName(const QString& document) const {
    const QFileInfo info(pathForOtherPrograms(document));
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(bytesOfName(document));
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(QByteArray::number(info.size()));
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(QByteArray::number(info.lastModified().toMSecsSinceEpoch()));
    return QDir(cacheFolder_)
        .filePath(QString::fromLatin1(hash.result().toHex()) + QStringLiteral(".pdf"));
}

QString DocumentConverter::profileUrl() const {
    return fileUrl(QDir(cacheFolder_).filePath(QStringLiteral("office-profile")));
}

QString bridgePython(const QString& soffice) {
    const QFileInfo python(QStringLiteral("/usr/bin/python3"));
    const QFileInfo office(QFileInfo(soffice).canonicalFilePath());
    if (!python.isExecutable() || !QFileInfo(office.dir(), QStringLiteral("soffice.bin")).exists())
        return {};
    return python.filePath();
}

} // namespace findolin
