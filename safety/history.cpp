#include "history.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>
#if defined(__x86_64__) || defined(__i386__)
// The library's entry points that choose AVX2 or AVX-512 at run time: a million payments' 165 MB
// hash in 3.5 ms instead of 8.5 ms with the plain ones, which are built for SSE2.
#include <xxh_x86dispatch.h>
#endif

namespace kn {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ");

const char* const kColumns = "converted_at, package_code, package_title, input_path, input_size, input_fingerprint, "
                             "session, entry_source, payments_read, payments_written, debits_read, credits_read, "
                             "output_path, output_size, output_fingerprint";

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS conversions ("
    " id INTEGER PRIMARY KEY,"
    " converted_at TEXT NOT NULL," // UTC, ISO 8601 with milliseconds: sorts as it reads
    " package_code TEXT NOT NULL, package_title TEXT NOT NULL,"
    " input_path TEXT NOT NULL, input_size INTEGER NOT NULL, input_fingerprint TEXT NOT NULL,"
    " session TEXT NOT NULL, entry_source TEXT NOT NULL,"
    " payments_read INTEGER NOT NULL, payments_written INTEGER NOT NULL,"
    " debits_read INTEGER NOT NULL, credits_read INTEGER NOT NULL," // in 1/10000
    " output_path TEXT NOT NULL, output_size INTEGER NOT NULL, output_fingerprint TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS conversions_by_file ON conversions (package_code, input_fingerprint)",
    "CREATE INDEX IF NOT EXISTS conversions_by_session ON conversions (package_code, session, entry_source)",
};

// SQLite's own words ("file is not a database", "database is locked"), without Qt's.
QString reason(const QSqlError& error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

// Qt binds a null text as NULL, which equals nothing.
QString notNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

ConversionRecord readRecord(const QSqlQuery& query)
{
    ConversionRecord record;
    record.time = QDateTime::fromString(query.value(0).toString(), kTimeFormat);
    record.time.setTimeSpec(Qt::UTC);
    record.packageCode = query.value(1).toString();
    record.packageTitle = query.value(2).toString();
    record.input = query.value(3).toString();
    record.inputFile = {query.value(4).toLongLong(), Fingerprint::fromHex(query.value(5).toString()).value_or(Fingerprint{})};
    record.session = query.value(6).toString();
    record.entrySource = query.value(7).toString();
    record.paymentsRead = query.value(8).toInt();
    record.written = query.value(9).toInt();
    record.debitsRead = Money::fromUnits(query.value(10).toLongLong());
    record.creditsRead = Money::fromUnits(query.value(11).toLongLong());
    record.output = query.value(12).toString();
    record.outputFile = {query.value(13).toLongLong(), Fingerprint::fromHex(query.value(14).toString()).value_or(Fingerprint{})};
    return record;
}

// A file marked read-only is left alone, also by a user (root) whom the system would let write it.
// A record is a short transaction whose commit waits for no sync (WAL, synchronous=NORMAL); the
// checkpoint a closing connection makes would wait for two, which cost a short conversion more
// than the rest of the history together. SQLite's automatic checkpoint, every thousand pages,
// moves the records into the file instead.
void leaveCheckpointsToSqlite(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        if (sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData()))
            sqlite3_db_config(connection, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
}

bool markedReadOnly(const QString& path)
{
    constexpr auto writable = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (QFile::permissions(path) & writable) == 0;
}

} // namespace

QString Fingerprint::toHex() const
{
    return QStringLiteral("%1%2").arg(high, 16, 16, QLatin1Char('0')).arg(low, 16, 16, QLatin1Char('0'));
}

std::optional<Fingerprint> Fingerprint::fromHex(QStringView hex)
{
    if (hex.size() != 32)
        return std::nullopt;
    bool highRead = false;
    bool lowRead = false;
    const Fingerprint fingerprint{hex.left(16).toULongLong(&highRead, 16), hex.mid(16).toULongLong(&lowRead, 16)};
    if (!highRead || !lowRead)
        return std::nullopt;
    return fingerprint;
}

std::optional<FileFingerprint> fingerprintFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    // Read in pieces rather than mapped: a mapping of a large payment file would add all of it to
    // the process's resident memory.
    constexpr std::size_t piece = std::size_t(1) << 20;
    const auto buffer = std::make_unique_for_overwrite<char[]>(piece);
    const std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(), &XXH3_freeState);
    std::optional<FileFingerprint> result;
    struct stat status {};
    if (state && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && XXH3_128bits_reset(state.get()) == XXH_OK) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        qint64 size = 0;
        ssize_t n = 0;
        while ((n = ::read(fd, buffer.get(), piece)) > 0 || (n < 0 && errno == EINTR)) {
            if (n > 0) {
                XXH3_128bits_update(state.get(), buffer.get(), std::size_t(n));
                size += n;
            }
        }
        if (n == 0) {
            const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
            result = FileFingerprint{size, Fingerprint{hash.high64, hash.low64}};
        }
    }
    ::close(fd);
    return result;
}

