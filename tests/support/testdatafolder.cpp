#include "support/testdatafolder.h"

#include "data/datafiles.h"
#include "data/textdecoding.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTextCodec>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace
{
const char *const publishedWorkbooks[] = {"tp20250814-01_01.xlsx", "tp20250814-01_02.xlsx",
                                          "tp20250814-01_03.xlsx",
                                          "ippanmeishohoumaster_250814.xlsx"};

QByteArray readWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

#ifdef Q_OS_UNIX
const bool symbolicLinks = true;
#else
const bool symbolicLinks = false; // QFile::link makes shortcuts (.lnk) on Windows
#endif

std::optional<QString> noSymbolicLinks()
{
    return QStringLiteral("this platform's links are shortcuts, not symbolic links");
}
} // namespace

const QByteArray productHeaderLine = "h,1,2,3,4,5,6,7,8,9,10\n";

QTextCodec *shiftJis()
{
    QTextCodec *system = QTextCodec::codecForLocale();
    if (encodingName(system) == QLatin1String("Shift_JIS (CP932)"))
        return system;
    return QTextCodec::codecForName("Shift_JIS");
}

DataFolder TestDataFolder::dataFolder(QTextCodec *codec) const
{
    return DataFolder(dir.path(), codec ? codec : QTextCodec::codecForName("UTF-8"));
}

QString TestDataFolder::path(const QString &fileName) const
{
    return dir.filePath(fileName);
}

void TestDataFolder::write(const QString &fileName, const QByteArray &bytes) const
{
    QFile file(path(fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path(fileName)));
}

QByteArray TestDataFolder::read(const QString &fileName) const
{
    QFile file(path(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void TestDataFolder::remove(const QString &fileName) const
{
    QFile::remove(path(fileName));
    QDir(dir.path()).rmdir(fileName);
}

QStringList TestDataFolder::files() const
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

std::optional<QString> TestDataFolder::put(const QString &fileName, FileShape shape,
                                           const QByteArray &head, qint64 sparseBytes) const
{
    remove(fileName);
    const QString target = path(fileName);
    switch (shape) {
    case FileShape::Missing:
        return std::nullopt;
    case FileShape::NamedPipe:
#ifdef Q_OS_UNIX
        if (::mkfifo(QFile::encodeName(target).constData(), 0600) == 0)
            return std::nullopt;
        qFatal("cannot make a named pipe %s", qPrintable(target));
#else
        return QStringLiteral("this platform has no named pipes in its file system");
#endif
    case FileShape::Directory:
        if (!QDir(dir.path()).mkdir(fileName))
            qFatal("cannot make a folder %s", qPrintable(target));
        return std::nullopt;
    case FileShape::LinkLoop:
    case FileShape::DanglingLink:
        if (!symbolicLinks)
            return noSymbolicLinks();
        if (!QFile::link(shape == FileShape::LinkLoop ? target : path("nowhere.csv"), target))
            qFatal("cannot make a link %s", qPrintable(target));
        return std::nullopt;
    case FileShape::ReadError:
#ifdef Q_OS_UNIX
        if (!QFile::exists(QStringLiteral("/proc/self/mem")))
#endif
            return QStringLiteral("no /proc/self/mem, whose first read fails");
        if (!QFile::link(QStringLiteral("/proc/self/mem"), target))
            qFatal("cannot make a link %s", qPrintable(target));
        return std::nullopt;
    case FileShape::Sparse: {
        write(fileName, head);
        QFile file(target);
        if (!file.open(QIODevice::ReadWrite) || !file.resize(sparseBytes))
            qFatal("cannot make a sparse file %s", qPrintable(target));
        return std::nullopt;
    }
    }
    return std::nullopt;
}

void TestDataFolder::writeRealLists(bool withExceptions) const
{
    for (const QString &name : {DataFiles::productList, DataFiles::genericNameList})
        write(name, sampleFile(name));
    if (withExceptions)
        write(DataFiles::exceptionList, sampleFile(DataFiles::exceptionList));
}

void TestDataFolder::writePublishedWorkbooks() const
{
    for (const char *name : publishedWorkbooks)
        write(name, sampleFile(QStringLiteral("published/") + name));
}

QByteArray linesToBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + '\n';
    return bytes;
}

QByteArray numberedDisplayLines(int count, const char *lineEnd)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes +=
            "brand" + QByteArray::number(100000 + i) + ",generic" + QByteArray::number(i) + lineEnd;
    return bytes;
}

QByteArray sampleFile(const QString &name)
{
    return readWhole(QStringLiteral(IPPAN_SAMPLE_DIR "/") + name);
}

QString publishedWorkbookPath(const QString &name)
{
    return QStringLiteral(IPPAN_SAMPLE_DIR "/published/") + name;
}

QByteArray fixtureFile(const QString &name)
{
    return readWhole(QStringLiteral(IPPAN_FIXTURES_DIR "/") + name);
}

QByteArray joinedPublishedPriceList()
{
    QByteArray joined;
    for (const char *part : {"01", "02", "03"}) {
        const QByteArray sheet = fixtureFile(
            QStringLiteral("published-csv/tp20250814-01_%1.csv").arg(QLatin1String(part)));
        joined += joined.isEmpty() ? sheet : sheet.mid(sheet.indexOf('\n') + 1);
    }
    return joined;
}
