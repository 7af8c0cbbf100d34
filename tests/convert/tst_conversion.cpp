#include "convert/conversion.h"
#include "data/datafiles.h"
#include "support/testdatafolder.h"

#include <QTextCodec>
#include <QtTest>

namespace
{
const QByteArray header10 = "h,1,2,3,4,5,6,7,8,9,10\n"; // ten commas
const QByteArray oldList = "ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ\n";

// A product record of 13 fields with the generics flag set.
QByteArray flaggedRecord(const QByteArray &brand, const QByteArray &code)
{
    return "内用薬," + code + ",G,,,,," + brand + ",,,先発品,1,S\n";
}

// The real excerpts of the three lists, as the demo data holds them.
void writeRealLists(const TestDataFolder &folder, bool withExceptions = true)
{
    for (const QString &name : {DataFiles::productList, DataFiles::genericNameList})
        folder.write(name, sampleFile(name));
    if (withExceptions)
        folder.write(DataFiles::exceptionList, sampleFile(DataFiles::exceptionList));
}

// A run whose check messages are recorded instead of shown.
struct Run {
    explicit Run(const TestDataFolder &folder)
        : outcome(runConversion(folder.paths(), [this](int position, int commas) {
              messages << QString("%1,=%2").arg(position).arg(commas);
          }))
    {
    }
    QStringList messages;
    ConversionOutcome outcome;
};

QStringList linesOf(const QByteArray &bytes)
{
    QStringList lines = QString::fromUtf8(bytes).split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString displayLineFor(const QByteArray &list, const QString &brand)
{
    for (const QString &line : linesOf(list))
        if (line.startsWith(brand + ","))
            return line.mid(brand.size() + 1);
    return QString();
}
} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    void checkMessage_data()
    {
        QTest::addColumn<QByteArray>("products");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("empty list") << QByteArray() << QStringList{"0,=0"};
        QTest::newRow("header only") << header10 << QStringList{"1,=0"};
        QTest::newRow("first line 9 commas")
            << QByteArray("h,1,2,3,4,5,6,7,8,9\n") + flaggedRecord("X", "1234")
            << QStringList{"0,=9"};
        QTest::newRow("both lines short") << QByteArray("a,b\nc\n") << QStringList{"0,=1", "1,=0"};
        QTest::newRow("ten commas: no message")
            << header10 + flaggedRecord("X", "1234") << QStringList{};
        QTest::newRow("third line is not checked")
            << header10 + flaggedRecord("X", "1234") + "a,b,c\n"
            << QStringList{};
    }

    void checkMessage()
    {
        QFETCH(QByteArray, products);
        QFETCH(QStringList, messages);

        TestDataFolder folder;
        folder.write(DataFiles::productList, products);
        folder.write(DataFiles::genericNameList, "a,1234,Generic,,,,\n");
        const Run run(folder);
        QCOMPARE(run.messages, messages);
        // The run goes on after the message.
        QVERIFY(run.outcome.productLines);
        QCOMPARE(run.outcome.productLines->size(), products.count('\n'));
    }

    void realListsGiveTheirOwnGenericNames_data()
    {
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("withExceptions");
        QTest::addColumn<QString>("withoutExceptions");

        const QString none = "一般名なし";
        QTest::newRow("5 mg beside a 10 mg generic") << "ネルボン錠５ｍｇ"
                                                     << "【般】ニトラゼパム錠５ｍｇ"
                                                     << "【般】ニトラゼパム錠５ｍｇ";
        QTest::newRow("same price as another brand") << "ベンザリン錠１０"
                                                     << "【般】ニトラゼパム錠１０ｍｇ"
                                                     << "【般】ニトラゼパム錠１０ｍｇ";
        QTest::newRow("0.125 mg") << "ハルシオン０．１２５ｍｇ錠"
                                  << "【般】トリアゾラム錠０．１２５ｍｇ"
                                  << "【般】トリアゾラム錠０．１２５ｍｇ";
        QTest::newRow("1 mg") << "サイレース錠１ｍｇ"
                              << "【般】フルニトラゼパム錠１ｍｇ"
                              << "【般】フルニトラゼパム錠１ｍｇ";
        QTest::newRow("10 mg CR") << "アダラートＣＲ錠１０ｍｇ"
                                  << "【般】ニフェジピン徐放錠１０ｍｇ（２４時間持続）"
                                  << "【般】ニフェジピン徐放錠１０ｍｇ（２４時間持続）";
        QTest::newRow("exception code") << "デパケンＲ錠２００ｍｇ"
                                        << "【般】バルプロ酸Ｎａ徐放錠２００ｍｇ" << none;
        QTest::newRow("exception code, line break in the master's strength cell")
            << "ナゾネックス点鼻液５０μｇ５６噴霧用"
            << "【般】モメタゾン点鼻液５０μｇ５６噴霧用" << none;
        QTest::newRow("exception code of a tape")
            << "モーラステープ２０ｍｇ"
            << "【般】ケトプロフェンテープ２０ｍｇ（７×１０ｃｍ非温感）" << none;
        QTest::newRow("exception code of a lotion")
            << "ヒルドイドローション０．３％"
            << "【般】ヘパリン類似物質外用液０．３％（乳剤性）" << none;
        QTest::newRow("originator without generics") << "ユーロジン散１％"
                                                     << "後発なし"
                                                     << "後発なし";
    }

