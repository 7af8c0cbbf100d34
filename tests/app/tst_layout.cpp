#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTranslator>
#include <QtTest>

namespace
{
struct WidgetRow {
    const char *name;
    const char *className;
    const char *parent;
    QRect rect;
    QString caption; // null where the widget shows no caption
};

struct ButtonCell {
    const char *name;
    int x;
    int y;
    const char *caption;
};

const QString hint = QStringLiteral("表上クリックで薬剤名がクリップボードにコピーされます");

// The index keyboard as laid out on screen, top-left corner of each button.
QVector<ButtonCell> indexButtons()
{
    return {
        {"pushButton_2", 50, 459, "ア"},     {"pushButton_7", 100, 459, "カ"},
        {"pushButton_12", 150, 459, "サ"},   {"pushButton_17", 200, 459, "タ"},
        {"pushButton_22", 250, 459, "ナ"},   {"pushButton_27", 300, 459, "ハ"},
        {"pushButton_32", 350, 459, "マ"},   {"pushButton_37", 400, 459, "ヤ"},
        {"pushButton_42", 450, 459, "ラ"},   {"pushButton_47", 500, 459, "ワ"},
        {"pushButton_3", 50, 499, "イ"},     {"pushButton_8", 100, 499, "キ"},
        {"pushButton_13", 150, 499, "シ"},   {"pushButton_18", 200, 499, "チ"},
        {"pushButton_23", 250, 499, "ニ"},   {"pushButton_28", 300, 499, "ヒ"},
        {"pushButton_33", 350, 499, "ミ"},   {"pushButton_43", 450, 499, "リ"},
        {"pushButton_48", 500, 499, "ヲ"},   {"pushButton_4", 50, 539, "ウ"},
        {"pushButton_9", 100, 539, "ク"},    {"pushButton_14", 150, 539, "ス"},
        {"pushButton_19", 200, 539, "ツ"},   {"pushButton_24", 250, 539, "ヌ"},
        {"pushButton_29", 300, 539, "フ"},   {"pushButton_34", 350, 539, "ム"},
        {"pushButton_39", 400, 539, "ユ"},   {"pushButton_44", 450, 539, "ル"},
        {"pushButton_5", 50, 579, "エ"},     {"pushButton_10", 100, 579, "ケ"},
        {"pushButton_15", 150, 579, "セ"},   {"pushButton_20", 200, 579, "テ"},
        {"pushButton_25", 250, 579, "ネ"},   {"pushButton_30", 300, 579, "ヘ"},
        {"pushButton_35", 350, 579, "メ"},   {"pushButton_45", 450, 579, "レ"},
        {"pushButton_50", 500, 579, "英数"}, {"pushButton_6", 50, 619, "オ"},
        {"pushButton_11", 100, 619, "コ"},   {"pushButton_16", 150, 619, "ソ"},
        {"pushButton_21", 200, 619, "ト"},   {"pushButton_26", 250, 619, "ノ"},
        {"pushButton_31", 300, 619, "ホ"},   {"pushButton_36", 350, 619, "モ"},
        {"pushButton_41", 400, 619, "ヨ"},   {"pushButton_46", 450, 619, "ロ"},
        {"pushButton_51", 500, 619, "漢字"},
    };
}

// Every widget in creation order, as the form must build it.
QVector<WidgetRow> widgetTree()
{
    QVector<WidgetRow> rows = {
        {"centralWidget", "QWidget", "MainWindow", QRect(), QString()},
        {"pushButton", "QPushButton", "centralWidget", QRect(487, 4, 71, 21), "変換"},
        {"label", "QLabel", "centralWidget", QRect(40, 5, 121, 16), ""},
        {"tableView", "QTableView", "centralWidget", QRect(10, 30, 561, 421), QString()},
    };
    QVector<ButtonCell> buttons = indexButtons();
    std::sort(buttons.begin(), buttons.end(), [](const ButtonCell &a, const ButtonCell &b) {
        return QByteArray(a.name).mid(11).toInt() < QByteArray(b.name).mid(11).toInt();
    });
    for (const ButtonCell &b : buttons)
        rows.append({b.name, "QPushButton", "centralWidget", QRect(b.x, b.y, 40, 40),
                     QString::fromUtf8(b.caption)});
    rows.append({"label_1", "QLabel", "centralWidget", QRect(30, 0, 151, 16), ""});
    rows.append({"label_2", "QLabel", "centralWidget", QRect(21, 6, 451, 16), hint});
    rows.append({"statusBar", "QStatusBar", "MainWindow", QRect(), QString()});
    return rows;
}

QString captionOf(const QWidget *widget)
{
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    return QString();
}

// Answers every lookup in the window's context with a marked text, to show
// which texts go through the translation lookup.
class MarkingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "MainWindow") != 0)
            return QString();
        return QStringLiteral("<") + QString::fromUtf8(source) + QStringLiteral(">");
    }
};
} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

    // A folder that does not exist: the window shows no list.
    const DataFolder noData{QStringLiteral("/nonexistent-ravo-folder")};

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void widgetTree_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("caption");
        for (const WidgetRow &row : ::widgetTree())
            QTest::newRow(row.name)
                << row.name << row.className << row.parent << row.rect << row.caption;
    }

    void widgetTree()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, parent);
        QFETCH(QRect, rect);
        QFETCH(QString, caption);

        MainWindow window(noData);
        const QList<QWidget *> found = window.findChildren<QWidget *>(name);
        QCOMPARE(found.size(), 1);
        QWidget *widget = found.first();
        QCOMPARE(QString(widget->metaObject()->className()), className);
        QCOMPARE(widget->parent()->objectName(), parent);
        if (!rect.isNull())
            QCOMPARE(widget->geometry(), rect);
        if (!caption.isNull())
            QCOMPARE(captionOf(widget), caption);
        QVERIFY(widget->isEnabled());
    }

    void creationOrder()
    {
        MainWindow window(noData);
        QStringList expected;
        for (const WidgetRow &row : ::widgetTree())
            if (QByteArray(row.parent) == "centralWidget")
                expected << row.name;
        QStringList actual;
        for (QObject *child : window.centralWidget()->children())
            actual << child->objectName();
        QCOMPARE(actual, expected);
    }

    void unusedNumbersHaveNoWidget_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("38") << "pushButton_38";
        QTest::newRow("40") << "pushButton_40";
        QTest::newRow("49") << "pushButton_49";
    }

    void unusedNumbersHaveNoWidget()
    {
        QFETCH(QString, name);
        MainWindow window(noData);
        QVERIFY(!window.findChild<QObject *>(name));
    }

    void windowProperties()
    {
        MainWindow window(noData);
        QCOMPARE(window.objectName(), QString("MainWindow"));
        QCOMPARE(window.windowTitle(), QString("MainWindow"));
        QCOMPARE(window.size(), QSize(584, 681));
        QCOMPARE(window.centralWidget()->objectName(), QString("centralWidget"));
        QCOMPARE(window.statusBar()->objectName(), QString("statusBar"));
        QVERIFY(window.statusBar()->currentMessage().isEmpty());
        QVERIFY(!window.menuWidget());

        auto *table = window.findChild<QTableView *>("tableView");
        QCOMPARE(table->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(table->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(table->minimumSize(), QSize(0, 0));
    }

    void fontIsRequestedForTheWholeWindow()
    {
        MainWindow window(noData);
        QVERIFY(window.testAttribute(Qt::WA_SetFont));
        QCOMPARE(window.font().family(), QString("Meiryo UI"));
        QCOMPARE(window.font().pointSize(), 9);
        for (QWidget *widget : window.findChildren<QWidget *>()) {
            QVERIFY2(!widget->testAttribute(Qt::WA_SetFont), qPrintable(widget->objectName()));
            QCOMPARE(widget->font().family(), QString("Meiryo UI"));
            QCOMPARE(widget->font().pointSize(), 9);
        }
    }

    void childrenStayPutWhenTheWindowResizes()
    {
        MainWindow window(noData);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QHash<QWidget *, QRect> before;
        for (QWidget *child :
             window.centralWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            before.insert(child, child->geometry());
        window.resize(900, 900);
        QTRY_COMPARE(window.size(), QSize(900, 900));
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(it.key()->geometry(), it.value());
    }

    void existingObjectNameIsKept()
    {
        QMainWindow window;
        window.setObjectName("ownName");
        Ui::MainWindow form;
        form.setupUi(&window);
        QCOMPARE(window.objectName(), QString("ownName"));
        QCOMPARE(form.tableView->parent(), form.centralWidget);
    }

    void captionsFollowAnInstalledCatalogue()
    {
        MarkingTranslator translator;
        QCoreApplication::installTranslator(&translator);
        MainWindow window(noData);
        QCoreApplication::removeTranslator(&translator);

        QCOMPARE(window.windowTitle(), QString("<MainWindow>"));
        QCOMPARE(window.findChild<QPushButton *>("pushButton")->text(), QString("<変換>"));
        QCOMPARE(window.findChild<QPushButton *>("pushButton_51")->text(), QString("<漢字>"));
        QCOMPARE(window.findChild<QLabel *>("label_2")->text(), "<" + hint + ">");
        QVERIFY(window.findChild<QLabel *>("label")->text().isEmpty());
        QVERIFY(window.findChild<QLabel *>("label_1")->text().isEmpty());
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
