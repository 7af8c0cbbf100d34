#pragma once

#include "data/datafolder.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

class QTextCodec;

// Shapes a file's place can take that no list should, made by the file
// system: what the program must refuse without waiting or crashing.
enum class FileShape {
    Missing,      // nothing there
    NamedPipe,    // a FIFO without a writer
    Directory,    // a folder
    LinkLoop,     // a symbolic link to itself
    DanglingLink, // a symbolic link to nothing
    ReadError,    // a regular file whose first read fails
    Sparse,       // a huge file of zero bytes after a head, taking no disk space
};

// A fresh data folder for one test, in a temporary directory; its text is
// UTF-8 unless the test gives another codec.
class TestDataFolder
{
public:
    bool isValid() const { return dir.isValid(); }
    DataFolder dataFolder(QTextCodec *codec = nullptr) const;
    QString path(const QString &fileName) const;
    void write(const QString &fileName, const QByteArray &bytes) const;
    QByteArray read(const QString &fileName) const;
    void remove(const QString &fileName) const;
    // Files in the folder, so a test sees that no temporary file is left.
    QStringList files() const;

    // Puts `shape` in the place of `fileName`; a sparse file reads as `head`
    // and then zero bytes up to `sparseBytes`. Returns why this platform
    // cannot make the shape, for the test to skip with; nothing when made.
    std::optional<QString> put(const QString &fileName, FileShape shape,
                               const QByteArray &head = {}, qint64 sparseBytes = 0) const;

    // The real excerpts of the three lists of 2025-08-14, as the demo data
    // holds them (UTF-8).
    void writeRealLists(bool withExceptions = true) const;
    // The four published workbooks of 2025-08-14.
    void writePublishedWorkbooks() const;

private:
    QTemporaryDir dir;
};

// Shift_JIS as Japanese Windows writes it (CP932): the system's codec
// there, Qt's Shift_JIS elsewhere.
QTextCodec *shiftJis();

// A product list's first line with ten commas: it passes the check.
extern const QByteArray productHeaderLine;

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
