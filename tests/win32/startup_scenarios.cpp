// SPDX-License-Identifier: GPL-2.0-or-later
// The program's ways in besides the dialog: /load with its guard and /clearguard, the hardware
// refused where a program may not touch the ports, one instance at a time, a register dump
// read by the program's own file reader, and the version resource.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/win32/harness.h"

namespace vantrel::driver {

// ---------------------------------------------------------------------------------------------
// /load, its guard and /clearguard

void load_at_start() {
    const std::string s = "/load: ";
    forget_everything();
    {
        no_notice();
        Run save(simulate(kSavedBoard));
        const HWND main = save.wait_main();
        if (main == nullptr) {
            report(false, s + "saving first");
            return;
        }
        click(main, IDC_SAVE_SETTINGS);
        close_program(save, main);
    }
    {
        // Without a Caution value the dialog would show the notice and wait for the user.
        delete_value("Caution");
        Run run(simulate(kSavedBoard) + " /load");
        check_exit(s + "applies the saved set without any window and ends with 0", run.exit_code(),
                   0);
        check_true(s + "the guard is gone after success", !read_value("LoadGuard").present);
        check_true(s + "the notice's answer is not asked for", !read_value("Caution").present);
    }
    {
        Run run(simulate(std::string(kSavedBoard) + ",fault=device-error:word-read:reg=21:nth=2") +
                " /load");
        const Box failure = run.wait_box();
        check_box(s + "a failing apply shows its message", failure,
                  "Cannot Change Clock Settings!");
        check_true(s + "the guard is set while the apply runs", read_value("LoadGuard").present);
        answer(failure);
        const Box stays = run.wait_box();
        check_box_says(s + "then says the guard stays", stays, "/clearguard");
        answer(stays);
        check_exit(s + "a failed apply ends with 1", run.exit_code(), 1);
        check_true(s + "the guard stays after a failure", read_value("LoadGuard").present);
        check_text(s + "with the message that stopped the apply", read_string("LoadGuardCause"),
                   "Cannot Change Clock Settings!");
    }
    {
        Run run(simulate(kSavedBoard) + " /load");
        const Box refused = run.wait_box();
        check_box_says(s + "with the guard present it refuses and says why", refused,
                       "did not finish");
        answer(refused);
        check_exit(s + "a refusal ends with 1", run.exit_code(), 1);
    }
    {
        Run run("/clearguard");
        const Box cleared = run.wait_box();
        check_box_says(s + "/clearguard says the next start applies again", cleared,
                       "applied again");
        answer(cleared);
        check_exit(s + "/clearguard ends with 0", run.exit_code(), 0);
        check_true(s + "/clearguard removes the guard", !read_value("LoadGuard").present);
        check_text(s + "and its cause", read_string("LoadGuardCause"), "(none)");
    }
    {
        Run run(simulate(kSavedBoard) + " /load");
        check_exit(s + "after /clearguard the saved set is applied again", run.exit_code(), 0);
    }
    {
        delete_value("REG11");
        Run run(simulate(kSavedBoard) + " /load");
        const Box crushed = run.wait_box();
        check_box(s + "a missing value shows the load's message", crushed,
                  "Settings Data Crushed!");
        answer(crushed);
        answer(run.wait_box());
        check_exit(s + "and ends with 1", run.exit_code(), 1);
    }
    {
        Run run("/bogus");
        const Box usage = run.wait_box();
        check_box_says(s + "an unknown argument is named", usage, "/bogus");
        answer(usage);
        check_exit(s + "and ends with 2", run.exit_code(), 2);
    }
    forget_everything();
}

// ---------------------------------------------------------------------------------------------
// Systems where a program may not touch the ports: the hardware is refused, not crashed on

namespace {

// A copy of the program to which Wine reports Windows XP; everything else sees Windows 98.
std::string make_nt_copy() {
    const std::string copy =
        g_program.substr(0, g_program.find_last_of("\\/") + 1) + "vantrel-nt.exe";
    if (!CopyFileA(g_program.c_str(), copy.c_str(), FALSE)) {
        return {};
    }
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\vantrel-nt.exe", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
    RegCloseKey(key);
    return copy;
}

}  // namespace

void refused_hardware() {
    struct Row {
        const char* label;
        std::string program;
    };
    const std::string nt_copy = make_nt_copy();
    check_true("refused ports: a copy that Wine tells it is Windows XP", !nt_copy.empty());
    // Wine is recognised whatever version it reports, before the platform check and the probe:
    // as Windows 98 it would emulate the probe's IN itself.
    const Row rows[] = {
        {"Windows XP", nt_copy},
        {"Windows 98 under Wine", g_program},
    };
    const std::string saved = g_program;
    for (const Row& row : rows) {
        if (row.program.empty()) {
            continue;
        }
        const std::string s = std::string("refused ports, ") + row.label + ": ";
        g_program = row.program;
        forget_everything();
        no_notice();
        {
            Run run("");
            const Box refusal = run.wait_box();
            check_box_says(s + "the hardware is refused with a message that names Wine", refusal,
                           "running under Wine");
            check_box_says(s + "and says what to use instead", refusal,
                           "\"vantrel.exe /simulate\"");
            check_true(s + "the refusal has the stop icon", refusal.icon);
            answer(refusal);
            const Box no_controller = run.wait_box();
            check_box(s + "the dialog then finds no controller", no_controller,
                      "Cannot Get SM Base Address!");
            answer(no_controller);
            const HWND main = run.wait_main();
            check_true(s + "and opens with its setting controls disabled",
                       main != nullptr && !enabled(main, IDC_RUN_SETTINGS) &&
                           !enabled(main, IDC_FREQ_SLIDER));
            if (main != nullptr) {
                check_exit(s + "the program ends normally", close_program(run, main), 0);
            }
        }
        {
            Run run("/load");
            const Box refusal = run.wait_box();
            check_box_says(s + "/load is refused with the same message", refusal,
                           "running under Wine");
            answer(refusal);
            check_exit(s + "/load ends with 1", run.exit_code(), 1);
            check_true(s + "/load leaves no guard", !read_value("LoadGuard").present);
        }
    }
    g_program = saved;
    if (!nt_copy.empty()) {
        DeleteFileA(nt_copy.c_str());
    }
}

// ---------------------------------------------------------------------------------------------
// One program on the hardware at a time

namespace {

// The rest of a hardware run refused under Wine, once its refusal is answered: the "no
// controller" box, then the dialog, closed.
void close_after_refusal(const Run& run, const std::string& what) {
    answer(run.wait_box());
    const HWND main = run.wait_main();
    check_true(what + " opens its dialog", main != nullptr);
    if (main != nullptr) {
        check_exit(what + " ends normally", close_program(run, main), 0);
    }
}

}  // namespace

void one_instance() {
    const std::string s = "one instance: ";
    const char* const in_use = "Another Vantrel program is using the clock chip";
    forget_everything();
    no_notice();
    // Under Wine the first one is refused the ports, but it holds the claim until it ends.
    Run first("");
    const Box refusal = first.wait_box();
    check_box_says(s + "the first instance takes the hardware path", refusal, "running under Wine");
    {
        Run second("");
        const Box box = second.wait_box();
        check_box_says(s + "a second window is refused", box, in_use);
        check_true(s + "the refusal has the stop icon", box.icon);
        answer(box);
        check_exit(s + "and ends with 1", second.exit_code(), 1);
    }
    {
        Run second("/load");
        const Box box = second.wait_box();
        check_box_says(s + "a second /load is refused", box, in_use);
        answer(box);
        check_exit(s + "/load ends with 1", second.exit_code(), 1);
        check_true(s + "/load leaves no guard", !read_value("LoadGuard").present);
    }
    {
        const DialogRun simulated(s + "a simulated board needs no claim: it ", "");
        if (simulated.main() != nullptr) {
            check_exit(s + "and ends normally", close_program(simulated, simulated.main()), 0);
        }
    }
    answer(refusal);
    close_after_refusal(first, s + "the first one");
    {
        Run next("");
        const Box box = next.wait_box();
        check_box_says(s + "once it has ended, the next one gets past the claim", box,
                       "running under Wine");
        answer(box);
        close_after_refusal(next, s + "the next one");
    }
}

// ---------------------------------------------------------------------------------------------
// /simulate:dump=FILE, read by the program's own file reader

void simulated_dump() {
    const std::string s = "/simulate:dump: ";
    const std::string dir = g_program.substr(0, g_program.find_last_of("\\/") + 1);
    const std::string path = dir + "board-dump.txt";
    // A board with CPU divider 4 and SDRAM divider 3 (REG1F 0x48), N 149 and M 31, depth 2,
    // spread on, group delays CPU 2, PCI 1, SDRAM 0, 3V66 3 and spread model 5.
    const std::string dump =
        "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\r\n"
        "00: 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00    ................\r\n"
        "10: 09 95 93 1f 00 00 00 00 00 00 00 00 00 00 00 48    ?????..........H\r\n"
        "20: 00 e4 c5 07 XX XX XX XX XX XX XX XX XX XX XX XX    .???XXXXXXXXXXXX\r\n";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool saved =
        file != INVALID_HANDLE_VALUE &&
        WriteFile(file, dump.data(), static_cast<DWORD>(dump.size()), &written, nullptr) &&
        written == dump.size();
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    check_true(s + "the dump file is written", saved);
    {
        no_notice();
        Run run(simulate("dump=" + path));
        const HWND main = run.wait_main();
        check_true(s + "the dialog opens on the dumped board", main != nullptr);
        if (main != nullptr) {
            check_text(s + "CPU Ext. Freq.", item_text(main, IDC_CPU_EXT_FREQ), " 112.5");
            check_text(s + "PCI Freq.", item_text(main, IDC_PCI_FREQ), "  37.5");
            check_text(s + "SDRAM Freq.", item_text(main, IDC_SDRAM_FREQ), " 150.0");
            check_text(s + "3V66 Freq.", item_text(main, IDC_3V66_FREQ), "  75.0");
            check_int(s + "slider maximum of divider 4",
                      send(main, IDC_FREQ_SLIDER, TBM_GETRANGEMAX), 180);
            check_int(s + "spread depth", send(main, IDC_SPREAD_DEPTH, CB_GETCURSEL), 2);
            check_int(s + "spread model", send(main, IDC_SPREAD_MODEL, CB_GETCURSEL), 5);
            check_int(s + "CPU group delay", send(main, IDC_DELAY_CPU, CB_GETCURSEL), 2);
            check_int(s + "3V66 group delay", send(main, IDC_DELAY_3V66, CB_GETCURSEL), 3);
            check_int(s + "spread-spectrum box", send(main, IDC_SPREAD_ENABLE, BM_GETCHECK),
                      BST_CHECKED);
            close_program(run, main);
        }
    }
    DeleteFileA(path.c_str());
    {
        Run run(simulate("dump=" + path));
        const Box missing = run.wait_box();
        check_box_says(s + "a missing file is named", missing, path);
        answer(missing);
        check_exit(s + "and the program ends with 2", run.exit_code(), 2);
    }
}

// ---------------------------------------------------------------------------------------------
// The version resource

namespace {

std::string version_string(const std::vector<char>& block, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || value == nullptr) {
        return "(missing)";
    }
    return static_cast<const char*>(value);
}

}  // namespace

