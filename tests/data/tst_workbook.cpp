#include "data/workbook.h"
#include "support/packages.h"
#include "support/testdatafolder.h"

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

Workbook::Content readBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return Workbook::read(buffer);
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

Q_DECLARE_METATYPE(Workbook::Problem)

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
            QTest::addRow("price list %s", part) << QString("tp20250814-01_%1.xlsx").arg(part) << 0
                                                 << QString("tp20250814-01_%1.csv").arg(part) << 1;
        QTest::newRow("master, main sheet") << "ippanmeishohoumaster_250814.xlsx" << 0
                                            << "ippanmeishohoumaster_250814-main.csv" << 2;
        QTest::newRow("master, exception sheet")
            << "ippanmeishohoumaster_250814.xlsx" << 1
            << "ippanmeishohoumaster_250814-exceptions.csv" << 2;
    }

    // Small workbooks made here, one rule of the reading each.
    void cells_data()
    {
        QTest::addColumn<QByteArray>("sheetData");
        QTest::addColumn<QByteArray>("shared");
        QTest::addColumn<QByteArray>("csv");

        const QByteArray none; // no shared-strings part
        QTest::newRow("shared strings by index")
            << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"B1\" t=\"s\">"
                          "<v>0</v></c></row>")
            << QByteArray("<si><t>内用薬</t></si><si><t>区分</t></si>")
            << QByteArray("区分,内用薬\n");
        QTest::newRow("rich-text runs joined")
            << QByteArray("<row><c t=\"s\"><v>0</v></c></row>")
            << QByteArray("<si><r><t>【般】</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\">"
                          "ニトラゼパム</t></r><r><t>錠５ｍｇ</t></r></si>")
            << QByteArray("【般】ニトラゼパム錠５ｍｇ\n");
        QTest::newRow("phonetic runs left out")
            << QByteArray("<row><c t=\"s\"><v>0</v></c></row>")
            << QByteArray("<si><t>例外コード</t><rPh sb=\"0\" eb=\"2\"><t>レイガイ</t></rPh>"
                          "<phoneticPr fontId=\"4\"/></si>")
            << QByteArray("例外コード\n");
        QTest::newRow("inline strings") << inlineRow({"a", "b<c"}) << none << QByteArray("a,b<c\n");
        QTest::newRow("numbers: shortest text that reads back the same")
            << QByteArray("<row><c><v>7.5</v></c><c><v>11.300000000000001</v></c><c><v>1234</v>"
                          "</c><c t=\"n\"><v>1E3</v></c><c><v>-0.25</v></c></row>")
            << none << QByteArray("7.5,11.3,1234,1000,-0.25\n");
        QTest::newRow("booleans")
            << QByteArray("<row><c t=\"b\"><v>1</v></c><c t=\"b\"><v>0</v></c></row>") << none
            << QByteArray("TRUE,FALSE\n");
        QTest::newRow("formula cells by their cached value")
            << QByteArray("<row><c t=\"str\"><f>'全体'!I2</f><v>令和7年8月14日適用</v></c>"
                          "<c><f>1+1</f><v>2</v></c><c t=\"e\"><f>1/0</f><v>#DIV/0!</v></c></row>")
            << none << QByteArray("令和7年8月14日適用,2,#DIV/0!\n");
        QTest::newRow("missing cells and rows are empty")
            << QByteArray("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"C1\"><v>3</v></c></row>"
                          "<row r=\"3\"><c r=\"B3\"><v>2</v></c></row>")
            << none << QByteArray("1,,3\n,,\n,2,\n");
        QTest::newRow("cells and rows without references count on")
            << QByteArray("<row><c><v>1</v></c><c r=\"C1\"><v>3</v></c><c><v>4</v></c></row>"
                          "<row><c><v>5</v></c></row>")
            << none << QByteArray("1,,3,4\n5,,,\n");
        QTest::newRow("empty styled cells and rows add nothing")
            << QByteArray("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"Z1\" s=\"3\"/></row>"
                          "<row r=\"9\"><c r=\"A9\" s=\"3\"/></row>")
            << none << QByteArray("1\n");
        QTest::newRow("quotes, commas and line breaks as a spreadsheet writes them")
            << inlineRow({"加算1,2", "say \"hi\"", "a\nb"}) << none
            << QByteArray("\"加算1,2\",\"say \"\"hi\"\"\",\"a\nb\"\n");
        QTest::newRow("escaped control characters")
            << QByteArray("<row><c t=\"s\"><v>0</v></c></row>")
            << QByteArray("<si><t>a_x0009_b</t></si>") << QByteArray("a\tb\n");
        QTest::newRow("empty sheet") << QByteArray() << none << QByteArray();
    }

    void cells()
    {
        QFETCH(QByteArray, sheetData);
        QFETCH(QByteArray, shared);
        QFETCH(QByteArray, csv);
        const Workbook::Content content = readBytes(zipPackage(workbookParts(sheetData, shared)));
        QCOMPARE(content.reason, QString());
        QCOMPARE(content.sheets.size(), 1);
        QCOMPARE(content.sheets.first().name, QString("Sheet1"));
        QCOMPARE(QString::fromUtf8(asCsv(content.sheets.first())), QString::fromUtf8(csv));
    }

    // Whatever a package holds, reading it ends with a reason, in bounded
    // time and memory.
    void badPackages_data()
    {
        QTest::addColumn<QByteArray>("package");
        QTest::addColumn<Workbook::Problem>("problem");
        QTest::addColumn<QString>("reason");

        using P = Workbook::Problem;
        const QByteArray real = sampleFile("published/ippanmeishohoumaster_250814.xlsx");
        QTest::newRow("not a zip") << QByteArray("区分,一般名コード\n") << P::NotWorkbook << "";
        QTest::newRow("empty file") << QByteArray() << P::NotWorkbook << "";
        QTest::newRow("truncated") << real.left(real.size() / 2) << P::NotWorkbook << "";
        QTest::newRow("encrypted (a compound file)")
            << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(4096, '\0')
            << P::NotWorkbook << "暗号化";
        QTest::newRow("a zip without a workbook")
            << zipPackage({{"readme.txt", "hello"}}) << P::NotWorkbook << "";

        QMap<QString, QByteArray> bomb = workbookParts("");
        bomb["xl/worksheets/sheet1.xml"] = QByteArray(40 * 1024 * 1024, ' ');
        QTest::newRow("a part that inflates past its bound")
            << zipPackage(bomb) << P::TooLarge << "展開";
        QTest::newRow("a cell longer than a cell holds")
            << zipPackage(workbookParts(inlineRow({QString(32768, 'x')}))) << P::TooLarge
            << "32767";
        QMap<QString, QByteArray> entities = workbookParts(inlineRow({"a"}));
        entities["xl/worksheets/sheet1.xml"] =
            "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
            "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><worksheet><sheetData><row><c t=\"inlineStr\">"
            "<is><t>&b;</t></is></c></row></sheetData></worksheet>";
        QTest::newRow("entities declared in a DTD") << zipPackage(entities) << P::Damaged << "DTD";
        QTest::newRow("shared-string index out of range")
            << zipPackage(workbookParts("<row><c t=\"s\"><v>5</v></c></row>", "<si><t>a</t></si>"))
            << P::Damaged << "5";
        QMap<QString, QByteArray> outside = workbookParts(inlineRow({"a"}));
        outside["xl/_rels/workbook.xml.rels"].replace("worksheets/sheet1.xml",
                                                      "../../../etc/passwd");
        QTest::newRow("a part that points outside the package")
            << zipPackage(outside) << P::Damaged << "外";
        QTest::newRow("deep nesting") << zipPackage(workbookParts(QByteArray("<x>").repeated(100) +
                                                                  QByteArray("</x>").repeated(100)))
                                      << P::Damaged << "入れ子";
        QTest::newRow("malformed XML")
            << zipPackage(workbookParts("<row><c><v>1</c></row>")) << P::Damaged << "";
        QMap<QString, QByteArray> missingSheet = workbookParts(inlineRow({"a"}));
        missingSheet.remove("xl/worksheets/sheet1.xml");
        QTest::newRow("a sheet part missing") << zipPackage(missingSheet) << P::Damaged << "";
    }

    void badPackages()
    {
        QFETCH(QByteArray, package);
        QFETCH(Workbook::Problem, problem);
        QFETCH(QString, reason);
        const Workbook::Content content = readBytes(package);
        QCOMPARE(content.problem, problem);
        QVERIFY(!content.reason.isEmpty());
        QVERIFY2(content.reason.contains(reason), qPrintable(content.reason));
        QVERIFY(content.sheets.isEmpty());
    }

    // One budget bounds what all the workbooks of a run may inflate to and
    // the cells they may keep, however many there are.
    void budgetIsSharedByTheWorkbooksOfARun()
    {
        const QByteArray small = zipPackage(workbookParts(inlineRow({"区分", "a"})));
        QBuffer first, second;
        first.setData(small);
        second.setData(small);
        first.open(QIODevice::ReadOnly);
        second.open(QIODevice::ReadOnly);
        Workbook::Budget budget{1500, 1000};
        QCOMPARE(Workbook::read(first, budget).problem, Workbook::Problem::None);
        QVERIFY(budget.inflatedBytes < 1500);
        QCOMPARE(budget.cells, 998);
        const Workbook::Content over = Workbook::read(second, budget);
        QCOMPARE(over.problem, Workbook::Problem::TooLarge);
        QVERIFY2(over.reason.contains("展開"), qPrintable(over.reason));

        // Empty cells between values count too: a value at the 256th column
        // of every row would otherwise cost far more than its bytes.
        QByteArray wideRows;
        for (int row = 1; row <= 100; ++row)
            wideRows += "<row><c r=\"IV" + QByteArray::number(row) + "\"><v>1</v></c></row>";
        QBuffer wide;
        wide.setData(zipPackage(workbookParts(wideRows)));
        wide.open(QIODevice::ReadOnly);
        Workbook::Budget cells{64 * 1024 * 1024, 10000};
        const Workbook::Content tooMany = Workbook::read(wide, cells);
        QCOMPARE(tooMany.problem, Workbook::Problem::TooLarge);
        QVERIFY2(tooMany.reason.contains("セル"), qPrintable(tooMany.reason));
    }

    // A value at the sheet's far corner is not made into a million rows:
    // the sheet keeps its bounds and tells where the value was.
    void farCornerIsBeyondBounds()
    {
        const Workbook::Content content = readBytes(zipPackage(
            workbookParts("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"1048576\">"
                          "<c r=\"XFD1048576\"><v>2</v></c></row>")));
        QCOMPARE(content.problem, Workbook::Problem::None);
        const Workbook::Sheet &sheet = content.sheets.first();
        QCOMPARE(sheet.beyondBounds, QString("XFD1048576"));
        QCOMPARE(sheet.rows, QVector<QStringList>{QStringList{"1"}});
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
