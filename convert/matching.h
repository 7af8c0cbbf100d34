#pragma once

#include <QStringList>

#include <functional>

// Receives each display-list line ("brand,generic") as soon as it is made.
using LineSink = std::function<void(const QString &line)>;

// Walks the product list (header at position 0) in file order, picks the
// brand records and hands one display-list line per brand to `sink`, in
// order. Generic names come from the generic-name records, matched on the
// lookup key of their code; the first record with a key wins. Pure logic:
// no files, no widgets.
void matchBrandsToGenerics(const QStringList &productLines, const QStringList &genericLines,
                           const LineSink &sink);
