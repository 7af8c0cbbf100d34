#include "convert/conversion.h"
#include "data/datafiles.h"
#include "support/packages.h"
#include "support/testdatafolder.h"

#include <QTextCodec>
#include <QtTest>
#include <cstring>

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

// An endless list of one line repeated, made as it is read.
class GeneratedDevice : public QIODevice
{
public:
    explicit GeneratedDevice(const QByteArray &line) : line(line) { open(QIODevice::ReadOnly); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        for (qint64 done = 0; done < maxSize;) {
            const qint64 at = produced % line.size();
            const qint64 piece = qMin(maxSize - done, line.size() - at);
            std::memcpy(data + done, line.constData() + at, size_t(piece));
            done += piece;
            produced += piece;
        }
        return maxSize;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray line;
    qint64 produced = 0;
};

void putPublishedWorkbooks(const TestDataFolder &folder)
{
    for (const char *name : {"tp20250814-01_01.xlsx", "tp20250814-01_02.xlsx",
                             "tp20250814-01_03.xlsx", "ippanmeishohoumaster_250814.xlsx"})
        folder.write(name, sampleFile(QString("published/") + name));
}

// The price list's header row as a sheet's first row.
QByteArray priceListHeaderRow()
{
    const QByteArray csv = fixtureFile("published-csv/tp20250814-01_01.csv");
    return inlineRow(QString::fromUtf8(csv.left(csv.indexOf('\n'))).split(','));
}

// Puts one hostile shape in the place of `name`.
void putShape(const TestDataFolder &folder, const QString &name, const QString &shape)
{
    const QByteArray real = name == DataFiles::displayList ? oldList : sampleFile(name);
    QTextCodec *sjis = QTextCodec::codecForName("Shift_JIS");
    if (shape == "missing")
        folder.remove(name);
    else if (shape == "fifo")
        folder.makeFifo(name);
    else if (shape == "directory")
        folder.makeDirectory(name);
    else if (shape == "link loop")
        folder.makeLink(name, folder.path(name));
    else if (shape == "dangling link")
        folder.makeLink(name, folder.path("nowhere.csv"));
    else if (shape == "read error") // a regular file whose first read fails
        folder.makeLink(name, "/proc/self/mem");
    else if (shape == "sparse")
        folder.makeSparse(name, 2500LL * 1024 * 1024, real.left(real.indexOf('\n') + 1));
    else if (shape == "shift_jis")
        folder.write(name, sjis->fromUnicode(QString::fromUtf8(real)));
    else if (shape == "overlong name")
        folder.write(name, QByteArray(real)
                               .replace("【般】", QByteArray(40000, 'x'))
                               .replace("ネルボン", QByteArray(40000, 'x')));
    else if (shape == "empty")
        folder.write(name, QByteArray());
    else if (shape == "bom only")
        folder.write(name, "\xEF\xBB\xBF");
    else if (shape == "header only")
        folder.write(name, real.left(real.indexOf('\n') + 1));
    else if (shape == "short records")
        folder.write(name, header10 +
                               "内用薬,1124003F2230,ニトラゼパム,５ｍｇ１錠,,,,ネルボン錠５ｍｇ,"
                               "アルフレッサ\n");
    else if (shape == "cr only")
        folder.write(name, QByteArray(real).replace("\r\n", "\r"));
    else if (shape == "garbage") {
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage += char((i * 7919) % 256);
        folder.write(name, garbage);
    } else if (shape == "exception sheet") {
        folder.write(name, sampleFile(DataFiles::exceptionList));
        folder.remove(DataFiles::exceptionList);
    } else if (shape == "swapped") {
        folder.write(DataFiles::genericNameList, sampleFile(DataFiles::exceptionList));
        folder.write(DataFiles::exceptionList, sampleFile(DataFiles::genericNameList));
    } else if (shape == "unclosed quote")
        folder.write(name, "内用薬,\"1124003F2ZZZ,【般】ニトラゼパム錠５ｍｇ,,,,,,\n");
    else if (shape == "short lines first")
        folder.write(name, QByteArray("ignored,1124003F2ZZZ\n").repeated(30000) + real);
    else
        qFatal("unknown shape %s", qPrintable(shape));
}

QString displayLineFor(const QByteArray &list, const QString &brand)
{
    for (const QString &line : linesOf(list))
        if (line.startsWith(brand + ","))
            return line.mid(brand.size() + 1);
    return QString();
}
} // namespace

