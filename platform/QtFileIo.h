#pragma once
// Files that the program and the report engine read and write through Qt:
// a writer that replaces its target only once every byte reached the disk,
// and an open for reading that never waits on what is not a regular file.

#include <QString>

#include <memory>

class QFile;
class QIODevice;

namespace platform {

// A file written through QSaveFile, with every failure caught.  QSaveFile
// keeps small writes in its buffer, and the flush inside its commit() may
// fail while commit() still renames the (empty) temporary file over the
// target; a write to the disk that stops half way is taken as done.  Here
// each write is carried through to its end, and the buffer is flushed and
// synced before the rename: on any failure nothing is committed, the earlier
// file stays whole, and errorString() holds the system's reason, taken
// where the failing call set it ("No space left on device").
//
// An object that is destroyed without a successful commit() leaves the
// target as it was.
class CheckedSaveFile {
public:
    explicit CheckedSaveFile(const QString& path);
    ~CheckedSaveFile();
    CheckedSaveFile(const CheckedSaveFile&) = delete;
    CheckedSaveFile& operator=(const CheckedSaveFile&) = delete;

    // Each is false on a failure, after which nothing more is written.
    bool open();
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& bytes);
    bool commit();
    // Drops what was written; the target stays as it was.
    void cancel();

    // The open file for code that writes to a device of its own (an export
    // filter): its writes are checked as write()'s are, and the first that
    // fails makes commit() fail with its reason.
    QIODevice& device();

    const QString& fileName() const { return path_; }
    // The reason of the first failure.
    const QString& errorString() const { return error_; }

private:
    class Device;

    bool fail(const QString& reason);

    QString path_;
    std::unique_ptr<Device> file_;
    QString error_;
};

// Opens a regular file, or a symbolic link to one, for reading into `file`
// (whose file name it sets).  Anything else (a FIFO, a device, a folder) is
// refused at once with the reason "not a regular file"; other failures give
// the system's reason.
bool OpenRegularFile(QFile& file, const QString& path, QString& reason);

} // namespace platform
