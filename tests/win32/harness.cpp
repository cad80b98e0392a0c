// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/win32/harness.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vantrel::driver {

// ---------------------------------------------------------------------------------------------
// Reporting

namespace {

int g_passed = 0;
int g_failed = 0;

// A wait's length as a failed check gives it.
std::string duration(DWORD ms) {
    return ms < 1000 ? std::to_string(ms) + " ms" : std::to_string(ms / 1000) + " s";
}

}  // namespace

void report(bool ok, const std::string& what, const std::string& detail) {
    if (ok) {
        ++g_passed;
        std::printf("ok   %s\n", what.c_str());
    } else {
        ++g_failed;
        std::printf("FAIL %s%s%s\n", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    }
    std::fflush(stdout);
}

int passed_count() {
    return g_passed;
}

int failed_count() {
    return g_failed;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void check_text(const std::string& what, const std::string& got, const std::string& expected) {
    report(got == expected, what, "expected " + quoted(expected) + ", got " + quoted(got));
}

void check_int(const std::string& what, long long got, long long expected) {
    report(got == expected, what,
           "expected " + std::to_string(expected) + ", got " + std::to_string(got));
}

void check_true(const std::string& what, bool got) {
    report(got, what, "it is not so");
}

std::string simulate(const std::string& options) {
    return "/simulate:pauses=instant" + (options.empty() ? std::string() : "," + options);
}

// ---------------------------------------------------------------------------------------------
// Windows of another process

std::string class_of(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string caption_of(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// A control's text as the control itself answers WM_GETTEXT (GetWindowText of another
// process's control would give its window caption instead).
std::string control_text(HWND control) {
    char text[512] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string item_text(HWND dialog, int id) {
    return control_text(GetDlgItem(dialog, id));
}

// A list item's text. The wide message, because Wine passes only the first character of the
// ANSI one between processes.
std::string list_item(HWND list, int index) {
    wchar_t text[64] = {};
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    std::string narrow;
    for (const wchar_t* p = text; *p != 0; ++p) {
        narrow += static_cast<char>(*p);
    }
    return narrow;
}

LRESULT send(HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam) {
    return SendMessageA(GetDlgItem(dialog, id), message, wparam, lparam);
}

bool enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

LONG style_of(HWND hwnd) {
    return GetWindowLongA(hwnd, GWL_STYLE);
}

bool has_style(HWND hwnd, LONG bits) {
    return (style_of(hwnd) & bits) == bits;
}

// Waits until the window's thread has handled everything sent before: it answers a message
// only from its message loop, that is when a handler has returned or a modal box is waiting.
void settle(HWND hwnd) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
}

// ---------------------------------------------------------------------------------------------
// One run of vantrel.exe

std::string g_program;

namespace {

struct WindowQuery {
    DWORD pid;
    std::function<bool(HWND)> matches;
    HWND found;
};

BOOL CALLBACK match_window(HWND hwnd, LPARAM data) {
    auto* query = reinterpret_cast<WindowQuery*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == query->pid && IsWindowVisible(hwnd) && class_of(hwnd) == kDialogClass &&
        query->matches(hwnd)) {
        query->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK find_icon(HWND child, LPARAM data) {
    if (class_of(child) == "Static" && (style_of(child) & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0) != 0) {
        *reinterpret_cast<bool*>(data) = true;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool has_icon(HWND window) {
    bool found = false;
    EnumChildWindows(window, find_icon, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool is_caution(HWND hwnd) {
    return GetDlgItem(hwnd, IDC_DONT_SHOW) != nullptr;
}

bool is_main(HWND hwnd) {
    return caption_of(hwnd) == kMainTitle && GetDlgItem(hwnd, IDC_RUN_SETTINGS) != nullptr;
}

// A message box has its text in a static with ID 0xFFFF. So do the labels of the program's own
// dialogs (a template's -1 is 0xFFFF), so those are told apart by their other controls.
bool is_message_box(HWND hwnd) {
    return GetDlgItem(hwnd, kMessageBoxTextId) != nullptr && !is_caution(hwnd) &&
           GetDlgItem(hwnd, IDC_RUN_SETTINGS) == nullptr;
}

Run::Run(const std::string& arguments) {
    std::string command = "\"" + g_program + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_) != FALSE;
    if (started_) {
        WaitForInputIdle(process_.hProcess, 10000);
    }
}

Run::~Run() {
    if (!started_) {
        return;
    }
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND Run::find(const std::function<bool(HWND)>& matches) const {
    WindowQuery query{process_.dwProcessId, matches, nullptr};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND Run::wait_for(const std::function<bool(HWND)>& matches, DWORD timeout_ms) const {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        if (HWND hwnd = find(matches)) {
            return hwnd;
        }
        if (exited()) {
            return find(matches);
        }
        Sleep(20);
    }
    return nullptr;
}

Box Run::wait_box(DWORD timeout_ms) const {
    Box box;
    box.waited_ms = timeout_ms;
    box.hwnd = wait_for(is_message_box, timeout_ms);
    if (box.hwnd != nullptr) {
        box.caption = caption_of(box.hwnd);
        box.text = item_text(box.hwnd, kMessageBoxTextId);
        box.icon = has_icon(box.hwnd);
    }
    return box;
}

bool Run::exited() const {
    return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
}

Ending Run::exit_code(DWORD timeout_ms) const {
    Ending ending;
    ending.waited_ms = timeout_ms;
    if (WaitForSingleObject(process_.hProcess, timeout_ms) != WAIT_OBJECT_0) {
        return ending;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    ending.ended = true;
    ending.code = static_cast<long>(code);
    return ending;
}

DialogRun::DialogRun(const std::string& label, const std::string& options)
    : Run((no_notice(), simulate(options))) {
    main_ = wait_main();
    if (main_ == nullptr) {
        report(false, label + "opens",
               exited() ? "the program ended without it"
                        : "no main dialog within " + duration(kWaitMs));
    }
}

void check_box(const std::string& what, const Box& box, const std::string& expected) {
    if (box.hwnd == nullptr) {
        report(false, what, "no message within " + duration(box.waited_ms));
        return;
    }
    check_text(what, box.text, expected);
}

void check_box_says(const std::string& what, const Box& box, const std::string& part) {
    if (box.hwnd == nullptr) {
        report(false, what, "no message within " + duration(box.waited_ms));
        return;
    }
    report(box.text.find(part) != std::string::npos, what,
           "expected a message with " + quoted(part) + ", got " + quoted(box.text));
}

void check_exit(const std::string& what, const Ending& ending, long expected) {
    if (!ending.ended) {
        report(false, what, "still running after " + duration(ending.waited_ms));
        return;
    }
    check_int(what, ending.code, expected);
}

// ---------------------------------------------------------------------------------------------
// What the user does

// A click of a button or check box, as the mouse makes it; then waits for its handler, or for
// the message box it opened. The click is sent without waiting, so that a handler that opens a
// box does not hold the driver up; the WM_NULL sent after it is handled after it, by the
// dialog's loop or by the box's.
void click(HWND dialog, int id) {
    SendNotifyMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    settle(dialog);
}

// Replaces the text of an edit box by typing: select all, delete, then the characters.
void type(HWND dialog, int id, const std::string& text) {
    const HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 1);
    for (const char c : text) {
        SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
    }
}

// A key pressed and released on a control that handles its own keys (the slider).
void press_key(HWND dialog, int id, UINT key) {
    const HWND control = GetDlgItem(dialog, id);
    SendMessageA(control, WM_KEYDOWN, key, 1);
    SendMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

// A key the dialog manager handles (Escape): it only sees keys that come through the message
// queue, so the key is posted to the control with the focus.
void post_key(HWND control, UINT key) {
    PostMessageA(control, WM_KEYDOWN, key, 1);
    PostMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

// Waits until a check box shows the state, or the time is up.
bool wait_check(HWND dialog, int id, LRESULT state) {
    for (int i = 0; i < 3000; ++i) {
        if (SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == state) {
            return true;
        }
        Sleep(10);
    }
    return false;
}

// Answers a message box with its OK button; then waits for what the program does next.
void answer(const Box& box, HWND then_settle) {
    PostMessageA(GetDlgItem(box.hwnd, kIdOk), BM_CLICK, 0, 0);
    for (int i = 0; i < 500 && IsWindow(box.hwnd); ++i) {
        Sleep(10);
    }
    if (then_settle != nullptr) {
        settle(then_settle);
    }
}

Ending close_program(const Run& run, HWND main) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    return run.exit_code();
}

// ---------------------------------------------------------------------------------------------
// The registry, as the program leaves it

namespace {

HKEY open_key() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

}  // namespace

void forget_everything() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKeyPath);
}

StoredValue read_value(const char* name) {
    StoredValue value;
    HKEY key = open_key();
    BYTE data[16] = {};
    DWORD size = sizeof data;
    if (key != nullptr &&
        RegQueryValueExA(key, name, nullptr, &value.type, data, &size) == ERROR_SUCCESS) {
        value.present = true;
        value.size = size;
        std::memcpy(&value.dword, data, sizeof value.dword);
    }
    if (key != nullptr) {
        RegCloseKey(key);
    }
    return value;
}

std::string read_string(const char* name) {
    std::string text = "(none)";
    HKEY key = open_key();
    char data[256] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    if (key != nullptr &&
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
        text = data;
    }
    if (key != nullptr) {
        RegCloseKey(key);
    }
    return text;
}

void write_value(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = open_key();
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void write_dword(const char* name, DWORD value) {
    write_value(name, REG_DWORD, &value, sizeof value);
}

void delete_value(const char* name) {
    HKEY key = open_key();
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// ---------------------------------------------------------------------------------------------
// Dialog units, measured with a dialog of our own in the template's font: MapDialogRect does
// not work on another process's dialog.

INT_PTR CALLBACK probe_proc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

RECT dialog_units_to_pixels(int width, int height) {
    alignas(4) WORD words[64] = {};
    std::size_t n = 0;
    auto dword = [&](DWORD value) {
        words[n++] = LOWORD(value);
        words[n++] = HIWORD(value);
    };
    dword(WS_POPUP | DS_SETFONT);
    dword(0);
    words[n++] = 0;  // no controls
    words[n++] = 0;
    words[n++] = 0;
    words[n++] = 10;
    words[n++] = 10;
    words[n++] = 0;  // menu
    words[n++] = 0;  // class
    words[n++] = 0;  // title
    words[n++] = 9;
    for (const char c : std::string("Arial")) {
        words[n++] = static_cast<WORD>(c);
    }
    words[n++] = 0;
    const HWND probe = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                                  reinterpret_cast<const DLGTEMPLATE*>(words),
                                                  nullptr, probe_proc, 0);
    RECT rect = {0, 0, width, height};
    MapDialogRect(probe, &rect);
    DestroyWindow(probe);
    return rect;
}

std::string size_text(const RECT& rect) {
    return std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
}

void no_notice() {
    write_dword("Caution", 0);
}

}  // namespace vantrel::driver
