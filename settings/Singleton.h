// CSingleton: the one process-wide holder of the settings file's location.
// Created on first use, destroyed at process exit.
#pragma once

#include "settings/Ini.h"

#include <string>

class CSingleton {
public:
    static CSingleton& GetInstance();

    // Stores the folder (normally the executable's, without a trailing
    // backslash) and points the reader at setting.ini inside it.
    void SetFolder(const std::string& folder);

    const std::string& Folder() const { return m_folder; }
    CIni& Ini() { return m_ini; }
    const char* SettingsPath() const { return m_ini.Path(); }

    virtual ~CSingleton() = default;

private:
    CSingleton() = default;
    CSingleton(const CSingleton&) = delete;
    CSingleton& operator=(const CSingleton&) = delete;

    std::string m_folder;
    CIni m_ini;
};

// The path of setting.ini for a folder: one backslash between the two, none
// added when the folder already ends with one.
std::string SettingsPathForFolder(const std::string& folder);

// Writes one value of setting.ini; a null value removes the key. The result
// is not looked at: a failed write leaves the control showing the choice.
void WriteSetting(const char* section, const char* key, const char* value);
