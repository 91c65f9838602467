#include "settings/RestoreControls.h"

#include "settings/Singleton.h"

#include <cstring>

int FindChoiceId(const std::string& stored, const OptionChoice* table, int count, int defaultId) {
    if (stored.empty()) return defaultId;
    for (int i = 0; i < count; ++i) {
        // Byte equality is exact equality for multibyte text too.
        if (std::strcmp(table[i].value, stored.c_str()) == 0) return table[i].controlId;
    }
    return defaultId;
}

void RestoreRadioGroup(HWND dialog, const char* section, const char* key,
                       const OptionChoice* table, int count, int firstId, int lastId,
                       int defaultId) {
    std::string stored = CSingleton::GetInstance().Ini().GetString(section, key);
    ::CheckRadioButton(dialog, firstId, lastId, FindChoiceId(stored, table, count, defaultId));
}

void RestoreCheckBox(int controlId, HWND dialog, const char* section, const char* key) {
    std::string stored = CSingleton::GetInstance().Ini().GetString(section, key);
    ::SendDlgItemMessageA(dialog, controlId, BM_SETCHECK,
                          stored == "true" ? BST_CHECKED : BST_UNCHECKED, 0);
}
