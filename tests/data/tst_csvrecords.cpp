#include "data/csvrecords.h"
#include "data/datafiles.h"
#include "support/literalmatching.h"
#include "support/splitting.h"

#include <QtTest>

namespace
{
// Records as cells joined by "|", read by the fast path.
QStringList fastRecords(const QString &text, int maxRecords)
{
    QStringList out;
    for (const QString &record :
         Csv::readRecords(text, maxRecords, DataFiles::maxCellChars).records)
        out << splitRecord(record).join('|');
    return out;
}

QStringList literal(const QString &text, int maxRecords)
{
    QStringList out;
    for (const QStringList &cells : literalRecords(text, maxRecords))
        out << cells.join('|');
    return out;
}
} // namespace

class TestCsvRecords : public QObject
{
    Q_OBJECT

private slots:
    void records_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("records");

        QTest::newRow("plain cells, LF") << "a,b,c\nd,,f\n" << QStringList{"a|b|c", "d||f"};
        QTest::newRow("CRLF ends records, no CR kept") << "a,b\r\nc,d\r\n"
                                                       << QStringList{"a|b", "c|d"};
        QTest::newRow("last record without a line end") << "a\nb" << QStringList{"a", "b"};
        QTest::newRow("empty line inside is a record of one empty cell")
            << "a\n\nb\n"
            << QStringList{"a", "", "b"};
        QTest::newRow("quoted comma stays in its cell")
            << "内用薬,1124001F2ZZZ,【般】エスタゾラム錠２ｍｇ,\"加算1,2\",x\n"
            << QStringList{"内用薬|1124001F2ZZZ|【般】エスタゾラム錠２ｍｇ|加算1,2|x"};
        QTest::newRow("doubled quote stands for one") << "a,\"say \"\"hi\"\"\",b\n"
                                                      << QStringList{"a|say \"hi\"|b"};
        QTest::newRow("empty quoted cell") << "a,\"\",b\n" << QStringList{"a||b"};
        QTest::newRow("line break inside quotes before field 3")
            << "外用薬,\"1329710\nQAZZZ\",【般】名,d\r\nnext,x\r\n"
            << QStringList{"外用薬|1329710\nQAZZZ|【般】名|d", "next|x"};
        QTest::newRow("CRLF inside quotes is kept as it stands") << "a,\"x\r\ny\",b\r\n"
                                                                 << QStringList{"a|x\r\ny|b"};
        QTest::newRow("quote inside an unquoted cell is ordinary") << "a,5\"x,b\n"
                                                                   << QStringList{"a|5\"x|b"};
        QTest::newRow("text after the closing quote is appended") << "\"ab\"cd,e\n"
                                                                  << QStringList{"abcd|e"};
        QTest::newRow("unclosed quote is ordinary, record ends at its line end")
            << "a,\"open,b\nc,d\n"
            << QStringList{"a|\"open|b", "c|d"};
        QTest::newRow("a quote closes across lines when one follows")
            << "a,\"open,b\nc\",d\n"
            << QStringList{"a|open,b\nc|d"};
        QTest::newRow("an odd run of quotes closes, an even one does not")
            << "\"x\"\"\"\"\",y\n\"p\"\"\",q\n"
            << QStringList{"x\"\"|y", "p\"|q"};
        QTest::newRow("a later opening quote closes an earlier one") << "\"a,b\n\"c,d\n"
                                                                     << QStringList{"a,b\nc|d"};
        QTest::newRow("unclosed quote in the last cell") << "a,b\nc,\"d\r\ne,f\r\n"
                                                         << QStringList{"a|b", "c|\"d", "e|f"};
        QTest::newRow("empty text") << "" << QStringList{};
        QTest::newRow("CR alone is no line end") << "a\rb,c\n" << QStringList{"a\rb|c"};
    }

    void records()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, records);
        QCOMPARE(fastRecords(text, 30000), records);
        QCOMPARE(literal(text, 30000), records);
    }

    void limitCountsRecordsNotLines()
    {
        const QString text = "\"a\nb\",1\n2\n3\n";
        QCOMPARE(fastRecords(text, 2), (QStringList{"a\nb|1", "2"}));
        QCOMPARE(literal(text, 2), (QStringList{"a\nb|1", "2"}));
    }

    void cellCount_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("count");
        QTest::newRow("six commas") << "a,b,c,d,e,f,g" << 7;
        QTest::newRow("quoted comma is no separator") << "a,b,c,d,e,\"f,g\"" << 6;
        QTest::newRow("empty record") << "" << 1;
    }

    void cellCount()
    {
        QFETCH(QString, record);
        QFETCH(int, count);
        QCOMPARE(Csv::cellCount(record), count);
    }
};

QTEST_GUILESS_MAIN(TestCsvRecords)
#include "tst_csvrecords.moc"
