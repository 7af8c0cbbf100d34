#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Text rules shared by the product list and the display list: a line is
// split at every comma, keeping empty parts, with no quoting; fields are
// numbered from 1.

// Calls visit(number, field) for each field of `line` in order, numbered
// from 1, until visit returns false. Fields are views into `line`.
template <typename Visit> void forEachField(QStringView line, Visit visit)
{
    int number = 1;
    qsizetype start = 0;
    for (;;) {
        const qsizetype comma = line.indexOf(QLatin1Char(','), start);
        const qsizetype end = comma < 0 ? line.size() : comma;
        if (!visit(number, line.mid(start, end - start)) || comma < 0)
            return;
        ++number;
        start = comma + 1;
    }
}

// Picks fields `numbers` (1-based, ascending) out of `line` in one pass
// into *out[i]; a field the line does not have reads as empty.
template <int Count>
void pickFields(QStringView line, const int (&numbers)[Count], QStringView *const (&out)[Count])
{
    int wanted = 0;
    forEachField(line, [&](int number, QStringView field) {
        if (number == numbers[wanted])
            *out[wanted++] = field;
        return wanted < Count;
    });
}

// A code without its last three characters; empty for three or fewer.
QStringView lookupKey(QStringView code);
