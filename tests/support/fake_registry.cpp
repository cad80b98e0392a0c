// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/fake_registry.h"

#include <algorithm>

namespace vantrel::test {

namespace {

constexpr std::size_t kDwordSize = 4;

}  // namespace

bool FakeRegistryKey::query_dword(std::string_view name, std::uint32_t& value) {
    queries_.emplace_back(name);
    const auto found = values_.find(std::string(name));
    if (found == values_.end() || found->second.data.size() > kDwordSize) {
        return false;
    }
    std::uint32_t result = 0;
    const auto& data = found->second.data;
    for (std::size_t i = 0; i < data.size(); ++i) {
        result |= std::uint32_t{data[i]} << (8 * i);
    }
    value = result;
    return true;
}

bool FakeRegistryKey::set_dword(std::string_view name, std::uint32_t value) {
    sets_.emplace_back(name);
    if (refused_.count(std::string(name)) != 0) {
        return false;
    }
    put_dword(std::string(name), value);
    return true;
}

void FakeRegistryKey::put_dword(const std::string& name, std::uint32_t value) {
    std::vector<std::uint8_t> data(kDwordSize);
    for (std::size_t i = 0; i < kDwordSize; ++i) {
        data[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    values_[name] = RegValue{RegType::Dword, std::move(data)};
}

std::optional<RegValue> FakeRegistryKey::get(const std::string& name) const {
    const auto found = values_.find(name);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::uint32_t> FakeRegistryKey::dword(const std::string& name) const {
    const auto value = get(name);
    if (!value || value->type != RegType::Dword || value->data.size() != kDwordSize) {
        return std::nullopt;
    }
    std::uint32_t result = 0;
    for (std::size_t i = 0; i < kDwordSize; ++i) {
        result |= std::uint32_t{value->data[i]} << (8 * i);
    }
    return result;
}

RegistryKey* FakeRegistry::create_or_open(std::string_view path) {
    opened_.emplace_back(path);
    return accessible_ ? &key_ : nullptr;
}

}  // namespace vantrel::test
