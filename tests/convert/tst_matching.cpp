#include "convert/matching.h"
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

QStringList run(const QStringList &products, const QStringList &generics)
{
    QStringList out;
    matchBrandsToGenerics(products, generics, [&out](const QString &line) { out << line; });
    return out;
}

// Random product and generic-name lists over a small alphabet, so that
// repeats, stops of every kind, duplicate and empty keys all occur.
QString pick(QRandomGenerator &random, const QStringList &choices)
{
    return choices.at(random.bounded(choices.size()));
}

QString randomProduct(QRandomGenerator &random)
{
    const QStringList groups{"G1", "G2", "", "G"};
    const QString group = pick(random, groups);
    QStringList fields{"内用薬",
                       pick(random, {"", "1", "123", "1234", "G1000", "G2000", "G1001", "9999"}),
                       group,
                       "",
                       "",
                       pick(random, {"x", "", "xG1x", "G2", "G"}),
                       "",
                       "B" + QString::number(random.bounded(1000)),
                       "",
                       "",
                       pick(random, {sen, jun, kou, ""}),
                       pick(random, {"1", "1", "0", ""}),
                       pick(random, {"S1", "S2", ""})};
    if (random.bounded(10) == 0)
        fields = fields.mid(0, random.bounded(14)); // a short or empty record
    return fields.join(',');
}

