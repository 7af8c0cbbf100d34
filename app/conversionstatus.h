#pragma once

#include <QString>

struct ConversionOutcome;

// What the status bar says after a run of "変換": on completion the lines
// written, where each list came from and of which date, and what to watch
// for; otherwise which file, why, and that the list is unchanged.
QString conversionStatus(const ConversionOutcome &outcome);