Q_DECLARE_METATYPE(ConversionEnding)

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

    // The four workbooks as they are published, alone in the folder, give
    // byte for byte what their sheets saved as CSV give.
    void publishedWorkbooksGiveTheSameListAsTheirCsvExports()
    {
        TestDataFolder folder;
        putPublishedWorkbooks(folder);
        folder.write(DataFiles::displayList, oldList);
        const Run run(folder);
        QCOMPARE(run.outcome.ending, ConversionEnding::Completed);
        QCOMPARE(run.messages, QStringList());
        const QByteArray list = folder.read(DataFiles::displayList);
        QCOMPARE(list, fixtureFile("ippan-20250814.csv"));
        QCOMPARE(run.outcome.exceptionCodes, std::optional<int>(80));
        QCOMPARE(run.outcome.productLines->size(), 12418); // the header and 12417 products
        const ConversionSources &sources = run.outcome.sources;
        QCOMPARE(sources.priceListWorkbooks,
                 (QStringList{"tp20250814-01_01.xlsx", "tp20250814-01_02.xlsx",
                              "tp20250814-01_03.xlsx"}));
        QCOMPARE(sources.productKinds, (QStringList{"内用薬", "注射薬", "外用薬"}));
        QCOMPARE(sources.masterWorkbook, QString("ippanmeishohoumaster_250814.xlsx"));
        QCOMPARE(sources.exceptionsWorkbook, QString("ippanmeishohoumaster_250814.xlsx"));
        QCOMPARE(sources.masterDate, QString("令和7年8月14日適用"));
        QCOMPARE(sources.passedOver, QStringList());
        for (const char *brand : {"デパケンＲ錠２００ｍｇ", "ナゾネックス点鼻液５０μｇ５６噴霧用",
                                  "モーラステープ２０ｍｇ", "ヒルドイドローション０．３％"})
            QVERIFY(displayLineFor(list, QString::fromUtf8(brand)).startsWith("【般】"));
        QCOMPARE(folder.files().filter(".ippan.csv"), QStringList());
    }

    // Each list comes from one source: its CSV file where there is one, else
    // the workbooks; with all three CSV files there no workbook is opened.
    void eachListFromOneSource()
    {
        TestDataFolder folder;
        putPublishedWorkbooks(folder);
        folder.write(DataFiles::productList, joinedPublishedPriceList());
        Run csvProducts(folder);
        QCOMPARE(csvProducts.outcome.ending, ConversionEnding::Completed);
        QCOMPARE(folder.read(DataFiles::displayList), fixtureFile("ippan-20250814.csv"));
        QCOMPARE(csvProducts.outcome.sources.priceListWorkbooks, QStringList());
        QCOMPARE(csvProducts.outcome.sources.masterWorkbook,
                 QString("ippanmeishohoumaster_250814.xlsx"));
        QCOMPARE(csvProducts.outcome.sources.passedOver,
                 (QStringList{"tp20250814-01_01.xlsx", "tp20250814-01_02.xlsx",
                              "tp20250814-01_03.xlsx"}));

        writeRealLists(folder);
        folder.write("broken.xlsx", "not a workbook"); // never opened
        Run allCsv(folder);
        QCOMPARE(allCsv.outcome.ending, ConversionEnding::Completed);
        QCOMPARE(folder.read(DataFiles::displayList), sampleFile(DataFiles::displayList));
        QCOMPARE(allCsv.outcome.sources.passedOver.size(), 5);
    }

    // A folder whose workbooks cannot give a right list ends the run with the
    // workbook named, and keeps the old list byte for byte.
    void badOrAmbiguousWorkbooksKeepTheOldList_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<ConversionEnding>("ending");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        using E = ConversionEnding;
        QTest::newRow("not a workbook") << "not a zip" << E::BadWorkbook << "zz.xlsx"
                                        << "";
        QTest::newRow("truncated") << "truncated" << E::BadWorkbook << "tp20250814-01_02.xlsx"
                                   << "";
        QTest::newRow("two masters") << "two masters" << E::AmbiguousWorkbooks << "zz-master.xlsx"
                                     << "ippanmeishohoumaster_250814.xlsx と zz-master.xlsx";
        QTest::newRow("two price lists of one kind")
            << "two 内用薬" << E::AmbiguousWorkbooks << "tp20250814-01_01b.xlsx"
            << "tp20250814-01_01.xlsx と tp20250814-01_01b.xlsx";
        QTest::newRow("no price list") << "no price list" << E::ListMissing << "senkou.csv"
                                       << "";
        QTest::newRow("no master") << "no master" << E::ListMissing << "iporg.csv"
                                   << "";
        QTest::newRow("a price list reaching the far corner")
            << "far corner" << E::TooLarge << "tp20250814-01_04.xlsx"
            << "XFD1048576";
    }

    void badOrAmbiguousWorkbooksKeepTheOldList()
    {
        QFETCH(QString, shape);
        QFETCH(ConversionEnding, ending);
        QFETCH(QString, file);
        QFETCH(QString, reason);
        TestDataFolder folder;
        putPublishedWorkbooks(folder);
        folder.write(DataFiles::displayList, oldList);
        const QByteArray master = sampleFile("published/ippanmeishohoumaster_250814.xlsx");
        if (shape == "not a zip")
            folder.write(file, "区分,薬価基準収載医薬品コード\n");
        else if (shape == "truncated")
            folder.write(file, sampleFile("published/" + file).left(100000));
        else if (shape == "two masters")
            folder.write(file, master);
        else if (shape == "two 内用薬")
            folder.write(file, sampleFile("published/tp20250814-01_01.xlsx"));
        else if (shape == "no price list")
            for (const char *part : {"01", "02", "03"})
                folder.remove(QString("tp20250814-01_%1.xlsx").arg(part));
        else if (shape == "no master")
            folder.remove("ippanmeishohoumaster_250814.xlsx");
        else if (shape == "far corner")
            folder.write(file, zipPackage(workbookParts(
                                   priceListHeaderRow() +
                                   "<row r=\"1048576\"><c r=\"XFD1048576\"><v>1</v></c></row>")));

        const Run run(folder);
        QCOMPARE(run.outcome.ending, ending);
        QCOMPARE(run.outcome.path, folder.path(file));
        QVERIFY2(run.outcome.reason.contains(reason), qPrintable(run.outcome.reason));
        QCOMPARE(folder.read(DataFiles::displayList), oldList);
        QCOMPARE(folder.files().filter(".ippan.csv"), QStringList());
    }

    // Every file shape in the data folder that cannot give a right list
    // ends the run, names the file and why, and keeps the old list byte for
    // byte, with no temporary file left.
    void hostileFileKeepsTheOldList_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<ConversionEnding>("ending");
        QTest::addColumn<QString>("reason"); // a part of it; empty: no reason given

        const QString products = DataFiles::productList, master = DataFiles::genericNameList,
                      exceptions = DataFiles::exceptionList, display = DataFiles::displayList;
        const QString notRegular = "通常のファイルではありません";
        using E = ConversionEnding;
        QTest::newRow("product list missing, no workbook")
            << products << "missing" << E::ListMissing << "";
        QTest::newRow("master missing, no workbook") << master << "missing" << E::ListMissing << "";
        for (const QString &name : {products, master, exceptions}) {
            QTest::addRow("%s: named pipe", qPrintable(name))
                << name << "fifo" << E::NotRegularFile << notRegular;
            QTest::addRow("%s: folder", qPrintable(name))
                << name << "directory" << E::NotRegularFile << notRegular;
            QTest::addRow("%s: link loop", qPrintable(name))
                << name << "link loop" << E::NotRegularFile << notRegular;
            QTest::addRow("%s: read error", qPrintable(name))
                << name << "read error" << E::ReadFailed << "Input/output error";
            QTest::addRow("%s: 2.5 GB sparse", qPrintable(name))
                << name << "sparse" << E::TooLarge << "32767";
            QTest::addRow("%s: Shift_JIS read as UTF-8", qPrintable(name))
                << name << "shift_jis" << E::WrongEncoding << "UTF-8";
        }
        QTest::newRow("display list: named pipe")
            << display << "fifo" << E::DisplayListUnwritable << notRegular;
        QTest::newRow("display list: folder")
            << display << "directory" << E::DisplayListUnwritable << notRegular;
        QTest::newRow("display list: dangling link")
            << display << "dangling link" << E::DisplayListUnwritable << notRegular;

        QTest::newRow("product list: overlong brand name")
            << products << "overlong name" << E::TooLarge << "32767";
        QTest::newRow("product list: empty") << products << "empty" << E::NothingProduced << "";
        QTest::newRow("product list: header only")
            << products << "header only" << E::NothingProduced << "";
        QTest::newRow("product list: records all shorter than 13 fields")
            << products << "short records" << E::NothingProduced << "";
        QTest::newRow("product list: CR-only line ends, one long line")
            << products << "cr only" << E::TooLarge << "32767";
        QTest::newRow("product list: binary garbage")
            << products << "garbage" << E::WrongEncoding << "UTF-8";

        QTest::newRow("master: overlong generic name")
            << master << "overlong name" << E::TooLarge << "32767";
        QTest::newRow("master: empty") << master << "empty" << E::NoGenericNames << "";
        QTest::newRow("master: the exception sheet in its place")
            << master << "exception sheet" << E::NoGenericNames << "";
        QTest::newRow("master: an unclosed quote leaves no record")
            << master << "unclosed quote" << E::NoGenericNames << "";
        QTest::newRow("master: 30000 short lines before the records")
            << master << "short lines first" << E::NoGenericNames << "";
        QTest::newRow("master and exception sheet swapped")
            << exceptions << "swapped" << E::NoExceptionCodes << "";
        QTest::newRow("exception sheet: empty")
            << exceptions << "empty" << E::NoExceptionCodes << "";
        QTest::newRow("exception sheet: a byte-order mark alone")
            << exceptions << "bom only" << E::NoExceptionCodes << "";
    }

    void hostileFileKeepsTheOldList()
    {
        QFETCH(QString, file);
        QFETCH(QString, shape);
        QFETCH(ConversionEnding, ending);
        QFETCH(QString, reason);

        TestDataFolder folder;
        writeRealLists(folder);
        folder.write(DataFiles::displayList, oldList);
        putShape(folder, file, shape);

        // A named pipe that blocked the run would hold it here until the
        // test's time-out.
        const Run run(folder);
        QCOMPARE(run.outcome.ending, ending);
        QCOMPARE(run.outcome.path,
                 folder.path(shape == "swapped" ? DataFiles::exceptionList : file));
        QVERIFY2(run.outcome.reason.contains(reason), qPrintable(run.outcome.reason));
        QCOMPARE(run.outcome.linesWritten, 0);
        if (file != DataFiles::displayList)
            QCOMPARE(folder.read(DataFiles::displayList), oldList);
        QVERIFY(!folder.files().join(' ').contains(".ippan.csv")); // no temporary left
    }

    // More bytes than any real list before the record limit: the lists are
    // made as they are read, so the test costs no disk and little time.
    void tooManyBytesBeforeTheRecordLimit()
    {
        const QByteArray line = "内用薬," + QByteArray(3000, 'x') + ",,,,,,,,,,,\n";
        GeneratedDevice products(line);
        const ListRead productRead = readProductList(products, [](int, int) {});
        QCOMPARE(productRead.problem, ConversionEnding::TooLarge);
        QVERIFY(productRead.reason.contains("64 MB"));
        QVERIFY(products.pos() < DataFiles::rawListMaxBytes + 1024 * 1024);

        GeneratedDevice master(line);
        QCOMPARE(readMasterRecords(master).problem, ConversionEnding::TooLarge);
        QVERIFY(master.pos() <= DataFiles::rawListMaxBytes + 1024 * 1024);
    }

    // Where a byte-order mark says UTF-8 or UTF-16, the list is read so on
    // any system.
    void byteOrderMarkSelectsTheEncoding()
    {
        TestDataFolder folder;
        writeRealLists(folder);
        QTextCodec *utf16 = QTextCodec::codecForName("UTF-16LE");
        folder.write(DataFiles::genericNameList,
                     "\xFF\xFE" + utf16->fromUnicode(
                                      QString::fromUtf8(sampleFile(DataFiles::genericNameList))));
        QCOMPARE(Run(folder).outcome.ending, ConversionEnding::Completed);
        QCOMPARE(folder.read(DataFiles::displayList), sampleFile(DataFiles::displayList));
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
        folder.write(DataFiles::exceptionList, "\xEF\xBB\xBF,G1ZZZ,,,,1234G1000EEE\r\n");
        const Run run(folder);
        QVERIFY(!run.outcome.productLines->first().startsWith(QChar(0xFEFF)));
        QCOMPARE(run.outcome.exceptionCodes, std::optional<int>(1));
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
