#pragma once

#include "data/listrecord.h"
#include "data/problem.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QFile;
class QSaveFile;
class QTextCodec;

// The folder of the data files and all of its rules: where each file is,
// whether one is there, how a file is opened for reading (only a regular
// file, and never waiting on one), which workbooks the folder holds, and
// how the display list is replaced. Its text files are read and written in
// one encoding: the system's, unless a caller gives another.
class DataFolder
{
public:
    explicit DataFolder(const QString &path, QTextCodec *codec = nullptr);

    // The program's folder: standardPath(RAVO_DIR), in the system's encoding.
    static DataFolder standard();
    // `override` when it is not empty, otherwise c:\ravo\ on Windows and
    // ~/ravo/ elsewhere.
    static QString standardPath(const QString &override);

    QString path() const { return folder; }
    QString filePath(const QString &fileName) const;
    QTextCodec *codec() const { return textCodec; }

    // Whether anything stands at the file's place, a broken link too.
    bool holds(const QString &fileName) const;

    // Opens `file` for reading at `fileName` in the folder, only when that
    // is a regular file (symbolic links followed); a named pipe without a
    // writer is refused, not waited for. (A file opened so may not keep its
    // name: ask the folder for its path.)
    std::optional<Problem> open(const QString &fileName, QFile &file) const;

    // The workbooks (*.xlsx), by file name. Hidden and system files and the
    // owner file that Excel keeps beside a workbook it has open
    // ("~$name.xlsx") are passed over: none of them is a list.
    QStringList workbookNames() const;

private:
    QString folder;
    QTextCodec *textCodec;
};

// A new display list, written beside the old one and put in its place only
// once complete, so that a run that ends early leaves the old list byte for
// byte. Only a regular file is ever replaced, and never one that another
// program holds open.
class DisplayListReplacement
{
public:
    explicit DisplayListReplacement(const DataFolder &folder);
    ~DisplayListReplacement();

    // Opens the new file; a problem when the old list cannot be replaced.
    std::optional<Problem> begin();

    // Writes the lines, each ended by "\n", in the folder's encoding, and
    // puts the file in the old one's place, with `record` (its line count
    // set here) beside it. Where a line cannot be written in that encoding,
    // the list is written in UTF-8 with a byte-order mark.
    std::optional<Problem> commit(const QStringList &lines, ListRecord record = {});

    // The encoding the list could not be written in, where it went in UTF-8
    // instead; empty otherwise.
    QString notEncodableIn() const { return notEncodable; }

private:
    QByteArray encoded(const QStringList &lines);

    const DataFolder &folder;
    std::unique_ptr<QSaveFile> file;
    QString notEncodable;
};
