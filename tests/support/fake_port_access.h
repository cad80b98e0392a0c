// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/linux/access/privilege_drop.h"
#include "platform/linux/linux_port_io.h"

namespace vantrel::test {

// The system as the Linux port-access and privilege layers see it, with every call it makes
// recorded in order. The identity calls behave as the kernel does: the IDs change only as asked,
// root's capabilities go when no ID is 0 any more, and a process without root cannot set an ID it
// does not already have.
class FakePortAccess {
  public:
    // Answers.
    int grant_errno = 0;         // errno for a grant; 0 grants
    unsigned refused_first = 0;  // a grant starting at this port fails with refused_errno
    int refused_errno = 0;
    int probe_errno = 0;  // errno for a call that turns ports off (ENOSYS: no ioperm)
    std::string lockdown = "[none] integrity confidentiality\n";
    bool raw_io = true;  // CAP_SYS_RAWIO in the effective set
    platform::ProcessIds ids;
    std::map<std::string, std::string> environment;
    std::vector<platform::UserAccount> accounts;
    int groups_errno = 0;             // errno for setting the supplementary groups
    bool regain_allowed = false;      // a broken system that lets a user become root again
    bool capabilities_stick = false;  // a broken capset that reports success

    // What happened.
    std::vector<std::string> calls;
    std::map<unsigned, bool> ports;  // port -> reachable now

    platform::PortAccessSystem system();
    platform::PrivilegeSystem privileges();
    bool any_port_reachable() const;
    std::vector<std::string> calls_starting(const std::string& prefix) const;

  private:
    int set_uid(unsigned uid);
    int set_gid(unsigned gid);
};

}  // namespace vantrel::test
