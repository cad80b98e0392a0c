#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/ctl_runner.h"
#include "support/param_name.h"

// The line vantrelctl adds after a message that a failed transfer caused: which transfer and
// why, over the ports and over the kernel's i2c-dev node, for each fault the board can make.

namespace vantrel {
namespace {

using test::CtlRunner;
using test::PrintTo;

struct CauseCase {
    const char* label;
    const char* bus;
    std::string faults;  // board options after pauses=instant
    std::vector<std::string> args;
    const char* message;  // the dialog's message, unchanged
    const char* cause;    // the line that follows it
};

class CtlCause : public ::testing::TestWithParam<CauseCase> {};

TEST_P(CtlCause, FollowsTheDialogsMessage) {
    const CauseCase& row = GetParam();
    CtlRunner ctl;
    std::vector<std::string> args = {"--bus", row.bus, "--simulate=pauses=instant," + row.faults};
    args.insert(args.end(), row.args.begin(), row.args.end());
    EXPECT_EQ(ctl.run(args), 1);
    const std::vector<std::string> lines = ctl.err_lines();
    const std::string message = std::string("Error: ") + row.message;
    const auto at = std::find(lines.begin(), lines.end(), message);
    ASSERT_NE(at, lines.end()) << ctl.console.err();
    ASSERT_NE(at + 1, lines.end()) << ctl.console.err();
    EXPECT_EQ(*(at + 1), std::string("vantrelctl: ") + row.cause);
}

const std::vector<std::string> kSet150 = {"set", "--cpu-ext", "150"};
const std::vector<std::string> kShow = {"show"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Faults, CtlCause, ::testing::Values(
    CauseCase{"PortsDeviceError", "ports", "fault=device-error:word-write:reg=22", kSet150, "Cannot Change Some Clock Settings!", "the chip did not acknowledge the word write of REG22 (SMBus device error)"},
    CauseCase{"PortsFailed", "ports", "fault=failed:word-write:reg=21", kSet150, "Cannot Change Clock Settings!", "the controller failed the word write of REG21 (SMBus failed)"},
    CauseCase{"KernelFailed", "kernel", "fault=failed:word-write:reg=21", kSet150, "Cannot Change Clock Settings!", "the controller failed the word write of REG21 (EIO from the kernel)"},
    CauseCase{"PortsTimeout", "ports", "fault=timeout:word-read:reg=21:nth=2", kSet150, "Cannot Change Clock Settings!", "the word read of REG21 timed out and was killed (SMBus timeout)"},
    CauseCase{"PortsBusError", "ports", "fault=bus-error:word-write:reg=11", kSet150, "Cannot Change Some Clock Settings!", "the word write of REG11 met a bus error or collision (SMBus bus error)"},
    CauseCase{"PortsBlockRead", "ports", "fault=device-error:block-read", kShow, "Cannot Find VXC812-07 Clock Generator!", "the chip did not acknowledge the block read (SMBus device error)"},
    CauseCase{"PortsEnhancedMode", "ports", "fault=timeout:block-write:nth=3", kSet150, "Enable Enhanced-Mode Failed!", "the block write of REG10 timed out and was killed (SMBus timeout)"},
    CauseCase{"PortsNotCovered", "ports", "fault=block-count=5:block-read:nth=2", kShow, "Cannot Find VXC812-07 Clock Generator!", "the block write of REG10 was not sent: its block read delivered 5 registers, fewer than it would send"},
    CauseCase{"KernelDeviceError", "kernel", "fault=device-error:word-write:reg=22", kSet150, "Cannot Change Some Clock Settings!", "the chip did not acknowledge the word write of REG22 (ENXIO from the kernel)"},
    CauseCase{"KernelTimeout", "kernel", "fault=timeout:word-read:reg=21:nth=2", kSet150, "Cannot Change Clock Settings!", "the word read of REG21 timed out and was killed (ETIMEDOUT from the kernel)"},
    CauseCase{"KernelBusError", "kernel", "fault=bus-error:word-write:reg=11", kSet150, "Cannot Change Some Clock Settings!", "the word write of REG11 met a bus error or collision (EAGAIN from the kernel)"},
    CauseCase{"KernelBlockCount", "kernel", "fault=block-count=0:block-read", kShow, "Cannot Find VXC812-07 Clock Generator!", "the chip announced a block count out of range (0) in the block read (EPROTO from the kernel)"},
    CauseCase{"KernelNotCovered", "kernel", "fault=block-count=5:block-read:nth=2", kShow, "Cannot Find VXC812-07 Clock Generator!", "the block write of REG10 was not sent: its block read delivered 5 registers, fewer than it would send (EPROTO from the kernel)"},
    // Two messages in one run, each followed by its own cause.
    CauseCase{"SecondOfTwo", "ports", "fault=device-error:word-write:reg=13,fault=bus-error:word-write:reg=10:nth=2", kSet150, "Disable Enhanced Mode Failed!", "the word write of REG10 met a bus error or collision (SMBus bus error)"}),
    test::ByLabel());
// clang-format on

struct JsonCase {
    const char* label;
    const char* bus;
    std::string board;
    int status;
    const char* last_failure;  // the JSON's last line but one
};

class CtlCauseJson : public ::testing::TestWithParam<JsonCase> {};

TEST_P(CtlCauseJson, ShowJsonCarriesIt) {
    CtlRunner ctl;
    EXPECT_EQ(ctl.run({"--bus", GetParam().bus, GetParam().board, "show", "--json"}),
              GetParam().status);
    EXPECT_NE(ctl.console.out().find(std::string("  \"last_failure\": ") + GetParam().last_failure +
                                     ",\n  \"simulated\": true\n}\n"),
              std::string::npos)
        << ctl.console.out();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Boards, CtlCauseJson, ::testing::Values(
    JsonCase{"NoFailure", "ports", "--simulate=pauses=instant", 0, "null"},
    JsonCase{"ChipNotFound", "ports", "--simulate=pauses=instant,fault=device-error:block-read", 1, "{\"transfer\": \"block read\", \"register\": null, \"cause\": \"device-error\", \"errno\": null, \"text\": \"the chip did not acknowledge the block read (SMBus device error)\"}"},
    JsonCase{"OverTheKernel", "kernel", "--simulate=pauses=instant,fault=timeout:word-read:reg=11", 1, "{\"transfer\": \"word read\", \"register\": 17, \"cause\": \"timeout\", \"errno\": \"ETIMEDOUT\", \"text\": \"the word read of REG11 timed out and was killed (ETIMEDOUT from the kernel)\"}"}),
    test::ByLabel());
// clang-format on

}  // namespace
}  // namespace vantrel
