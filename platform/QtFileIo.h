#pragma once
// Files that the program and the report engine read through Qt: an open
// for reading that never waits on what is not a regular file.

#include <QString>

class QFile;

namespace platform {

// Opens a regular file, or a symbolic link to one, for reading into `file`
// (whose file name it sets).  Anything else (a FIFO, a device, a folder) is
// refused at once with the reason "not a regular file"; other failures give
// the system's reason.
bool OpenRegularFile(QFile& file, const QString& path, QString& reason);

} // namespace platform
