// Restoring dialog controls from values stored in setting.ini.
#pragma once

#include "settings/OptionChoice.h"

#include <windows.h>

#include <string>

// The control ID of the first of `count` rows whose value equals `stored`
// exactly (case-sensitive); `defaultId` for an empty or unknown value.
int FindChoiceId(const std::string& stored, const OptionChoice* table, int count, int defaultId);

// Selects the radio button, from firstId to lastId, that matches the stored
// value of section/key, clearing the others. Nothing is written.
void RestoreRadioGroup(HWND dialog, const char* section, const char* key,
                       const OptionChoice* table, int count, int firstId, int lastId,
                       int defaultId);

// Checks the box when the stored value is exactly "true", clears it otherwise.
void RestoreCheckBox(int controlId, HWND dialog, const char* section, const char* key);
