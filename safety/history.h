#pragma once

#include "core/money.h"
#include "core/textfile.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct XXH3_state_s;

namespace kn {

// A file's bytes in 128 bits (XXH3-128): it tells a file converted before from another, and is
// fast enough for a payment file of hundreds of megabytes. It guards against mistakes only.
struct Fingerprint {
    quint64 high = 0;
    quint64 low = 0;

    QString toHex() const;
    static std::optional<Fingerprint> fromHex(QStringView hex);
    bool operator==(const Fingerprint&) const = default;
};

struct FileFingerprint {
    qint64 size = 0;
    Fingerprint fingerprint;
};

// The file's size and fingerprint; nullopt when it cannot be read.
std::optional<FileFingerprint> fingerprintFile(const QString& path);

// The fingerprint of the bytes this thread reads from the file at `path` (through TextFileReader)
// or writes to it (through AtomicFile) while it lives.
class StreamFingerprint final : public ByteWatch {
public:
    explicit StreamFingerprint(QString path);

    // The fingerprint of a file of this size when every byte of it went out here in order;
    // nullopt otherwise (a writer that went back to a byte written before, or wrote elsewhere).
    std::optional<FileFingerprint> result(qint64 fileSize) const;

    void add(const char* bytes, std::size_t size) override;

private:
    void restart() override;

    std::unique_ptr<::XXH3_state_s, void (*)(::XXH3_state_s*)> state_;
    qint64 size_ = 0;
    bool started_ = false;
};

// One conversion that wrote an import file.
struct ConversionRecord {
    QDateTime time; // UTC
    QString packageCode;
    QString packageTitle;
    QString input;
    FileFingerprint inputFile;
    QString session;
    QString entrySource;
    int paymentsRead = 0;
    int written = 0;
    Money debitsRead;
    Money creditsRead;
    QString output;
    FileFingerprint outputFile;
};

enum class RepeatMatch { SamePaymentFile, SameSessionCountTotals };
// "same payment file" or "same session, count and totals".
QString repeatMatchText(RepeatMatch match);

struct EarlierConversion {
    ConversionRecord record;
    RepeatMatch match = RepeatMatch::SamePaymentFile;
};

// The conversions kept in an SQLite file (through Qt SQL). Several processes may use one file at
// once (WAL, a busy timeout). A file that cannot be used (corrupt, locked past the timeout,
// read-only, not a database) gives a warning naming it and is never deleted, truncated or
// rewritten; a later release migrates the schema by its version (PRAGMA user_version).
class ConversionHistory {
public:
    static constexpr int SchemaVersion = 1;

    explicit ConversionHistory(QString path, int busyTimeoutMs = 3000);
    ~ConversionHistory();
    ConversionHistory(const ConversionHistory&) = delete;
    ConversionHistory& operator=(const ConversionHistory&) = delete;

    const QString& path() const { return path_; }

    // Earlier conversions of the same package with the same payments (the same payment-file
    // bytes, or the same session and entry source with the same count and totals), newest first;
    // of every package when the code is empty.
    std::vector<EarlierConversion> earlierConversions(const ConversionRecord& about, QString* warning);
    // The conversions of a package (every package when empty), newest first, at most `limit`
    // (every one when 0 or less).
    std::vector<ConversionRecord> list(const QString& packageCode, int limit, QString* warning);
    // Adds the conversion in one transaction, making the file when there is none; false with a
    // warning when it could not be added.
    bool record(const ConversionRecord& conversion, QString* warning);

private:
    enum class Use { Read, Write };
    // The connection's name, or an empty text with the warning when the file cannot be used.
    bool open(Use use, QString* warning);
    QString problem(const QString& what, const QString& why) const;

    QString path_;
    QString connection_;
    int busyTimeoutMs_;
    bool opened_ = false;
    bool readOnly_ = false;
};

} // namespace kn
