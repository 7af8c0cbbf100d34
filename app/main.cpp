#include "app/displayscaling.h"
#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    enableDisplayScaling();
    QApplication application(argc, argv);
    MainWindow window;
    window.show();
    return application.exec();
}
