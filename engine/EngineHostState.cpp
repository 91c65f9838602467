#include "engine/EngineHostState.h"

EngineHostState& GetEngineHostState() {
    static EngineHostState state;
    return state;
}
