// The settings record: copying the one record of CVN1 (opened with OpenSettings) into
// SettingsRecord and back. Every write stores all fields, so after it the record equals the
// variables. A CVN1 without a record reads as a blank one and gets its record on the first write.
#pragma once

#include <QString>

void ReadSettings();
void WriteSettings();

// Reads the settings at start-up: OpenSettings, ReadSettings, close CVN1, then the payment terms
// into TermsRecord. False when CVN1 or Terms could not be opened (the program is then ending).
bool LoadSettings();

// Changes a setting the way every dialog does: OpenSettings, WriteSettings as one change, close
// CVN1. False when CVN1 could not be opened (the program is then ending), or when the change
// could not be stored (the user has been told, and the file keeps the settings it had).
bool SaveSettings();

// SaveSettings with the write checked: false when CVN1 could not be opened or the record did not
// reach the file, with the engine's reason in *error (empty when the program is ending).
bool StoreSettings(QString* error);
