#include "data/findfolding.h"

#include <QtTest>

class TestFindFolding : public QObject
{
    Q_OBJECT

private slots:
    // Texts in one row fold alike, so either finds the other.
    void foldsAlike_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("katakana stays") << "パキシル"
                                        << "パキシル";
        QTest::newRow("hiragana becomes katakana") << "ぱきしる"
                                                   << "パキシル";
        QTest::newRow("half-width kana, voiced marks joined") << "ﾊﾟｷｼﾙ"
                                                              << "パキシル";
        QTest::newRow("full-width Latin, no case") << "ＰＡＸ"
                                                   << "pax";
        QTest::newRow("ASCII without case") << "PaX"
                                            << "pax";
        QTest::newRow("full-width digits and units") << "５ｍｇ"
                                                     << "5mg";
        QTest::newRow("ASCII digits and units") << "5mg"
                                                << "5mg";
        QTest::newRow("prolonged sound mark stays") << "ルーラン"
                                                    << "ルーラン";
        QTest::newRow("half-width prolonged sound mark") << "ﾙｰﾗﾝ"
                                                         << "ルーラン";
        QTest::newRow("hiragana vu becomes katakana vu") << "ゔ"
                                                         << "ヴ";
        QTest::newRow("katakana vu stays") << "ヴ"
                                           << "ヴ";
        QTest::newRow("small kana keep their size") << "ぁァ"
                                                    << "ァァ";
        QTest::newRow("kanji and brackets stay") << "【般】塩酸"
                                                 << "【般】塩酸";
        QTest::newRow("empty") << ""
                               << "";
    }

    void foldsAlike()
    {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(foldForFind(text), folded);
    }
};

QTEST_GUILESS_MAIN(TestFindFolding)
#include "tst_findfolding.moc"
