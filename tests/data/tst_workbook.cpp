#include "data/csvrecords.h"
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

// The package with the deflated data of the part at `path` damaged: its
// middle bytes inverted, so that inflating it fails.
QByteArray corruptDeflate(QByteArray package, const QString &path)
{
    const int name = package.indexOf(path.toUtf8());
    const int data = name + path.toUtf8().size();
    for (int i = data + 20; i < data + 60 && i < package.size(); ++i)
        package[i] = char(~package.at(i));
    return package;
}

// A sheet as a spreadsheet saves it as CSV, LF line ends.
QByteArray asCsv(const Workbook::Sheet &sheet)
{
    QByteArray csv;
    for (const QStringList &row : sheet.rows)
        csv += Csv::record(row).toUtf8() + '\n';
    return csv;
}
} // namespace

Q_DECLARE_METATYPE(Problem::Kind)

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
        QVERIFY(!content.problem);
        QCOMPARE(content.sheets.size(), 1);
        QCOMPARE(content.sheets.first().name, QString("Sheet1"));
        QCOMPARE(QString::fromUtf8(asCsv(content.sheets.first())), QString::fromUtf8(csv));
    }

    // Whatever a package holds, reading it ends with a reason, in bounded
    // time and memory.
    void badPackages_data()
    {
        QTest::addColumn<QByteArray>("package");
        QTest::addColumn<Problem::Kind>("kind");
        QTest::addColumn<QString>("part");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<qint64>("limit");

        const QByteArray real = sampleFile("published/ippanmeishohoumaster_250814.xlsx");
        const QString sheet = "xl/worksheets/sheet1.xml";
        QTest::newRow("not a zip") << QByteArray("区分,一般名コード\n") << Problem::NotZip << ""
                                   << "" << 0LL;
        QTest::newRow("empty file") << QByteArray() << Problem::NotZip << ""
                                    << "" << 0LL;
        QTest::newRow("truncated") << real.left(real.size() / 2) << Problem::NotZip << ""
                                   << "" << 0LL;
        QTest::newRow("encrypted (a compound file)")
            << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(4096, '\0')
            << Problem::Encrypted << ""
            << "" << 0LL;
        QTest::newRow("a zip without a workbook")
            << zipPackage({{"readme.txt", "hello"}}) << Problem::NotWorkbook << ""
            << "" << 0LL;

        QMap<QString, QByteArray> bomb = workbookParts("");
        bomb[sheet] = QByteArray(40 * 1024 * 1024, ' ');
        QTest::newRow("a part that inflates past its bound")
            << zipPackage(bomb) << Problem::PartTooLarge << sheet << "" << 0LL;
        QTest::newRow("a cell longer than a cell holds")
            << zipPackage(workbookParts(inlineRow({QString(32768, 'x')}))) << Problem::CellTooLong
            << ""
            << "" << qint64(DataFiles::maxCellChars);
        QMap<QString, QByteArray> entities = workbookParts(inlineRow({"a"}));
        entities[sheet] =
            "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
            "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><worksheet><sheetData><row><c t=\"inlineStr\">"
            "<is><t>&b;</t></is></c></row></sheetData></worksheet>";
        QTest::newRow("entities declared in a DTD")
            << zipPackage(entities) << Problem::DtdOrEntity << sheet << "" << 0LL;
        QTest::newRow("shared-string index out of range")
            << zipPackage(workbookParts("<row><c t=\"s\"><v>5</v></c></row>", "<si><t>a</t></si>"))
            << Problem::MissingSharedString << sheet << "5" << 0LL;
        QMap<QString, QByteArray> outside = workbookParts(inlineRow({"a"}));
        outside["xl/_rels/workbook.xml.rels"].replace("worksheets/sheet1.xml",
                                                      "../../../etc/passwd");
        QTest::newRow("a part that points outside the package")
            << zipPackage(outside) << Problem::PointsOutside << "xl/_rels/workbook.xml.rels"
            << "" << 0LL;
        QTest::newRow("deep nesting") << zipPackage(workbookParts(QByteArray("<x>").repeated(100) +
                                                                  QByteArray("</x>").repeated(100)))
                                      << Problem::NestingTooDeep << sheet << "" << 0LL;
        QTest::newRow("malformed XML") << zipPackage(workbookParts("<row><c><v>1</c></row>"))
                                       << Problem::MalformedXml << sheet << "" << 0LL;
        QMap<QString, QByteArray> missingSheet = workbookParts(inlineRow({"a"}));
        missingSheet.remove(sheet);
        QTest::newRow("a sheet part missing")
            << zipPackage(missingSheet) << Problem::PartMissing << sheet << "" << 0LL;
        QTest::newRow("a corrupt deflate stream")
            << corruptDeflate(zipPackage(workbookParts(inlineRow({QString(4000, 'x')}))), sheet)
            << Problem::PartUnreadable << sheet << "" << 0LL;
    }

    void badPackages()
    {
        QFETCH(QByteArray, package);
        QFETCH(Problem::Kind, kind);
        QFETCH(QString, part);
        QFETCH(QString, cell);
        QFETCH(qint64, limit);
        const Workbook::Content content = readBytes(package);
        QVERIFY(content.problem);
        QCOMPARE(content.problem->kind, kind);
        QCOMPARE(content.problem->part, part);
        QCOMPARE(content.problem->cell, cell);
        QCOMPARE(content.problem->limit, limit);
        // The zip reader's and the XML reader's own words go with the
        // problems they tell of.
        if (kind == Problem::NotZip || kind == Problem::MalformedXml)
            QVERIFY(!content.problem->systemReason.isEmpty());
        QVERIFY(content.sheets.isEmpty());
    }

    // The same workbook gives the same result in every run: relationships
    // are taken in the order the package writes them, the first of a type.
    void relationshipsInDocumentOrder()
    {
        QMap<QString, QByteArray> parts = workbookParts(inlineRow({"a"}));
        parts["_rels/.rels"].replace(
            "<Relationship ",
            "<Relationship Id=\"rId0\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
            "2006/relationships/officeDocument\" Target=\"xl/none.xml\"/><Relationship ");
        const Workbook::Content content = readBytes(zipPackage(parts));
        QVERIFY(content.problem);
        QCOMPARE(content.problem->kind, Problem::PartMissing);
        QCOMPARE(content.problem->part, QString("xl/none.xml"));
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
        QVERIFY(!Workbook::read(first, budget).problem);
        QVERIFY(budget.inflatedBytes < 1500);
        QCOMPARE(budget.cells, 998);
        const Workbook::Content over = Workbook::read(second, budget);
        QVERIFY(over.problem);
        QCOMPARE(over.problem->kind, Problem::PartTooLarge);

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
        QVERIFY(tooMany.problem);
        QCOMPARE(tooMany.problem->kind, Problem::TooManyCells);
    }

    // A value at the sheet's far corner is not made into a million rows:
    // the sheet keeps its bounds and tells where the value was.
    void farCornerIsBeyondBounds()
    {
        const Workbook::Content content = readBytes(zipPackage(
            workbookParts("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"1048576\">"
                          "<c r=\"XFD1048576\"><v>2</v></c></row>")));
        QVERIFY(!content.problem);
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
        QVERIFY(!content.problem);
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
