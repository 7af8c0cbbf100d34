#include "data/rawlists.h"

#include "data/csvrecords.h"
#include "data/datafiles.h"
#include "data/textdecoding.h"

#include <QFileDevice>

namespace
{
constexpr int fewestHeaderCommas = 10;
constexpr int fewestGenericRecordCells = 7;
// A list is read in pieces of at most this, and at least the smaller one,
// so that a small list costs a small buffer.
constexpr qint64 readChunkBytes = 1024 * 1024;
constexpr qint64 smallestChunkBytes = 4096;

// A read that the system failed ends the run: a short list is no list.
std::optional<Problem> readFailure(const QIODevice &device)
{
    const auto *file = qobject_cast<const QFileDevice *>(&device);
    if (!file || file->error() == QFileDevice::NoError)
        return std::nullopt;
    return Problem::fromSystem(Problem::ReadFailed, file->errorString());
}

Problem tooManyBytes()
{
    return Problem::over(Problem::TooManyBytes, DataFiles::rawListMaxBytes);
}

// At most rawListMaxBytes + 1 bytes of `device`; `cut` tells whether there
// was more.
std::optional<Problem> readBounded(QIODevice &device, QByteArray &bytes, bool &cut)
{
    for (;;) {
        const qint64 at = bytes.size();
        const qint64 want = qBound(smallestChunkBytes, device.bytesAvailable() + 1, readChunkBytes);
        bytes.resize(int(at + want));
        const qint64 got = device.read(bytes.data() + at, want);
        if (got < 0) {
            if (std::optional<Problem> failure = readFailure(device))
                return failure;
            return Problem::fromSystem(Problem::ReadFailed, device.errorString());
        }
        bytes.resize(int(at + got));
        if (got == 0 || bytes.size() > DataFiles::rawListMaxBytes)
            break;
    }
    cut = bytes.size() > DataFiles::rawListMaxBytes;
    bytes.truncate(int(DataFiles::rawListMaxBytes));
    return readFailure(device);
}

struct ListText {
    QString text;
    bool cut = false; // the list went on past the bytes or characters read
    std::optional<Problem> encodingProblem;
};

std::optional<Problem> readText(QIODevice &device, QTextCodec *codec, ListText &read)
{
    QByteArray bytes;
    if (std::optional<Problem> failure = readBounded(device, bytes, read.cut))
        return failure;
    DecodedText decoded = decodeText(bytes, codec, read.cut);
    bytes.clear(); // a list's bytes, text and records are not held all at once
    read.text = std::move(decoded.text);
    read.encodingProblem = decoded.problem;
    if (read.text.size() > DataFiles::rawListMaxChars) {
        read.text.truncate(int(DataFiles::rawListMaxChars));
        read.text.squeeze();
        read.cut = true;
    }
    return std::nullopt;
}

// The lines of `text` as a text stream reads them: ended by LF or CRLF (a
// CR at the very end is dropped too), the last one without a line end.
QStringList firstLines(QStringView text, int maxLines)
{
    QStringList lines;
    for (qsizetype start = 0; start < text.size() && lines.size() < maxLines;) {
        const qsizetype feed = text.indexOf(QLatin1Char('\n'), start);
        const qsizetype end = feed < 0 ? text.size() : feed;
        QStringView line = text.mid(start, end - start);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lines.append(line.toString());
        start = end + 1;
    }
    return lines;
}
} // namespace

void checkFirstLines(const QVector<int> &commas, const CheckMessage &checkMessage)
{
    for (int position = 0; position < checkedProductLines; ++position) {
        const int count = commas.value(position, 0);
        if (count < fewestHeaderCommas)
            checkMessage(position, count);
        if (position >= commas.size())
            break; // the data ended here
    }
}

std::optional<Problem> readProductList(QIODevice &device, QTextCodec *codec,
                                       const CheckMessage &checkMessage, QStringList &lines)
{
    ListText read;
    if (std::optional<Problem> failure = readText(device, codec, read))
        return failure;
    QStringList found = firstLines(read.text, DataFiles::rawListMaxRecords);
    read.text.clear();
    QVector<int> commas;
    for (int i = 0; i < qMin(checkedProductLines, int(found.size())); ++i)
        commas.append(found.at(i).count(QLatin1Char(',')));
    checkFirstLines(commas, checkMessage);
    for (const QString &line : qAsConst(found))
        if (line.size() > DataFiles::maxCellChars)
            return Problem::over(Problem::LineTooLong, DataFiles::maxCellChars);
    if (read.cut && found.size() < DataFiles::rawListMaxRecords)
        return tooManyBytes();
    if (read.encodingProblem)
        return read.encodingProblem;
    lines = std::move(found);
    return std::nullopt;
}

std::optional<Problem> readMasterRecords(QIODevice &device, QTextCodec *codec, QStringList &records)
{
    ListText read;
    if (std::optional<Problem> failure = readText(device, codec, read))
        return failure;
    Csv::Records parsed =
        Csv::readRecords(read.text, DataFiles::rawListMaxRecords, DataFiles::maxCellChars);
    read.text.clear();
    if (parsed.overlongCell)
        return Problem::over(Problem::CellTooLong, DataFiles::maxCellChars);
    if (read.cut && parsed.records.size() < DataFiles::rawListMaxRecords)
        return tooManyBytes();
    if (read.encodingProblem)
        return read.encodingProblem;
    records = std::move(parsed.records);
    return std::nullopt;
}

QStringList genericNameRecords(const QStringList &records)
{
    QStringList kept;
    for (const QString &record : records)
        if (Csv::cellCount(record) >= fewestGenericRecordCells)
            kept.append(record);
    return kept;
}
