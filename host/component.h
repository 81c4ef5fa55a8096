#pragma once

#include "core/knexport.h"
#include "prompts/scriptedprompter.h"

#include <QString>

#include <memory>

namespace kn {

// What a host chooses when it creates the converter; empty texts keep the defaults.
struct ComponentOptions {
    QString localeName;      // the system's regional settings when empty
    QString codePage;        // "windows-1252" when empty
    QString settingsIniPath; // the user's own settings store when empty
};

// Creates a converter with every package's writer, set up as the options say. Fails with Invalid
// procedure call (5) for a code page ICU does not know as single-byte.
std::unique_ptr<KNExport> createKNExport(const ComponentOptions& options);

// Sets the answer named as knexport's option ("date-format", "fiscal-year", "fiscal-period",
// "institution-number"); false for another name.
bool setScriptedAnswer(ScriptedAnswers& answers, const QString& name, const QString& value);

// The host's catalogue of every package: the descriptions a host hands to LoadAccountingPackageList.
QStringList catalogueDescriptions();

// The history of conversions knexport keeps unless told otherwise, and the desktop window shares:
// history.sqlite in knexport's data folder (~/.local/share/DARODEV/knexport).
QString defaultHistoryPath();

} // namespace kn
