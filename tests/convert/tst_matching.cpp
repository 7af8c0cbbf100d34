#include "convert/exceptioncodes.h"
#include "convert/matching.h"
#include "data/csvrecords.h"
#include "data/datafiles.h"
#include "data/rawlists.h"
#include "support/literalmatching.h"

#include <QRandomGenerator>
#include <QtTest>

namespace
{
const QString sen = QStringLiteral("先発品");
const QString jun = QStringLiteral("準先発品");
const QString kou = QStringLiteral("後発品");

// A product record of 13 fields; only the fields the matching reads vary.
QString product(const QString &brand, const QString &group, const QString &flag,
                const QString &category, const QString &secondary, bool containsGroup,
                const QString &code = QString())
{
    const QString codeField = code.isNull() ? group + "000" : code;
    const QString matchText = containsGroup ? "x" + group + "x" : QString("x");
    return QStringList{"内用薬", codeField, group, "",       "",   matchText, "",
                       brand,    "maker",   "",    category, flag, secondary}
        .join(',');
}

QString generic(const QString &code, const QString &name)
{
    return QStringList{"内用薬", code, name, "成分", "規格", "1", ""}.join(',');
}

// Real records of the price list (2025-08-14): nitrazepam, code order.
const QString benzalin5 =
    "内用薬,1124003F2222,ニトラゼパム,５ｍｇ１錠,,,,ベンザリン錠５,共和薬品工業,,"
    "準先発品,1,7.8,,";
const QString nelbon5 = "内用薬,1124003F2230,ニトラゼパム,５ｍｇ１錠,,,,ネルボン錠５ｍｇ,"
                        "アルフレッサファーマ,,準先発品,1,7.1,R8.3.31まで,";
const QString nitrazepam10 =
    "内用薬,1124003F3016,ニトラゼパム,１０ｍｇ１錠,,,,ニトラゼパム１０ｍｇ錠,,後発品,,,5.9,,";
const QString nelbon10 = "内用薬,1124003F3083,ニトラゼパム,１０ｍｇ１錠,,,,ネルボン錠１０ｍｇ,"
                         "アルフレッサファーマ,,準先発品,1,12.4,R8.3.31まで,";
const QString benzalin10 = "内用薬,1124003F3121,ニトラゼパム,１０ｍｇ１錠,,,,ベンザリン錠１０,"
                           "共和薬品工業,,準先発品,1,12.4,,";
const QString header = "区分,薬価基準収載医薬品コード,成分名,規格,日本薬局方,麻薬,業者名追記,品名,"
                       "メーカー名,加算,先発医薬品,後発あり,薬価,期限,備考";
const QStringList nitrazepamNames{
    "内用薬,1124003F2ZZZ,【般】ニトラゼパム錠５ｍｇ,ニトラゼパム,５ｍｇ１錠,\"加算1,2\",,5.7,",
    "内用薬,1124003F3ZZZ,【般】ニトラゼパム錠１０ｍｇ,ニトラゼパム,１０ｍｇ１錠,\"加算1,2\",,5.9,"};

QString withFlag(QString line, const QString &flag)
{
    QStringList fields = line.split(',');
    fields[11] = flag;
    return fields.join(',');
}

// Both the fast path and the literal reference, from lines of the three
// lists; a null exception list stands for no such file.
QStringList fast(const QStringList &products, const QStringList &generics,
                 const QStringList &exceptions = QStringList())
{
    const QStringList records = genericNameRecords(
        Csv::readRecords(generics.join('\n'), 30000, DataFiles::maxCellChars).records);
    const ExceptionCodes codes = exceptionCodesFrom(
        Csv::readRecords(exceptions.join('\n'), 30000, DataFiles::maxCellChars).records);
    return matchBrandsToGenerics(products, records, codes).lines;
}

QStringList literal(const QStringList &products, const QStringList &generics,
                    const QStringList &exceptions = QStringList())
{
    return literalMatching(products, generics.join('\n'),
                           exceptions.isEmpty() ? QString() : exceptions.join('\n'));
}

// Whether both give each line the same brand record, whose 経過措置 the
// display list's record keeps.
bool sameBrandRecords(const QStringList &products, const QStringList &generics,
                      const QStringList &exceptions = QStringList())
{
    QVector<int> literalPositions;
    literalMatching(products, generics.join('\n'),
                    exceptions.isEmpty() ? QString() : exceptions.join('\n'), &literalPositions);
    const QStringList records = genericNameRecords(
        Csv::readRecords(generics.join('\n'), 30000, DataFiles::maxCellChars).records);
    const ExceptionCodes codes = exceptionCodesFrom(
        Csv::readRecords(exceptions.join('\n'), 30000, DataFiles::maxCellChars).records);
    return matchBrandsToGenerics(products, records, codes).brandPositions == literalPositions;
}

// Random lists over a small alphabet, so that repeats, stops of every kind,
// duplicate and empty keys, quotes and exception codes all occur.
QString pick(QRandomGenerator &random, const QStringList &choices)
{
    return choices.at(random.bounded(choices.size()));
}

QString randomProduct(QRandomGenerator &random)
{
    QStringList fields{"内用薬",
                       pick(random, {"", "1", "123", "1234", "G1000", "G2000", "G1001",
                                     "1139004G2063", "1139004G2012"}),
                       pick(random, {"G1", "G2", "", "G"}),
                       "",
                       "",
                       pick(random, {"x", "", "xG1x", "G2", "G"}),
                       "",
                       pick(random, {"B1", "B2", "B3"}),
                       "",
                       "",
                       pick(random, {sen, jun, kou, ""}),
                       pick(random, {"1", "○", "0", ""}),
                       pick(random, {"S1", "S2", ""})};
    if (random.bounded(10) == 0)
        fields = fields.mid(0, random.bounded(14)); // a short or empty record
    return fields.join(',');
}

QString randomCell(QRandomGenerator &random, const QStringList &choices)
{
    return pick(random, choices + QStringList{"\"", "\"\"", "\"a,b\"", "\"x\ny\"", "a\"b"});
}

QString randomGeneric(QRandomGenerator &random)
{
    QStringList cells{
        "内用薬",
        randomCell(random, {"", "1", "123", "1234", "G1ZZZ", "G2ZZZ", "G1999", "1139004GAZZZ"}),
        randomCell(random, {"N1", "N2", "N,3"}),
        "",
        randomCell(random, {"", "s"}),
        "",
        ""};
    if (random.bounded(8) == 0)
        cells = cells.mid(0, random.bounded(8));
    return cells.join(',');
}

QString randomException(QRandomGenerator &random)
{
    QStringList cells{
        "",
        randomCell(random, {"", "", "1139004GAZZZ", "G2ZZZ", "G1"}),
        "",
        "",
        "",
        randomCell(random, {"1139004G2063", "1139004G2012", "G1000", "G2000", "1139004G206"}),
        "name"};
    if (random.bounded(8) == 0)
        cells = cells.mid(0, random.bounded(8));
    return cells.join(',');
}
} // namespace

