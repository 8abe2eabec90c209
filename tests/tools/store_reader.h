#pragma once
// Reads a store file through Qt's SQLite driver, the way the program opens it.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QVariantList>
#include <QtTest>

class StoreReader
{
public:
    explicit StoreReader(const QString &path)
        : name_(QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s: %s", qPrintable(path), qPrintable(db.lastError().text()));
    }
    ~StoreReader()
    {
        QSqlDatabase::database(name_).close();
        QSqlDatabase::removeDatabase(name_);
    }

    // Every row of the statement's result; a failing statement fails the test run.
    QList<QVariantList> rows(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(name_));
        if (!query.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        QList<QVariantList> result;
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            result << row;
        }
        return result;
    }

    QVariant value(const QString &sql) const { return rows(sql).value(0).value(0); }

private:
    QString name_;
};
