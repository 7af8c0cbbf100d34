#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh data folder for one test: RAVO_DIR points at it while it lives.
class TestDataFolder
{
public:
    TestDataFolder();
    ~TestDataFolder();

    bool isValid() const { return dir.isValid(); }
    QString path(const QString &fileName) const;
    void write(const QString &fileName, const QByteArray &bytes) const;
    QByteArray read(const QString &fileName) const;
    void remove(const QString &fileName) const;

private:
    QTemporaryDir dir;
};

// Joins lines with "\n" after each, as UTF-8.
QByteArray linesToBytes(const QStringList &lines);
