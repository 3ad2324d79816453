#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

// What a file holds now; "<gone>" when it cannot be read.
inline QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<gone>");
}

// A folder tree for one test, removed afterwards.
class TestDir {
public:
    TestDir() { QVERIFY2(dir_.isValid(), "cannot create a temporary folder"); }

    QString path() const { return dir_.path(); }
    QString path(const QString& relative) const { return dir_.filePath(relative); }

    // Creates the file (and its folders) with the given content; returns its full path.
    QString file(const QString& relative, const QByteArray& content = {}) const {
        const QString full = path(relative);
        QDir().mkpath(QFileInfo(full).path());
        QFile out(full);
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(full));
        return full;
    }

    QString folder(const QString& relative) const {
        const QString full = path(relative);
        QDir().mkpath(full);
        return full;
    }

    QString link(const QString& target, const QString& relative) const {
        const QString full = path(relative);
        QFile::link(target, full);
        return full;
    }

private:
    QTemporaryDir dir_;
};
