#include "data/datafolder.h"

#include <QDir>

QString dataFolder()
{
    const QString override = qEnvironmentVariable("RAVO_DIR");
    if (!override.isEmpty())
        return QDir::fromNativeSeparators(override);
#ifdef Q_OS_WIN
    return QStringLiteral("c:/ravo/");
#else
    return QDir::homePath() + QStringLiteral("/ravo/");
#endif
}

QString dataFilePath(const QString &fileName)
{
    return QDir(dataFolder()).filePath(fileName);
}