StreamFingerprint::StreamFingerprint(QString path)
    : ByteWatch(std::move(path)), state_(XXH3_createState(), [](XXH3_state_t* state) { XXH3_freeState(state); })
{
}

void StreamFingerprint::restart()
{
    started_ = state_ && XXH3_128bits_reset(state_.get()) == XXH_OK;
    size_ = 0;
}

void StreamFingerprint::add(const char* bytes, std::size_t size)
{
    if (started_ && !lost() && XXH3_128bits_update(state_.get(), bytes, size) != XXH_OK)
        lose();
    size_ += qint64(size);
}

std::optional<FileFingerprint> StreamFingerprint::result(qint64 fileSize) const
{
    if (!started_ || lost() || size_ != fileSize)
        return std::nullopt;
    const XXH128_hash_t hash = XXH3_128bits_digest(state_.get());
    return FileFingerprint{size_, Fingerprint{hash.high64, hash.low64}};
}

QString repeatMatchText(RepeatMatch match)
{
    return match == RepeatMatch::SamePaymentFile ? QStringLiteral("same payment file")
                                                 : QStringLiteral("same session, count and totals");
}

ConversionHistory::ConversionHistory(QString path, int busyTimeoutMs) : path_(std::move(path)), busyTimeoutMs_(busyTimeoutMs)
{
    static std::atomic<int> connections{0};
    connection_ = QStringLiteral("darodev-history-%1").arg(++connections);
}

