// Workbook benchmark: the whole conversion from the four published
// workbooks of 2025-08-14, in one process, against the floor (inflating
// their parts and tokenizing their XML once) and against the same lists
// read from their CSV exports. Prints medians and the peak memory.

#include "convert/conversion.h"
#include "data/datafiles.h"
#include "data/datafolder.h"
#include "support/testdatafolder.h"

#include <KZip> // declares KArchive, which its entry headers need first

#include <KArchiveDirectory>
#include <KArchiveFile>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QXmlStreamReader>

#ifdef Q_OS_WIN
#include <windows.h>

#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace
{
const char *const workbooks[] = {"tp20250814-01_01.xlsx", "tp20250814-01_02.xlsx",
                                 "tp20250814-01_03.xlsx", "ippanmeishohoumaster_250814.xlsx"};

double medianMs(int rounds, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The most memory the process has held, in KB.
long peakKb()
{
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return long(counters.PeakWorkingSetSize / 1024);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

// Every XML part under xl/ inflated and tokenized once: what any reader of
// these workbooks must at least do.
qint64 inflateAndTokenize(const KArchiveDirectory *dir)
{
    qint64 tokens = 0;
    for (const QString &name : dir->entries()) {
        const KArchiveEntry *entry = dir->entry(name);
        if (entry->isDirectory()) {
            tokens += inflateAndTokenize(static_cast<const KArchiveDirectory *>(entry));
        } else if (name.endsWith(QLatin1String(".xml"))) {
            std::unique_ptr<QIODevice> device(
                static_cast<const KArchiveFile *>(entry)->createDevice());
            QXmlStreamReader xml(device.get());
            while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::Invalid)
                ++tokens;
        }
    }
    return tokens;
}

qint64 floorOnce(const TestDataFolder &folder)
{
    qint64 tokens = 0;
    for (const char *name : workbooks) {
        KZip zip(folder.path(name));
        zip.open(QIODevice::ReadOnly);
        const KArchiveEntry *xl = zip.directory()->entry(QStringLiteral("xl"));
        tokens += inflateAndTokenize(static_cast<const KArchiveDirectory *>(xl));
    }
    return tokens;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 11;
    const CheckMessage ignore = [](int, int) {};

    TestDataFolder fromWorkbooks;
    fromWorkbooks.writePublishedWorkbooks();
    const DataFolder workbookFolder = fromWorkbooks.dataFolder();
    const long before = peakKb();
    ConversionOutcome outcome = runConversion(workbookFolder, ignore);
    const long peak = peakKb();
    if (!outcome.completed()) {
        std::printf("the conversion from the workbooks failed\n");
        return 1;
    }

    TestDataFolder fromCsv;
    fromCsv.write(DataFiles::productList, joinedPublishedPriceList());
    fromCsv.write(DataFiles::genericNameList,
                  fixtureFile("published-csv/ippanmeishohoumaster_250814-main.csv"));
    fromCsv.write(DataFiles::exceptionList,
                  fixtureFile("published-csv/ippanmeishohoumaster_250814-exceptions.csv"));

    qint64 tokens = 0;
    const double floor = medianMs(rounds, [&] { tokens = floorOnce(fromWorkbooks); });
    const double whole = medianMs(rounds, [&] { outcome = runConversion(workbookFolder, ignore); });
    const DataFolder csvFolder = fromCsv.dataFolder();
    const double csv = medianMs(rounds, [&] { runConversion(csvFolder, ignore); });

    std::printf("変換 from the four published workbooks of 2025-08-14 (%d lines, median of %d)\n",
                outcome.linesWritten, rounds);
    std::printf("  floor: inflate and tokenize the XML parts once %8.1f ms (%lld tokens)\n", floor,
                static_cast<long long>(tokens));
    std::printf("  whole 変換 from the workbooks                   %8.1f ms  (%.2fx the floor)\n",
                whole, whole / floor);
    std::printf("  whole 変換 from their CSV exports               %8.1f ms\n", csv);
    std::printf("  peak memory: %ld MB before, %ld MB after the first workbook run\n",
                before / 1024, peak / 1024);
    return 0;
}
