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
    const auto fail = [&result](const KNError& error) {
        result.ending = ConversionEnding::Failed;
        result.error = error;
    };
    const QString source = QStringLiteral("KNExport.ConvertKNtoGLSpecific");
    QByteArray paymentBytes;
    KNExport::MemoryFiles memory;
    try {
        // A payment file that cannot be opened is left to the conversion, to fail as from the file.
        if (QFile paymentFile(request.input); request.inMemory && paymentFile.open(QIODevice::ReadOnly)) {
            paymentBytes = paymentFile.readAll();
            memory.input = std::string_view(paymentBytes.constData(), std::size_t(paymentBytes.size()));
            converter.setMemoryFiles(&memory);
        }
        if (!converter.ConvertKNtoGLSpecific(request.packageCode, request.input, request.output, request.title,
                                             request.currency))
            result.ending = ConversionEnding::Refused;
        else if (result.error)
            result.ending = ConversionEnding::NoRecords;
    } catch (const KNError& error) {
        fail(error);
    } catch (const std::bad_alloc&) {
        fail(KNError(ErrorCode::OutOfMemory, source));
    } catch (const std::exception& error) {
        fail(KNError(ErrorCode::InvalidProcedureCall, source).withDetail(QString::fromLocal8Bit(error.what())));
    }
    QObject::disconnect(noRecords);
    converter.setPrompter(nullptr);
    converter.setMemoryFiles(nullptr);
    result.output = std::move(memory.output);
    return result;
}

} // namespace kn
