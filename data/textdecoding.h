#pragma once

#include "data/problem.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QTextCodec;

struct DecodedText {
    QString text;
    // WrongEncoding, naming the encoding, when the bytes are not text in it.
    std::optional<Problem> problem;
};

// The text of a raw list: a byte-order mark selects UTF-8, UTF-16 or
// UTF-32, anything else is read in `codec`. The bytes are text in that
// encoding when the text, encoded again, gives them back: a check every
// codec answers, also one that drops what it cannot map instead of writing
// U+FFFD. `endsCut` says that the bytes were cut at a bound, so that a
// character cut in two at their very end is no fault.
DecodedText decodeText(const QByteArray &bytes, QTextCodec *codec, bool endsCut = false);

// An encoding's name as users know it: "UTF-8", "Shift_JIS (CP932)".
QString encodingName(QTextCodec *codec);
