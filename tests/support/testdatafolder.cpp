#include "support/testdatafolder.h"

#include <QFile>
#include <QStringList>

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

QByteArray linesToBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + '\n';
    return bytes;
}
