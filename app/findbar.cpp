#include "app/findbar.h"

#include "app/translation.h"
#include "data/findfolding.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>

namespace
{
constexpr int foldedRole = Qt::UserRole + 1;
constexpr int fieldWidth = 190;
constexpr int fieldTextMargins = 16;
constexpr int placeMargin = 12;
// Space a status bar keeps above and below its line.
constexpr int statusBarSpacing = 5;

QString foldedText(QStandardItemModel *model, QStandardItem *item)
{
    const QVariant kept = item->data(foldedRole);
    if (kept.isValid())
        return kept.toString();
    const QString folded = foldForFind(item->text());
    // Not shown anywhere: no view needs to hear of it.
    const QSignalBlocker quiet(model);
    item->setData(folded, foldedRole);
    return folded;
}

bool cellContains(QStandardItemModel *model, int row, int column, const QString &folded)
{
    QStandardItem *item = model->item(row, column);
    return item && foldedText(model, item).contains(folded);
}

// An edited or reloaded cell folds its new text when next needed.
void dropStaleFolds(QStandardItemModel *model, const QModelIndex &topLeft,
                    const QModelIndex &bottomRight, const QVector<int> &roles)
{
    if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole) && !roles.contains(Qt::EditRole))
        return;
    const QSignalBlocker quiet(model);
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
        for (int column = topLeft.column(); column <= bottomRight.column(); ++column)
            if (QStandardItem *item = model->item(row, column))
                item->setData(QVariant(), foldedRole);
}

bool isTyping(const QKeyEvent *key)
{
    const QString text = key->text();
    const auto commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return !text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & commands);
}
} // namespace

QVector<int> rowsContaining(QStandardItemModel *model, const QString &folded)
{
    QVector<int> rows;
    for (int row = 0; row < model->rowCount(); ++row)
        if (cellContains(model, row, 0, folded) || cellContains(model, row, 1, folded))
            rows.append(row);
    return rows;
}

FindBar::FindBar(QTableView *view, QStandardItemModel *model, QStatusBar *statusBar,
                 QWidget *window)
    : QObject(window), view(view), model(model), findField(new QLineEdit(statusBar)),
      place(new QLabel(statusBar))
{
    placeInStatusBar(statusBar);
    takeTypingFromTable();
    connectKeysAndModel(window);
}

void FindBar::placeInStatusBar(QStatusBar *statusBar)
{
    findField->setObjectName(QStringLiteral("findField"));
    findField->setPlaceholderText(translated("名前の一部で検索（ひらがな可）"));
    // Wide enough for its placeholder, which tells what the field is for.
    findField->setFixedWidth(
        qMax(fieldWidth, findField->fontMetrics().horizontalAdvance(findField->placeholderText()) +
                             fieldTextMargins));
    place->setObjectName(QStringLiteral("findPlace"));
    // Apart from the status message, which the bar cuts where it meets it.
    place->setContentsMargins(placeMargin, 0, 0, 0);
    // The status bar keeps the height it has without them, so the
    // keyboard's last row stays whole; the field takes the height of the
    // bar's line of text.
    const int barHeight = statusBar->sizeHint().height();
    const int lineHeight = barHeight - statusBarSpacing;
    findField->setFixedHeight(qMin(findField->sizeHint().height(), lineHeight));
    place->setMaximumHeight(lineHeight);
    statusBar->setFixedHeight(barHeight);
    statusBar->addPermanentWidget(place);
    statusBar->addPermanentWidget(findField);
}

// A key typed on the table starts a find; only a double click and F2 open
// a cell's editor, so typing never overwrites a drug name.
void FindBar::takeTypingFromTable()
{
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    view->setAttribute(Qt::WA_InputMethodEnabled, true);
    view->installEventFilter(this);
    findField->installEventFilter(this);
}

void FindBar::connectKeysAndModel(QWidget *window)
{
    connect(findField, &QLineEdit::textChanged, this, &FindBar::findFirst);
    auto *findKey = new QShortcut(QKeySequence::Find, window);
    connect(findKey, &QShortcut::activated, this, [this] {
        findField->setFocus(Qt::ShortcutFocusReason);
        findField->selectAll();
    });
    connect(
        model, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex &topLeft, const QModelIndex &bottomRight,
               const QVector<int> &roles) { dropStaleFolds(model, topLeft, bottomRight, roles); });
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view && event->type() == QEvent::KeyPress &&
        isTyping(static_cast<QKeyEvent *>(event))) {
        startFromTable(static_cast<QKeyEvent *>(event)->text());
        return true;
    }
    if (watched == view && event->type() == QEvent::InputMethod) {
        // What the input method composes goes to the field, which takes it
        // from here on.
        findField->clear();
        findField->setFocus(Qt::OtherFocusReason);
        QCoreApplication::sendEvent(findField, event);
        return true;
    }
    if (watched == findField && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        return handleFieldKey(key->key(), key->modifiers() & Qt::ShiftModifier);
    }
    return QObject::eventFilter(watched, event);
}

bool FindBar::handleFieldKey(int key, bool shift)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        step(shift ? -1 : 1);
        return true;
    case Qt::Key_Escape:
        findField->clear();
        view->setFocus(Qt::OtherFocusReason);
        return true;
    default:
        return false;
    }
}

void FindBar::startFromTable(const QString &text)
{
    findField->setFocus(Qt::OtherFocusReason);
    findField->setText(text);
}

void FindBar::findFirst()
{
    const QString folded = foldForFind(findField->text());
    if (folded.isEmpty()) {
        place->clear();
        return;
    }
    moveTo(rowsContaining(model, folded), 0);
}

void FindBar::step(int direction)
{
    const QString folded = foldForFind(findField->text());
    if (folded.isEmpty())
        return;
    const QVector<int> rows = rowsContaining(model, folded);
    const int current = view->currentIndex().row();
    int index = direction > 0 ? 0 : rows.size() - 1; // wrapping around
    for (int i = 0; i < rows.size(); ++i) {
        if (direction > 0 && rows.at(i) > current) {
            index = i;
            break;
        }
        if (direction < 0 && rows.at(i) < current)
            index = i;
    }
    moveTo(rows, index);
}

void FindBar::moveTo(const QVector<int> &rows, int index)
{
    if (rows.isEmpty()) {
        place->setText(translated("一致なし"));
        return; // the current cell stays where it was
    }
    place->setText(QStringLiteral("%1/%2").arg(index + 1).arg(rows.size()));
    if (view->model() != model)
        return;
    const QModelIndex match = model->index(rows.at(index), 0);
    view->setCurrentIndex(match);
    view->scrollTo(match, QAbstractItemView::PositionAtTop);
}
