#include "data/workbook.h"
#include "support/testdatafolder.h"

#include <KZip>

#include <QBuffer>
#include <QFile>
#include <QtTest>

namespace
{
Workbook::Content readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot open %s", qPrintable(path));
    return Workbook::read(file);
}

// A sheet as a spreadsheet saves it as CSV, LF line ends.
QByteArray asCsv(const Workbook::Sheet &sheet)
{
    QByteArray csv;
    for (const QStringList &row : sheet.rows)
        csv += Workbook::csvRecord(row).toUtf8() + '\n';
    return csv;
}
} // namespace

class TestWorkbook : public QObject
{
    Q_OBJECT

private slots:
    // The published workbooks of 2025-08-14 against each sheet as a
    // spreadsheet program exported it.
    void publishedWorkbooksMatchTheirCsvExports_data()
    {
        QTest::addColumn<QString>("workbook");
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QString>("csv");
        QTest::addColumn<int>("sheets");
        for (const char *part : {"01", "02", "03"})
            QTest::addRow("price list %s", part)
                << QString("tp20250814-01_%1.xlsx").arg(part) << 0
                << QString("tp20250814-01_%1.csv").arg(part) << 1;
        QTest::newRow("master, main sheet")
            << "ippanmeishohoumaster_250814.xlsx" << 0 << "ippanmeishohoumaster_250814-main.csv" << 2;
        QTest::newRow("master, exception sheet")
            << "ippanmeishohoumaster_250814.xlsx" << 1
            << "ippanmeishohoumaster_250814-exceptions.csv" << 2;
    }

    void publishedWorkbooksMatchTheirCsvExports()
    {
        QFETCH(QString, workbook);
        QFETCH(int, sheet);
        QFETCH(QString, csv);
        QFETCH(int, sheets);
        const Workbook::Content content = readFile(publishedWorkbookPath(workbook));
        QCOMPARE(content.problem, Workbook::Problem::None);
        QCOMPARE(content.sheets.size(), sheets);
        const QList<QByteArray> expected = fixtureFile("published-csv/" + csv).split('\n');
        const QList<QByteArray> actual = asCsv(content.sheets.at(sheet)).split('\n');
        for (int i = 0; i < qMin(expected.size(), actual.size()); ++i)
            QCOMPARE(QString::fromUtf8(actual.at(i)), QString::fromUtf8(expected.at(i)));
        QCOMPARE(actual.size(), expected.size());
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
