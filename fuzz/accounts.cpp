// The known-accounts file, in any of its shapes: a list of lines, a CSV or a tab-separated export.
#include "safety/knownaccounts.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const kn::KnownAccounts accounts = kn::KnownAccounts::fromFileBytes(bytes);
    // A file of plain ASCII lines without a separator lists each line after the first, trimmed.
    bool plain = !bytes.contains('\t') && !bytes.contains(',') && !bytes.contains('"');
    for (const char c : bytes)
        plain = plain && (c == '\n' || c == '\r' || (c >= ' ' && c < 127));
    if (!plain)
        return 0;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString account = QString::fromLatin1(lines[i]).trimmed();
        if (!account.isEmpty() && !accounts.knows(account))
            std::abort();
    }
    return 0;
}