    void realListsGiveTheirOwnGenericNames()
    {
        QFETCH(QString, brand);
        QFETCH(QString, withExceptions);
        QFETCH(QString, withoutExceptions);

        TestDataFolder folder;
        writeRealLists(folder);
        QCOMPARE(Run(folder).outcome.ending, ConversionEnding::Completed);
        QCOMPARE(displayLineFor(folder.read(DataFiles::displayList), brand), withExceptions);

        folder.remove(DataFiles::exceptionList);
        QCOMPARE(Run(folder).outcome.ending, ConversionEnding::Completed);
        QCOMPARE(displayLineFor(folder.read(DataFiles::displayList), brand), withoutExceptions);
    }

    // The demo's display list is what the program makes of the real
    // excerpts; without the exception sheet exactly the eight brands it maps
    // lose their names.
    void realListsGiveTheExpectedDisplayList()
    {
        TestDataFolder folder;
        writeRealLists(folder);
        folder.write(DataFiles::displayList, oldList);
        const Run with(folder);
        QCOMPARE(with.outcome.ending, ConversionEnding::Completed);
        QCOMPARE(with.outcome.exceptionCodes, std::optional<int>(42));
        const QByteArray withList = folder.read(DataFiles::displayList);
        QCOMPARE(withList, sampleFile(DataFiles::displayList));
        QCOMPARE(with.outcome.linesWritten, linesOf(withList).size());
        QVERIFY(!withList.contains('\r'));

        folder.remove(DataFiles::exceptionList);
        const Run without(folder);
        QCOMPARE(without.outcome.exceptionCodes, std::nullopt);
        const QByteArray withoutList = folder.read(DataFiles::displayList);
        QCOMPARE(withoutList, fixtureFile("ippan-without-reigai.csv"));

        const QStringList a = linesOf(withList), b = linesOf(withoutList);
        QCOMPARE(a.size(), b.size());
        QStringList changed;
        for (int i = 0; i < a.size(); ++i)
            if (a.at(i) != b.at(i)) {
                QVERIFY2(b.at(i).endsWith(",一般名なし"), qPrintable(b.at(i)));
                changed << a.at(i).section(',', 0, 0);
            }
        QCOMPARE(changed,
                 (QStringList{"デパケンＲ錠２００ｍｇ", "ナゾネックス点鼻液５０μｇ５６噴霧用",
                              "ナゾネックス点鼻液５０μｇ１１２噴霧用",
                              "アラミスト点鼻液２７．５μｇ５６噴霧用",
                              "アラミスト点鼻液２７．５μｇ１２０噴霧用", "モーラステープ２０ｍｇ",
                              "モーラステープＬ４０ｍｇ", "ヒルドイドローション０．３％"}));
        QCOMPARE(folder.files(), (QStringList{"iporg.csv", "ippan.csv", "senkou.csv"}));
    }

    // The whole lists of 2025-08-14 as a spreadsheet saves them: the price
    // list's three sheets joined under the first one's header, the master's
    // two sheets.
    void publishedListsGiveTheExpectedDisplayList()
    {
        TestDataFolder folder;
        folder.write(DataFiles::productList, joinedPublishedPriceList());
        folder.write(DataFiles::genericNameList,
                     fixtureFile("published-csv/ippanmeishohoumaster_250814-main.csv"));
        folder.write(DataFiles::exceptionList,
                     fixtureFile("published-csv/ippanmeishohoumaster_250814-exceptions.csv"));
        const Run run(folder);
        QCOMPARE(run.outcome.ending, ConversionEnding::Completed);
        QCOMPARE(run.outcome.exceptionCodes, std::optional<int>(80));
        const QByteArray list = folder.read(DataFiles::displayList);
        QCOMPARE(list, fixtureFile("ippan-20250814.csv"));
    }

