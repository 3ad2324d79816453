#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QString>

namespace findolin {

// A file opened for reading only, so that looking into it can never change it; where the system
// allows, reading it does not even update its access time. Only regular files open: a folder,
// a device or a pipe is not a document.
class ReadOnlyFile {
public:
    static Result<ReadOnlyFile> open(const QString& path);

    ReadOnlyFile(ReadOnlyFile&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)), size_(other.size_), position_(other.position_) {}
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile();

    // Up to `maximum` bytes from the current position; empty at the end of the file. The buffer
    // is no larger than what the file still holds, so a small file costs a small one.
    Result<QByteArray> read(qsizetype maximum);
    // Back to the first byte, to read the file once more.
    bool rewind();
    // How far the file has been read, or -1 when a library read it through its descriptor.
    qint64 position() const { return position_; }
    // The descriptor, for libraries that read through one (it stays owned here); where they
    // leave it is not known afterwards.
    int descriptor() {
        position_ = -1;
        return fd_;
    }

private:
    ReadOnlyFile(int fd, qint64 size) : fd_(fd), size_(size) {}
    int fd_ = -1;
    qint64 size_ = 0;     // as it was when opened; the file may still grow
    qint64 position_ = 0; // -1: unknown
};

} // namespace findolin
