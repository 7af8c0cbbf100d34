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

FileCheck problem(FileProblem kind, const QString &reason)
{
    return {kind, reason};
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
            return problem(FileProblem::Missing, qt_error_string(error));
        if (error == ENOENT || error == ELOOP || error == ENXIO)
            return problem(FileProblem::NotRegular, notRegularReason());
        return problem(FileProblem::Unopenable, qt_error_string(error));
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return problem(FileProblem::NotRegular, notRegularReason());
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return problem(FileProblem::Unopenable, file.errorString());
    }
    return {};
}
#else
FileCheck openRegularFile(QFile &file)
{
    const QFileInfo info(file.fileName());
    if (isNonRegular(info))
        return problem(FileProblem::NotRegular, notRegularReason());
    if (!file.open(QIODevice::ReadOnly))
        return problem(info.exists() ? FileProblem::Unopenable : FileProblem::Missing,
                       file.errorString());
    return {};
}
#endif

FileCheck checkReplaceable(const QString &path)
{
    if (isNonRegular(QFileInfo(path)))
        return problem(FileProblem::NotRegular, notRegularReason());
    return {};
}
