#include "convert/conversion.h"

#include "convert/exceptioncodes.h"
#include "convert/matching.h"
#include "data/csvrecords.h"
#include "data/datafiles.h"
#include "data/datafolder.h"
#include "data/regularfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextCodec>
#include <QTextStream>

namespace
{
constexpr int checkedProductLines = 2;
constexpr int fewestHeaderCommas = 10;
constexpr int fewestGenericRecordCells = 7;
constexpr qint64 readChunkBytes = 1024 * 1024;

QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

ConversionOutcome ended(ConversionOutcome outcome, ConversionEnding ending, const QString &path,
                        const QString &reason = QString())
{
    outcome.ending = ending;
    outcome.path = path;
    outcome.reason = reason;
    return outcome;
}

ListRead failed(ConversionEnding problem, const QString &reason)
{
    ListRead read;
    read.problem = problem;
    read.reason = reason;
    return read;
}

ListRead overlong(const char *what)
{
    return failed(ConversionEnding::TooLarge,
                  translated(what).arg(QLocale::c().toString(DataFiles::maxCellChars)));
}

ListRead tooManyBytes()
{
    return failed(ConversionEnding::TooLarge,
                  translated("%1 MB を超えます").arg(DataFiles::rawListMaxBytes / 1024 / 1024));
}

ListRead wrongEncoding()
{
    return failed(ConversionEnding::WrongEncoding,
                  translated("文字コード %1 で読めない文字があります")
                      .arg(QString::fromLatin1(QTextCodec::codecForLocale()->name())));
}

// A read that the system failed ends the run: a short list is no list.
bool readFailed(const QIODevice &device, ListRead &read)
{
    const auto *file = qobject_cast<const QFileDevice *>(&device);
    if (!file || file->error() == QFileDevice::NoError)
        return false;
    read = failed(ConversionEnding::ReadFailed, file->errorString());
    return true;
}

bool hasReplacementCharacter(QStringView text)
{
    return text.contains(QChar(QChar::ReplacementCharacter));
}

// At most rawListMaxBytes + 1 bytes of `device`, read in pieces; `cut` tells
// whether there was more.
std::optional<QByteArray> readBounded(QIODevice &device, bool &cut)
{
    QByteArray bytes;
    for (;;) {
        // Pieces of the size left, where the device knows it: a small list
        // costs a small buffer.
        const qint64 at = bytes.size();
        const qint64 want = qBound(qint64(4096), device.bytesAvailable() + 1, readChunkBytes);
        bytes.resize(int(at + want));
        const qint64 got = device.read(bytes.data() + at, want);
        if (got < 0)
            return std::nullopt;
        bytes.resize(int(at + got));
        if (got == 0 || bytes.size() > DataFiles::rawListMaxBytes)
            break;
    }
    cut = bytes.size() > DataFiles::rawListMaxBytes;
    bytes.truncate(int(DataFiles::rawListMaxBytes));
    return bytes;
}

// The text as the system's text streams read it: a byte-order mark selects
// UTF-8, UTF-16 or UTF-32, anything else is read in the system's encoding.
QString decoded(const QByteArray &bytes)
{
    return QTextCodec::codecForUtfText(bytes, QTextCodec::codecForLocale())->toUnicode(bytes);
}

enum class Presence { Required, Optional };

// Reads the list at `path` with `reader`; nothing when an optional list is
// missing.
std::optional<ListRead> readListFile(const QString &path,
                                     const std::function<ListRead(QIODevice &)> &reader,
                                     Presence presence = Presence::Required)
{
    QFile file(path);
    const FileCheck check = openRegularFile(file);
    switch (check.problem) {
    case FileProblem::None:
        return reader(file);
    case FileProblem::Missing:
        if (presence == Presence::Optional)
            return std::nullopt;
        return failed(ConversionEnding::ListUnopenable, check.reason);
    case FileProblem::NotRegular:
        return failed(ConversionEnding::NotRegularFile, check.reason);
    case FileProblem::Unopenable:
        break;
    }
    return failed(ConversionEnding::ListUnopenable, check.reason);
}

bool writeLines(QSaveFile &file, const QStringList &lines)
{
    QTextStream out(&file);
    for (const QString &line : lines)
        out << line << '\n';
    out.flush();
    return out.status() == QTextStream::Ok && file.commit();
}
} // namespace

ConversionPaths ConversionPaths::inFolder(const QString &folder)
{
    const QDir dir(folder);
    return {dir.filePath(DataFiles::displayList), dir.filePath(DataFiles::productList),
            dir.filePath(DataFiles::genericNameList), dir.filePath(DataFiles::exceptionList)};
}

ConversionPaths ConversionPaths::inDataFolder()
{
    return inFolder(dataFolder());
}

