#include "support/modalcloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QtTest>

ModalCloser::ModalCloser(Way way) : way(way)
{
    connect(&timer, &QTimer::timeout, this, &ModalCloser::poll);
    timer.start(5);
}

void ModalCloser::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box)
        return;
    texts << box->text();
    const auto buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    allLookedRight =
        allLookedRight && !box->parentWidget() && box->standardButtons() == buttons &&
        static_cast<QAbstractButton *>(box->defaultButton()) == box->button(QMessageBox::Save) &&
        box->icon() == QMessageBox::NoIcon && box->informativeText().isEmpty();
    switch (way) {
    case Escape:
        QTest::keyClick(box, Qt::Key_Escape);
        break;
    case Discard:
        box->button(QMessageBox::Discard)->click();
        break;
    case CloseButton:
        box->close();
        break;
    }
}
