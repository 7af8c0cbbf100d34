#include "convert/matching.h"
#include "support/literalmatching.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

// Input layout: product lines, a NUL byte, generic-name lines; lines end at
// "\n". Without a NUL every line is a product line.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const int split = bytes.indexOf('\0');
    const QString products = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString generics = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));
    const QStringList productLines = products.split(QLatin1Char('\n'));
    const QStringList genericLines =
        generics.isEmpty() ? QStringList() : generics.split(QLatin1Char('\n'));

    QStringList fast;
    matchBrandsToGenerics(productLines, genericLines,
                          [&fast](const QString &line) { fast << line; });
    if (fast != literalMatching(productLines, genericLines))
        std::abort();
    return 0;
}
