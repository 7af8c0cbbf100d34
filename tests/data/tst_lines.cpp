#include "data/lines.h"
#include "support/splitting.h"

#include <QtTest>

class TestLines : public QObject
{
    Q_OBJECT

private slots:
    void split_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("two fields") << "A,a" << QStringList{"A", "a"};
        QTest::newRow("adjacent commas") << "A,,C" << QStringList{"A", "", "C"};
        QTest::newRow("leading comma") << ",B" << QStringList{"", "B"};
        QTest::newRow("trailing comma") << "A," << QStringList{"A", ""};
        QTest::newRow("no comma") << "A" << QStringList{"A"};
        QTest::newRow("empty line") << "" << QStringList{""};
        QTest::newRow("spaces stay, no quoting")
            << " A ,\"b,c\"" << QStringList{" A ", "\"b", "c\""};
        QTest::newRow("full-width comma is not a separator")
            << "Ａ，Ｂ,c" << QStringList{"Ａ，Ｂ", "c"};
    }

    void split()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QCOMPARE(splitLine(line), fields);
        QCOMPARE(fieldAt(splitLine(line), fields.size() + 1), QString());
        QCOMPARE(fieldAt(splitLine(line), 0), QString());
    }

    // A CRLF line read through a text stream carries no carriage return into
    // its last field.
    void crlfLineSplitsLikeLf()
    {
        const QByteArray bytes = "a,b,c\r\na,b,c\n";
        QTextStream in(bytes);
        const QStringList crlf = splitLine(in.readLine());
        QCOMPARE(crlf, splitLine(in.readLine()));
        QCOMPARE(crlf.last(), QString("c"));
    }

    void lookupKey_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("key");
        QTest::newRow("12 characters") << "1124001F2029"
                                       << "1124001F2";
        QTest::newRow("4 characters") << "1234"
                                      << "1";
        QTest::newRow("3 characters") << "123"
                                      << "";
        QTest::newRow("2 characters") << "12"
                                      << "";
        QTest::newRow("empty") << ""
                               << "";
    }

    void lookupKey()
    {
        QFETCH(QString, code);
        QFETCH(QString, key);
        QCOMPARE(::lookupKey(code).toString(), key);
    }
};

QTEST_GUILESS_MAIN(TestLines)
#include "tst_lines.moc"