class TestMatching : public QObject
{
    Q_OBJECT

private slots:
    void matching_data()
    {
        QTest::addColumn<QStringList>("products");
        QTest::addColumn<QStringList>("generics");
        QTest::addColumn<QStringList>("expected");

        const QStringList gen{generic("A1ZZZ", "a1"), generic("G1ZZZ", "g1"),
                              generic("G3ZZZ", "g3"), generic("G5ZZZ", "g5"),
                              generic("P3ZZZ", "p3")};

        QTest::newRow("worked walk: each brand gets its own code's name")
            << QStringList{"header",
                           product("Alpha", "G1", "1", sen, "S1", false, "A1000"),
                           product("Alpha2", "G1", "1", sen, "S1", false),
                           product("Generic3", "G1", "0", "other", "S2", true, "P3000"),
                           product("Beta", "G2", "0", sen, "S3", false),
                           product("Gamma", "G3", "1", jun, "S4", false),
                           product("Delta", "G4", "0", "other", "S5", false)}
            << gen << QStringList{"Alpha,a1", "Alpha2,g1", "Beta,後発なし", "Gamma,g3"};
        QTest::newRow("header only") << QStringList{"header"} << gen << QStringList{};
        QTest::newRow("empty product list") << QStringList{} << gen << QStringList{};

        // The mends, on real records.
        QTest::newRow("brand before a generic of the next strength: own strength wins")
            << QStringList{header, nelbon5, nitrazepam10, nelbon10} << nitrazepamNames
            << QStringList{"ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ",
                           "ネルボン錠１０ｍｇ,【般】ニトラゼパム錠１０ｍｇ"};
        QTest::newRow("two brands of one ingredient at one price: two lines")
            << QStringList{header, nelbon10, benzalin10} << nitrazepamNames
            << QStringList{"ネルボン錠１０ｍｇ,【般】ニトラゼパム錠１０ｍｇ",
                           "ベンザリン錠１０,【般】ニトラゼパム錠１０ｍｇ"};
        QTest::newRow("the same brand twice at one price: one line")
            << QStringList{header, nelbon10, nelbon10, benzalin5} << nitrazepamNames
            << QStringList{"ネルボン錠１０ｍｇ,【般】ニトラゼパム錠１０ｍｇ",
                           "ベンザリン錠５,【般】ニトラゼパム錠５ｍｇ"};
        QTest::newRow("the published flag ○ counts like 1")
            << QStringList{header, withFlag(benzalin5, "○"), withFlag(nelbon5, "1")}
            << nitrazepamNames
            << QStringList{"ベンザリン錠５,【般】ニトラゼパム錠５ｍｇ",
                           "ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ"};
        QTest::newRow("other marks are no flag")
            << QStringList{header, withFlag(benzalin5, "◯"), withFlag(nelbon5, "○ ")}
            << nitrazepamNames << QStringList{};
        QTest::newRow("own key missing: no name rather than the neighbour's")
            << QStringList{header, nelbon5, nitrazepam10} << QStringList(nitrazepamNames.mid(1))
            << QStringList{"ネルボン錠５ｍｇ,一般名なし"};

        QTest::newRow("originator without generics and without a master record")
            << QStringList{"h", product("Solo", "G1", "0", sen, "S", false)} << QStringList{}
            << QStringList{"Solo,後発なし"};
        // Real records of 2025-08-14: originators without generics whose
        // generic name the master still gives (here only the 1 mg one's).
        QTest::newRow("originator without generics, master has its name")
            << QStringList{header,
                           "内用薬,1179026F2027,チミペロン,１ｍｇ１錠,,,,トロペロン錠１ｍｇ,"
                           "アルフレッサファーマ,,先発品,,8.9,,",
                           "内用薬,1179026F3023,チミペロン,３ｍｇ１錠,,,,トロペロン錠３ｍｇ,"
                           "アルフレッサファーマ,,先発品,,24.5,,"}
            << QStringList{"内用薬,1179026F2ZZZ,【般】チミペロン錠１ｍｇ,チミペロン,１ｍｇ１錠,"
                           "\"加算1,2\",,6.1,"}
            << QStringList{"トロペロン錠１ｍｇ,【般】チミペロン錠１ｍｇ",
                           "トロペロン錠３ｍｇ,後発なし"};
        QTest::newRow("foreign stop on another group: next record examined")
            << QStringList{"h", product("A", "G1", "1", sen, "S", false),
                           product("B", "G2", "0", sen, "S", false)}
            << gen << QStringList{"A,g1", "B,後発なし"};
        QTest::newRow("repeat record is skipped")
            << QStringList{"h", product("R", "G1", "1", sen, "S", false, "G1000"),
                           product("R", "G1", "1", sen, "S", false, "G5000"),
                           product("Other", "G2", "0", "", "S", false)}
            << gen << QStringList{"R,g1"};
        QTest::newRow("match stop: the walk goes on after the matching record")
            << QStringList{"h", product("A", "G1", "1", sen, "S", false, "G1000"),
                           product("M", "G1", "0", kou, "T", true, "P3000"),
                           product("After", "G2", "0", sen, "S", false)}
            << gen << QStringList{"A,g1", "After,後発なし"};
        QTest::newRow("flagged with another secondary key: foreign stop, second handled too")
            << QStringList{"h", product("A", "G1", "1", sen, "S1", false),
                           product("A", "G1", "1", sen, "S2", false, "G3000")}
            << gen << QStringList{"A,g1", "A,g3"};
        QTest::newRow("same-group originator: foreign stop, then its own line")
            << QStringList{"h", product("A", "G1", "1", sen, "S1", false),
                           product("O", "G1", "0", sen, "S2", false, "N1000")}
            << gen << QStringList{"A,g1", "O,後発なし"};
        QTest::newRow("end of list in own group: the records after the brand come again")
            << QStringList{"h", product("A", "G1", "1", sen, "S1", false),
                           product("A", "G1", "1", sen, "S1", false),
                           product("N1", "G1", "0", jun, "S2", false),
                           product("N2", "G1", "0", kou, "S3", false)}
            << gen << QStringList{"A,g1", "A,g1"};
        QTest::newRow("end of list on a repeat: the walk ends there")
            << QStringList{"h", product("A", "G1", "1", sen, "S1", false),
                           product("N1", "G1", "0", kou, "S2", false),
                           product("A", "G1", "1", sen, "S1", false)}
            << gen << QStringList{"A,g1"};
        QTest::newRow("flagged last line")
            << QStringList{"h", product("L", "G5", "1", sen, "S", false)} << gen
            << QStringList{"L,g5"};
        QTest::newRow("duplicate keys: the first record wins")
            << QStringList{"h", product("D", "G1", "1", sen, "S", false)}
            << QStringList{generic("G1ZZZ", "first"), generic("G1YYY", "second")}
            << QStringList{"D,first"};
        QTest::newRow("empty field 2 never matches an empty key")
            << QStringList{"h", product("E", "G1", "1", sen, "S", false, "12")}
            << QStringList{generic("", "nothing"), generic("9", "short")} << QStringList{"E,short"};
        QTest::newRow("no generic found")
            << QStringList{"h", product("F", "G9", "1", sen, "S", false)} << gen
            << QStringList{"F,一般名なし"};
        QTest::newRow("quasi-originator flagged like an originator, unflagged silent")
            << QStringList{"h", product("Q1", "G3", "1", jun, "S", false),
                           product("Q2", "G4", "0", jun, "S", false)}
            << gen << QStringList{"Q1,g3"};
        QTest::newRow("other category passed over after a foreign stop")
            << QStringList{"h", product("A", "G1", "1", sen, "S", false),
                           product("X", "G2", "0", kou, "S", false),
                           product("Y", "G2", "", "", "S", false)}
            << gen << QStringList{"A,g1"};
        QTest::newRow("records shorter than 13 fields read missing fields as empty")
            << QStringList{"h",
                           "",
                           "a,b",
                           "x,G1000,G1,,,,,Short,,,先発品,1",
                           ",,,,,,,,,,,,",
                           "x,G3000,G3,,,,,Tail,,,先発品"}
            << gen << QStringList{"Short,g1", "Tail,g3"};
        QTest::newRow("generic lines of fewer than seven cells are no records")
            << QStringList{"h", product("A", "G1", "1", sen, "S", false)}
            << QStringList{"", "x", "x,G1ZZZ,short", "x,,y,,,,", "x,G1ZZZ,,,,,"}
            << QStringList{"A,"};
        QTest::newRow("quoted cells around the code and the name")
            << QStringList{"h", product("A", "G1", "1", sen, "S", false),
                           product("B", "G2", "1", sen, "S", false)}
            << QStringList{"\"内用薬\",G1ZZZ,g1,,,,", "\"外用薬\",\"G2ZZZ\",\"g\"\"2\",,,,"}
            << QStringList{"A,g1", "B,g\"2"};
        QTest::newRow("a name with a comma or line break is not shown cut")
            << QStringList{"h", product("A", "G1", "1", sen, "S", false),
                           product("B", "G2", "1", sen, "S", false)}
            << QStringList{generic("G1ZZZ", "\"x,y\""), generic("G2ZZZ", "\"x\ny\"")}
            << QStringList{"A,一般名なし", "B,一般名なし"};
    }

