#pragma once

#include <QString>
#include <QStringList>

// What stands in the way of reading the lists or replacing the display
// list: one value from every reader and from the conversion, in kinds and
// details; the window makes the sentence the user reads.
struct Problem {
    enum Kind {
        // The file itself
        Missing,    // nothing at the path
        NotRegular, // a pipe, a device, a directory, a socket, a dangling or looping link
        Unopenable, // there, but it cannot be opened: permission, ...
        InUse,      // another program holds it open without sharing it (Excel does)
        ReadFailed, // the system reported an error while reading
        Unwritable, // the display list cannot be written or put in place

        // Beyond any real list
        LineTooLong,     // a line of more than `limit` characters
        CellTooLong,     // a cell of more than `limit` characters
        TooManyBytes,    // more than `limit` bytes before the record limit
        PackageTooLarge, // a workbook of more than `limit` bytes
        PartTooLarge,    // `part` inflates past its bound
        TooManyCells,    // the workbooks' cells exceed what a run keeps
        SheetTooLarge,   // sheet `part` has a value at `cell`, past the rows and columns kept

        WrongEncoding, // not text in `encoding`

        // A workbook that cannot be read
        Encrypted,           // a compound file: encrypted, or the old .xls format
        NotZip,              // not a zip package (`systemReason`: the zip reader's words)
        NotWorkbook,         // a zip package without a workbook
        PartMissing,         // `part` is not in the package
        PartUnreadable,      // `part` cannot be inflated (`systemReason` where given)
        NestingTooDeep,      // `part` nests deeper than any workbook
        DtdOrEntity,         // `part` declares a DTD or uses an entity
        MalformedXml,        // `part` is not well-formed XML (`systemReason`)
        PointsOutside,       // relationships `part` point outside the package
        SheetOutside,        // sheet `part` points outside the package
        MissingSharedString, // `part` refers to shared string `cell`, which does not exist

        // The lists read, but no right display list from them
        ListMissing,        // neither a CSV file nor a workbook holds a needed list
        NothingProduced,    // the product list gave no line
        NoGenericNames,     // no flagged brand finds a generic name: not the master's main sheet
        NoExceptionCodes,   // the exception list maps no product: not the exception sheet
        AmbiguousWorkbooks, // `files`: two workbooks that hold the same list
    };

    Kind kind;
    QString file;         // the file the problem is about, as a full path
    QString part;         // a part of a workbook package, or a sheet's name
    QString cell;         // a cell reference, or a shared string's index
    qint64 limit = 0;     // the bound that was passed
    QString encoding;     // the encoding the text was read in, as users know it
    QString systemReason; // the system's words (an errorString()), where it gave any
    QStringList files;    // file names, where the problem is about several

    // Not explicit, so that a kind alone can be returned as a problem.
    Problem(Kind kind) : kind(kind) {}

    static Problem over(Kind kind, qint64 limit)
    {
        Problem problem(kind);
        problem.limit = limit;
        return problem;
    }
    static Problem inPart(Kind kind, const QString &part)
    {
        Problem problem(kind);
        problem.part = part;
        return problem;
    }
    static Problem fromSystem(Kind kind, const QString &systemReason)
    {
        Problem problem(kind);
        problem.systemReason = systemReason;
        return problem;
    }

    Problem &about(const QString &path)
    {
        file = path;
        return *this;
    }
};
