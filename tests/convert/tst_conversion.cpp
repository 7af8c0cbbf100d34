#include "convert/conversion.h"
#include "data/datafiles.h"
#include "data/displaylist.h"
#include "data/listrecord.h"
#include "data/rawlists.h"
#include "data/textdecoding.h"
#include "support/packages.h"
#include "support/testdatafolder.h"

#include <QProcess>
#include <QTextCodec>
#include <QtTest>
#include <cstring>

namespace
{
const QByteArray oldList = "ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ\n";

// A product record of 13 fields with the generics flag set.
QByteArray flaggedRecord(const QByteArray &brand, const QByteArray &code)
{
    return "内用薬," + code + ",G,,,,," + brand + ",,,先発品,1,S\n";
}

// A run whose check messages are recorded instead of shown.
struct Run {
    explicit Run(const DataFolder &folder)
        : outcome(runConversion(
              folder,
              [this](int position, int commas) {
                  messages << QString("%1,=%2").arg(position).arg(commas);
              },
              &read))
    {
    }
    explicit Run(const TestDataFolder &folder) : Run(folder.dataFolder()) {}

    QStringList messages;
    ReadLines read;
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

// The price list's header row as a sheet's first row.
QByteArray priceListHeaderRow()
{
    const QByteArray csv = fixtureFile("published-csv/tp20250814-01_01.csv");
    return inlineRow(QString::fromUtf8(csv.left(csv.indexOf('\n'))).split(','));
}

// What a test puts in a list's place: a shape of the file system, or
// content no list has.
enum class Shape {
    Missing,
    NamedPipe,
    Directory,
    LinkLoop,
    DanglingLink,
    ReadError,
    Sparse,
    ShiftJis,
    OverlongName,
    Empty,
    ByteOrderMarkOnly,
    HeaderOnly,
    ShortRecords,
    CrOnlyLineEnds,
    Garbage,
    ExceptionSheet,
    Swapped,
    UnclosedQuote,
    ShortLinesFirst,
};

std::optional<FileShape> fileShape(Shape shape)
{
    switch (shape) {
    case Shape::Missing:
        return FileShape::Missing;
    case Shape::NamedPipe:
        return FileShape::NamedPipe;
    case Shape::Directory:
        return FileShape::Directory;
    case Shape::LinkLoop:
        return FileShape::LinkLoop;
    case Shape::DanglingLink:
        return FileShape::DanglingLink;
    case Shape::ReadError:
        return FileShape::ReadError;
    case Shape::Sparse:
        return FileShape::Sparse;
    default:
        return std::nullopt;
    }
}

QByteArray binaryGarbage()
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 7919) % 256);
    return garbage;
}

// The content of a list that `shape` puts in its place, where it is made of
// the real list `real`.
QByteArray contentOf(Shape shape, const QByteArray &real)
{
    switch (shape) {
    case Shape::ShiftJis:
        return shiftJis()->fromUnicode(QString::fromUtf8(real));
    case Shape::OverlongName:
        return QByteArray(real)
            .replace("【般】", QByteArray(40000, 'x'))
            .replace("ネルボン", QByteArray(40000, 'x'));
    case Shape::ByteOrderMarkOnly:
        return "\xEF\xBB\xBF";
    case Shape::HeaderOnly:
        return real.left(real.indexOf('\n') + 1);
    case Shape::ShortRecords:
        return productHeaderLine +
               "内用薬,1124003F2230,ニトラゼパム,５ｍｇ１錠,,,,ネルボン錠５ｍｇ,"
               "アルフレッサ\n";
    case Shape::CrOnlyLineEnds:
        return QByteArray(real).replace("\r\n", "\r");
    case Shape::Garbage:
        return binaryGarbage();
    case Shape::UnclosedQuote:
        return "内用薬,\"1124003F2ZZZ,【般】ニトラゼパム錠５ｍｇ,,,,,,\n";
    case Shape::ShortLinesFirst:
        return QByteArray("ignored,1124003F2ZZZ\n").repeated(30000) + real;
    default:
        return QByteArray(); // Empty
    }
}

