// The package-list descriptions a host hands over, one per line, fields split by "~".
#include "fuzzinput.h"

#include "core/knerror.h"
#include "core/knexport.h"
#include "writers/packagetable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kn;
    fuzz::FuzzInput input(data, size);
    KNExport converter;
    converter.setPackageTable(packageTable());
    converter.setRegionalSettings(
        RegionalSettings::named(QString::fromLatin1(fuzz::kLocales[input.choose(std::size(fuzz::kLocales))])));
    try {
        converter.LoadAccountingPackageList(QString::fromLatin1(input.rest()).split(u'\n'));
    } catch (const KNError&) {
    }
    return 0;
}
