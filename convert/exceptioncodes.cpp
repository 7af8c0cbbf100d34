#include "convert/exceptioncodes.h"

#include "data/csvrecords.h"

namespace
{
bool isFullProductCode(QStringView text)
{
    if (text.size() != 12)
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
            if (number == 2) {
                const QStringView code = Csv::cellView(raw, storage);
                if (!code.isEmpty())
                    groupCode = code.toString();
            } else if (number == 6) {
                productCode = Csv::cellView(raw, storage);
            }
            return number < 6;
        });
        if (groupCode.isEmpty() || !isFullProductCode(productCode))
            continue;
        const QString product = productCode.toString();
        if (!codes.contains(product))
            codes.insert(product, groupCode);
    }
    return codes;
}
