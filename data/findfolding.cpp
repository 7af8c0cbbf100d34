#include "data/findfolding.h"

namespace
{
constexpr char16_t firstHiragana = u'\u3041';      // ぁ
constexpr char16_t lastHiragana = u'\u3096';       // ゖ
constexpr char16_t firstIterationMark = u'\u309D'; // ゝ, ゞ
constexpr char16_t lastIterationMark = u'\u309E';
constexpr char16_t katakanaOffset = u'\u30A1' - u'\u3041';

bool isPlainAscii(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}
} // namespace

QString foldForFind(QStringView text)
{
    QString folded = text.toString();
    // Most names hold full-width or kana text; plain ASCII needs only case.
    if (!isPlainAscii(text))
        folded = folded.normalized(QString::NormalizationForm_KC);
    for (QChar &c : folded) {
        const char16_t u = c.unicode();
        if ((u >= firstHiragana && u <= lastHiragana) ||
            (u >= firstIterationMark && u <= lastIterationMark))
            c = QChar(char16_t(u + katakanaOffset));
    }
    return folded.toCaseFolded();
}