    void matching()
    {
        QFETCH(QStringList, products);
        QFETCH(QStringList, generics);
        QFETCH(QStringList, expected);
        QCOMPARE(fast(products, generics), expected);
        QCOMPARE(literal(products, generics), expected);
        QVERIFY(sameBrandRecords(products, generics));
    }

    void exceptionCodes_data()
    {
        QTest::addColumn<QStringList>("exceptions");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("expected");

        const QString title = "一般名処方マスタ（例外コード表）,,,,,,,,,,,,,,,,";
        const QString date = ",,,,,,,,,,,,,,,,令和7年8月14日適用";
        const QString head = "区分,一般名コード,一般名処方の標準的な記載,成分名,規格,"
                             "薬価基準収載医薬品コード,品名,,,,メーカー名,,先発医薬品,,薬価,,";
        const QString group = "内用薬,1139004GAZZZ,【般】バルプロ酸Ｎａ徐放錠２００ｍｇ,"
                              "バルプロ酸ナトリウム,２００ｍｇ１錠,1139004G2012,,,,"
                              "バルプロ酸ナトリウム２００ｍｇ徐放錠,,後発品,,,10.4,,";
        const QString member = ",,,,,1139004G2063,局,,,デパケンＲ錠２００ｍｇ,日医工岐阜工場,,"
                               "先発品,○,11.3,,";

        QTest::newRow("no exception list: own key, no name") << QStringList() << "1"
                                                             << "デパケンＲ錠２００ｍｇ,一般名なし";
        QTest::newRow("group row with its members: the group's code")
            << QStringList{title, date, head, group, member} << "1"
            << "デパケンＲ錠２００ｍｇ,【般】バルプロ酸Ｎａ徐放錠２００ｍｇ";
        QTest::newRow("title and header rows map nothing")
            << QStringList{title, date, head, member} << "1"
            << "デパケンＲ錠２００ｍｇ,一般名なし";
        QTest::newRow("first mapping wins")
            << QStringList{group, member, "内用薬,1139004GBZZZ,,,,1139004G2063,,,,,"} << "1"
            << "デパケンＲ錠２００ｍｇ,【般】バルプロ酸Ｎａ徐放錠２００ｍｇ";
        QTest::newRow("mapping to a code with no record: no name, not the own key's")
            << QStringList{"内用薬,1139004GCZZZ,,,,1139004G2063"} << "1"
            << "デパケンＲ錠２００ｍｇ,一般名なし";
        QTest::newRow("mapping beats the own key")
            << QStringList{"内用薬,1124003F2ZZZ,,,,1139004G2063"} << "1"
            << "デパケンＲ錠２００ｍｇ,【般】ニトラゼパム錠５ｍｇ";
        QTest::newRow("product code must be 12 ASCII letters or digits")
            << QStringList{"内用薬,1124003F2ZZZ,,,,1139004G206", "x,1124003F2ZZZ,,,,１139004G2063"}
            << "1"
            << "デパケンＲ錠２００ｍｇ,一般名なし";
        QTest::newRow("originator without generics: mapped through the sheet")
            << QStringList{title, date, head, group, member} << ""
            << "デパケンＲ錠２００ｍｇ,【般】バルプロ酸Ｎａ徐放錠２００ｍｇ";
        QTest::newRow("originator without generics: mapping beats the own key")
            << QStringList{"内用薬,1124003F2ZZZ,,,,1139004G2063"} << ""
            << "デパケンＲ錠２００ｍｇ,【般】ニトラゼパム錠５ｍｇ";
        QTest::newRow("originator without generics, not mapped: no generic product")
            << QStringList{title, date, head} << ""
            << "デパケンＲ錠２００ｍｇ,後発なし";
        QTest::newRow("quoted cells, as a spreadsheet writes them")
            << QStringList{"\"内用薬\",\"1139004GAZZZ\",\"【般】バルプロ酸\nＮａ\",,,"
                           "\"1139004G2063\""}
            << "1"
            << "デパケンＲ錠２００ｍｇ,【般】バルプロ酸Ｎａ徐放錠２００ｍｇ";
    }

