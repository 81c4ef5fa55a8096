#include "conversionrun.h"

#include <QFile>

#include <exception>
#include <new>

namespace kn {

ConversionResult runConversion(KNExport& converter, const ConversionRequest& request)
{
    ConversionResult result{ConversionEnding::Complete, std::nullopt, converter.LastAudit(), {}};
    const QMetaObject::Connection noRecords = QObject::connect(
        &converter, &KNExport::Error, [&result](int number, const QString& description, const QString& location) {
            result.error = KNError(number, description, location);
        });
    converter.setPrompter(request.prompter);
    const QString source = QStringLiteral("KNExport.ConvertKNtoGLSpecific");
    QByteArray paymentBytes;
    KNExport::MemoryFiles memory;
    std::optional<bool> converted; // none when the call threw
    try {
        // A payment file that cannot be opened is left to the conversion, to fail as from the file.
        if (QFile paymentFile(request.input); request.inMemory && paymentFile.open(QIODevice::ReadOnly)) {
            paymentBytes = paymentFile.readAll();
            memory.input = std::string_view(paymentBytes.constData(), std::size_t(paymentBytes.size()));
            converter.setMemoryFiles(&memory);
        }
        converted = converter.ConvertKNtoGLSpecific(request.packageCode, request.input, request.output, request.title,
                                                    request.currency);
    } catch (const KNError& error) {
        result.error = error;
    } catch (const std::bad_alloc&) {
        result.error = KNError(ErrorCode::OutOfMemory, source);
    } catch (const std::exception& error) {
        result.error = KNError(ErrorCode::InvalidProcedureCall, source).withDetail(QString::fromLocal8Bit(error.what()));
    }
    if (!converted)
        result.ending = ConversionEnding::Failed;
    else if (!*converted)
        result.ending = ConversionEnding::Refused;
    else if (result.error)
        result.ending = ConversionEnding::NoRecords;
    QObject::disconnect(noRecords);
    converter.setPrompter(nullptr);
    converter.setMemoryFiles(nullptr);
    result.output = std::move(memory.output);
    return result;
}

} // namespace kn