void version_resource() {
    const std::string s = "version resource: ";
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(g_program.c_str(), &handle);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoA(g_program.c_str(), 0, size, block.data())) {
        report(false, s + "present");
        return;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length);
    check_true(s + "fixed part present", fixed != nullptr);
    if (fixed != nullptr) {
        check_int(s + "file version 2.0", fixed->dwFileVersionMS, 0x00020000);
        check_int(s + "file version .0.1", fixed->dwFileVersionLS, 0x00000001);
        check_int(s + "product version 2.0", fixed->dwProductVersionMS, 0x00020000);
        check_int(s + "product version .0.1", fixed->dwProductVersionLS, 0x00000001);
        check_int(s + "a 32-bit Windows program", fixed->dwFileOS, VOS__WINDOWS32);
        check_int(s + "an application", fixed->dwFileType, VFT_APP);
    }
    DWORD* translation = nullptr;
    VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                   reinterpret_cast<void**>(&translation), &length);
    check_true(s + "US English, code page 1200", translation != nullptr &&
                                                     LOWORD(*translation) == 0x0409 &&
                                                     HIWORD(*translation) == 1200);
    check_text(s + "FileVersion", version_string(block, "FileVersion"), "2.01");
    check_text(s + "ProductVersion", version_string(block, "ProductVersion"), "2.01");
    check_text(s + "FileDescription", version_string(block, "FileDescription"), kMainTitle);
    for (const char* name : {"CompanyName", "LegalCopyright", "LegalTrademarks"}) {
        const std::string value = version_string(block, name);
        check_true(s + name + " names the maker",
                   value != "(missing)" && value.find("Korvane") != std::string::npos);
    }
    const HMODULE image = LoadLibraryExA(g_program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    check_true(s + "icon IDR_MAINFRAME (128)",
               image != nullptr &&
                   FindResourceA(image, MAKEINTRESOURCEA(IDR_MAINFRAME), RT_GROUP_ICON) != nullptr);
    check_true(s + "icon IDI_CAUTION (139)",
               image != nullptr &&
                   FindResourceA(image, MAKEINTRESOURCEA(IDI_CAUTION), RT_GROUP_ICON) != nullptr);
    if (image != nullptr) {
        FreeLibrary(image);
    }
}

