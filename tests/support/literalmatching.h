#pragma once

#include <QStringList>

// The brand-to-generic matching written as plainly as its rules read: every
// line split at every visit, every lookup a first-match scan of the whole
// generic-name list. The reference that the fast matching is checked against.
QStringList literalMatching(const QStringList &productLines, const QStringList &genericLines);