    void exceptionCodes()
    {
        QFETCH(QStringList, exceptions);
        QFETCH(QString, flag);
        QFETCH(QString, expected);
        const QStringList products{
            header,
            "内用薬,1139004G2063,バルプロ酸ナトリウム,２００ｍｇ１錠,局,,,デパケンＲ錠２００"
            "ｍｇ,日医工岐阜工場,,先発品," +
                flag + ",11.3,,"};
        const QStringList generics{
            "内用薬,1139004GAZZZ,【般】バルプロ酸Ｎａ徐放錠２００ｍｇ,バルプロ酸ナトリウム,"
            "２００ｍｇ１錠,加算1,例外コード,10.4,",
            nitrazepamNames.first()};
        QCOMPARE(fast(products, generics, exceptions), QStringList{expected});
        QCOMPARE(literal(products, generics, exceptions), QStringList{expected});
    }

    void exceptionCodesCountsProductCodes()
    {
        const QStringList records =
            Csv::readRecords(QStringLiteral("x,G1ZZZ,,,,AAAABBBBCCC1\n,,,,,AAAABBBBCCC2\n,,,,,"
                                            "AAAABBBBCCC1\nx,G2ZZZ,,,,bad\n"),
                             30000, DataFiles::maxCellChars)
                .records;
        const ExceptionCodes codes = exceptionCodesFrom(records);
        QCOMPARE(codes.size(), 2);
        QCOMPARE(codes.value("AAAABBBBCCC2"), QString("G1ZZZ"));
    }

