#pragma once

#include <QGuiApplication>

// Lets the window grow with the display's scaling on Windows (125 %,
// 150 %, ...), so that its fixed layout keeps its proportions and its font
// fits: without it, Qt 5 grows the font with the scaling and keeps the
// pixel geometry, cutting texts and keys. Elsewhere Qt would derive a
// factor from the screen's physical size (1.04 on a 100 dpi X display), so
// there only an explicit QT_SCALE_FACTOR scales. Called before the
// application object is made.
inline void enableDisplayScaling()
{
#ifdef Q_OS_WIN
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    // 125 % and 150 % as they are, not rounded to 100 % or 200 %.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
#endif
}
