#include "data/package.h"

#include "data/datafiles.h"

#include <KArchiveDirectory>
#include <KArchiveFile>

#include <QDir>

namespace Workbook
{
namespace
{
// Deeper than any workbook's XML, shallow enough to bound the reader.
constexpr int maxDepth = 64;
// A compound file's signature: an encrypted workbook, or an old .xls one.
const QByteArray compoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
const QLatin1String
    relationshipsNamespace("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

// The path of a target resolved against `folder`, or nothing when it
// leaves the package or names another place.
std::optional<QString> resolved(const QString &folder, const QString &target)
{
    if (target.contains(QLatin1Char(':')) || target.contains(QLatin1Char('\\')))
        return std::nullopt;
    const QString joined =
        target.startsWith(QLatin1Char('/')) ? target : folder + QLatin1Char('/') + target;
    QString path = QDir::cleanPath(joined);
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    if (path.isEmpty() || path == QLatin1String("..") || path.startsWith(QLatin1String("../")))
        return std::nullopt;
    return path;
}

QString relationshipsPath(const QString &partPath, const QString &folder)
{
    return (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + QStringLiteral("_rels/") +
           partPath.section(QLatin1Char('/'), -1) + QStringLiteral(".rels");
}
} // namespace

// A part of the package, inflated as it is read and never past
// maxPartBytes nor the budget's bytes.
class PartReader::BoundedDevice : public QIODevice
{
public:
    BoundedDevice(QIODevice *inner, Budget &budget)
        : inner(inner), budget(budget), bound(qMin(maxPartBytes, budget.inflatedBytes))
    {
        open(QIODevice::ReadOnly);
    }

    bool isSequential() const override { return true; }
    bool overflowed = false;
    // The inflating device's words where it failed.
    std::optional<QString> innerFailure;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 got = inner->read(data, qMin(maxSize, bound + 1 - total));
        if (got < 0) {
            innerFailure = inner->errorString();
            return -1;
        }
        total += got;
        budget.inflatedBytes -= got;
        if (total > bound) {
            overflowed = true;
            return -1;
        }
        return got;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QIODevice *inner;
    Budget &budget;
    qint64 bound;
    qint64 total = 0;
};

PartReader::PartReader(const KArchiveFile *file, const QString &path, Budget &budget)
    : inner(file ? file->createDevice() : nullptr), partPath(path)
{
    if (!file)
        fail(Problem::inPart(Problem::PartMissing, path));
    else if (!inner)
        fail(Problem::inPart(Problem::PartUnreadable, path));
    else {
        bounded = std::make_unique<BoundedDevice>(inner.get(), budget);
        xml.setDevice(bounded.get());
    }
}

PartReader::~PartReader() = default;

bool PartReader::next()
{
    if (failed)
        return false;
    for (;;) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > maxDepth)
                return fail(Problem::inPart(Problem::NestingTooDeep, partPath));
            return true;
        case QXmlStreamReader::EndElement:
            --depth;
            return true;
        case QXmlStreamReader::Characters:
            return true;
        case QXmlStreamReader::EndDocument:
            return false;
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            return fail(Problem::inPart(Problem::DtdOrEntity, partPath));
        case QXmlStreamReader::Invalid:
            return fail(invalidXml());
        default:
            continue; // declarations, comments, processing instructions
        }
    }
}

bool PartReader::readText(QString &text, qsizetype maxChars)
{
    const int level = depth;
    while (next()) {
        if (xml.isCharacters())
            text += xml.text();
        else if (xml.isEndElement() && depth < level)
            return true;
        if (text.size() > maxChars)
            return fail(Problem::over(Problem::CellTooLong, DataFiles::maxCellChars));
    }
    return false;
}

bool PartReader::skipElement()
{
    const int level = depth;
    while (next())
        if (xml.isEndElement() && depth < level)
            return true;
    return false;
}

QStringView PartReader::relationshipId() const
{
    for (const QXmlStreamAttribute &a : xml.attributes())
        if (a.name() == QLatin1String("id") && a.namespaceUri() == relationshipsNamespace)
            return a.value();
    return {};
}

bool PartReader::fail(const Problem &problem)
{
    if (!failed)
        failed = problem;
    return false;
}

Problem PartReader::invalidXml() const
{
    if (bounded && bounded->overflowed)
        return Problem::inPart(Problem::PartTooLarge, partPath);
    // An inflating device that fails may say so, or may only stop giving
    // bytes before its stream ends, so that the XML ends early.
    const bool inflatingFailed =
        bounded &&
        (bounded->innerFailure ||
         (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && !inner->atEnd()));
    Problem problem = Problem::inPart(
        inflatingFailed ? Problem::PartUnreadable : Problem::MalformedXml, partPath);
    problem.systemReason =
        inflatingFailed ? bounded->innerFailure.value_or(QString()) : xml.errorString();
    return problem;
}

Package::Package(QIODevice &device, Budget &budget) : budget(budget), zip(&device) {}

std::optional<Problem> Package::open()
{
    if (zip.device()->size() > maxPackageBytes)
        return Problem::over(Problem::PackageTooLarge, maxPackageBytes);
    if (zip.device()->peek(compoundFileSignature.size()) == compoundFileSignature)
        return Problem(Problem::Encrypted);
    if (!zip.open(QIODevice::ReadOnly))
        return Problem::fromSystem(Problem::NotZip, zip.errorString());
    return std::nullopt;
}

const KArchiveFile *Package::file(const QString &path) const
{
    const KArchiveEntry *entry = zip.directory()->entry(path);
    return entry && entry->isFile() ? static_cast<const KArchiveFile *>(entry) : nullptr;
}

PartReader Package::reader(const QString &path) const
{
    return PartReader(file(path), path, budget);
}

std::optional<Problem> Package::relationships(const QString &partPath,
                                              QVector<Relationship> &out) const
{
    const QString folder = partPath.section(QLatin1Char('/'), 0, -2);
    const QString relsPath = relationshipsPath(partPath, folder);
    if (!has(relsPath))
        return std::nullopt; // a part without relationships
    PartReader part = reader(relsPath);
    while (part.next()) {
        if (!part.isStart(QLatin1String("Relationship")))
            continue;
        Relationship r;
        r.id = part.attribute(QLatin1String("Id")).toString();
        r.type = part.attribute(QLatin1String("Type")).toString();
        const bool external =
            part.attribute(QLatin1String("TargetMode")) == QLatin1String("External");
        const std::optional<QString> target =
            resolved(folder, part.attribute(QLatin1String("Target")).toString());
        if (!external && !target)
            return Problem::inPart(Problem::PointsOutside, relsPath);
        if (!external)
            r.target = *target;
        out.append(r);
    }
    return part.failed;
}

const Relationship *firstOfType(const QVector<Relationship> &relationships, const char *suffix)
{
    for (const Relationship &r : relationships)
        if (r.type.endsWith(QLatin1String(suffix)) && !r.target.isEmpty())
            return &r;
    return nullptr;
}
} // namespace Workbook
