#include "preview/word_processor.h"

#include "platform/native_names.h"
#include "platform/process_group.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace findolin {

namespace {

// A profile of our own, so printing neither waits for nor changes the user's running office.
QString printProfileUrl() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    return QUrl::fromLocalFile(base + QStringLiteral("/office-print-profile"))
        .toString(QUrl::FullyEncoded);
}

constexpr int printTimeLimitMs = 120'000;

} // namespace

bool LibreOfficeWriter::openShown(const QString& path) {
    const QFileInfo document(pathForOtherPrograms(path));
    if (soffice_.isEmpty() || !document.isFile())
        return false;
    // The absolute path also keeps a name starting with '-' from being taken for an option.
    return QProcess::startDetached(soffice_, {document.absoluteFilePath()});
}

bool LibreOfficeWriter::print(const QString& path) {
    const QFileInfo document(pathForOtherPrograms(path));
    if (soffice_.isEmpty() || !document.isFile())
        return false;
    QProcess process;
    process.setProgram(soffice_);
    process.setArguments({QStringLiteral("--headless"), QStringLiteral("--norestore"),
                          QStringLiteral("-env:UserInstallation=") + printProfileUrl(),
                          QStringLiteral("-p"), document.absoluteFilePath()});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    runInOwnGroup(process);
    process.start();
    if (!process.waitForStarted())
        return false;
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(printTimeLimitMs)) {
        killGroup(process);
        process.waitForFinished(5000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString findSoffice() {
    QString found = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    return found;
}

std::shared_ptr<WordProcessor> WordHolen() {
    QString soffice = findSoffice();
    if (soffice.isEmpty())
        return nullptr;
    return std::make_shared<LibreOfficeWriter>(std::move(soffice));
}

} // namespace findolin