    // A product list that yields no line keeps the user's list byte for byte.
    void productListWithoutDrugsKeepsTheOldList_data()
    {
        QTest::addColumn<QByteArray>("products");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("header only")
            << sampleFile(DataFiles::productList)
                   .left(sampleFile(DataFiles::productList).indexOf('\n') + 1);
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage += char((i * 7919) % 256);
        QTest::newRow("binary garbage") << garbage;
        QTest::newRow("CR-only line ends")
            << sampleFile(DataFiles::productList).replace("\r\n", "\r");
        QTest::newRow("records all shorter than 13 fields")
            << header10 +
                   "内用薬,1124003F2230,ニトラゼパム,５ｍｇ１錠,,,,ネルボン錠５ｍｇ,アルフレッサ\n";
    }

    void productListWithoutDrugsKeepsTheOldList()
    {
        QFETCH(QByteArray, products);
        TestDataFolder folder;
        writeRealLists(folder);
        folder.write(DataFiles::displayList, oldList);
        folder.write(DataFiles::productList, products);

        const Run run(folder);
        QCOMPARE(run.outcome.ending, ConversionEnding::NothingProduced);
        QCOMPARE(run.outcome.path, folder.path(DataFiles::productList));
        QCOMPARE(run.outcome.linesWritten, 0);
        QCOMPARE(folder.read(DataFiles::displayList), oldList);
        QCOMPARE(folder.files(),
                 (QStringList{"iporg.csv", "ippan.csv", "reigai.csv", "senkou.csv"}));
    }

