#include "data/datafiles.h"
#include "data/displaylist.h"
#include "support/testdatafolder.h"

#include <QtTest>

namespace
{
QStringList rowsOf(const DisplayList &list, int count)
{
    QStringList rows;
    for (int i = 0; i < qMin(count, list.rows.size()); ++i)
        rows << list.rows.at(i).brand + "|" + list.rows.at(i).generic;
    return rows;
}

} // namespace

Q_DECLARE_METATYPE(FileShape)

class TestDisplayList : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("linesRead");
        QTest::addColumn<QStringList>("firstRows");

        QTest::newRow("file order, nothing sorted")
            << QByteArray("B,b\nA,a\n") << 2 << QStringList{"B|b", "A|a"};
        QTest::newRow("crlf line ends")
            << QByteArray("ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ\r\nハルシオン０．２５ｍｇ錠,"
                          "【般】トリアゾラム錠０．２５ｍｇ\r\n")
            << 2
            << QStringList{"ネルボン錠５ｍｇ|【般】ニトラゼパム錠５ｍｇ",
                           "ハルシオン０．２５ｍｇ錠|【般】トリアゾラム錠０．２５ｍｇ"};
        QTest::newRow("third field ignored, empty middle kept")
            << QByteArray("X,,tail\n") << 1 << QStringList{"X|"};
        QTest::newRow("line without a comma")
            << QByteArray("Lonely\n") << 1 << QStringList{"Lonely|"};
        QTest::newRow("empty line inside counts")
            << QByteArray("B,b\n\nA,a\n") << 3 << QStringList{"B|b", "|", "A|a"};
        QTest::newRow("no final line end") << QByteArray("A,a") << 1 << QStringList{"A|a"};
        QTest::newRow("empty file") << QByteArray() << 0 << QStringList{};
        QTest::newRow("invalid utf-8 bytes")
            << QByteArray("A\x80\xff,b\xc3\n") << 1 << QStringList{"A\uFFFD\uFFFD|b\uFFFD"};
        QTest::newRow("3500 lines, all read")
            << numberedDisplayLines(3500) << 3500 << QStringList{"brand100000|generic0"};
        QTest::newRow("more than 10000 lines: the first 10000")
            << numberedDisplayLines(12000, "\r\n") << 10000 << QStringList{"brand100000|generic0"};
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, linesRead);
        QFETCH(QStringList, firstRows);

        TestDataFolder folder;
        folder.write(DataFiles::displayList, file);
        const DisplayList list = readDisplayList(folder.dataFolder());
        QVERIFY(list.opened);
        QCOMPARE(list.rows.size(), linesRead);
        QCOMPARE(rowsOf(list, firstRows.size()), firstRows);
    }

    // A line longer than a cell holds is cut there, and its rest never
    // shows as a line of its own.
    void longLinesAreCut_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("shown");
        QTest::newRow("exactly the most a cell holds") << 32767 << 32767;
        QTest::newRow("one more") << 32768 << 32767;
        QTest::newRow("6 MB") << 6 * 1024 * 1024 << 32767;
    }

    void longLinesAreCut()
    {
        QFETCH(int, length);
        QFETCH(int, shown);
        TestDataFolder folder;
        folder.write(DataFiles::displayList, QByteArray(length, 'x') + ",g\nA,a\n");
        const DisplayList list = readDisplayList(folder.dataFolder());
        QCOMPARE(rowsOf(list, 2).size(), 2);
        QCOMPARE(list.rows.at(0).brand.size(), shown);
        QCOMPARE(rowsOf(list, 2).last(), QString("A|a"));
    }

    // Shapes that would hold up the start: nothing is read from what is not
    // a regular file, and a huge one is read only up to a few MB.
    void hostileFileIsReadBounded_data()
    {
        QTest::addColumn<FileShape>("shape");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<int>("rows");
        QTest::newRow("named pipe") << FileShape::NamedPipe << false << 0;
        QTest::newRow("folder") << FileShape::Directory << false << 0;
        QTest::newRow("link loop") << FileShape::LinkLoop << false << 0;
        QTest::newRow("1.2 GB sparse, one endless line") << FileShape::Sparse << true << 1;
    }

    void hostileFileIsReadBounded()
    {
        QFETCH(FileShape, shape);
        QFETCH(bool, opened);
        QFETCH(int, rows);
        TestDataFolder folder;
        if (const std::optional<QString> unsupported =
                folder.put(DataFiles::displayList, shape, {}, 1200LL * 1024 * 1024))
            QSKIP(qPrintable(*unsupported));
        const DisplayList list = readDisplayList(folder.dataFolder());
        QCOMPARE(list.opened, opened);
        QCOMPARE(list.rows.size(), rows);
    }

    // Large lists are read only so far: 10000 lines, or a few MB of them.
    void largeFileIsReadBounded_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("rows");
        QTest::newRow("20 MB of short lines: 10000 of them")
            << QByteArray("A,a\n").repeated(5 * 1024 * 1024) << DataFiles::displayListMaxLines;
        QTest::newRow("20 MB of 30000-character lines: a few MB of them")
            << (QByteArray(29997, 'x') + ",a\n").repeated(700) << 8 * 1024 * 1024 / 30000;
    }

    void largeFileIsReadBounded()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, rows);
        TestDataFolder folder;
        folder.write(DataFiles::displayList, file);
        const DisplayList list = readDisplayList(folder.dataFolder());
        QVERIFY(list.opened);
        QVERIFY2(qAbs(list.rows.size() - rows) <= 1, qPrintable(QString::number(list.rows.size())));
    }

    // The record beside the list gives its rows their 経過措置 dates; a
    // record that is damaged, or of another list, is passed over and the
    // list is shown as it is.
    void recordBesideTheList_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("the record of this list") << "" << true;
        QTest::newRow("of another list") << "other list" << false;
        QTest::newRow("not a record") << "garbage" << false;
        QTest::newRow("cut short") << "cut" << false;
        QTest::newRow("an unknown key and a bad date") << "unknown" << true;
    }

    void recordBesideTheList()
    {
        QFETCH(QString, damage);
        QFETCH(bool, recorded);
        const QByteArray list = "ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ\nA,a\n";
        ListRecord record;
        record.converted =
            QDateTime(QDate(2026, 12, 11), QTime(9, 30), Qt::OffsetFromUTC, 9 * 3600);
        record.masterDate = "令和7年8月14日適用";
        record.priceListSources = QStringList{"tp20250814-01_01.xlsx"};
        record.transitionalUntil.insert(1, QDate(2026, 3, 31));
        QByteArray text = listRecordText(record, damage == "other list" ? "B,b\n" : list);
        if (damage == "garbage")
            text = QByteArray(300, '\x7f');
        else if (damage == "cut")
            text = text.left(text.indexOf("list-sha256"));
        else if (damage == "unknown")
            text += "colour\tblue\ntransitional\t2\tR8.3.31\n";
        TestDataFolder folder;
        folder.write(DataFiles::displayList, list);
        folder.write(DataFiles::listRecord, text);

        const DisplayList read = readDisplayList(folder.dataFolder());
        QCOMPARE(read.rows.size(), 2);
        QCOMPARE(bool(read.record), recorded);
        QCOMPARE(read.rows.at(0).transitionalUntil, recorded ? QDate(2026, 3, 31) : QDate());
        QCOMPARE(read.rows.at(1).transitionalUntil, QDate());
        if (recorded) {
            QCOMPARE(read.record->masterDate, QString("令和7年8月14日適用"));
            QCOMPARE(read.record->converted, record.converted);
            QCOMPARE(read.record->priceListSources, record.priceListSources);
        }
    }

    void missingFileIsNotOpened()
    {
        TestDataFolder folder;
        const DisplayList list = readDisplayList(folder.dataFolder());
        QVERIFY(!list.opened);
        QVERIFY(list.rows.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDisplayList)
#include "tst_displaylist.moc"
