// The four choices of the "After creating:" radio group and the names under
// which they are stored in setting.ini ("option", "post action").
#pragma once

#include "res/resource.h"
#include "settings/OptionChoice.h"

inline constexpr OptionChoice PostActions[] = {
    {IDC_DO_NOTHING, "do nothing", ""},
    {IDC_OPEN, "open", ""},
    {IDC_OPEN_FOLDER, "open folder", ""},
    {IDC_EMAIL_TO, "email to", ""},
};
inline constexpr int PostActionCount = 4;
