#include "data/regularfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
QString notRegularReason()
{
    return QCoreApplication::translate("MainWindow", "通常のファイルではありません");
}

// A path that is there in some form but does not lead to a regular file.
bool isNonRegular(const QFileInfo &info)
{
    return (info.exists() && !info.isFile()) || (info.isSymLink() && !info.exists());
}
} // namespace

#ifdef Q_OS_UNIX
FileCheck openRegularFile(QFile &file)
{
    // Opening without blocking and asking the open descriptor what it is
    // leaves no moment in which a pipe could take the place of the file.
    const int fd =
        ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT && !QFileInfo(file.fileName()).isSymLink())
            return FileCheck{FileProblem::Missing, qt_error_string(error)};
        if (error == ENOENT || error == ELOOP || error == ENXIO)
            return FileCheck{FileProblem::NotRegular, notRegularReason()};
        return FileCheck{FileProblem::Unopenable, qt_error_string(error)};
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return FileCheck{FileProblem::NotRegular, notRegularReason()};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileCheck{FileProblem::Unopenable, file.errorString()};
    }
    return {};
}
#else
FileCheck openRegularFile(QFile &file)
{
    const QFileInfo info(file.fileName());
    if (isNonRegular(info))
        return FileCheck{FileProblem::NotRegular, notRegularReason()};
    if (!file.open(QIODevice::ReadOnly))
        return FileCheck{info.exists() ? FileProblem::Unopenable : FileProblem::Missing,
                         file.errorString()};
    return {};
}
#endif

FileCheck checkReplaceable(const QString &path)
{
    if (isNonRegular(QFileInfo(path)))
        return FileCheck{FileProblem::NotRegular, notRegularReason()};
    return {};
}
