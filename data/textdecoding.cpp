#include "data/textdecoding.h"

#include <QTextCodec>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace
{
constexpr int utf8Mib = 106;
constexpr int shiftJisMib = 17;
constexpr int windows31JMib = 2024; // Shift_JIS as Windows extends it, CP932
// The most bytes a character cut at the end of cut bytes can leave.
constexpr int longestCharacterBytes = 4;
// Text is encoded again in pieces, so the check costs no second copy.
constexpr int checkedChars = 1 << 20;

// The length of the byte-order mark `codec` was chosen for, or 0.
int byteOrderMarkLength(const QByteArray &bytes, QTextCodec *codec)
{
    const int mib = codec->mibEnum();
    if (mib == utf8Mib)
        return bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const bool utf32 = mib == 1017 || mib == 1018 || mib == 1019;
    const bool utf16 = mib == 1015 || mib == 1013 || mib == 1014;
    if (utf32 && (bytes.startsWith(QByteArray("\xFF\xFE\0\0", 4)) ||
                  bytes.startsWith(QByteArray("\0\0\xFE\xFF", 4))))
        return 4;
    if (utf16 && (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")))
        return 2;
    return 0;
}

// Where `text`, encoded again, first differs from `bytes` (bytes.size()
// where it gives more); -1 when it gives them back exactly.
qsizetype firstDifference(const QString &text, const QByteArray &bytes, QTextCodec *codec)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    qsizetype at = 0;
    for (qsizetype from = 0; from < text.size();) {
        qsizetype count = qMin<qsizetype>(checkedChars, text.size() - from);
        if (from + count < text.size() && text.at(from + count - 1).isHighSurrogate())
            --count; // a pair is encoded whole
        const QByteArray piece = codec->fromUnicode(text.constData() + from, int(count), &state);
        for (qsizetype i = 0; i < piece.size(); ++i, ++at)
            if (at >= bytes.size() || piece.at(i) != bytes.at(at))
                return at;
        from += count;
    }
    return at == bytes.size() ? -1 : at;
}
} // namespace

DecodedText decodeText(const QByteArray &bytes, QTextCodec *codec, bool endsCut)
{
    QTextCodec *used = QTextCodec::codecForUtfText(bytes, codec);
    const int bom = byteOrderMarkLength(bytes, used);
    DecodedText decoded;
    // The mark is passed over here, so that the codec takes every further
    // character as text, as it gives it back.
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    decoded.text = used->toUnicode(bytes.constData() + bom, bytes.size() - bom, &state);
    const QByteArray body = QByteArray::fromRawData(bytes.constData() + bom, bytes.size() - bom);
    const qsizetype differs = firstDifference(decoded.text, body, used);
    const bool cutCharacter = endsCut && differs >= body.size() - longestCharacterBytes;
    if (differs >= 0 && !cutCharacter) {
        Problem problem(Problem::WrongEncoding);
        problem.encoding = encodingName(used);
        decoded.problem = problem;
    }
    return decoded;
}

QString encodingName(QTextCodec *codec)
{
    int mib = codec->mibEnum();
#ifdef Q_OS_WIN
    // The system's codec on Windows is the ANSI code page, named "System".
    if (codec == QTextCodec::codecForLocale() && mib == 0) {
        const UINT page = GetACP();
        if (page == 932)
            mib = windows31JMib;
        else if (page == CP_UTF8)
            mib = utf8Mib;
        else
            return QStringLiteral("CP%1").arg(page);
    }
#endif
    if (mib == utf8Mib)
        return QStringLiteral("UTF-8");
    if (mib == shiftJisMib || mib == windows31JMib)
        return QStringLiteral("Shift_JIS (CP932)");
    return QString::fromLatin1(codec->name());
}
