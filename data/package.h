#pragma once

#include "data/problem.h"
#include "data/workbook.h"

#include <KZip>

#include <QString>
#include <QVector>
#include <QXmlStreamReader>

#include <memory>
#include <optional>

class KArchiveFile;

// The zip and XML layer under the workbook reader. The package is
// distrusted: parts are inflated piece by piece up to a bound, no DTD is
// accepted, nesting is bounded and no relationship may point outside the
// package.
namespace Workbook
{
// The XML of one part, token by token, refusing what no workbook holds.
class PartReader
{
public:
    // `file` is null where the package lacks the part.
    PartReader(const KArchiveFile *file, const QString &path, Budget &budget);
    ~PartReader();
    PartReader(PartReader &&) = delete; // returned only where it is made

    // The next element boundary or text; false at the end of the part or on
    // a failure, which `failed` then holds.
    bool next();

    // Reads the text up to the end of the element just started; a text
    // longer than `maxChars` fails as an overlong cell.
    bool readText(QString &text, qsizetype maxChars);

    // Passes over the element just started.
    bool skipElement();

    bool isStart(QLatin1String name) const { return xml.isStartElement() && xml.name() == name; }
    bool isEnd(QLatin1String name) const { return xml.isEndElement() && xml.name() == name; }
    QStringView attribute(QLatin1String name) const { return xml.attributes().value(name); }
    // The r:id attribute of the element just started.
    QStringView relationshipId() const;

    bool fail(const Problem &problem);
    QString path() const { return partPath; }

    std::optional<Problem> failed;

private:
    class BoundedDevice;

    Problem invalidXml() const;

    std::unique_ptr<QIODevice> inner;
    std::unique_ptr<BoundedDevice> bounded;
    QString partPath;
    QXmlStreamReader xml;
    int depth = 0;
};

struct Relationship {
    QString id;
    QString type;
    QString target; // a path inside the package; empty for an external target
};

class Package
{
public:
    Package(QIODevice &device, Budget &budget);

    // Opens the zip package: not too large, not a compound file, a zip.
    std::optional<Problem> open();

    bool has(const QString &path) const { return file(path) != nullptr; }
    // A reader of the part at `path`; it fails at once where there is none.
    PartReader reader(const QString &path) const;

    // The relationships of the part at `partPath`, in document order;
    // targets resolved against the part's folder.
    std::optional<Problem> relationships(const QString &partPath, QVector<Relationship> &out) const;

    Budget &budget;

private:
    const KArchiveFile *file(const QString &path) const;

    KZip zip;
};

// The first relationship, in document order, whose type ends in `suffix`
// ("/officeDocument") and whose target is in the package, or null.
const Relationship *firstOfType(const QVector<Relationship> &relationships, const char *suffix);
} // namespace Workbook
