#include "QtFileIo.h"

#include "ErrorCodes.h"
#include "FileIo.h"

#include <QFile>

#include <unistd.h>

namespace platform {

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