ConversionHistory::~ConversionHistory()
{
    if (opened_) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

QString ConversionHistory::problem(const QString& what, const QString& why) const
{
    return QStringLiteral("the history %1 %2 (%3)")
        .arg(QDir::toNativeSeparators(QFileInfo(path_).absoluteFilePath()), what, why);
}

bool ConversionHistory::open(Use use, QString* warning)
{
    const auto fail = [&](const QString& why) {
        if (warning)
            *warning = problem(use == Use::Read ? QStringLiteral("cannot be read") : QStringLiteral("cannot be written"), why);
        return false;
    };
    const QFileInfo file(path_);
    if (file.isDir())
        return fail(QStringLiteral("it is a folder"));
    if (!opened_) {
        readOnly_ = file.exists() && markedReadOnly(path_);
        if (!file.exists()) {
            if (use == Use::Read)
                return false; // nothing converted yet
            if (!QDir().mkpath(file.absolutePath()))
                return fail(QStringLiteral("its folder cannot be made"));
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        opened_ = true;
        if (!db.isValid())
            return fail(QStringLiteral("Qt's SQLite driver QSQLITE is not installed"));
        db.setDatabaseName(path_);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1%2")
                                 .arg(busyTimeoutMs_)
                                 .arg(readOnly_ ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
        if (!db.open())
            return fail(reason(db.lastError()));
        leaveCheckpointsToSqlite(db);
    }
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.isOpen())
        return fail(reason(db.lastError()));
    if (use == Use::Write && readOnly_)
        return fail(QStringLiteral("the file is read-only"));
    QSqlQuery query(db);
    // One statement reads both at one moment: another conversion may be making the schema.
    if (!query.exec(QStringLiteral("SELECT user_version, (SELECT count(*) FROM sqlite_master) FROM pragma_user_version")) ||
        !query.next())
        return fail(reason(query.lastError()));
    const int version = query.value(0).toInt();
    if (version > SchemaVersion)
        return fail(QStringLiteral("a later release wrote it, schema version %1").arg(version));
    if (version == SchemaVersion)
        return true;
    // Version 0: a database made by something else is left alone; an empty one gets the schema.
    if (query.value(1).toInt() > 0)
        return fail(QStringLiteral("it is a database of something else"));
    if (use == Use::Read)
        return false; // made empty by another conversion that is writing its first record
    // Several conversions may write at once; a record is a short transaction, so readers wait
    // for none. A commit is on the disk at the next checkpoint: a power cut may lose the last
    // record, never the history.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return fail(reason(query.lastError()));
    return true;
}

std::vector<EarlierConversion> ConversionHistory::earlierConversions(const ConversionRecord& about, QString* warning)
{
    std::vector<EarlierConversion> earlier;
    if (!open(Use::Read, warning))
        return earlier;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral("SELECT %1 FROM conversions WHERE (:code = '' OR package_code = :code) AND "
                                 "((input_size = :size AND input_fingerprint = :fingerprint) OR "
                                 " (session = :session AND entry_source = :source AND payments_read = :count AND "
                                 "  debits_read = :debits AND credits_read = :credits)) "
                                 "ORDER BY converted_at DESC, id DESC")
                      .arg(QLatin1String(kColumns)));
    query.bindValue(QStringLiteral(":code"), notNull(about.packageCode));
    query.bindValue(QStringLiteral(":size"), about.inputFile.size);
    query.bindValue(QStringLiteral(":fingerprint"), about.inputFile.fingerprint.toHex());
    query.bindValue(QStringLiteral(":session"), notNull(about.session));
    query.bindValue(QStringLiteral(":source"), notNull(about.entrySource));
    query.bindValue(QStringLiteral(":count"), about.paymentsRead);
    query.bindValue(QStringLiteral(":debits"), qint64(about.debitsRead.units()));
    query.bindValue(QStringLiteral(":credits"), qint64(about.creditsRead.units()));
    if (!query.exec()) {
        if (warning)
            *warning = problem(QStringLiteral("cannot be read"), reason(query.lastError()));
        return earlier;
    }
    while (query.next()) {
        ConversionRecord record = readRecord(query);
        const bool sameFile = record.inputFile.size == about.inputFile.size &&
                              record.inputFile.fingerprint == about.inputFile.fingerprint;
        earlier.push_back({std::move(record), sameFile ? RepeatMatch::SamePaymentFile : RepeatMatch::SameSessionCountTotals});
    }
    return earlier;
}

std::vector<ConversionRecord> ConversionHistory::list(const QString& packageCode, int limit, QString* warning)
{
    std::vector<ConversionRecord> conversions;
    if (!open(Use::Read, warning))
        return conversions;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral("SELECT %1 FROM conversions WHERE :code = '' OR package_code = :code "
                                 "ORDER BY converted_at DESC, id DESC LIMIT :limit")
                      .arg(QLatin1String(kColumns)));
    query.bindValue(QStringLiteral(":code"), notNull(packageCode));
    query.bindValue(QStringLiteral(":limit"), limit > 0 ? limit : -1);
    if (!query.exec()) {
        if (warning)
            *warning = problem(QStringLiteral("cannot be read"), reason(query.lastError()));
        return conversions;
    }
    while (query.next())
        conversions.push_back(readRecord(query));
    return conversions;
}

bool ConversionHistory::record(const ConversionRecord& conversion, QString* warning)
{
    if (!open(Use::Write, warning))
        return false;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    const auto fail = [&](const QSqlQuery& failed) {
        if (warning)
            *warning = problem(QStringLiteral("cannot be written"), reason(failed.lastError()));
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    // The write lock is taken first, so that two first records cannot both make the schema.
    if (!query.exec(QStringLiteral("PRAGMA synchronous=NORMAL")) || !query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(query);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return fail(query);
    if (query.value(0).toInt() == 0) {
        for (const char* statement : kSchema) {
            if (!query.exec(QLatin1String(statement)))
                return fail(query);
        }
        if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion)))
            return fail(query);
    }
    query.prepare(QStringLiteral("INSERT INTO conversions (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                      .arg(QLatin1String(kColumns)));
    const QVariantList values{conversion.time.toUTC().toString(kTimeFormat),
                              notNull(conversion.packageCode),
                              notNull(conversion.packageTitle),
                              notNull(conversion.input),
                              conversion.inputFile.size,
                              conversion.inputFile.fingerprint.toHex(),
                              notNull(conversion.session),
                              notNull(conversion.entrySource),
                              conversion.paymentsRead,
                              conversion.written,
                              qint64(conversion.debitsRead.units()),
                              qint64(conversion.creditsRead.units()),
                              notNull(conversion.output),
                              conversion.outputFile.size,
                              conversion.outputFile.fingerprint.toHex()};
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec() || !query.exec(QStringLiteral("COMMIT")))
        return fail(query);
    return true;
}

} // namespace kn
