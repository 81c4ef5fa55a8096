#include "knownaccounts.h"

#include "core/knerror.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <cerrno>

namespace kn {

namespace {

enum class Shape { Lines, Csv, Tabs };

QString firstCsvField(QStringView line)
{
    if (!line.startsWith(u'"'))
        return line.left(line.indexOf(u',')).toString();
    QString field;
    for (qsizetype i = 1; i < line.size(); ++i) {
        if (line[i] == u'"') {
            if (i + 1 < line.size() && line[i + 1] == u'"') {
                field += u'"';
                ++i;
                continue;
            }
            break;
        }
        field += line[i];
    }
    return field;
}

QString firstField(QStringView line, Shape shape)
{
    switch (shape) {
    case Shape::Tabs: return line.left(line.indexOf(u'\t')).toString();
    case Shape::Csv: return firstCsvField(line);
    case Shape::Lines: break;
    }
    return line.toString();
}

// What exports put over their account column, and the header rows of QuickBooks' lists ("!ACCNT").
bool isColumnTitle(const QString& field)
{
    const QString title = field.toLower();
    static const QStringList titles{QStringLiteral("number"), QStringLiteral("no"), QStringLiteral("no."),
                                    QStringLiteral("code"),   QStringLiteral("name"), QStringLiteral("gl"),
                                    QStringLiteral("#"),      QStringLiteral("id")};
    return title.startsWith(u'!') || title.contains(QLatin1String("account")) || title.contains(QLatin1String("acct")) ||
           titles.contains(title);
}

} // namespace

KnownAccounts::KnownAccounts(const QStringList& accounts)
{
    for (const QString& account : accounts) {
        const QString trimmed = account.trimmed();
        if (!trimmed.isEmpty())
            accounts_.insert(trimmed.toCaseFolded());
    }
}

KnownAccounts KnownAccounts::fromFileBytes(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QStringDecoder("windows-1252")(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    const QString first = lines.value(0);
    const Shape shape = first.contains(u'\t') ? Shape::Tabs : first.contains(u',') ? Shape::Csv : Shape::Lines;
    QStringList accounts;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString account = firstField(lines[i], shape).trimmed();
        if (i == 0 && isColumnTitle(account))
            continue;
        accounts.append(account);
    }
    return KnownAccounts(accounts);
}

KnownAccounts KnownAccounts::fromFile(const QString& path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const KNError error = errno != 0 ? fileError(errno, FileAccess::Read) : KNError(ErrorCode::FileNotFound);
        throw error.withDetail(QStringLiteral("the known accounts %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    return fromFileBytes(file.readAll());
}

bool KnownAccounts::knows(const QString& account) const
{
    return accounts_.contains(account.trimmed().toCaseFolded());
}

} // namespace kn
