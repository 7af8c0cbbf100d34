#include "convert/conversion.h"
#include "convert/exceptioncodes.h"
#include "convert/matching.h"
#include "data/csvrecords.h"
#include "support/literalmatching.h"
#include "support/splitting.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

namespace
{
// The fast reader and the literal one must read the same records and cells.
void compareRecords(const QString &text)
{
    const QStringList fast = Csv::readRecords(text, 30000);
    const QVector<QStringList> literal = literalRecords(text);
    if (fast.size() != literal.size())
        std::abort();
    for (int i = 0; i < fast.size(); ++i)
        if (splitRecord(fast.at(i)) != literal.at(i))
            std::abort();
}
} // namespace

// Input layout: product lines, a NUL byte, the generic-name list's text, a
// NUL byte, the exception list's text. Product lines end at "\n". Without
// a second NUL there is no exception list; without a NUL every line is a
// product line.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QList<QByteArray> parts = bytes.split('\0');
    const QStringList productLines = QString::fromUtf8(parts.at(0)).split(QLatin1Char('\n'));
    const QString generics = parts.size() > 1 ? QString::fromUtf8(parts.at(1)) : QString("");
    const QString exceptions = parts.size() > 2 ? QString::fromUtf8(parts.at(2)) : QString();

    compareRecords(generics);
    if (!exceptions.isNull())
        compareRecords(exceptions);

    const QStringList fast =
        matchBrandsToGenerics(productLines, genericNameRecords(Csv::readRecords(generics, 30000)),
                              exceptionCodesFrom(Csv::readRecords(exceptions, 30000)));
    if (fast != literalMatching(productLines, generics, exceptions))
        std::abort();
    return 0;
}
