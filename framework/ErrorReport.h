// The framework's own report of an error that reached a window callback: a
// message box owned by the window, naming what failed.
#pragma once

#include <windows.h>

namespace fw {

// Reports the exception being handled; call only from inside a catch block.
void ReportCurrentException(HWND owner) noexcept;

}  // namespace fw
