#pragma once

#include <QString>
#include <QStringList>

// Text rules shared by every data file: a line is split at every comma,
// keeping empty parts, with no quoting; fields are numbered from 1.

QStringList splitLine(const QString &line);

// Field `number` (1-based) of a split line; a field the line does not have
// reads as empty text, so short lines never index past the split result.
QString fieldAt(const QStringList &fields, int number);

// A code without its last three characters; empty for three or fewer.
QString lookupKey(const QString &code);