// ---------------------------------------------------------------------------------------------
// A picture of the main dialog, as the screen shows it, for the documentation

namespace {

// The screen's pixels under the rectangle as a 24-bit bottom-up BMP file.
bool save_screen_bmp(const RECT& rect, const std::string& path) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied =
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(stride * static_cast<DWORD>(height));
    const bool read =
        copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!read) {
        return false;
    }

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    const HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) && written == sizeof file;
    ok = ok && WriteFile(out, &info, sizeof info, &written, nullptr) && written == sizeof info;
    ok = ok &&
         WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr) &&
         written == pixels.size();
    CloseHandle(out);
    return ok;
}

}  // namespace

void main_dialog_picture() {
    const std::string s = "picture: ";
    const std::string path =
        g_program.substr(0, g_program.find_last_of("\\/") + 1) + "vantrel-win98.bmp";
    const DialogRun run(s + "the main dialog ", "hub=ab,dividers=4/3,spread=on,depth=2,model=3");
    if (run.main() == nullptr) {
        return;
    }
    SetForegroundWindow(run.main());
    settle(run.main());
    // The dialog has answered everything sent before; give the screen its last repaint.
    Sleep(500);
    RECT rect{};
    GetWindowRect(run.main(), &rect);
    check_true(s + "the main dialog is saved as " + path, save_screen_bmp(rect, path));
    close_program(run, run.main());
}

}  // namespace vantrel::driver
