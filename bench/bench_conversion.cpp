// Throughput of the import and the writers, and of SortByDate on its worst case.
#include "paymentgenerator.h"

#include "core/knerror.h"
#include "core/knexport.h"
#include "writers/packagetable.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace kn;

namespace {

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// One payment file per size and order, written once and shared by every benchmark.
QString paymentFile(int lines, bench::DateOrder order)
{
    const QString path = scratch().filePath(QStringLiteral("payments-%1-%2.txt").arg(lines).arg(int(order)));
    if (!QFile::exists(path))
        bench::writePaymentFile(path, lines, order);
    return path;
}

void reportPeakMemory(benchmark::State& state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = double(usage.ru_maxrss) / 1024.0;
}

void convert(benchmark::State& state, const char* code, bench::DateOrder order)
{
    const int lines = int(state.range(0));
    const QString input = paymentFile(lines, order);
    const QString output = scratch().filePath(QStringLiteral("out-%1").arg(QString::fromLatin1(code)));
    KNExport converter;
    converter.setPackageTable(packageTable());
    converter.setRegionalSettings(RegionalSettings::named(QStringLiteral("en_US")));
    for (auto _ : state) {
        try {
            if (!converter.ConvertKNtoGLSpecific(QString::fromLatin1(code), input, output, QStringLiteral("Bench"), QString()))
                state.SkipWithError("conversion refused");
        } catch (const KNError& error) {
            state.SkipWithError(error.description().toStdString().c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * lines);
    reportPeakMemory(state);
}

void BM_ImportOnly(benchmark::State& state) { convert(state, "99", bench::DateOrder::Ascending); }
void BM_ImportAndMomentum(benchmark::State& state) { convert(state, "05", bench::DateOrder::Ascending); }

// Writers that sort by date, on their worst case: a payment file in reverse date order.
void BM_QuickBooksReversed(benchmark::State& state) { convert(state, "02", bench::DateOrder::Reversed); }
void BM_PeachtreeReversed(benchmark::State& state) { convert(state, "06", bench::DateOrder::Reversed); }

// Every writer on the same 30,000 lines (the most a date sort takes), for lines per second per writer.
void BM_Writer(benchmark::State& state, const char* code) { convert(state, code, bench::DateOrder::Ascending); }

void BM_SortByDateReversed(benchmark::State& state)
{
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TransRecords records;
        for (int i = 0; i < count; ++i)
            records.Add(CalDate(count - i), {}, {}, {}, {}, Money::fromUnits(1), {}, {}, {});
        state.ResumeTiming();
        records.SortByDate();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

} // namespace

BENCHMARK(BM_ImportOnly)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportAndMomentum)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickBooksReversed)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeachtreeReversed)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, ImportOnly, "99")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, QuickBooks, "02")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, Simply, "03")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, Momentum, "05")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, Peachtree, "06")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, Money, "07")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, Quicken, "10")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, AccPacDos, "11")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, Adagio, "12")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, Tronia, "14")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, Jonas, "15")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, AIMsi, "16")->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByDateReversed)->Arg(30000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
