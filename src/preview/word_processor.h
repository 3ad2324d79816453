#pragma once

#include <QString>
#include <memory>

namespace findolin {

// The word processor, reached as an application outside the program. Every operation answers
// whether it worked; the callers decide what a failure means.
class WordProcessor {
public:
    virtual ~WordProcessor() = default;

    // Asks the word processor not to offer saving its normal template when it ends. Office suites
    // without such a template have nothing to do.
    virtual bool markNormalTemplateSaved() { return true; }
    // Opens the document in the word processor's own window, shown in front.
    virtual bool openShown(const QString& path) = 0;
    // Prints the whole document with the default settings, without showing it.
    virtual bool print(const QString& path) = 0;
};

// LibreOffice (its `soffice` program): a document opens in the running instance or a new one;
// printing runs headless and fails when soffice reports an error (no printer, say).
class LibreOfficeWriter : public WordProcessor {
public:
    explicit LibreOfficeWriter(QString soffice) : soffice_(std::move(soffice)) {}
    bool openShown(const QString& path) override;
    bool print(const QString& path) override;

private:
    QString soffice_;
};

// The `soffice` program on the PATH, or an empty text when none is installed.
QString findSoffice();

// The word processor of this machine, or nothing when none is installed.
std::shared_ptr<WordProcessor> WordHolen();

} // namespace findolin
