// A row tying a radio button to the text stored in setting.ini for it.
#pragma once

struct OptionChoice {
    int controlId;
    const char* value;
    const char* description;  // shown for the choice; empty where unused
};
