#include "settings/Singleton.h"

#include "framework/Text.h"

#include <windows.h>

CSingleton& CSingleton::GetInstance() {
    static CSingleton instance;
    return instance;
}

void CSingleton::SetFolder(const std::string& folder) {
    m_folder = folder;
    m_ini.SetPath(SettingsPathForFolder(folder));
}

std::string SettingsPathForFolder(const std::string& folder) {
    size_t last = fw::FindLastBackslash(folder);
    if (last != std::string::npos && last + 1 == folder.size()) return folder + "setting.ini";
    return folder + "\\setting.ini";
}

void WriteSetting(const char* section, const char* key, const char* value) {
    ::WritePrivateProfileStringA(section, key, value, CSingleton::GetInstance().SettingsPath());
}