// Puts `shape` in the place of `name`; why the platform cannot, or nothing.
std::optional<QString> putShape(const TestDataFolder &folder, const QString &name, Shape shape)
{
    const QByteArray real = name == DataFiles::displayList ? oldList : sampleFile(name);
    if (const std::optional<FileShape> made = fileShape(shape))
        return folder.put(name, *made, real.left(real.indexOf('\n') + 1), 2500LL * 1024 * 1024);
    if (shape == Shape::ExceptionSheet) {
        folder.write(name, sampleFile(DataFiles::exceptionList));
        folder.remove(DataFiles::exceptionList);
    } else if (shape == Shape::Swapped) {
        folder.write(DataFiles::genericNameList, sampleFile(DataFiles::exceptionList));
        folder.write(DataFiles::exceptionList, sampleFile(DataFiles::genericNameList));
    } else {
        folder.write(name, contentOf(shape, real));
    }
    return std::nullopt;
}

QString displayLineFor(const QByteArray &list, const QString &brand)
{
    for (const QString &line : linesOf(list))
        if (line.startsWith(brand + ","))
            return line.mid(brand.size() + 1);
    return QString();
}
} // namespace

Q_DECLARE_METATYPE(Problem::Kind)
Q_DECLARE_METATYPE(Shape)

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    void checkMessage_data()
    {
        QTest::addColumn<QByteArray>("products");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("empty list") << QByteArray() << QStringList{"0,=0"};
        QTest::newRow("header only") << productHeaderLine << QStringList{"1,=0"};
        QTest::newRow("first line 9 commas")
            << QByteArray("h,1,2,3,4,5,6,7,8,9\n") + flaggedRecord("X", "1234")
            << QStringList{"0,=9"};
        QTest::newRow("both lines short") << QByteArray("a,b\nc\n") << QStringList{"0,=1", "1,=0"};
        QTest::newRow("ten commas: no message")
            << productHeaderLine + flaggedRecord("X", "1234") << QStringList{};
        QTest::newRow("third line is not checked")
            << productHeaderLine + flaggedRecord("X", "1234") + "a,b,c\n"
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
        QVERIFY(run.read.productLines);
        QCOMPARE(run.read.productLines->size(), products.count('\n'));
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
        folder.writeRealLists();
        QVERIFY(Run(folder).outcome.completed());
        QCOMPARE(displayLineFor(folder.read(DataFiles::displayList), brand), withExceptions);

        folder.remove(DataFiles::exceptionList);
        QVERIFY(Run(folder).outcome.completed());
        QCOMPARE(displayLineFor(folder.read(DataFiles::displayList), brand), withoutExceptions);
    }

    // The demo's display list is what the program makes of the real
    // excerpts; without the exception sheet exactly the eight brands it maps
    // lose their names.
    void realListsGiveTheExpectedDisplayList()
    {
        TestDataFolder folder;
        folder.writeRealLists();
        folder.write(DataFiles::displayList, oldList);
        const Run with(folder);
        QVERIFY(with.outcome.completed());
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
        QCOMPARE(folder.files(),
                 (QStringList{"iporg.csv", "ippan-record.txt", "ippan.csv", "senkou.csv"}));
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
        QVERIFY(run.outcome.completed());
        QCOMPARE(run.outcome.exceptionCodes, std::optional<int>(80));
        const QByteArray list = folder.read(DataFiles::displayList);
        QCOMPARE(list, fixtureFile("ippan-20250814.csv"));
    }

    // The four workbooks as they are published, alone in the folder, give
    // byte for byte what their sheets saved as CSV give.
    void publishedWorkbooksGiveTheSameListAsTheirCsvExports()
    {
        TestDataFolder folder;
        folder.writePublishedWorkbooks();
        folder.write(DataFiles::displayList, oldList);
        const Run run(folder);
        QVERIFY(run.outcome.completed());
        QCOMPARE(run.messages, QStringList());
        const QByteArray list = folder.read(DataFiles::displayList);
        QCOMPARE(list, fixtureFile("ippan-20250814.csv"));
        QCOMPARE(run.outcome.exceptionCodes, std::optional<int>(80));
        QCOMPARE(run.read.productLines->size(), 12418); // the header and 12417 products
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

    // The record of the run, beside the list: when it ran, its sources, the
    // master's date and the 経過措置 of the 75 brands whose listing ends on
    // 2026-03-31. A run that keeps the old list keeps the old record.
    void recordOfTheRun()
    {
        TestDataFolder folder;
        folder.writePublishedWorkbooks();
        const QDateTime now(QDate(2026, 12, 11), QTime(9, 30), Qt::OffsetFromUTC, 9 * 3600);
        ReadLines read;
        QVERIFY(runConversion(
                    folder.dataFolder(), [](int, int) {}, &read, now)
                    .completed());
        const QByteArray list = folder.read(DataFiles::displayList);
        QCOMPARE(list, fixtureFile("ippan-20250814.csv"));
        const QByteArray recordText = folder.read(DataFiles::listRecord);
        const std::optional<ListRecord> record = parseListRecord(recordText, list);
        QVERIFY(record);
        QCOMPARE(record->converted, now);
        QCOMPARE(record->lines, 4243);
        QCOMPARE(record->priceListSources,
                 (QStringList{"tp20250814-01_01.xlsx", "tp20250814-01_02.xlsx",
                              "tp20250814-01_03.xlsx"}));
        QCOMPARE(record->masterSources, QStringList{"ippanmeishohoumaster_250814.xlsx"});
        QCOMPARE(record->masterDate, QString("令和7年8月14日適用"));
        QCOMPARE(record->transitionalUntil.size(), 75);
        for (const QDate &until : record->transitionalUntil)
            QCOMPARE(until, QDate(2026, 3, 31));
        const QStringList lines = linesOf(list);
        const int nerubon = int(lines.indexOf(QRegularExpression("^ネルボン錠５ｍｇ,.*"))) + 1;
        QCOMPARE(record->transitionalUntil.value(nerubon), QDate(2026, 3, 31));

        folder.remove("ippanmeishohoumaster_250814.xlsx");
        QVERIFY(!Run(folder).outcome.completed());
        QCOMPARE(folder.read(DataFiles::listRecord), recordText);
        QCOMPARE(folder.read(DataFiles::displayList), list);

        folder.writeRealLists();
        QVERIFY(Run(folder).outcome.completed());
        const std::optional<ListRecord> fromCsv = parseListRecord(
            folder.read(DataFiles::listRecord), folder.read(DataFiles::displayList));
        QVERIFY(fromCsv);
        QCOMPARE(fromCsv->priceListSources, QStringList{"senkou.csv"});
        QCOMPARE(fromCsv->masterSources, (QStringList{"iporg.csv", "reigai.csv"}));
        QCOMPARE(fromCsv->masterDate, QString("令和7年8月14日適用"));
    }

    // Each list comes from one source: its CSV file where there is one, else
    // the workbooks; with all three CSV files there no workbook is opened.
    void eachListFromOneSource()
    {
        TestDataFolder folder;
        folder.writePublishedWorkbooks();
        folder.write(DataFiles::productList, joinedPublishedPriceList());
        Run csvProducts(folder);
        QVERIFY(csvProducts.outcome.completed());
        QCOMPARE(folder.read(DataFiles::displayList), fixtureFile("ippan-20250814.csv"));
        QCOMPARE(csvProducts.outcome.sources.priceListWorkbooks, QStringList());
        QCOMPARE(csvProducts.outcome.sources.masterWorkbook,
                 QString("ippanmeishohoumaster_250814.xlsx"));
        QCOMPARE(csvProducts.outcome.sources.passedOver,
                 (QStringList{"tp20250814-01_01.xlsx", "tp20250814-01_02.xlsx",
                              "tp20250814-01_03.xlsx"}));

        folder.writeRealLists();
        folder.write("broken.xlsx", "not a workbook"); // never opened
        Run allCsv(folder);
        QVERIFY(allCsv.outcome.completed());
        QCOMPARE(folder.read(DataFiles::displayList), sampleFile(DataFiles::displayList));
        QCOMPARE(allCsv.outcome.sources.passedOver.size(), 5);
    }

    // A folder whose workbooks cannot give a right list ends the run with the
    // workbook named, and keeps the old list byte for byte.
    void badOrAmbiguousWorkbooksKeepTheOldList_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<Problem::Kind>("kind");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("files"); // the workbooks an ambiguity names
        QTest::addColumn<QString>("cell");
        QTest::newRow("not a workbook")
            << "not a zip" << Problem::NotZip << "zz.xlsx" << QStringList() << "";
        QTest::newRow("truncated")
            << "truncated" << Problem::NotZip << "tp20250814-01_02.xlsx" << QStringList() << "";
        QTest::newRow("two masters")
            << "two masters" << Problem::AmbiguousWorkbooks << "zz-master.xlsx"
            << QStringList{"ippanmeishohoumaster_250814.xlsx", "zz-master.xlsx"} << "";
        QTest::newRow("two price lists of one kind")
            << "two 内用薬" << Problem::AmbiguousWorkbooks << "tp20250814-01_01b.xlsx"
            << QStringList{"tp20250814-01_01.xlsx", "tp20250814-01_01b.xlsx"} << "";
        QTest::newRow("no price list")
            << "no price list" << Problem::ListMissing << "senkou.csv" << QStringList() << "";
        QTest::newRow("no master")
            << "no master" << Problem::ListMissing << "iporg.csv" << QStringList() << "";
        QTest::newRow("a price list reaching the far corner")
            << "far corner" << Problem::SheetTooLarge << "tp20250814-01_04.xlsx" << QStringList()
            << "XFD1048576";
    }

    void badOrAmbiguousWorkbooksKeepTheOldList()
    {
        QFETCH(QString, shape);
        QFETCH(Problem::Kind, kind);
        QFETCH(QString, file);
        QFETCH(QStringList, files);
        QFETCH(QString, cell);
        TestDataFolder folder;
        folder.writePublishedWorkbooks();
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
        QVERIFY(run.outcome.problem);
        const Problem &problem = *run.outcome.problem;
        QCOMPARE(problem.kind, kind);
        QCOMPARE(problem.file, folder.path(file));
        QCOMPARE(problem.files, files);
        QCOMPARE(problem.cell, cell);
        if (kind == Problem::NotZip)
            QVERIFY(!problem.systemReason.isEmpty());
        QCOMPARE(folder.read(DataFiles::displayList), oldList);
        QCOMPARE(folder.files().filter(".ippan.csv"), QStringList());
    }

    // What is no workbook of the lists is passed over: the owner file Excel
    // keeps beside a workbook it has open (hidden on Windows, a few hundred
    // bytes, not a zip), and hidden files.
    void ownerAndHiddenFilesArePassedOver()
    {
        TestDataFolder folder;
        folder.writePublishedWorkbooks();
        QByteArray owner(165, ' ');
        owner.replace(0, 12, "\x0bpharmacist ");
        folder.write("~$tp20250814-01_01.xlsx", owner);
        folder.write("~$ippanmeishohoumaster_250814.xlsx", owner);
#ifdef Q_OS_UNIX
        folder.write(".tp20250814-01_02.xlsx", owner);
#endif
        const Run run(folder);
        QVERIFY(run.outcome.completed());
        QCOMPARE(folder.read(DataFiles::displayList), fixtureFile("ippan-20250814.csv"));
        QCOMPARE(run.outcome.sources.passedOver, QStringList());
    }

    // Every file shape in the data folder that cannot give a right list
    // ends the run, names the file and why, and keeps the old list byte for
    // byte, with no temporary file left.
    void hostileFileKeepsTheOldList_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Shape>("shape");
        QTest::addColumn<Problem::Kind>("kind");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QString>("encoding");

        const QString products = DataFiles::productList, master = DataFiles::genericNameList,
                      exceptions = DataFiles::exceptionList, display = DataFiles::displayList;
        const qint64 cell = DataFiles::maxCellChars;
        QTest::newRow("product list missing, no workbook")
            << products << Shape::Missing << Problem::ListMissing << 0LL << "";
        QTest::newRow("master missing, no workbook")
            << master << Shape::Missing << Problem::ListMissing << 0LL << "";
        for (const QString &name : {products, master, exceptions}) {
            const Problem::Kind overlong =
                name == products ? Problem::LineTooLong : Problem::CellTooLong;
            QTest::addRow("%s: named pipe", qPrintable(name))
                << name << Shape::NamedPipe << Problem::NotRegular << 0LL << "";
            QTest::addRow("%s: folder", qPrintable(name))
                << name << Shape::Directory << Problem::NotRegular << 0LL << "";
            QTest::addRow("%s: link loop", qPrintable(name))
                << name << Shape::LinkLoop << Problem::NotRegular << 0LL << "";
            QTest::addRow("%s: read error", qPrintable(name))
                << name << Shape::ReadError << Problem::ReadFailed << 0LL << "";
            QTest::addRow("%s: 2.5 GB sparse", qPrintable(name))
                << name << Shape::Sparse << overlong << cell << "";
            QTest::addRow("%s: Shift_JIS read as UTF-8", qPrintable(name))
                << name << Shape::ShiftJis << Problem::WrongEncoding << 0LL << "UTF-8";
        }
        QTest::newRow("display list: named pipe")
            << display << Shape::NamedPipe << Problem::NotRegular << 0LL << "";
        QTest::newRow("display list: folder")
            << display << Shape::Directory << Problem::NotRegular << 0LL << "";
        QTest::newRow("display list: dangling link")
            << display << Shape::DanglingLink << Problem::NotRegular << 0LL << "";

        QTest::newRow("product list: overlong brand name")
            << products << Shape::OverlongName << Problem::LineTooLong << cell << "";
        QTest::newRow("product list: empty")
            << products << Shape::Empty << Problem::NothingProduced << 0LL << "";
        QTest::newRow("product list: header only")
            << products << Shape::HeaderOnly << Problem::NothingProduced << 0LL << "";
        QTest::newRow("product list: records all shorter than 13 fields")
            << products << Shape::ShortRecords << Problem::NothingProduced << 0LL << "";
        QTest::newRow("product list: CR-only line ends, one long line")
            << products << Shape::CrOnlyLineEnds << Problem::LineTooLong << cell << "";
        QTest::newRow("product list: binary garbage")
            << products << Shape::Garbage << Problem::WrongEncoding << 0LL << "UTF-8";

        QTest::newRow("master: overlong generic name")
            << master << Shape::OverlongName << Problem::CellTooLong << cell << "";
        QTest::newRow("master: empty")
            << master << Shape::Empty << Problem::NoGenericNames << 0LL << "";
        QTest::newRow("master: the exception sheet in its place")
            << master << Shape::ExceptionSheet << Problem::NoGenericNames << 0LL << "";
        QTest::newRow("master: an unclosed quote leaves no record")
            << master << Shape::UnclosedQuote << Problem::NoGenericNames << 0LL << "";
        QTest::newRow("master: 30000 short lines before the records")
            << master << Shape::ShortLinesFirst << Problem::NoGenericNames << 0LL << "";
        QTest::newRow("master and exception sheet swapped")
            << exceptions << Shape::Swapped << Problem::NoExceptionCodes << 0LL << "";
        QTest::newRow("exception sheet: empty")
            << exceptions << Shape::Empty << Problem::NoExceptionCodes << 0LL << "";
        QTest::newRow("exception sheet: a byte-order mark alone")
            << exceptions << Shape::ByteOrderMarkOnly << Problem::NoExceptionCodes << 0LL << "";
    }

    void hostileFileKeepsTheOldList()
    {
        QFETCH(QString, file);
        QFETCH(Shape, shape);
        QFETCH(Problem::Kind, kind);
        QFETCH(qint64, limit);
        QFETCH(QString, encoding);

        TestDataFolder folder;
        folder.writeRealLists();
        folder.write(DataFiles::displayList, oldList);
        if (const std::optional<QString> unsupported = putShape(folder, file, shape))
            QSKIP(qPrintable(*unsupported));

        // A named pipe that blocked the run would hold it here until the
        // test's time-out.
        const Run run(folder);
        QVERIFY(run.outcome.problem);
        const Problem &problem = *run.outcome.problem;
        QCOMPARE(problem.kind, kind);
        QCOMPARE(problem.file,
                 folder.path(shape == Shape::Swapped ? DataFiles::exceptionList : file));
        QCOMPARE(problem.limit, limit);
        QCOMPARE(problem.encoding, encoding);
        // The system's words, in whatever language it speaks, where it gave any.
        if (kind == Problem::ReadFailed)
            QVERIFY(!problem.systemReason.isEmpty());
        QCOMPARE(run.outcome.linesWritten, 0);
        if (file != DataFiles::displayList)
            QCOMPARE(folder.read(DataFiles::displayList), oldList);
        QVERIFY(!folder.files().join(' ').contains(".ippan.csv")); // no temporary left
    }

    // A list in one encoding read as another is refused, however the codec
    // treats what it cannot map: encoded again, the text does not give the
    // bytes back.
    void textInAnotherEncodingIsRefused_data()
    {
        QTest::addColumn<QByteArray>("codec");   // the folder's encoding
        QTest::addColumn<QByteArray>("written"); // the lists' encoding
        QTest::addColumn<QString>("encoding");   // as the problem names it
        QTest::newRow("UTF-8 read as Shift_JIS")
            << QByteArray("Shift_JIS") << QByteArray("UTF-8") << "Shift_JIS (CP932)";
        QTest::newRow("Shift_JIS read as UTF-8")
            << QByteArray("UTF-8") << QByteArray("Shift_JIS") << "UTF-8";
    }

    void textInAnotherEncodingIsRefused()
    {
        QFETCH(QByteArray, codec);
        QFETCH(QByteArray, written);
        QFETCH(QString, encoding);
        const auto named = [](const QByteArray &name) {
            return name == "Shift_JIS" ? shiftJis() : QTextCodec::codecForName(name);
        };
        QTextCodec *folderCodec = named(codec);
        QTextCodec *writtenCodec = named(written);
        QVERIFY(folderCodec && writtenCodec);
        for (const QString &name :
             {DataFiles::productList, DataFiles::genericNameList, DataFiles::exceptionList}) {
            TestDataFolder folder;
            for (const QString &list :
                 {DataFiles::productList, DataFiles::genericNameList, DataFiles::exceptionList})
                folder.write(list, (list == name ? writtenCodec : folderCodec)
                                       ->fromUnicode(QString::fromUtf8(sampleFile(list))));
            const Run run(folder.dataFolder(folderCodec));
            QVERIFY2(run.outcome.problem, qPrintable(name));
            QCOMPARE(run.outcome.problem->kind, Problem::WrongEncoding);
            QCOMPARE(run.outcome.problem->file, folder.path(name));
            QCOMPARE(run.outcome.problem->encoding, encoding);
        }
    }

    // Japanese Windows: the lists as Excel saves "CSV (コンマ区切り)", in the
    // system's code page, give the display list in it; a list saved as
    // UTF-8 without a byte-order mark is refused and the list kept.
    void systemCodePageLists()
    {
        QTextCodec *system = QTextCodec::codecForLocale();
        if (encodingName(system) != "Shift_JIS (CP932)")
            QSKIP("the system's code page is not CP932, as on Japanese Windows");
        TestDataFolder folder;
        for (const QString &name :
             {DataFiles::productList, DataFiles::genericNameList, DataFiles::exceptionList})
            folder.write(name, system->fromUnicode(QString::fromUtf8(sampleFile(name))));
        const DataFolder systemFolder = folder.dataFolder(system);
        QVERIFY(Run(systemFolder).outcome.completed());
        const QByteArray written = folder.read(DataFiles::displayList);
        QCOMPARE(written,
                 system->fromUnicode(QString::fromUtf8(sampleFile(DataFiles::displayList))));

        folder.write(DataFiles::genericNameList, sampleFile(DataFiles::genericNameList));
        const Run utf8(systemFolder);
        QVERIFY(utf8.outcome.problem);
        QCOMPARE(utf8.outcome.problem->kind, Problem::WrongEncoding);
        QCOMPARE(utf8.outcome.problem->encoding, QString("Shift_JIS (CP932)"));
        QCOMPARE(folder.read(DataFiles::displayList), written);
    }

    // Windows: a list, a workbook or the display list that another program
    // holds open without sharing it, as Excel does, ends the run naming it,
    // and the list is kept.
    void fileHeldOpenKeepsTheList_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("product list") << DataFiles::productList;
        QTest::newRow("master") << DataFiles::genericNameList;
        QTest::newRow("a workbook") << "tp20250814-01_02.xlsx";
        QTest::newRow("display list") << DataFiles::displayList;
    }

    void fileHeldOpenKeepsTheList()
    {
#ifndef Q_OS_WIN
        QSKIP("only Windows lets a program hold a file open without sharing it");
#else
        QFETCH(QString, file);
        TestDataFolder folder;
        if (file.endsWith(".xlsx"))
            folder.writePublishedWorkbooks();
        else
            folder.writeRealLists();
        folder.write(DataFiles::displayList, oldList);
        QProcess holder;
        holder.start(QCoreApplication::applicationDirPath() + "/hold_open.exe",
                     {QDir::toNativeSeparators(folder.path(file))});
        QVERIFY2(holder.waitForReadyRead(30000), qPrintable(holder.errorString()));
        const Run run(folder);
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(30000));
        QVERIFY(run.outcome.problem);
        QCOMPARE(run.outcome.problem->kind, Problem::InUse);
        QCOMPARE(run.outcome.problem->file, folder.path(file));
        QCOMPARE(folder.read(DataFiles::displayList), oldList);
        QVERIFY(!folder.files().join(' ').contains(".ippan.csv"));