    // One brand flagged all the way down, then one unflagged record of its
    // group: the walk comes back after every record, so a plain walk scans
    // to the end from each of them.
    void revisitingRunGivesTheLiteralLines()
    {
        QStringList products{"h"};
        for (int i = 0; i < 400; ++i)
            products << product("Same", "G1", "1", sen, "S", false);
        products << product("Last", "G1", "0", kou, "T", false);
        const QStringList expected = literal(products, {generic("G1ZZZ", "g1")});
        QCOMPARE(expected.size(), 400);
        QCOMPARE(fast(products, {generic("G1ZZZ", "g1")}), expected);
    }

    void agreesWithTheLiteralReferenceOnRandomLists()
    {
        QRandomGenerator random(20261210);
        for (int round = 0; round < 3000; ++round) {
            QStringList products{"header"}, generics, exceptions;
            for (int i = random.bounded(12); i > 0; --i)
                products << randomProduct(random);
            for (int i = random.bounded(8); i > 0; --i)
                generics << randomGeneric(random);
            for (int i = random.bounded(5); i > 0; --i)
                exceptions << randomException(random);
            const QStringList expected = literal(products, generics, exceptions);
            QVERIFY2(fast(products, generics, exceptions) == expected,
                     qPrintable(QString("round %1\nproducts:\n%2\ngenerics:\n%3\nexceptions:\n%4")
                                    .arg(round)
                                    .arg(products.join('\n'), generics.join('\n'),
                                         exceptions.join('\n'))));
            QVERIFY2(sameBrandRecords(products, generics, exceptions),
                     qPrintable(QString("round %1").arg(round)));
        }
    }
};

QTEST_GUILESS_MAIN(TestMatching)
#include "tst_matching.moc"
