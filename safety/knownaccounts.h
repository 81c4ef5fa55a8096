#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace kn {

// The ledger accounts a package knows, from a text file with one account a line or a CSV or
// tab-separated export whose first column holds the account. Accounts compare without regard to
// case, as the packages look them up.
class KnownAccounts {
public:
    KnownAccounts() = default;
    explicit KnownAccounts(const QStringList& accounts);

    // The accounts in a file's bytes (UTF-8, or windows-1252 when they are not UTF-8): a tab on
    // the first line makes it tab-separated, a comma a CSV (its first field may be quoted); blanks
    // around an account are trimmed, empty lines skipped, and a first line that is a column
    // title ("Account", "Account Number", "!ACCNT" ...) too.
    static KnownAccounts fromFileBytes(const QByteArray& bytes);
    // Fails with File not found (53) or the file system's number, the detail naming the file.
    static KnownAccounts fromFile(const QString& path);

    bool knows(const QString& account) const;
    int count() const { return int(accounts_.size()); }

private:
    QSet<QString> accounts_;
};

} // namespace kn
