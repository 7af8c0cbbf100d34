#pragma once

#include "convert/conversion.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh data folder for one test: RAVO_DIR points at it while it lives.
class TestDataFolder
{
public:
    TestDataFolder();
    ~TestDataFolder();

    bool isValid() const { return dir.isValid(); }
    QString path(const QString &fileName) const;
    ConversionPaths paths() const;
    void write(const QString &fileName, const QByteArray &bytes) const;
    QByteArray read(const QString &fileName) const;
    void remove(const QString &fileName) const;
    // Files in the folder, so a test sees that no temporary file is left.
    QStringList files() const;

    // Hostile shapes in a file's place. A sparse file takes no disk space
    // and reads as `bytes` zero bytes after `head`.
    void makeFifo(const QString &fileName) const;
    void makeSparse(const QString &fileName, qint64 bytes, const QByteArray &head = {}) const;
    void makeLink(const QString &fileName, const QString &target) const;
    void makeDirectory(const QString &fileName) const;

private:
    QTemporaryDir dir;
};

// Joins lines with "\n" after each, as UTF-8.
QByteArray linesToBytes(const QStringList &lines);

// `count` display-list lines "brand<100000+i>,generic<i>", in that order.
QByteArray numberedDisplayLines(int count, const char *lineEnd = "\n");

// A file of the demo data in sample/, or of tests/fixtures/.
QByteArray sampleFile(const QString &name);
QByteArray fixtureFile(const QString &name);

// Full path of one of the published workbooks of 2025-08-14 in sample/.
QString publishedWorkbookPath(const QString &name);

// The price list of 2025-08-14 as one senkou.csv: the CSV exports of its
// three workbooks joined in file order under the first one's header.
QByteArray joinedPublishedPriceList();
