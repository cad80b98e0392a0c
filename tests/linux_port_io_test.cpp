// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/linux/linux_port_io.h"

namespace vantrel::platform {
namespace {

// What the fake system answers; set per test row.
int g_ioperm_errno = 0;
unsigned g_euid = 0;
const char* g_lockdown = "";

int fake_ioperm(unsigned long, unsigned long, int) {
    if (g_ioperm_errno == 0) {
        return 0;
    }
    errno = g_ioperm_errno;
    return -1;
}
unsigned fake_euid() {
    return g_euid;
}
std::string fake_lockdown() {
    return g_lockdown;
}

PortAccessSystem fake_system() {
    return {fake_ioperm, fake_euid, fake_lockdown};
}

TEST(LinuxPortIo, RefusalNamesTheCause) {
    struct Row {
        int error;
        unsigned euid;
        const char* lockdown;
        const char* expected;
    };
    const Row rows[] = {
        {EPERM, 1000, "[none] integrity confidentiality\n", "run the program as root"},
        {EPERM, 0, "none [integrity] confidentiality\n", "lockdown"},
        {EPERM, 0, "none integrity [confidentiality]\n", "lockdown"},
        {EPERM, 0, "", "CAP_SYS_RAWIO"},
        {ENOSYS, 0, "", "does not provide ioperm"},
        {EINVAL, 0, "", "Invalid argument"},
    };
    for (const Row& row : rows) {
        g_ioperm_errno = row.error;
        g_euid = row.euid;
        g_lockdown = row.lockdown;
        LinuxPortIo io(fake_system());
        std::string error;
        EXPECT_FALSE(io.grant_pci_config(error));
        EXPECT_NE(error.find("0x0CF8-0x0CFF"), std::string::npos) << error;
        EXPECT_NE(error.find(row.expected), std::string::npos) << error;
    }
}

TEST(LinuxPortIo, PortsNeverGrantedAreNotTouched) {
    g_ioperm_errno = EPERM;
    g_euid = 1000;
    LinuxPortIo io(fake_system());
    std::string error;
    ASSERT_FALSE(io.grant_pci_config(error));

    // Without a grant a real IN or OUT would fault; the layer must not execute one.
    io.write_dword(0xCF8, 0x8000F800);
    EXPECT_EQ(io.read_dword(0xCFC), 0xFFFFFFFFu);
    EXPECT_EQ(io.read_byte(0xE800), 0xFF);
    io.write_byte(0xE800, 0xFF);
    EXPECT_EQ(io.denied_accesses(), 4u);
}

TEST(LinuxPortIo, DwordMustFitInsideAGrant) {
    g_ioperm_errno = 0;
    LinuxPortIo io(fake_system());
    std::string error;
    ASSERT_TRUE(io.grant(0xE800, 8, error));
    // 0xE806..0xE809 runs past the granted block, so the access is refused, not made.
    EXPECT_EQ(io.read_dword(0xE806), 0xFFFFFFFFu);
    EXPECT_EQ(io.denied_accesses(), 1u);
}

}  // namespace
}  // namespace vantrel::platform
