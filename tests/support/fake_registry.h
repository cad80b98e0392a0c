// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ui/registry.h"

namespace vantrel::test {

enum class RegType : std::uint8_t { Dword, String, Binary };

struct RegValue {
    RegType type;
    std::vector<std::uint8_t> data;
};

// One key's values as the Win32 registry keeps them: typed byte strings. The 4-byte query
// fails for a missing value and for one longer than 4 bytes, zero-extends a shorter one and
// never looks at the type, as RegQueryValueExA into a zeroed DWORD does.
class FakeRegistryKey : public RegistryKey {
  public:
    bool query_dword(std::string_view name, std::uint32_t& value) override;
    bool set_dword(std::string_view name, std::uint32_t value) override;

    void put(const std::string& name, RegValue value) { values_[name] = std::move(value); }
    void put_dword(const std::string& name, std::uint32_t value);
    void erase(const std::string& name) { values_.erase(name); }
    std::optional<RegValue> get(const std::string& name) const;
    // The DWORD stored under a name, or nullopt when missing or not a 4-byte REG_DWORD.
    std::optional<std::uint32_t> dword(const std::string& name) const;

    // Makes every later set of these names fail, as a write-protected value would.
    void refuse_writes_to(const std::string& name) { refused_.insert(name); }
    const std::vector<std::string>& queries() const { return queries_; }
    const std::vector<std::string>& sets() const { return sets_; }

  private:
    std::map<std::string, RegValue> values_;
    std::set<std::string> refused_;
    std::vector<std::string> queries_;
    std::vector<std::string> sets_;
};

class FakeRegistry : public Registry {
  public:
    RegistryKey* create_or_open(std::string_view path) override;

    void set_accessible(bool on) { accessible_ = on; }
    FakeRegistryKey& key() { return key_; }
    const std::vector<std::string>& opened() const { return opened_; }

  private:
    bool accessible_ = true;
    FakeRegistryKey key_;
    std::vector<std::string> opened_;
};

}  // namespace vantrel::test
