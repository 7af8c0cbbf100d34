#include "data/textdecoding.h"

#include <QTextCodec>
#include <QtTest>

namespace
{
QByteArray encoded(const char *codec, const QString &text)
{
    QTextCodec::ConverterState noMark(QTextCodec::IgnoreHeader);
    return QTextCodec::codecForName(codec)->fromUnicode(text.constData(), text.size(), &noMark);
}

const QString names = QStringLiteral("ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ\n");
} // namespace

class TestTextDecoding : public QObject
{
    Q_OBJECT

private slots:
    // Bytes are text in an encoding when the text, encoded again, gives
    // them back; a codec that drops what it cannot map is caught too.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("codec");
        QTest::addColumn<bool>("endsCut");
        QTest::addColumn<QString>("refusedAs"); // empty: read as text

        const QByteArray utf8 = encoded("UTF-8", names), sjis = encoded("Shift_JIS", names);
        QTest::newRow("UTF-8 read as UTF-8") << utf8 << QByteArray("UTF-8") << false << "";
        QTest::newRow("Shift_JIS read as Shift_JIS")
            << sjis << QByteArray("Shift_JIS") << false << "";
        QTest::newRow("Shift_JIS read as UTF-8") << sjis << QByteArray("UTF-8") << false << "UTF-8";
        QTest::newRow("UTF-8 read as Shift_JIS")
            << utf8 << QByteArray("Shift_JIS") << false << "Shift_JIS (CP932)";
        QTest::newRow("a mark says UTF-16, whatever the codec")
            << QByteArray("\xFF\xFE") + encoded("UTF-16LE", names) << QByteArray("Shift_JIS")
            << false << "";
        QTest::newRow("a mark says UTF-8, but the text is not")
            << QByteArray("\xEF\xBB\xBF") + sjis << QByteArray("Shift_JIS") << false << "UTF-8";
        QTest::newRow("a character cut in two at a bound")
            << utf8.left(utf8.indexOf("\xE9\x8C\xA0") + 2) << QByteArray("UTF-8") << true << "";
        QTest::newRow("a character cut in two at the file's end")
            << utf8.left(utf8.indexOf("\xE9\x8C\xA0") + 2) << QByteArray("UTF-8") << false
            << "UTF-8";
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, codec);
        QFETCH(bool, endsCut);
        QFETCH(QString, refusedAs);
        const DecodedText decoded = decodeText(bytes, QTextCodec::codecForName(codec), endsCut);
        QCOMPARE(decoded.problem ? decoded.problem->encoding : QString(), refusedAs);
        if (!decoded.problem && !endsCut)
            QCOMPARE(decoded.text, names);
    }
};

QTEST_GUILESS_MAIN(TestTextDecoding)
#include "tst_textdecoding.moc"
