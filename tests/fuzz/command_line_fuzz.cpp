// SPDX-License-Identifier: GPL-2.0-or-later
// The three programs' command lines on any arguments: each parser either accepts them or
// refuses with a reason, and reads the same arguments the same way twice. The input is split at
// newlines into arguments; vantrel.exe gets it whole, as WinMain does.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ctl/ctl_command.h"
#include "qt/command_line.h"
#include "tests/fuzz/fuzz_check.h"
#include "win32/command_line.h"

namespace {

std::vector<std::string> split_lines(std::string_view text) {
    std::vector<std::string> args;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        args.emplace_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    return args;
}

void check_vantrelctl(const std::vector<std::string>& args) {
    vantrel::cli::CtlCommand command;
    std::string error;
    const bool ok = vantrel::cli::parse_ctl_command(args, command, error);
    FUZZ_CHECK(ok || !error.empty(), "vantrelctl refused arguments without a reason");
    if (ok) {
        FUZZ_CHECK(
            command.help || command.version || command.command != vantrel::cli::Command::None,
            "vantrelctl accepted arguments without a command");
        FUZZ_CHECK(!command.dry_run || command.command == vantrel::cli::Command::Set ||
                       command.command == vantrel::cli::Command::Load,
                   "vantrelctl accepted --dry-run for a command that writes no clock");
    }
    vantrel::cli::CtlCommand again;
    std::string error_again;
    FUZZ_CHECK(vantrel::cli::parse_ctl_command(args, again, error_again) == ok &&
                   error_again == error && again.command == command.command,
               "vantrelctl read the same arguments two ways");
}

void check_vantrel(const std::vector<std::string>& args) {
    vantrel::qt::CommandLine line;
    std::string error;
    const bool ok = vantrel::qt::parse_command_line(args, line, error);
    FUZZ_CHECK(ok || !error.empty(), "vantrel refused arguments without a reason");
    vantrel::qt::CommandLine again;
    std::string error_again;
    FUZZ_CHECK(vantrel::qt::parse_command_line(args, again, error_again) == ok &&
                   error_again == error && again.action == line.action &&
                   again.settings_path == line.settings_path,
               "vantrel read the same arguments two ways");
}

void check_vantrel_exe(std::string_view text) {
    vantrel::win32::CommandLine command;
    std::string error;
    const bool ok = vantrel::win32::parse_command_line(text, command, error);
    FUZZ_CHECK(ok || !error.empty(), "vantrel.exe refused a command line without a reason");
    if (ok) {
        FUZZ_CHECK(!(command.load && command.clear_guard),
                   "vantrel.exe accepted /load with /clearguard");
    }
    vantrel::win32::CommandLine again;
    std::string error_again;
    FUZZ_CHECK(vantrel::win32::parse_command_line(text, again, error_again) == ok &&
                   error_again == error && again.board_options == command.board_options,
               "vantrel.exe read the same command line two ways");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> args = split_lines(text);
    check_vantrelctl(args);
    check_vantrel(args);
    check_vantrel_exe(text);
    return 0;
}
