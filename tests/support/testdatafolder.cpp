#include "support/testdatafolder.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace
{
QByteArray readWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}
} // namespace

TestDataFolder::TestDataFolder()
{
    qputenv("RAVO_DIR", dir.path().toUtf8());
}

TestDataFolder::~TestDataFolder()
{
    qunsetenv("RAVO_DIR");
}

QString TestDataFolder::path(const QString &fileName) const
{
    return dir.filePath(fileName);
}

ConversionPaths TestDataFolder::paths() const
{
    return ConversionPaths::inFolder(dir.path());
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
}

QStringList TestDataFolder::files() const
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void TestDataFolder::makeFifo(const QString &fileName) const
{
    remove(fileName);
#ifdef Q_OS_UNIX
    if (::mkfifo(QFile::encodeName(path(fileName)).constData(), 0600) == 0)
        return;
#endif
    qFatal("cannot make a named pipe %s", qPrintable(path(fileName)));
}

void TestDataFolder::makeSparse(const QString &fileName, qint64 bytes, const QByteArray &head) const
{
    write(fileName, head);
    QFile file(path(fileName));
    if (!file.open(QIODevice::ReadWrite) || !file.resize(bytes))
        qFatal("cannot make a sparse file %s", qPrintable(path(fileName)));
}

void TestDataFolder::makeLink(const QString &fileName, const QString &target) const
{
    remove(fileName);
    if (!QFile::link(target, path(fileName)))
        qFatal("cannot make a link %s", qPrintable(path(fileName)));
}

void TestDataFolder::makeDirectory(const QString &fileName) const
{
    remove(fileName);
    if (!QDir(dir.path()).mkdir(fileName))
        qFatal("cannot make a folder %s", qPrintable(path(fileName)));
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
