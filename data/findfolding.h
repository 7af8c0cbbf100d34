#pragma once

#include <QString>
#include <QStringView>

// Text as the find compares it, so that what a user types finds a name
// however either is written: Unicode compatibility and width forms folded
// (NFKC: ﾊﾟｷｼﾙ reads パキシル, ５ｍｇ reads 5mg), hiragana made katakana
// (ぱきしる reads パキシル), Latin letters without case.
QString foldForFind(QStringView text);