#endif
    }

    // A name the folder's encoding cannot hold is never written as "?": the
    // whole display list goes in UTF-8 with a byte-order mark, which the
    // start-up load reads back as it was.
    void unencodableNameWritesUtf8()
    {
        TestDataFolder folder;
        const QByteArray brand = "Brand\xF0\xA0\xAE\xB7"; // U+20BB7, which CP932 lacks
        folder.write(DataFiles::productList,
                     "\xEF\xBB\xBF" + productHeaderLine + flaggedRecord(brand, "G1000"));
        folder.write(DataFiles::genericNameList, "a,G1ZZZ,Generic,,,,\n");
        QTextCodec *sjis = shiftJis();
        const Run run(folder.dataFolder(sjis));
        QVERIFY(run.outcome.completed());
        QCOMPARE(run.outcome.writtenInUtf8Instead, QString("Shift_JIS (CP932)"));
        QCOMPARE(folder.read(DataFiles::displayList), "\xEF\xBB\xBF" + brand + ",Generic\n");
        const DisplayList shown = readDisplayList(folder.dataFolder(sjis));
        QCOMPARE(shown.rows.size(), 1);
        QCOMPARE(shown.rows.first().brand, QString::fromUtf8(brand));

        folder.write(DataFiles::productList,
                     "\xEF\xBB\xBF" + productHeaderLine + flaggedRecord("Brand", "G1000"));
        QCOMPARE(Run(folder.dataFolder(sjis)).outcome.writtenInUtf8Instead, QString());
        QCOMPARE(folder.read(DataFiles::displayList), QByteArray("Brand,Generic\n"));
    }

    // More bytes than any real list before the record limit: the lists are
    // made as they are read, so the test costs no disk and little time.
    void tooManyBytesBeforeTheRecordLimit()
    {
        const QByteArray line = "内用薬," + QByteArray(3000, 'x') + ",,,,,,,,,,,\n";
        QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
        QStringList read;
        GeneratedDevice products(line);
        const std::optional<Problem> productProblem = readProductList(
            products, utf8, [](int, int) {}, read);
        QVERIFY(productProblem);
        QCOMPARE(productProblem->kind, Problem::TooManyBytes);
        QCOMPARE(productProblem->limit, DataFiles::rawListMaxBytes);
        QVERIFY(products.pos() < DataFiles::rawListMaxBytes + 1024 * 1024);

        GeneratedDevice master(line);
        const std::optional<Problem> masterProblem = readMasterRecords(master, utf8, read);
        QVERIFY(masterProblem);
        QCOMPARE(masterProblem->kind, Problem::TooManyBytes);
        QVERIFY(master.pos() <= DataFiles::rawListMaxBytes + 1024 * 1024);
    }

    // Where a byte-order mark says UTF-8 or UTF-16, the list is read so
    // whatever the folder's encoding.
    void byteOrderMarkSelectsTheEncoding()
    {
        TestDataFolder folder;
        const struct {
            QString name;
            const char *codec;
            QByteArray mark;
        } lists[] = {{DataFiles::productList, "UTF-8", "\xEF\xBB\xBF"},
                     {DataFiles::genericNameList, "UTF-16LE", "\xFF\xFE"},
                     {DataFiles::exceptionList, "UTF-16BE", "\xFE\xFF"}};
        for (const auto &list : lists) {
            const QString text = QString::fromUtf8(sampleFile(list.name));
            QTextCodec::ConverterState noMark(QTextCodec::IgnoreHeader);
            folder.write(list.name,
                         list.mark + QTextCodec::codecForName(list.codec)
                                         ->fromUnicode(text.constData(), text.size(), &noMark));
        }
        QTextCodec *sjis = shiftJis();
        const Run run(folder.dataFolder(sjis));
        QVERIFY2(run.outcome.completed(),
                 run.outcome.problem ? qPrintable(run.outcome.problem->file) : "");
        QCOMPARE(sjis->toUnicode(folder.read(DataFiles::displayList)),
                 QString::fromUtf8(sampleFile(DataFiles::displayList)));
    }

    void missingFolderIsUnwritable()
    {
        TestDataFolder folder;
        folder.writeRealLists();
        const DataFolder missing(folder.path("no-such-folder"));
        const Run run(missing);
        QVERIFY(run.outcome.problem);
        QCOMPARE(run.outcome.problem->kind, Problem::Unwritable);
        QCOMPARE(run.outcome.problem->file, missing.filePath(DataFiles::displayList));
        QVERIFY(!run.outcome.problem->systemReason.isEmpty());
        QVERIFY(!run.read.productLines);
    }

    void limits()
    {
        TestDataFolder folder;
        QByteArray products = productHeaderLine;
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

        QCOMPARE(run.read.productLines->size(), 30000);
        QCOMPARE(run.read.genericRecords->size(), 1);
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
        QVERIFY(!run.read.productLines->first().startsWith(QChar(0xFEFF)));
        QCOMPARE(run.outcome.exceptionCodes, std::optional<int>(1));
        QCOMPARE(folder.read(DataFiles::displayList), QByteArray("Brand,Generic\n"));
    }

    void sameInputWritesTheSameListTwice()
    {
        TestDataFolder folder;
        folder.writeRealLists();
        Run first(folder);
        const QByteArray list = folder.read(DataFiles::displayList);
        Run second(folder);
        QCOMPARE(folder.read(DataFiles::displayList), list);
        QCOMPARE(second.outcome.linesWritten, first.outcome.linesWritten);
    }

    // Japanese Windows: the lists come in the system code page, in which
    // the display list is written too.
    void shiftJisListsRoundTrip()
    {
        QTextCodec *sjis = shiftJis();
        QVERIFY(sjis);
        TestDataFolder folder;
        for (const QString &name :
             {DataFiles::productList, DataFiles::genericNameList, DataFiles::exceptionList}) {
            const QString text = QString::fromUtf8(sampleFile(name));
            QVERIFY2(sjis->canEncode(text), qPrintable(name));
            folder.write(name, sjis->fromUnicode(text));
        }
        QVERIFY(Run(folder.dataFolder(sjis)).outcome.completed());

        const QByteArray written = folder.read(DataFiles::displayList);
        QCOMPARE(written, sjis->fromUnicode(QString::fromUtf8(sampleFile(DataFiles::displayList))));
        QCOMPARE(displayLineFor(sjis->toUnicode(written).toUtf8(),
                                "ナゾネックス点鼻液５０μｇ５６噴霧用"),
                 QString("【般】モメタゾン点鼻液５０μｇ５６噴霧用"));
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
