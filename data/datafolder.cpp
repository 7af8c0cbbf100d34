#include "data/datafolder.h"

#include "data/datafiles.h"
#include "data/textdecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>
#include <QTextStream>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
// Whether `codec` holds `text`: encoded and decoded, it comes back the same.
// (A codec's canEncode cannot tell: the Windows one always says yes.)
bool encodes(QTextCodec *codec, const QString &text)
{
    return codec->toUnicode(codec->fromUnicode(text)) == text;
}

// The owner file Excel keeps beside a workbook while it has it open.
const QLatin1String excelOwnerFilePrefix("~$");

#ifdef Q_OS_WIN
// Whether another program holds the file open and shares it for less than
// `access`: Excel holds a workbook or a list it has open so.
bool isHeldOpen(const QString &path, DWORD access)
{
    const HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                    access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Whether the display list is held so that it cannot be replaced.
bool cannotBeReplaced(const QString &path)
{
    return QFileInfo::exists(path) && isHeldOpen(path, GENERIC_WRITE | DELETE);
}
#else
// A file is never held against replacing it here: the system has no
// sharing modes.
bool cannotBeReplaced(const QString &)
{
    return false;
}
#endif

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
    if (!file.open(QIODevice::ReadOnly)) {
        const Problem::Kind kind = !info.exists() ? Problem::Missing
                                   : isHeldOpen(file.fileName(), GENERIC_READ)
                                       ? Problem::InUse
                                       : Problem::Unopenable;
        return Problem::fromSystem(kind, file.errorString());
    }
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
    if (cannotBeReplaced(path))
        return Problem(Problem::InUse).about(path);
    file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly))
        return Problem::fromSystem(Problem::Unwritable, file->errorString()).about(path);
    return std::nullopt;
}

// The list's lines, each ended by "\n", in the folder's encoding; where a
// line cannot be written in it, in UTF-8 with a byte-order mark.
QByteArray DisplayListReplacement::encoded(const QStringList &lines)
{
    QByteArray bytes;
    QTextStream out(&bytes, QIODevice::WriteOnly);
    if (std::all_of(lines.begin(), lines.end(),
                    [this](const QString &line) { return encodes(folder.codec(), line); })) {
        out.setCodec(folder.codec());
    } else {
        // A name the folder's encoding cannot hold is never written as "?":
        // the whole list goes in UTF-8 with a byte-order mark, which the
        // start-up load reads on every system.
        out.setCodec("UTF-8");
        out.setGenerateByteOrderMark(true);
        notEncodable = encodingName(folder.codec());
    }
    for (const QString &line : lines)
        out << line << '\n';
    out.flush();
    return bytes;
}

std::optional<Problem> DisplayListReplacement::commit(const QStringList &lines, ListRecord record)
{
    const QByteArray bytes = encoded(lines);
    record.lines = lines.size();
    // The record is made ready beside its old one first and put in place
    // only after the list: a run cut short in between leaves a record whose
    // hash is of the old list, which start-up passes over. A record that
    // cannot be written costs only the record.
    QSaveFile recordFile(folder.filePath(DataFiles::listRecord));
    const bool recordReady = recordFile.open(QIODevice::WriteOnly) &&
                             recordFile.write(listRecordText(record, bytes)) >= 0;
    const QString path = file->fileName();
    if (file->write(bytes) != bytes.size() || !file->commit())
        return Problem::fromSystem(cannotBeReplaced(path) ? Problem::InUse : Problem::Unwritable,
                                   file->errorString())
            .about(path);
    if (recordReady)
        recordFile.commit();
    return std::nullopt;
}
