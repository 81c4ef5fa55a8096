// genpayments COUNT FILE [--reversed]: writes a payment file of COUNT detail lines.
#include "paymentgenerator.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool ok = false;
    const int count = arguments.value(1).toInt(&ok);
    if (arguments.size() < 3 || !ok || count < 0) {
        std::fprintf(stderr, "usage: genpayments COUNT FILE [--reversed]\n");
        return 2;
    }
    const bool reversed = arguments.contains(QStringLiteral("--reversed"));
    kn::bench::writePaymentFile(arguments[2], count, reversed ? kn::bench::DateOrder::Reversed : kn::bench::DateOrder::Ascending);
    return 0;
}
