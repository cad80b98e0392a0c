// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bus/smbus_transfers.h"
#include "platform/linux/kernel/i2c_dev_system.h"
#include "sim/fault_matcher.h"
#include "sim/faults.h"
#include "sim/smbus_device.h"

namespace vantrel::sim {

// The kernel's i2c-dev interface in front of a simulated SMBus: one node, its I2C_FUNCS,
// I2C_SLAVE and I2C_SMBUS ioctls answered as the ICH driver answers them (a NAK is ENXIO, a
// block count outside 1..32 is EPROTO, a write's refused before it starts), the transactions routed to
// the device at the selected address. Used by the tests and by the simulated board's kernel
// path; injected faults turn into the errors the kernel reports for them.
class SimulatedI2cDev : public platform::I2cDevSystem {
  public:
    // What i2c-i801 reports for these hubs: quick, byte, byte data, word data, block data and
    // I2C block writes.
    static const unsigned long kIchFunctions;

    explicit SimulatedI2cDev(std::string node = "/dev/i2c-0") : node_(std::move(node)) {}

    // `address` in write form, e.g. 0xD2.
    void attach(std::uint8_t address, SmbusDevice& device) { devices_[address] = &device; }

    // Opening the node fails with this error; 0 lets it open.
    void refuse_open(int error_number) { open_error_ = error_number; }
    void set_group(std::string group) { group_ = std::move(group); }
    // Another process holds the node's lock.
    void hold_lock_elsewhere() { held_elsewhere_ = true; }
    void set_functions(unsigned long functions) { functions_ = functions; }
    // I2C_FUNCS or I2C_SLAVE fails with this error.
    void refuse_request(unsigned long request, int error_number) {
        request_errors_[request] = error_number;
    }
    // Faults of the simulated board's kinds, reported as the kernel reports them: a timeout as
    // ETIMEDOUT, a NAK as ENXIO, a bus error as EAGAIN (lost arbitration); a block count
    // replaces the device's own.
    void inject(const Fault& fault) { faults_.inject(fault); }
    // The n-th SMBus transfer from now fails with this error number.
    void fail_transfer(unsigned nth, int error_number) {
        errors_[transfers_started_ + nth] = error_number;
    }
    // The next block read answers with this count and the device's bytes, as a kernel without
    // the range check would: for testing that the caller never trusts the count.
    void answer_unchecked_block_count(std::uint8_t count) { unchecked_count_ = count; }

    int open_node(const std::string& path) override;
    int ioctl(int fd, unsigned long request, void* arg) override;
    void close_node(int fd) override;
    int lock_node(int fd) override;
    std::string node_group(const std::string& path) override;

    bool is_open() const { return open_fds_ > 0; }
    bool locked() const { return locked_; }
    std::uint8_t selected_address() const { return address_; }
    const std::vector<TransferRecord>& transfers() const { return records_; }
    void clear_transfers() { records_.clear(); }

  private:
    static constexpr int kFd = 3;

    int smbus(void* arg);

    std::string node_;
    std::string group_ = "i2c";
    std::map<std::uint8_t, SmbusDevice*> devices_;
    int open_error_ = 0;
    unsigned long functions_ = kIchFunctions;
    std::map<unsigned long, int> request_errors_;
    FaultMatcher faults_;
    std::map<unsigned, int> errors_;  // by transfer ordinal
    std::optional<std::uint8_t> unchecked_count_;
    unsigned transfers_started_ = 0;
    int open_fds_ = 0;
    bool held_elsewhere_ = false;
    bool locked_ = false;
    std::uint8_t address_ = 0;  // 7-bit, as I2C_SLAVE takes it
    std::vector<TransferRecord> records_;
};

}  // namespace vantrel::sim
