// Message maps as tables. A window class lists {message, notification code,
// control ID, handler} rows; Dispatch walks them in order and calls the first
// row that matches. This keeps each class's wiring in one readable table.
#pragma once

#include <windows.h>

#include <cstddef>

namespace fw {

template <class T>
struct MessageEntry {
    enum class Kind { Command, CommandWithId, Notify, Message };

    Kind kind;
    UINT message;  // WM_COMMAND, WM_NOTIFY or any window message
    UINT code;     // notification code for Command/Notify rows
    UINT id;       // control ID for Command/Notify rows
    void (T::*onCommand)();
    void (T::*onCommandWithId)(UINT id);
    LRESULT (T::*onNotify)(NMHDR* header);
    // Returns true when the message was handled; `result` is then returned.
    bool (T::*onMessage)(WPARAM wParam, LPARAM lParam, LRESULT& result);
};

// BN_CLICKED and friends: WM_COMMAND with `code` from control `id`.
template <class T>
constexpr MessageEntry<T> OnCommand(UINT code, UINT id, void (T::*handler)()) {
    return {MessageEntry<T>::Kind::Command, WM_COMMAND, code, id, handler, nullptr, nullptr, nullptr};
}

// As OnCommand, for handlers shared by several controls that need the ID.
template <class T>
constexpr MessageEntry<T> OnCommandId(UINT code, UINT id, void (T::*handler)(UINT)) {
    return {MessageEntry<T>::Kind::CommandWithId, WM_COMMAND, code, id, nullptr, handler, nullptr, nullptr};
}

// WM_NOTIFY with `code` from control `id`; the handler's value is the result.
template <class T>
constexpr MessageEntry<T> OnNotify(UINT code, UINT id, LRESULT (T::*handler)(NMHDR*)) {
    return {MessageEntry<T>::Kind::Notify, WM_NOTIFY, code, id, nullptr, nullptr, handler, nullptr};
}

template <class T>
constexpr MessageEntry<T> OnMessage(UINT message, bool (T::*handler)(WPARAM, LPARAM, LRESULT&)) {
    return {MessageEntry<T>::Kind::Message, message, 0, 0, nullptr, nullptr, nullptr, handler};
}

template <class T, size_t N>
bool Dispatch(T* target, const MessageEntry<T> (&table)[N], UINT message, WPARAM wParam,
              LPARAM lParam, LRESULT& result) {
    for (const MessageEntry<T>& entry : table) {
        if (entry.message != message) continue;
        switch (entry.kind) {
        case MessageEntry<T>::Kind::Command:
        case MessageEntry<T>::Kind::CommandWithId:
            if (HIWORD(wParam) != entry.code || LOWORD(wParam) != entry.id) continue;
            if (entry.onCommand) (target->*entry.onCommand)();
            else (target->*entry.onCommandWithId)(entry.id);
            result = 0;
            return true;
        case MessageEntry<T>::Kind::Notify: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (!header || header->code != entry.code || header->idFrom != entry.id) continue;
            result = (target->*entry.onNotify)(header);
            return true;
        }
        case MessageEntry<T>::Kind::Message:
            if ((target->*entry.onMessage)(wParam, lParam, result)) return true;
            continue;
        }
    }
    return false;
}

}  // namespace fw
