#pragma once

#include "core/knerror.h"
#include "core/knexport.h"

#include <memory>
#include <optional>

namespace kn {

// One conversion as a host asks for it: ConvertKNtoGLSpecific's five texts, who answers the
// writer's questions (null refuses them all), and whether it runs in memory: the payment file read
// whole first, a text import file's bytes kept in the result instead of written (a workbook is
// still written at the output path).
struct ConversionRequest {
    QString packageCode, input, output, title, currency;
    std::shared_ptr<Prompter> prompter = nullptr;
    bool inMemory = false;
};

// Refused: a prompt went unanswered, or the checks before writing refused (the audit's `refused`).
enum class ConversionEnding { Complete, NoRecords, Refused, Failed };

// How a conversion ended, for each host to report in its own terms.
struct ConversionResult {
    ConversionEnding ending = ConversionEnding::Complete;
    std::optional<KNError> error; // what failed, or the Error event of a file without payments
    const ConversionAudit& audit; // the converter's own
    std::string output;           // a text import file's bytes, when in memory

    // What ConvertKNtoGLSpecific returned.
    bool converted() const { return ending == ConversionEnding::Complete || ending == ConversionEnding::NoRecords; }
};

// Runs one conversion with the request's prompter and files, and leaves the converter with none
// of them. The prompter is asked with the converter's region, code page and clock at the time of
// each question. Whatever the call throws becomes the error: no memory is Out of memory (7), any
// other exception Invalid procedure call (5) with its text as the detail.
ConversionResult runConversion(KNExport& converter, const ConversionRequest& request);

} // namespace kn
