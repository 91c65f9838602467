#include "engine/DisplayCallbacks.h"

namespace {

DisplayCallbackTable MakeTable() {
    DisplayCallbackTable table = {};
    table.size = static_cast<int>(sizeof table);
    table.versionMajor = 2;
    table.versionMinor = 0;
    return table;
}

}  // namespace

DisplayCallbackTable* GetDisplayCallbackTable() {
    static DisplayCallbackTable table = MakeTable();
    return &table;
}
