#pragma once

#include "app/mainwindow.h"

#include <QStandardItemModel>

// Read access to the window's private state for tests.
class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow &window) : w(window) {}

    int rowLimit() const { return w.rowLimit; }
    int nextRow() const { return w.nextRow; }
    QStandardItemModel *model() const { return w.model; }
    const QStringList &productLines() const { return w.productLines; }
    const QStringList &lookupLines() const { return w.lookupLines; }

private:
    MainWindow &w;
};
