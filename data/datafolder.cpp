#include "data/datafolder.h"

#include "data/datafiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>
#include <QTextStream>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
// The owner file Excel keeps beside a workbook while it has it open.
const QLatin1String excelOwnerFilePrefix("~$");

// A path that is there in some form but does not lead to a regular file.
bool isNonRegular(const QFileInfo &info)
{
    return (info.exists() && !info.isFile()) || (info.isSymLink() && !info.exists());
}

#ifdef Q_OS_UNIX
std::optional<Problem> openRegular(QFile &file)
{
    // Opening without blocking and asking the open descriptor what it is
    // leaves no moment in which a pipe could take the place of the file.
    const int fd =
        ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT && !QFileInfo(file.fileName()).isSymLink())
            return Problem::fromSystem(Problem::Missing, qt_error_string(error));
        if (error == ENOENT || error == ELOOP || error == ENXIO)
            return Problem(Problem::NotRegular);
        return Problem::fromSystem(Problem::Unopenable, qt_error_string(error));
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return Problem(Problem::NotRegular);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Problem::fromSystem(Problem::Unopenable, file.errorString());
    }
    return std::nullopt;
}
#else
std::optional<Problem> openRegular(QFile &file)
{
    const QFileInfo info(file.fileName());
    if (isNonRegular(info))
        return Problem(Problem::NotRegular);
    if (!file.open(QIODevice::ReadOnly))
        return Problem::fromSystem(info.exists() ? Problem::Unopenable : Problem::Missing,
                                   file.errorString());
    return std::nullopt;
}
#endif
} // namespace

DataFolder::DataFolder(const QString &path, QTextCodec *codec)
    : folder(QDir::fromNativeSeparators(path)),
      textCodec(codec ? codec : QTextCodec::codecForLocale())
{
}

DataFolder DataFolder::standard()
{
    return DataFolder(standardPath(qEnvironmentVariable("RAVO_DIR")));
}

QString DataFolder::standardPath(const QString &override)
{
    if (!override.isEmpty())
        return QDir::fromNativeSeparators(override);
#ifdef Q_OS_WIN
    return QStringLiteral("c:/ravo/");
#else
    return QDir::homePath() + QStringLiteral("/ravo/");
#endif
}

QString DataFolder::filePath(const QString &fileName) const
{
    return QDir(folder).filePath(fileName);
}

bool DataFolder::holds(const QString &fileName) const
{
    const QFileInfo info(filePath(fileName));
    return info.exists() || info.isSymLink();
}

std::optional<Problem> DataFolder::open(const QString &fileName, QFile &file) const
{
    const QString path = filePath(fileName);
    file.setFileName(path);
    if (std::optional<Problem> problem = openRegular(file))
        return problem->about(path);
    return std::nullopt;
}

QStringList DataFolder::workbookNames() const
{
    QStringList names = QDir(folder).entryList({QStringLiteral("*.xlsx")}, QDir::Files, QDir::Name);
    names.erase(
        std::remove_if(names.begin(), names.end(),
                       [](const QString &name) { return name.startsWith(excelOwnerFilePrefix); }),
        names.end());
    return names;
}

DisplayListReplacement::DisplayListReplacement(const DataFolder &folder) : folder(folder) {}

DisplayListReplacement::~DisplayListReplacement() = default;

std::optional<Problem> DisplayListReplacement::begin()
{
    const QString path = folder.filePath(DataFiles::displayList);
    if (isNonRegular(QFileInfo(path)))
        return Problem(Problem::NotRegular).about(path);
    file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly))
        return Problem::fromSystem(Problem::Unwritable, file->errorString()).about(path);
    return std::nullopt;
}

std::optional<Problem> DisplayListReplacement::commit(const QStringList &lines)
{
    QTextStream out(file.get());
    out.setCodec(folder.codec());
    for (const QString &line : lines)
        out << line << '\n';
    out.flush();
    if (out.status() != QTextStream::Ok || !file->commit())
        return Problem::fromSystem(Problem::Unwritable, file->errorString())
            .about(file->fileName());
    return std::nullopt;
}
