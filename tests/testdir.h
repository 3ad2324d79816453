#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>
#include <QtTest>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// What a file holds now; "<gone>" when it cannot be read.
inline QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<gone>");
}

// The files of a tree: each one's path below the tree's root, and what it holds. A path that
// ends in "/" is an empty folder.
using Tree = QList<std::pair<QString, QByteArray>>;

// A folder tree for one test, removed afterwards.
class TestDir {
public:
    explicit TestDir(const Tree& tree = {}) {
        QVERIFY2(dir_.isValid(), "cannot create a temporary folder");
        add(tree);
    }

    void add(const Tree& tree) const {
        for (const auto& [relative, content] : tree)
            relative.endsWith(u'/') ? folder(relative) : file(relative, content);
    }

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

// Removes the entry `name` of the open folder `parent`, and all it holds when it is a folder;
// relative to open handles, so that it works however deep the tree goes.
inline void removeTreeAt(int parent, const QByteArray& name) {
    const int fd =
        ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        ::unlinkat(parent, name.constData(), 0);
        return;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    QByteArrayList entries;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray entryName(entry->d_name);
        if (entryName != "." && entryName != "..")
            entries << entryName;
    }
    for (const QByteArray& entry : entries)
        removeTreeAt(::dirfd(dir), entry);
    ::closedir(dir);
    ::unlinkat(parent, name.constData(), AT_REMOVEDIR);
}

// Folders nested one in the next below `base`, deeper than a full path can name (PATH_MAX), so
// made, filled and removed relative to open handles.
class DeepFolders {
public:
    DeepFolders(const QString& base, const QStringList& names) : base_(base), names_(names) {
        int fd = openLevel(0);
        for (const QString& name : names_) {
            const QByteArray encoded = QFile::encodeName(name);
            if (::mkdirat(fd, encoded.constData(), 0700) != 0)
                qFatal("cannot create %s", encoded.constData());
            fd = descend(fd, encoded);
        }
        ::close(fd);
    }
    ~DeepFolders() {
        const int fd = openLevel(0);
        removeTreeAt(fd, QFile::encodeName(names_.first()));
        ::close(fd);
    }
    DeepFolders(const DeepFolders&) = delete;
    DeepFolders& operator=(const DeepFolders&) = delete;

    qsizetype depth() const { return names_.size(); }

    // The full path of the folder at `level`: the base at 0, the deepest at depth().
    QString path(qsizetype level) const {
        return level == 0 ? base_ : base_ + u'/' + names_.first(level).join(u'/');
    }

    // Creates a file in the folder at `level`, or in a sub-folder of it ("folder/name"), changed
    // at `modified` when that is valid.
    void file(qsizetype level, const QString& relative, const QDateTime& modified = {}) const {
        int fd = openLevel(level);
        const QStringList parts = relative.split(u'/');
        for (const QString& folder : parts.first(parts.size() - 1)) {
            const QByteArray encoded = QFile::encodeName(folder);
            ::mkdirat(fd, encoded.constData(), 0700); // there already is fine
            fd = descend(fd, encoded);
        }
        const QByteArray name = QFile::encodeName(parts.last());
        const int file = ::openat(fd, name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (file < 0)
            qFatal("cannot create %s", name.constData());
        ::close(file);
        if (modified.isValid()) {
            const qint64 ms = modified.toMSecsSinceEpoch();
            const timespec times[2] = {{ms / 1000, (ms % 1000) * 1000000},
                                       {ms / 1000, (ms % 1000) * 1000000}};
            if (::utimensat(fd, name.constData(), times, 0) != 0)
                qFatal("cannot date %s", name.constData());
        }
        ::close(fd);
    }

private:
    // A handle of the folder at `level`, opened one folder at a time from the base.
    int openLevel(qsizetype level) const {
        int fd = ::open(QFile::encodeName(base_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (qsizetype i = 0; i < level; ++i)
            fd = descend(fd, QFile::encodeName(names_[i]));
        if (fd < 0)
            qFatal("cannot open level %lld below %s", qint64(level), qPrintable(base_));
        return fd;
    }

    // Opens the sub-folder and closes the folder it is in.
    static int descend(int fd, const QByteArray& name) {
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        return next;
    }

    QString base_;
    QStringList names_;
};
