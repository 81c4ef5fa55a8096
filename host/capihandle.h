// The converter behind the C interface's kn_export handle, shared by the files that implement it.
#pragma once

#include "darodev/prompts.h"

#include "core/knerror.h"
#include "core/knexport.h"
#include "prompts/scriptedprompter.h"
#include "safety/safetychecks.h"

#include <QByteArray>

#include <exception>
#include <memory>
#include <new>
#include <optional>

struct kn_records;

struct kn_export {
    std::unique_ptr<kn::KNExport> converter;
    kn::SafetyOptions safety; // the converter's checks are made from them at every change
    kn::ScriptedAnswers answers;
    std::optional<kn_prompts> prompts; // the host's own, used instead of the answers
    void* promptsUser = nullptr;
    void (*onStatus)(void*, const char*) = nullptr;
    void* statusUser = nullptr;
    void (*onComplete)(void*) = nullptr;
    void* completeUser = nullptr;
    void (*onError)(void*, int, const char*, const char*) = nullptr;
    void* errorUser = nullptr;
    void (*onWarning)(void*, const char*) = nullptr;
    void* warningUser = nullptr;
    QByteArray auditJson;
    int errorNumber = 0;
    QByteArray errorDescription;
    QByteArray errorSource;
    QByteArray errorDetail;
    QByteArray packageText;
    QByteArray formatted; // the last text of kn_export_qb_date_format or kn_export_jonas_date_format
    std::unique_ptr<kn_records> records; // the handle of the converter's collection, made on first use

    kn_export();
    ~kn_export();

    void clearError()
    {
        errorNumber = 0;
        errorDescription.clear();
        errorSource.clear();
        errorDetail.clear();
    }
    int fail(const kn::KNError& error)
    {
        errorNumber = error.number();
        errorDescription = error.description().toUtf8();
        errorSource = error.source().toUtf8();
        errorDetail = error.detail().toUtf8();
        return -1;
    }
    int failInvalidArgument(const char* source, const QString& detail = {})
    {
        return fail(kn::KNError(kn::ErrorCode::InvalidProcedureCall, QString::fromUtf8(source)).withDetail(detail));
    }
    // What escapes the converter is not a KNError only when memory ran out or a library failed.
    int failUnexpected(const char* source)
    {
        try {
            throw;
        } catch (const std::bad_alloc&) {
            return fail(kn::KNError(kn::ErrorCode::OutOfMemory, QString::fromUtf8(source)));
        } catch (const std::exception& error) {
            return failInvalidArgument(source, QString::fromLocal8Bit(error.what()));
        } catch (...) {
            return failInvalidArgument(source);
        }
    }

    // A host may destroy the object from inside one of its events; the conversion then finishes
    // without raising another and the object goes when the call returns. Nor may it start a
    // second conversion from there.
    bool converting = false;
    bool destroyRequested = false;
};

