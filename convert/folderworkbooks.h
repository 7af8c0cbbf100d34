#pragma once

#include "convert/publishedlists.h"
#include "data/datafolder.h"
#include "data/rawlists.h"
#include "data/workbook.h"

#include <QStringList>

#include <deque>
#include <optional>

// The workbooks of the data folder, read within one budget and sorted by
// what they hold (see PublishedLists), and the records of the lists they
// supply, as each sheet's CSV export holds them.
class FolderWorkbooks
{
public:
    explicit FolderWorkbooks(const DataFolder &folder) : folder(folder) {}

    // Reads every workbook of the folder: one that cannot be read ends the
    // reading, one that holds none of the lists is dropped.
    std::optional<Problem> read();

    const PublishedLists::Classified &lists() const { return classified; }

    // The master's workbook, or null; two of them are ambiguous.
    const PublishedLists::Master *master() const;
    std::optional<Problem> ambiguousMasters() const;

    // The product list the price-list workbooks make: the first one's
    // header row and the product rows of all of them, in file-name order,
    // with the check on its first two rows. Two workbooks of one 区分 are
    // ambiguous.
    std::optional<Problem> productRecords(const CheckMessage &checkMessage,
                                          QStringList &records) const;

    // Appends the rows of a sheet that supplies a list, up to the raw lists'
    // record limit. A sheet with a value past the rows or columns kept is
    // too large to be a list.
    std::optional<Problem> appendSheetRecords(const QString &fileName, const Workbook::Sheet &sheet,
                                              QStringList &records) const;

private:
    std::optional<Problem> tooLarge(const QString &fileName, const Workbook::Sheet &sheet) const;
    std::optional<Problem> ambiguous(const QString &first, const QString &second) const;

    DataFolder folder;
    std::deque<Workbook::Content> contents; // the classified lists point into them
    Workbook::Budget budget;                // for all of them together
    PublishedLists::Classified classified;
};