QString randomGeneric(QRandomGenerator &random)
{
    QStringList fields{"内用薬",
                       pick(random, {"", "1", "123", "1234", "G1ZZZ", "G2ZZZ", "G1999"}),
                       "N" + QString::number(random.bounded(1000)),
                       "",
                       "",
                       "",
                       ""};
    if (random.bounded(10) == 0)
        fields = fields.mid(0, random.bounded(8));
    return fields.join(',');
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

        const QStringList gen{generic("G1ZZZ", "g1"), generic("G3ZZZ", "g3"),
                              generic("G5ZZZ", "g5"), generic("P3ZZZ", "p3")};

        QTest::newRow("worked walk")
            << QStringList{"header",
                           product("Alpha", "G1", "1", sen, "S1", false, "A1000"),
                           product("Alpha2", "G1", "1", sen, "S1", false),
                           product("Generic3", "G1", "0", "other", "S2", true, "P3000"),
                           product("Beta", "G2", "0", sen, "S3", false),
                           product("Gamma", "G3", "1", jun, "S4", false),
                           product("Delta", "G4", "0", "other", "S5", false)}
            << gen << QStringList{"Alpha,p3", "Beta,後発なし", "Gamma,g3"};
        QTest::newRow("header only") << QStringList{"header"} << gen << QStringList{};
        QTest::newRow("empty product list") << QStringList{} << gen << QStringList{};
        QTest::newRow("originator without generics needs no lookup")
            << QStringList{"h", product("Solo", "G1", "0", sen, "S", false)} << QStringList{}
            << QStringList{"Solo,後発なし"};
        QTest::newRow("foreign stop on another group: own code, next record examined")
            << QStringList{"h", product("A", "G1", "1", sen, "S", false),
                           product("B", "G2", "0", sen, "S", false)}
            << gen << QStringList{"A,g1", "B,後発なし"};
        QTest::newRow("repeat record is skipped and becomes the lookup record")
            << QStringList{"h", product("R1", "G1", "1", sen, "S", false, "X1000"),
                           product("R2", "G1", "1", sen, "S", false, "G5000"),
                           product("Other", "G2", "0", "", "S", false)}
            << gen << QStringList{"R1,g5"};
        QTest::newRow("match stop: lookup record is the matching record, walk goes on after")
            << QStringList{"h", product("A", "G1", "1", sen, "S", false, "X1000"),
                           product("M", "G1", "0", kou, "T", true, "P3000"),
                           product("After", "G2", "0", sen, "S", false)}
            << gen << QStringList{"A,p3", "After,後発なし"};
        QTest::newRow("flagged with another secondary key: foreign stop, second handled too")
            << QStringList{"h", product("A", "G1", "1", sen, "S1", false),
                           product("A2", "G1", "1", sen, "S2", false, "G3000")}
            << gen << QStringList{"A,g1", "A2,g3"};
        QTest::newRow("same-group originator: foreign stop, then its own line")
            << QStringList{"h", product("A", "G1", "1", sen, "S1", false),
                           product("O", "G1", "0", sen, "S2", false)}
            << gen << QStringList{"A,g1", "O,後発なし"};
        QTest::newRow("end of list in own group: last line looked up, records revisited")
            << QStringList{"h", product("A", "G1", "1", sen, "S1", false),
                           product("N1", "G1", "0", jun, "S2", false),
                           product("N2", "G1", "0", kou, "S3", false, "G3000")}
            << gen << QStringList{"A,g3"};
        QTest::newRow("end of list, last line of another kind: walk ends")
            << QStringList{"h", product("A", "G1", "1", sen, "S1", false),
                           product("N1", "G1", "0", kou, "S2", false),
                           product("Z", "G2", "0", kou, "S3", false)}
            << gen << QStringList{"A,g1"};
        QTest::newRow("flagged last line uses its own code")
            << QStringList{"h", product("L", "G5", "1", sen, "S", false)} << gen
            << QStringList{"L,g5"};
        QTest::newRow("duplicate keys: the first record wins")
            << QStringList{"h", product("D", "G1", "1", sen, "S", false)}
            << QStringList{generic("G1ZZZ", "first"), generic("G1YYY", "second")}
            << QStringList{"D,first"};
        QTest::newRow("empty field 2 never matches an empty key")
            << QStringList{"h", product("E", "G1", "1", sen, "S", false, "12")}
            << QStringList{generic("", "nothing"), generic("9", "short")} << QStringList{"E,short"};
        QTest::newRow("short codes: empty key only from codes of 1 to 3 characters")
            << QStringList{"h", product("E", "G1", "1", sen, "S", false, "123")}
            << QStringList{generic("", "nothing")} << QStringList{"E,一般名なし"};
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
        QTest::newRow("empty group key is contained in any text: match stop")
            << QStringList{"h", product("A", "", "1", sen, "S1", false, "X1000"),
                           product("M", "", "0", kou, "S2", false, "G3000")}
            << gen << QStringList{"A,g3"};
        QTest::newRow("records shorter than 13 fields read missing fields as empty")
            << QStringList{"h",
                           "",
                           "a,b",
                           "x,G1000,G1,,,,,Short,,,先発品,1",
                           ",,,,,,,,,,,,",
                           "x,G3000,G3,,,,,Tail,,,先発品"}
            << gen << QStringList{"Short,g1", "Tail,後発なし"};
        QTest::newRow("generic lines of any shape")
            << QStringList{"h", product("A", "G1", "1", sen, "S", false)}
            << QStringList{"", "x", "x,G1", "x,,y,,,,", "x,G1ZZZ"} << QStringList{"A,"};
    }

    void matching()
    {
        QFETCH(QStringList, products);
        QFETCH(QStringList, generics);
        QFETCH(QStringList, expected);
        QCOMPARE(run(products, generics), expected);
        QCOMPARE(literalMatching(products, generics), expected);
    }

    void linesReachTheSinkOneByOne()
    {
        const QStringList products{"h", product("A", "G1", "0", sen, "S", false),
                                   product("B", "G2", "0", sen, "S", false)};
        int calls = 0;
        matchBrandsToGenerics(products, {}, [&calls](const QString &line) {
            QCOMPARE(line.count(','), 1);
            ++calls;
        });
        QCOMPARE(calls, 2);
    }

    void agreesWithTheLiteralScanOnRandomLists()
    {
        QRandomGenerator random(20261209);
        for (int round = 0; round < 3000; ++round) {
            QStringList products{"header"};
            QStringList generics;
            const int productCount = random.bounded(12);
            for (int i = 0; i < productCount; ++i)
                products << randomProduct(random);
            const int genericCount = random.bounded(8);
            for (int i = 0; i < genericCount; ++i)
                generics << randomGeneric(random);
            const QStringList expected = literalMatching(products, generics);
            QVERIFY2(run(products, generics) == expected,
                     qPrintable(QString("round %1\nproducts:\n%2\ngenerics:\n%3")
                                    .arg(round)
                                    .arg(products.join('\n'), generics.join('\n'))));
        }
    }
};

QTEST_GUILESS_MAIN(TestMatching)
#include "tst_matching.moc"
