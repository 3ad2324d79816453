#pragma once

#include "testdir.h"

#include <QFile>
#include <QtTest>

// An office suite on the PATH, bin/<name> in the test folder. Each call logs its arguments as one
// line, then runs `behaviour`, a shell snippet: there `convert "$@"` writes a one-page PDF of the
// document into the --outdir folder (leaving $out and $name set), and `${0%/bin/*}` is the test
// folder.
class FakeOffice {
public:
    FakeOffice(const TestDir& dir, int exitCode)
        : FakeOffice(dir, QStringLiteral("exit %1").arg(exitCode)) {}
    explicit FakeOffice(const TestDir& dir, const QString& behaviour,
                        const QString& name = QStringLiteral("soffice"))
        : oldPath_(qgetenv("PATH")), log_(dir.path("soffice.log")) {
        const QString script = QStringLiteral(R"(#!/bin/sh
{ for a in "$@"; do printf '%s\t' "$a"; done; echo; } >> '%1'
convert() {
    for a in "$@"; do case "$prev" in --outdir) out=$a ;; esac; prev=$a doc=$a; done
    name=$(basename "$doc")
    printf '%s\n' '%PDF-1.4' '1 0 obj <</Type/Catalog/Pages 2 0 R>> endobj' \
        '2 0 obj <</Type/Pages/Kids[3 0 R]/Count 1>> endobj' \
        '3 0 obj <</Type/Page/Parent 2 0 R/MediaBox[0 0 300 200]>> endobj' \
        'trailer <</Root 1 0 R>>' '%%EOF' > "$out/${name%.*}.pdf"
}
%2
)");
        program_ = dir.file("bin/" + name, script.arg(log_, behaviour).toUtf8());
        QFile::setPermissions(program_, QFile::permissions(program_) | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(dir.path("bin")) + ":" + oldPath_);
    }
    ~FakeOffice() { qputenv("PATH", oldPath_); }

    QString program() const { return program_; }
    // The calls so far, a line each, the arguments separated by blanks.
    QString log() const { return QString::fromUtf8(contentOf(log_)).replace(u'\t', u' '); }
    QList<QStringList> calls() const {
        QList<QStringList> result;
        for (const QString& line : QString::fromUtf8(contentOf(log_)).split(u'\n'))
            if (line.endsWith(u'\t')) // not the last, empty line, nor contentOf's "<gone>"
                result.append(line.chopped(1).split(u'\t'));
        return result;
    }

private:
    QByteArray oldPath_;
    QString log_;
    QString program_;
};
