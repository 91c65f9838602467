// A stand-in for the mail system's MAPI32.DLL. MAPISendMail writes what it
// was given into the file named by ORV_FAKE_MAPI_RECORD, one "name=value"
// line per field (texts in double quotes, "null" for a null pointer), and
// returns the number in ORV_FAKE_MAPI_RESULT (0 when not set).
#include <windows.h>

#include <mapi.h>

#include <cstdlib>
#include <string>

namespace {

std::string Environment(const char* name) {
    char value[1024] = {};  // a longer value reads as empty
    DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string Text(const char* text) {
    return text ? "\"" + std::string(text) + "\"" : std::string("null");
}

std::string Pointer(const void* pointer) { return pointer ? "set" : "null"; }

void Line(std::string& record, const char* name, const std::string& value) {
    record += name;
    record += '=';
    record += value;
    record += '\n';
}

void Line(std::string& record, const char* name, unsigned long long value) {
    Line(record, name, std::to_string(value));
}

std::string Describe(LHANDLE session, ULONG_PTR uiParam, const MapiMessage* message, FLAGS flags,
                     ULONG reserved) {
    std::string record;
    Line(record, "session", session);
    Line(record, "uiParam", uiParam);
    Line(record, "flags", flags);
    Line(record, "reserved", reserved);
    if (!message) {
        Line(record, "message", "null");
        return record;
    }
    Line(record, "message.reserved", message->ulReserved);
    Line(record, "subject", Text(message->lpszSubject));
    Line(record, "noteText", Text(message->lpszNoteText));
    Line(record, "messageType", Text(message->lpszMessageType));
    Line(record, "dateReceived", Text(message->lpszDateReceived));
    Line(record, "conversationId", Text(message->lpszConversationID));
    Line(record, "message.flags", message->flFlags);
    Line(record, "originator", Pointer(message->lpOriginator));
    Line(record, "recipCount", message->nRecipCount);
    Line(record, "recips", Pointer(message->lpRecips));
    Line(record, "fileCount", message->nFileCount);
    for (ULONG i = 0; message->lpFiles && i < message->nFileCount; ++i) {
        const MapiFileDesc& file = message->lpFiles[i];
        Line(record, "file.reserved", file.ulReserved);
        Line(record, "file.flags", file.flFlags);
        Line(record, "file.position", file.nPosition);
        Line(record, "file.pathName", Text(file.lpszPathName));
        Line(record, "file.fileName", Text(file.lpszFileName));
        Line(record, "file.fileType", Pointer(file.lpFileType));
    }
    return record;
}

}  // namespace

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR uiParam,
                                                           lpMapiMessage message, FLAGS flags,
                                                           ULONG reserved) {
    const std::string record = Describe(session, uiParam, message, flags, reserved);
    const std::string path = Environment("ORV_FAKE_MAPI_RECORD");
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    return static_cast<ULONG>(std::strtoul(Environment("ORV_FAKE_MAPI_RESULT").c_str(), nullptr, 10));
}
