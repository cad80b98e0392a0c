// SPDX-License-Identifier: GPL-2.0-or-later
// The SMBus host against a chaotic controller: every status, count and data byte the host reads
// is the fuzzer's. Whatever the controller answers, each transfer ends in a bounded number of
// port accesses with 0 or 1, writes its out-parameter only on success, leaves the status
// cleared, kills a transaction only after a wait that timed out, and no block write sends a
// byte that its own block read did not deliver (other than the register it patches).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bus/smbus_host.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace vantrel;

constexpr std::uint16_t kBase = 0xE800;

// The fuzzer's bytes, one per read; all ones once they run out, as an absent device answers.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0xFF; }
    bool empty() const { return at_ >= size_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

class ChaoticController : public PortIo, public Sleeper {
  public:
    explicit ChaoticController(Input& input) : input_(input) {}

    std::uint8_t read_byte(std::uint16_t port) override {
        count_access(port);
        const std::uint8_t value = input_.next();
        if (port == kBase + kSmbBlockData && in_block_read_) {
            delivered_.push_back(value);
        }
        return value;
    }
    void write_byte(std::uint16_t port, std::uint8_t value) override {
        count_access(port);
        last_write_port_ = port;
        last_write_value_ = value;
        polls_in_wait_ = 0;
        const auto offset = static_cast<std::uint16_t>(port - kBase);
        if (offset == kSmbHostAddress) {
            reading_ = (value & kSmbAddressReadBit) != 0;
            if (!reading_) {
                sent_.clear();
            }
        } else if (offset == kSmbHostControl) {
            if (value == kSmbControlKill) {
                FUZZ_CHECK(timed_out_wait_, "kill without a wait that timed out");
            }
            if ((value & kSmbControlStart) != 0 &&
                (value & kSmbControlCommandMask) == kSmbCommandBlock && reading_) {
                in_block_read_ = true;
                delivered_.clear();
            } else if ((value & kSmbControlStart) != 0) {
                in_block_read_ = false;
            }
        } else if (offset == kSmbBlockData && !reading_) {
            sent_.push_back(value);
        }
    }
    std::uint32_t read_dword(std::uint16_t) override {
        FUZZ_CHECK(false, "a transfer made a 32-bit access");
        return 0;
    }
    void write_dword(std::uint16_t, std::uint32_t) override {
        FUZZ_CHECK(false, "a transfer made a 32-bit access");
    }
    void sleep_ms(std::uint32_t ms) override {
        if (ms == kSmbPollSleepMs) {
            ++polls_in_wait_;
            timed_out_wait_ = polls_in_wait_ >= kSmbPollMaxSleeps;
        }
    }

    void start_transfer() {
        accesses_ = 0;
        last_write_port_ = 0;
        timed_out_wait_ = false;
        in_block_read_ = false;
        delivered_.clear();
        sent_.clear();
    }
    std::size_t accesses() const { return accesses_; }
    bool left_status_cleared() const {
        return last_write_port_ == kBase + kSmbHostStatus && last_write_value_ == 0xFF;
    }
    const std::vector<std::uint8_t>& delivered() const { return delivered_; }
    const std::vector<std::uint8_t>& sent() const { return sent_; }

  private:
    void count_access(std::uint16_t port) {
        FUZZ_CHECK(port >= kBase && port < kBase + 8, "an access outside the host block");
        ++accesses_;
        // A status read that follows a timed-out count belongs to the kill's clean-up.
        if (port != kBase + kSmbHostStatus) {
            timed_out_wait_ = timed_out_wait_ && port == kBase + kSmbHostControl;
        }
    }

    Input& input_;
    std::size_t accesses_ = 0;
    std::uint16_t last_write_port_ = 0;
    std::uint8_t last_write_value_ = 0;
    int polls_in_wait_ = 0;
    bool timed_out_wait_ = false;
    bool reading_ = false;
    bool in_block_read_ = false;
    std::vector<std::uint8_t> delivered_;
    std::vector<std::uint8_t> sent_;
};

// Each wait reads status at most 101 times, and a block read waits once a byte for at most 255
// bytes; twice that for a block write, with its own read.
constexpr std::size_t kMaxAccessesPerTransfer = 2 * (3 + 255) * (2 * 101 + 8) + 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    ChaoticController controller(input);
    const SmbusController record{ChipsetKind::ICH_82801BA, kBase};
    const DeviceAddress device;
    RegisterShadow shadow;
    SmbusHost host(controller, controller, record, device, shadow);

    for (int op = 0; op < 8 && !input.empty(); ++op) {
        const std::uint8_t kind = input.next() % 4;
        const std::uint8_t reg = input.next() % 40;  // a few past the chip's registers too
        const std::uint8_t value = input.next();
        const std::uint8_t count = input.next() % 40;
        const RegisterShadow before = shadow;
        controller.start_transfer();
        constexpr std::uint8_t kUntouched = 0xA5;
        std::uint8_t out = kUntouched;
        int result = 0;
        switch (kind) {
            case 0:
                result = host.read_register(reg, out);
                break;
            case 1:
                result = host.write_register(reg, value);
                break;
            case 2:
                result = host.block_read(out);
                break;
            default:
                result = host.block_write(reg, value, count);
                break;
        }
        FUZZ_CHECK(result == 0 || result == 1, "a result other than 0 or 1");
        FUZZ_CHECK(controller.accesses() <= kMaxAccessesPerTransfer, "an unbounded transfer");
        FUZZ_CHECK(controller.accesses() == 0 || controller.left_status_cleared(),
                   "a transfer that did not clear the status last");
        if (result == 0 && kind != 3) {
            FUZZ_CHECK(out == kUntouched, "an out-parameter written on failure");
        }
        if (kind == 1 && result == 0) {
            FUZZ_CHECK(shadow.bytes == before.bytes, "a failed write changed the shadow");
        }
        if (kind == 3 && !controller.sent().empty()) {
            const auto& sent = controller.sent();
            const auto& delivered = controller.delivered();
            for (std::size_t j = 0; j < sent.size(); ++j) {
                const bool read_back = j < delivered.size() && sent[j] == delivered[j];
                const bool patch = j == reg && sent[j] == value;
                FUZZ_CHECK(read_back || patch, "a block write sent a byte its read did not give");
            }
        }
    }
    return 0;
}
