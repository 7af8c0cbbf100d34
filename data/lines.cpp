#include "data/lines.h"

QStringView lookupKey(QStringView code)
{
    return code.size() > 3 ? code.chopped(3) : QStringView();
}
