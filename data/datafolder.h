#pragma once

#include <QString>

// The folder that holds the three data files: RAVO_DIR when it is set and not
// empty, otherwise c:\ravo\ on Windows and ~/ravo/ elsewhere.
QString dataFolder();

// Full path of one of the data files, e.g. dataFilePath(DataFiles::displayList).
QString dataFilePath(const QString &fileName);
