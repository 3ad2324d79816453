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
// One conversion runs at a time. Asking for another while one runs lets the running one finish
// (into the cache) and then converts only the newest request: a user arrowing through a folder of
// documents gets the one they stop at, not a queue of all they passed.
class DocumentConverter : public QObject {
    Q_OBJECT
public:
    DocumentConverter(QString cacheFolder, QString soffice, QObject* parent = nullptr);
    ~DocumentConverter() override;

    // Whether an office suite is there to convert at all.
    bool available() const { return !soffice_.isEmpty(); }

    // The PDF of the document when the cache has it for its present size and time; otherwise
    // nothing, and the conversion is started (or queued as the newest request), to be reported by
    // `converted`.
    std::optional<QString> pdfFor(const QString& document);

    // A conversion running longer than this is taken as hung: soffice is killed and the
    // conversion reported failed. A minute by default.
    void setTimeLimit(std::chrono::milliseconds limit);

Q_SIGNALS:
    // A conversion ended: `pdf` is the converted file, or empty when the conversion failed.
    void converted(const QString& document, const QString& pdf);

private:
    void start(const QString& document);
    void finished(bool ok);
    QString cachedPdfName(const QString& document) const;

    QString cacheFolder_;
    QString soffice_;
    QProcess* process_ = nullptr;
    QTimer* timeLimit_ = nullptr;
    // Where soffice writes; inside the cache folder, so its result moves into the cache by a
    // rename.
    std::unique_ptr<QTemporaryDir> outputFolder_;
    QString running_;    // the document being converted
    QString runningPdf_; // its cache name, taken when the conversion started
    QString waiting_;    // the newest request while one runs
};

} // namespace findolin
