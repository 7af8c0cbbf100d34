#include "data/datafolder.h"
#include "support/testdatafolder.h"

#include <QDir>
#include <QtTest>

class TestDataFolderRules : public QObject
{
    Q_OBJECT

private slots:
    void standardPath()
    {
        QCOMPARE(DataFolder::standardPath("/srv/lists"), QString("/srv/lists"));
#ifdef Q_OS_WIN
        QCOMPARE(DataFolder::standardPath(QString()), QString("c:/ravo/"));
#else
        QCOMPARE(DataFolder::standardPath(QString()), QDir::homePath() + "/ravo/");
#endif
    }

    // The workbooks by name; what is no list's workbook is passed over.
    void workbookNames()
    {
        TestDataFolder folder;
        for (const char *name : {"tp20250814-01_02.xlsx", "tp20250814-01_01.xlsx", "senkou.csv",
                                 "~$tp20250814-01_01.xlsx", "notes.xlsx.bak"})
            folder.write(name, "x");
#ifdef Q_OS_UNIX
        folder.write(".hidden.xlsx", "x");
#endif
        QCOMPARE(folder.dataFolder().workbookNames(),
                 (QStringList{"tp20250814-01_01.xlsx", "tp20250814-01_02.xlsx"}));
    }
};

QTEST_GUILESS_MAIN(TestDataFolderRules)
#include "tst_datafolder.moc"
