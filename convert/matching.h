#pragma once

#include "convert/exceptioncodes.h"

#include <QStringList>

#include <functional>

// Receives each display-list line ("brand,generic") as soon as it is made.
using LineSink = std::function<void(const QString &line)>;

// Walks the product list (header at position 0) in file order, picks the
// brand records and hands one display-list line per brand to `sink`, in
// order. A flagged brand gets the generic name of its own code: the
// generic-name record whose code has the lookup key of the brand's code,
// or of the code the exception sheet maps the brand's code to; the first
// record with a key wins. Generic-name records are read by the CSV cell
// rules, product lines by the plain line rules. Pure logic: no files, no
// widgets.
void matchBrandsToGenerics(const QStringList &productLines, const QStringList &genericRecords,
                           const ExceptionCodes &exceptionCodes, const LineSink &sink);
