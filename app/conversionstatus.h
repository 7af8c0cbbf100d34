#pragma once

#include <QString>

struct ConversionOutcome;
struct Problem;

// What the status bar says after a run of "変換": on completion the lines
// written, where each list came from and of which date, and what to watch
// for; otherwise which file, why, and that the list is unchanged.
QString conversionStatus(const ConversionOutcome &outcome);

// The sentence for a run that ended early: what went wrong, with which
// file, and that the list is unchanged.
QString problemText(const Problem &problem);
