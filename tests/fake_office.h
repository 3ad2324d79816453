#pragma once

#include "testdir.h"

#include <QFile>
#include <QtTest>

// An office suite on the PATH that logs what it is asked and ends with the given code.
class FakeOffice {
public:
    FakeOffice(const TestDir& dir, int exitCode)
        : oldPath_(qgetenv("PATH")), log_(dir.path("soffice.log")) {
        const QString script =
            dir.file("bin/soffice", QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\nexit %2\n")
                                        .arg(log_)
                                        .arg(exitCode)
                                        .toUtf8());
        QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        qputenv("PATH", QFile::encodeName(dir.path("bin")) + ":" + oldPath_);
    }
    ~FakeOffice() { qputenv("PATH", oldPath_); }
    QString log() const { return QString::fromUtf8(contentOf(log_)); }

private:
    QByteArray oldPath_;
    QString log_;
};
