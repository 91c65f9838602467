// A MAPI32.DLL that loads but has no MAPISendMail: it exports only another
// Simple MAPI entry point.
#include <windows.h>

#include <mapi.h>

extern "C" __declspec(dllexport) ULONG WINAPI MAPILogon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG,
                                                        LPLHANDLE) {
    return MAPI_E_FAILURE;
}
