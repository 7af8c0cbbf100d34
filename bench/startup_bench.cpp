// Start-up benchmark.
//
// Without arguments it does what main() does and quits as soon as the window
// has been shown and painted, so the whole process can be timed from outside
// (bench/run-startup.sh runs it under hyperfine).
//
// With --operations it times each table operation in-process on the display
// list of the data folder and prints the medians.

#include "app/drugtableview.h"
#include "app/mainwindow.h"
#include "data/datafolder.h"
#include "data/displaylist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{
// Quits the event loop once the watched widget has painted.
class QuitAfterPaint : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

double medianMs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1e6;
}

int reportOperations()
{
    const DataFolder folder = DataFolder::standard();
    constexpr int runs = 21;
    std::vector<qint64> create, read, fill, setup;
    QElapsedTimer timer;
    for (int run = 0; run < runs; ++run) {
        QTableView view;
        timer.start();
        QStandardItemModel *model = DrugTableView::createModel(&view);
        create.push_back(timer.nsecsElapsed());
        timer.start();
        const DisplayList list = readDisplayList(folder);
        read.push_back(timer.nsecsElapsed());
        timer.start();
        DrugTableView::fillModel(model, list.rows);
        fill.push_back(timer.nsecsElapsed());
        timer.start();
        DrugTableView::setupView(&view, model, DrugTableView::startupRowHeight);
        setup.push_back(timer.nsecsElapsed());
    }
    std::printf("in-process medians of %d runs on %s\n", runs, qPrintable(folder.path()));
    std::printf("  model creation   %8.2f ms\n", medianMs(create));
    std::printf("  display-list read %7.2f ms\n", medianMs(read));
    std::printf("  model fill       %8.2f ms\n", medianMs(fill));
    std::printf("  table-view setup %8.2f ms\n", medianMs(setup));
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--operations") == 0)
        return reportOperations();
    MainWindow window;
    QuitAfterPaint quitAfterPaint;
    window.installEventFilter(&quitAfterPaint);
    window.show();
    return application.exec();
}
