#include "framework/ErrorReport.h"

#include "framework/File.h"

#include <exception>
#include <new>

namespace fw {

void ReportCurrentException(HWND owner) noexcept {
    // A fixed buffer, so that reporting cannot itself fail for lack of memory;
    // a longer description is cut to fit.
    char text[512] = "An unexpected error occurred.";
    try {
        throw;
    } catch (const CFileException& e) {
        ::lstrcpynA(text, e.what(), sizeof text);
    } catch (const std::bad_alloc&) {
        ::lstrcpynA(text, "Out of memory.", sizeof text);
    } catch (const std::exception& e) {
        ::lstrcpynA(text, e.what(), sizeof text);
    } catch (...) {
    }
    ::MessageBoxA(owner, text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace fw
