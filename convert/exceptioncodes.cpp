#include "convert/exceptioncodes.h"

#include "data/csvrecords.h"

namespace
{
// Cells of an exception-sheet record, numbered from 1.
constexpr int genericCodeCell = 2;
constexpr int productCodeCell = 6;
constexpr int fullProductCodeChars = 12;

bool isFullProductCode(QStringView text)
{
    if (text.size() != fullProductCodeChars)
        return false;
    for (const QChar c : text)
        if (c.unicode() > 0x7f || !c.isLetterOrNumber())
            return false;
    return true;
}
} // namespace

ExceptionCodes exceptionCodesFrom(const QStringList &records)
{
    ExceptionCodes codes;
    QString groupCode;
    for (const QString &record : records) {
        QString storage;
        QStringView productCode;
        Csv::forEachCell(record, [&](int number, QStringView raw) {
            if (number == genericCodeCell) {
                const QStringView code = Csv::cellView(raw, storage);
                if (!code.isEmpty())
                    groupCode = code.toString();
            } else if (number == productCodeCell) {
                productCode = Csv::cellView(raw, storage);
            }
            return number < productCodeCell;
        });
        if (groupCode.isEmpty() || !isFullProductCode(productCode))
            continue;
        const QString product = productCode.toString();
        if (!codes.contains(product))
            codes.insert(product, groupCode);
    }
    return codes;
}
