#pragma once

#include <QCoreApplication>
#include <QString>

// Every fixed text the window shows is looked up in the context
// "MainWindow", as the form's own captions are.
inline QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}