ListRead readProductList(QIODevice &device, const CheckMessage &checkMessage)
{
    ListRead read;
    QTextStream in(&device);
    qint64 chars = 0;
    for (int position = 0;; ++position) {
        // One character more than a line may hold tells an overlong line
        // without reading the rest of it.
        const QString line = in.readLine(DataFiles::maxCellChars + 1);
        // Checked before the end of data, so a list of fewer than two lines
        // is reported too.
        const int commas = line.count(QLatin1Char(','));
        if (position < checkedProductLines && commas < fewestHeaderCommas)
            checkMessage(position, commas);
        if (line.isNull())
            break;
        if (line.size() > DataFiles::maxCellChars)
            return overlong("%1 文字を超える行があります");
        if (hasReplacementCharacter(line))
            return wrongEncoding();
        read.lines.append(line);
        if (read.lines.size() == DataFiles::rawListMaxRecords)
            break;
        chars += line.size();
        if (device.pos() > DataFiles::rawListMaxBytes || chars > DataFiles::rawListMaxChars)
            return tooManyBytes();
    }
    readFailed(device, read);
    return read;
}

ListRead readMasterRecords(QIODevice &device)
{
    ListRead read;
    bool cut = false;
    std::optional<QByteArray> bytes = readBounded(device, cut);
    if (readFailed(device, read))
        return read;
    if (!bytes)
        return failed(ConversionEnding::ReadFailed, device.errorString());
    QString text = decoded(*bytes);
    bytes.reset(); // a list's bytes, text and records are not held all at once
    if (text.size() > DataFiles::rawListMaxChars) {
        text.truncate(int(DataFiles::rawListMaxChars));
        text.squeeze();
        cut = true;
    }
    Csv::Records records =
        Csv::readRecords(text, DataFiles::rawListMaxRecords, DataFiles::maxCellChars);
    text.clear();
    if (records.overlongCell)
        return overlong("%1 文字を超えるセルがあります");
    if (cut && records.records.size() < DataFiles::rawListMaxRecords)
        return tooManyBytes();
    for (const QString &record : qAsConst(records.records))
        if (hasReplacementCharacter(record))
            return wrongEncoding();
    read.lines = std::move(records.records);
    return read;
}

QStringList genericNameRecords(const QStringList &records)
{
    QStringList kept;
    for (const QString &record : records)
        if (Csv::cellCount(record) >= fewestGenericRecordCells)
            kept.append(record);
    return kept;
}

ConversionOutcome runConversion(const ConversionPaths &paths, const CheckMessage &checkMessage)
{
    ConversionOutcome outcome;
    // The new list goes to a temporary file beside the old one and replaces
    // it only once complete; a run that ends early discards it and the
    // user's list stays as it was. Only a regular file is ever replaced.
    const FileCheck target = checkReplaceable(paths.displayList);
    if (target.problem != FileProblem::None)
        return ended(outcome, ConversionEnding::DisplayListUnwritable, paths.displayList,
                     target.reason);
    QSaveFile displayList(paths.displayList);
    if (!displayList.open(QIODevice::WriteOnly))
        return ended(outcome, ConversionEnding::DisplayListUnwritable, paths.displayList,
                     displayList.errorString());

    const ListRead products = *readListFile(paths.productList, [&](QIODevice &device) {
        return readProductList(device, checkMessage);
    });
    if (products.problem != ConversionEnding::Completed)
        return ended(outcome, products.problem, paths.productList, products.reason);
    outcome.productLines = products.lines;

    // The exception sheet first: it is reduced to its few codes before the
    // master is read, so no two raw lists are held at once.
    ExceptionCodes exceptionCodes;
    if (const std::optional<ListRead> exceptions =
            readListFile(paths.exceptionList, readMasterRecords, Presence::Optional)) {
        if (exceptions->problem != ConversionEnding::Completed)
            return ended(outcome, exceptions->problem, paths.exceptionList, exceptions->reason);
        exceptionCodes = exceptionCodesFrom(exceptions->lines);
        if (exceptionCodes.isEmpty())
            return ended(outcome, ConversionEnding::NoExceptionCodes, paths.exceptionList);
        outcome.exceptionCodes = exceptionCodes.size();
    }

    {
        const ListRead master = *readListFile(paths.genericNameList, readMasterRecords);
        if (master.problem != ConversionEnding::Completed)
            return ended(outcome, master.problem, paths.genericNameList, master.reason);
        outcome.lookupLines = genericNameRecords(master.lines);
    }

    const MatchedLines matched =
        matchBrandsToGenerics(*outcome.productLines, *outcome.lookupLines, exceptionCodes);
    if (matched.lines.isEmpty())
        return ended(outcome, ConversionEnding::NothingProduced, paths.productList);
    if (matched.flaggedBrands > 0 && matched.flaggedWithoutName == matched.flaggedBrands)
        return ended(outcome, ConversionEnding::NoGenericNames, paths.genericNameList);
    if (!writeLines(displayList, matched.lines))
        return ended(outcome, ConversionEnding::DisplayListUnwritable, paths.displayList,
                     displayList.errorString());
    outcome.linesWritten = matched.lines.size();
    return outcome;
}
