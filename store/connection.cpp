#include "store/connection.h"

#include "core/exception.h"
#include "store/access_functions.h"
#include "store/statement.h"
#include "store/store_files.h"
#include "store/store_tables.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <QUuid>
#include <sqlite3.h>

const QString Connection::DefaultConnectionString = QStringLiteral(
    "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"DSN=MS Access 97 "
    "Database;DBQ=Tarvenix.mdb;DriverId=25;FIL=MS Access;MaxBufferSize=2048;PageTimeout=5;UID=admin;\"");

namespace {
// A short lock held by another program must not fail a statement at once.
constexpr int kBusyTimeoutMs = 5000;
} // namespace

Connection::Connection(QObject *parent)
    : QObject(parent), connectionString_(DefaultConnectionString),
      qtName_(QStringLiteral("tarvenix-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

Connection::~Connection() { Close(); }

void Connection::SetConnectionString(const QString &text)
{
    if (Connected())
        throw EDatabaseError(QStringLiteral("Operation is not allowed when the object is open"));
    connectionString_ = text;
}

QString Connection::DatabaseFile() const
{
    static const QRegularExpression dbq(QStringLiteral("(?:^|[;\"])\\s*DBQ=([^;\"]*)"),
                                        QRegularExpression::CaseInsensitiveOption);
    return dbq.match(connectionString_).captured(1).trimmed();
}

void Connection::Open()
{
    if (Connected())
        return;
    const QString file = DatabaseFile();
    const QString path = QDir::current().absoluteFilePath(file);
    if (file.isEmpty() || !QFileInfo(path).isFile())
        throw EDatabaseError(QStringLiteral("Could not find file '%1'").arg(path));
    MakeSideFilesWritable(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), qtName_);
        // mode=rw: the driver would otherwise create a missing file.
        db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (!db.open()) {
            const QString reason = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(qtName_);
            throw EDatabaseError(QStringLiteral("Cannot open the store '%1': %2").arg(path, reason));
        }
        db_ = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
    }
    try {
        CheckTables();
        sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr); // read-only files keep theirs
        // With the write-ahead log this cannot corrupt the file, and it spares
        // a disk flush for every single posted or deleted row.
        sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        // Automatic indexes would hide the ordered plans of the store's own
        // indexes, which let a data set's window stop after its last row.
        // Set once: changing it expires every prepared statement, which is
        // then compiled again under whatever setting holds at its next step.
        sqlite3_exec(db_, "PRAGMA automatic_index=OFF", nullptr, nullptr, nullptr);
        if (!RegisterAccessFunctions(db_))
            throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db_)));
    } catch (...) {
        Close();
        throw;
    }
    emit AfterConnect();
}

void Connection::CheckTables()
{
    const QString path = QDir::current().absoluteFilePath(DatabaseFile());
    QString missing;
    try {
        missing = MissingStoreTable(db_);
    } catch (const EDatabaseError &e) {
        throw EDatabaseError(QStringLiteral("'%1' is not a Tarvenix store: %2").arg(path, e.message()));
    }
    if (!missing.isEmpty())
        throw EDatabaseError(QStringLiteral("'%1' is not a Tarvenix store: table %2 is missing").arg(path, missing));
}

void Connection::Close()
{
    if (!Connected())
        return;
    emit BeforeDisconnect();
    db_ = nullptr;
    QSqlDatabase::database(qtName_, false).close();
    QSqlDatabase::removeDatabase(qtName_);
}

sqlite3 *Connection::Handle() const
{
    if (!db_)
        throw EDatabaseError(QStringLiteral("Operation is not allowed when the object is closed"));
    return db_;
}

void Connection::Execute(const QString &sql)
{
    Statement statement(Handle(), sql);
    while (statement.Step()) {
    }
}

void Connection::BeginTrans() { Execute(QStringLiteral("BEGIN IMMEDIATE")); }
void Connection::CommitTrans() { Execute(QStringLiteral("COMMIT")); }

void Connection::RollbackTrans()
{
    if (InTransaction())
        Execute(QStringLiteral("ROLLBACK"));
}

bool Connection::InTransaction() const { return db_ && !sqlite3_get_autocommit(db_); }