    // A generic-name list without records still lets every brand through,
    // with no name rather than a wrong one.
    void genericNameListWithoutRecordsGivesNoNames_data()
    {
        QTest::addColumn<QByteArray>("generics");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\"\x01,\x80\n\"\"", 9);
        QTest::newRow("unclosed quote swallowing nothing")
            << QByteArray("内用薬,\"1124003F2ZZZ,【般】ニトラゼパム錠５ｍｇ\n");
        QTest::newRow("30000 short lines before the records")
            << QByteArray("ignored,1124003F2ZZZ\n").repeated(30000) +
                   "内用薬,1124003F2ZZZ,【般】ニトラゼパム錠５ｍｇ,,,,\n";
    }

    void genericNameListWithoutRecordsGivesNoNames()
    {
        QFETCH(QByteArray, generics);
        TestDataFolder folder;
        writeRealLists(folder, false);
        folder.write(DataFiles::genericNameList, generics);
        const Run run(folder);
        QCOMPARE(run.outcome.ending, ConversionEnding::Completed);
        QVERIFY(run.outcome.lookupLines->isEmpty());
        const QByteArray list = folder.read(DataFiles::displayList);
        QCOMPARE(displayLineFor(list, "ネルボン錠５ｍｇ"), QString("一般名なし"));
        QCOMPARE(displayLineFor(list, "ユーロジン散１％"), QString("後発なし"));
    }

    void failureKeepsTheOldList_data()
    {
        QTest::addColumn<QString>("broken");
        QTest::addColumn<int>("ending");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("productLinesRead");
        QTest::addColumn<bool>("lookupLinesRead");

        const int unopenable = int(ConversionEnding::ListUnopenable);
        const int unwritable = int(ConversionEnding::DisplayListUnwritable);
        QTest::newRow("product list missing")
            << DataFiles::productList << unopenable << DataFiles::productList << false << false;
        QTest::newRow("generic-name list missing") << DataFiles::genericNameList << unopenable
                                                   << DataFiles::genericNameList << true << false;
        QTest::newRow("exception list there but unreadable")
            << DataFiles::exceptionList << unopenable << DataFiles::exceptionList << true << true;
        QTest::newRow("display list cannot be replaced")
            << DataFiles::displayList << unwritable << DataFiles::displayList << false << false;
    }

    void failureKeepsTheOldList()
    {
        QFETCH(QString, broken);
        QFETCH(int, ending);
        QFETCH(QString, path);
        QFETCH(bool, productLinesRead);
        QFETCH(bool, lookupLinesRead);

        TestDataFolder folder;
        writeRealLists(folder);
        folder.write(DataFiles::displayList, oldList);
        if (broken == DataFiles::displayList || broken == DataFiles::exceptionList) {
            // A folder in the file's place: there, but neither readable nor
            // replaceable.
            folder.remove(broken);
            QVERIFY(QDir(folder.path(".")).mkdir(broken));
        } else {
            folder.remove(broken);
        }

        const Run run(folder);
        QCOMPARE(int(run.outcome.ending), ending);
        QCOMPARE(run.outcome.path, folder.path(path));
        QCOMPARE(bool(run.outcome.productLines), productLinesRead);
        QCOMPARE(bool(run.outcome.lookupLines), lookupLinesRead);
        if (broken != DataFiles::displayList)
            QCOMPARE(folder.read(DataFiles::displayList), oldList);
        QVERIFY(!folder.files().join(' ').contains(".ippan.csv")); // no temporary left
    }

    void missingFolderIsUnwritable()
    {
        TestDataFolder folder;
        ConversionPaths paths = folder.paths();
        paths.displayList = folder.path("no-such-folder/ippan.csv");
        const ConversionOutcome outcome = runConversion(paths, [](int, int) {});
        QCOMPARE(outcome.ending, ConversionEnding::DisplayListUnwritable);
        QCOMPARE(outcome.path, paths.displayList);
        QVERIFY(!outcome.productLines);
    }

    void limits()
    {
        TestDataFolder folder;
        QByteArray products = header10;
        for (int i = 0; i < 30005; ++i)
            products += flaggedRecord("B" + QByteArray::number(i), "G1000");
        QByteArray generics;
        for (int i = 0; i < 29999; ++i)
            generics += "\"ignored\n,quoted\",G1ZZZ\n";
        generics += "a,G1ZZZ,the last record read,,,,\n";
        generics += "a,G1ZZZ,never read,,,,\n";
        folder.write(DataFiles::productList, products);
        folder.write(DataFiles::genericNameList, generics);
        const Run run(folder);

        QCOMPARE(run.outcome.productLines->size(), 30000);
        QCOMPARE(run.outcome.lookupLines->size(), 1);
        QCOMPARE(run.outcome.linesWritten, 29999); // one line per brand name
        QVERIFY(folder.read(DataFiles::displayList).startsWith("B0,the last record read\n"));
    }

    void crlfAndByteOrderMarks()
    {
        TestDataFolder folder;
        folder.write(
            DataFiles::productList,
            "\xEF\xBB\xBFh,1,2,3,4,5,6,7,8,9,10\r\n内用薬,G1000,G,,,,,Brand,,,先発品,1,S\r\n");
        folder.write(DataFiles::genericNameList, "\xEF\xBB\xBF内用薬,G1ZZZ,Generic,,,,\r\n");
        folder.write(DataFiles::exceptionList, "\xEF\xBB\xBF");
        const Run run(folder);
        QVERIFY(!run.outcome.productLines->first().startsWith(QChar(0xFEFF)));
        QCOMPARE(run.outcome.exceptionCodes, std::optional<int>(0));
        QCOMPARE(folder.read(DataFiles::displayList), QByteArray("Brand,Generic\n"));
    }

    void sameInputWritesTheSameListTwice()
    {
        TestDataFolder folder;
        writeRealLists(folder);
        Run first(folder);
        const QByteArray list = folder.read(DataFiles::displayList);
        Run second(folder);
        QCOMPARE(folder.read(DataFiles::displayList), list);
        QCOMPARE(second.outcome.linesWritten, first.outcome.linesWritten);
    }

    // Japanese Windows: the lists come in the system code page, which the
    // text streams' default codec reads and writes.
    void shiftJisListsRoundTrip()
    {
        QTextCodec *sjis = QTextCodec::codecForName("Shift_JIS");
        QVERIFY(sjis);
        QTextCodec *before = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(sjis);
        auto restore = qScopeGuard([before] { QTextCodec::setCodecForLocale(before); });

        TestDataFolder folder;
        for (const QString &name :
             {DataFiles::productList, DataFiles::genericNameList, DataFiles::exceptionList}) {
            const QString text = QString::fromUtf8(sampleFile(name));
            QVERIFY2(sjis->canEncode(text), qPrintable(name));
            folder.write(name, sjis->fromUnicode(text));
        }
        QCOMPARE(Run(folder).outcome.ending, ConversionEnding::Completed);

        const QByteArray written = folder.read(DataFiles::displayList);
        QCOMPARE(written, sjis->fromUnicode(QString::fromUtf8(sampleFile(DataFiles::displayList))));
        QCOMPARE(displayLineFor(sjis->toUnicode(written).toUtf8(),
                                "ナゾネックス点鼻液５０μｇ５６噴霧用"),
                 QString("【般】モメタゾン点鼻液５０μｇ５６噴霧用"));
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
