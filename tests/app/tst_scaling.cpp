#include "app/displayscaling.h"
#include "app/mainwindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QWindow>
#include <QtTest>

namespace
{
// The scaling the display is set to for this run: 1.5 for 150 %.
qreal expectedScale()
{
    const QByteArray scale = qgetenv("IPPAN_EXPECTED_SCALE");
    return scale.isEmpty() ? 1.0 : scale.toDouble();
}

// Whether a text in `widget`'s font fits its width, `margins` kept free.
bool fits(const QWidget *widget, const QString &text, int margins)
{
    return widget->fontMetrics().horizontalAdvance(text) + margins <= widget->width();
}
} // namespace

// The window at the display's scaling, as the program makes it: its fixed
// layout grows with the scaling and every text stays whole.
class TestScaling : public QObject
{
    Q_OBJECT

    const DataFolder noData{QStringLiteral("/nonexistent-ravo-folder")};

private slots:
    void windowGrowsWithTheScaling()
    {
        MainWindow window(noData);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), QSize(584, 681));
        QCOMPARE(window.windowHandle()->devicePixelRatio(), expectedScale());
    }

    void nothingIsCut()
    {
        MainWindow window(noData);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int buttonMargins = 2 * window.style()->pixelMetric(QStyle::PM_ButtonMargin);
        for (const QPushButton *button : window.findChildren<QPushButton *>())
            QVERIFY2(fits(button, button->text(), buttonMargins), qPrintable(button->text()));
        const auto *hint = window.findChild<QLabel *>("label_2");
        QVERIFY(fits(hint, hint->text(), 0));
        // The status bar and its find field whole below the keyboard's last row.
        const QWidget *lastRow = window.findChild<QPushButton *>("pushButton_51");
        const QStatusBar *statusBar = window.statusBar();
        QVERIFY(statusBar->geometry().top() >= lastRow->mapTo(&window, QPoint(0, 40)).y());
        QVERIFY(statusBar->geometry().bottom() < window.height());
        const auto *field = window.findChild<QLineEdit *>("findField");
        QVERIFY(field->geometry().bottom() < statusBar->height());
        QVERIFY(fits(field, field->placeholderText(), 8));
    }
};

int main(int argc, char *argv[])
{
    enableDisplayScaling();
    QApplication application(argc, argv);
    TestScaling test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaling.moc"
