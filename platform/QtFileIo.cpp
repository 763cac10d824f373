#include "QtFileIo.h"

#include "ErrorCodes.h"
#include "FileIo.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace platform {

namespace {

// The system's text for an errno value; the device's own text when the
// failing call left no errno.
QString reasonOf(int error, const QFileDevice& file)
{
    if (error != 0)
        return QString::fromLocal8Bit(std::strerror(error));
    const QString qtReason = file.errorString();
    return qtReason.isEmpty() ? QStringLiteral("the file could not be written") : qtReason;
}

} // namespace

// QSaveFile, with every write carried through to its end: a write to the
// disk that stops half way is continued, so the next call meets the
// failure and sets errno.
class CheckedSaveFile::Device final : public QSaveFile {
public:
    using QSaveFile::QSaveFile;

    // The reason of the first write that failed; empty while none did.
    QString failure;

protected:
    qint64 writeData(const char* data, qint64 size) override
    {
        if (!failure.isEmpty())
            return -1;
        for (qint64 done = 0; done < size;) {
            errno = 0;
            const qint64 n = QSaveFile::writeData(data + done, size - done);
            if (n <= 0) {
                failure = reasonOf(errno, *this);
                return -1;
            }
            done += n;
        }
        return size;
    }
};

CheckedSaveFile::CheckedSaveFile(const QString& path)
    : path_(path)
    , file_(std::make_unique<Device>(path))
{
}

CheckedSaveFile::~CheckedSaveFile()
{
    // Without a commit QSaveFile drops its temporary file.
    cancel();
}

bool CheckedSaveFile::open()
{
    if (file_->open(QIODevice::WriteOnly))
        return true;
    error_ = file_->errorString();
    return false;
}

bool CheckedSaveFile::write(const char* data, qint64 size)
{
    if (!error_.isEmpty())
        return false;
    if (size == 0 || file_->write(data, size) == size)
        return true;
    return fail(file_->failure.isEmpty() ? file_->errorString() : file_->failure);
}

bool CheckedSaveFile::write(const QByteArray& bytes)
{
    return write(bytes.constData(), bytes.size());
}

bool CheckedSaveFile::commit()
{
    if (!error_.isEmpty())
        return false;
    if (!file_->isOpen())
        return fail(file_->errorString());
    if (!file_->failure.isEmpty())
        return fail(file_->failure);
    // The flush that commit() makes would go unchecked; the sync makes a
    // file system that reports a full disk late report it here.
    errno = 0;
    if (!file_->flush())
        return fail(reasonOf(errno, *file_));
    if (::fsync(file_->handle()) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP)
        return fail(reasonOf(errno, *file_));
    errno = 0;
    if (!file_->commit()) {
        error_ = reasonOf(errno, *file_);
        return false;
    }
    return true;
}

void CheckedSaveFile::cancel()
{
    if (file_->isOpen())
        file_->cancelWriting();
}

QIODevice& CheckedSaveFile::device()
{
    return *file_;
}

bool CheckedSaveFile::fail(const QString& reason)
{
    if (error_.isEmpty())
        error_ = reason;
    cancel();
    return false;
}

bool OpenRegularFile(QFile& file, const QString& path, QString& reason)
{
    file.close();
    file.setFileName(path);
    int fd = -1;
    std::uint64_t size = 0;
    std::string why;
    if (OpenRegularFile(QFile::encodeName(path).toStdString(), fd, size, why) != ERROR_SUCCESS) {
        reason = QString::fromLocal8Bit(why);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace platform
