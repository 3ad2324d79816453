#include "preview/document_converter.h"

#include "platform/native_names.h"
#include "platform/process_group.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
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

constexpr std::chrono::minutes defaultTimeLimit{1};

} // namespace

DocumentConverter::DocumentConverter(QString cacheFolder, QString soffice, QObject* parent)
    : QObject(parent), cacheFolder_(std::move(cacheFolder)), soffice_(std::move(soffice)),
      timeLimit_(new QTimer(this)) {
    timeLimit_->setSingleShot(true);
    timeLimit_->setInterval(defaultTimeLimit);
    // The kill ends the process; its `finished` then reports the failure.
    connect(timeLimit_, &QTimer::timeout, this, [this] {
        if (process_)
            killGroup(*process_);
    });
}

DocumentConverter::~DocumentConverter() {
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
    if (!process_)
        start(document);
    else if (pdf == runningPdf_)
        waiting_.clear(); // back at the one running: the one asked for in between is passed
    else
        waiting_ = document;
    return std::nullopt;
}

void DocumentConverter::start(const QString& document) {
    running_ = document;
    runningPdf_ = cachedPdfName(document);
    auto* process = new QProcess(this);
    process_ = process;

    // Failures found right here are reported from the event loop, as every other outcome: the
    // caller of pdfFor() gets its answer before the signal.
    const auto failLater = [this, process] {
        QMetaObject::invokeMethod(
            process,
            [this, process] {
                if (process == process_)
                    finished(false);
            },
            Qt::QueuedConnection);
    };

    // The output folder lies in the cache folder, so the result moves into the cache by renaming.
    QDir().mkpath(cacheFolder_);
    outputFolder_ =
        std::make_unique<QTemporaryDir>(QDir(cacheFolder_).filePath(QStringLiteral("out-XXXXXX")));
    if (!outputFolder_->isValid()) {
        failLater();
        return;
    }

    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                if (process == process_)
                    finished(status == QProcess::NormalExit && exitCode == 0);
            });
    connect(process, &QProcess::errorOccurred, this, [failLater](QProcess::ProcessError error) {
        // Other errors (a crash, say) are followed by `finished`.
        if (error == QProcess::FailedToStart)
            failLater();
    });

    const QString profile = QDir(cacheFolder_).filePath(QStringLiteral("office-profile"));
    process->setProgram(soffice_);
    process->setArguments({QStringLiteral("--headless"), QStringLiteral("--norestore"),
                           QStringLiteral("-env:UserInstallation=") +
                               QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded),
                           QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                           QStringLiteral("--outdir"), outputFolder_->path(),
                           QFileInfo(pathForOtherPrograms(document)).absoluteFilePath()});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    runInOwnGroup(*process);
    timeLimit_->start();
    process->start();
}

void DocumentConverter::finished(bool ok) {
    timeLimit_->stop();
    std::exchange(process_, nullptr)->deleteLater();

    QString pdf;
    if (ok && outputFolder_ && outputFolder_->isValid()) {
        const QString written =
            QDir(outputFolder_->path())
                .filePath(QFileInfo(pathForOtherPrograms(running_)).completeBaseName() +
                          QStringLiteral(".pdf"));
        if (QFileInfo(written).size() > 0 && moveOver(written, runningPdf_))
            pdf = runningPdf_;
    }
    outputFolder_.reset();

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

} // namespace findolin
