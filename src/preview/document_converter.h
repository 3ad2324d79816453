#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

class QProcess;
class QTemporaryDir;
class QTimer;

namespace findolin {

// Turns office documents into PDF for the document preview: the office suite (`soffice`) runs
// headless in the background, so the window never waits for it, with a profile of its own, so
// it neither disturbs nor is disturbed by the user's running office. Results are kept in a cache
// folder under a name made of the document's path, size and modification time, so a document is
// converted again only after it changed.
//
// Most of a `soffice --convert-to` is the office starting. So, given a Python with LibreOffice's
// UNO bridge (Debian's python3-uno), one office is started at the first conversion and kept for
// all others while the converter lives, driven by office_bridge.py; the bridge and its office run
// in a process group of their own, which is killed when the converter goes, so no office outlives
// the window. A bridge that dies is replaced at the next conversion. Where the bridge cannot work
// at all, each conversion runs `soffice --convert-to` of its own.
//
// One conversion runs at a time. Asking for another while one runs lets the running one finish
// (into the cache) and then converts only the newest request: a user arrowing through a folder of
// documents gets the one they stop at, not a queue of all they passed.
class DocumentConverter : public QObject {
    Q_OBJECT
public:
    // `python` runs the bridge; empty for one office process per document.
    DocumentConverter(QString cacheFolder, QString soffice, QString python = {},
                      QObject* parent = nullptr);
    ~DocumentConverter() override;

    // Whether an office suite is there to convert at all.
    bool available() const { return !soffice_.isEmpty(); }

    // The PDF of the document when the cache has it for its present size and time; otherwise
    // nothing, and the conversion is started (or queued as the newest request), to be reported by
    // `converted`.
    std::optional<QString> pdfFor(const QString& document);

    // A conversion running longer than this is taken as hung: the office is killed and the
    // conversion reported failed; the next one starts a new office. A minute by default.
    void setTimeLimit(std::chrono::milliseconds limit);

Q_SIGNALS:
    // A conversion ended: `pdf` is the converted file, or empty when the conversion failed.
    void converted(const QString& document, const QString& pdf);

private:
    void start(const QString& document);
    void convertAlone();
    void convertInBridge();
    void startBridge();
    void readBridge();
    void bridgeEnded();
    void endBridge();
    void finished(bool ok);
    QString cachedPdfName(const QString& document) const;
    QString profileUrl() const;

    QString cacheFolder_;
    QString soffice_;
    QString python_;              // cleared once the bridge proved not to work here
    QProcess* process_ = nullptr; // the soffice of one conversion, without the bridge
    QProcess* bridge_ = nullptr;
    qint64 bridgeGroup_ = 0; // its process group, which holds its office
    bool bridgeReady_ = false;
    QTimer* timeLimit_ = nullptr;
    // Where soffice writes; inside the cache folder, so its result moves into the cache by a
    // rename.
    std::unique_ptr<QTemporaryDir> outputFolder_;
    bool converting_ = false;
    bool retried_ = false; // in a new office, after the bridge ended during the conversion
    QString running_;      // the document being converted
    QString runningPdf_;   // its cache name, taken when the conversion started
    QString written_;      // where the office writes its PDF
    QString waiting_;      // the newest request while one runs
};

// The Python that can run the bridge for this soffice: the system's own, for which python3-uno is
// built (the python3 first on PATH may be a virtual environment's without it), provided soffice is
// the starter in a LibreOffice program folder (a sandboxed package's wrapper, say, does not take a
// pipe it can be reached by). Empty otherwise.
QString bridgePython(const QString& soffice);

} // namespace findolin
