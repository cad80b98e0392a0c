// SPDX-License-Identifier: GPL-2.0-or-later
// The settings file's REGEDIT4 document on any text: reading never crashes, a text it refuses
// says why and leaves the document as it was, and a text it reads comes back unchanged. After a
// dword is set, it reads back, the document still reads, and every other value of every key
// reads as before. The input's last five bytes choose the value set: which name, and its data.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/linux/settings/regedit4_document.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using vantrel::platform::Regedit4Document;

constexpr std::array<std::string_view, 3> kKeys = {
    "HKEY_LOCAL_MACHINE\\Software\\Korvane\\25",
    "HKEY_CURRENT_USER\\Other",
    "HKEY_LOCAL_MACHINE\\Software\\Korvane",
};
constexpr std::array<std::string_view, 10> kNames = {
    "REG00", "REG11", "REG12", "REG13", "REG1F", "REG21", "REG22", "A", "", "Blob",
};

struct Probe {
    bool found = false;
    std::uint32_t value = 0;
};

using Snapshot = std::array<std::array<Probe, kNames.size()>, kKeys.size()>;

Snapshot snapshot(const Regedit4Document& doc) {
    Snapshot all{};
    for (std::size_t k = 0; k < kKeys.size(); ++k) {
        for (std::size_t n = 0; n < kNames.size(); ++n) {
            Probe& probe = all[k][n];
            probe.found = doc.query_dword(kKeys[k], kNames[n], probe.value);
        }
    }
    return all;
}

bool same(const Probe& a, const Probe& b) {
    return a.found == b.found && (!a.found || a.value == b.value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    Regedit4Document doc;
    const std::string fresh = doc.text();
    std::string error;
    if (!doc.parse(text, error)) {
        FUZZ_CHECK(!error.empty(), "a refused document without a reason");
        FUZZ_CHECK(doc.text() == fresh, "a refused document changed the one held");
        return 0;
    }
    const std::string read = doc.text();
    Regedit4Document again;
    FUZZ_CHECK(again.parse(read, error), "a document's own text did not read");
    FUZZ_CHECK(again.text() == read, "a document's own text changed on reading");

    const Snapshot before = snapshot(doc);
    const std::uint8_t choice = size > 0 ? data[size - 1] : 0;
    const std::size_t key = choice % kKeys.size();
    const std::size_t name = (choice / kKeys.size()) % kNames.size();
    std::uint32_t value = 0;
    for (std::size_t i = 2; i <= 5 && i <= size; ++i) {
        value = value << 8 | data[size - i];
    }
    doc.set_dword(kKeys[key], kNames[name], value);

    std::uint32_t back = 0;
    FUZZ_CHECK(doc.query_dword(kKeys[key], kNames[name], back) && back == value,
               "a value set did not read back");
    Regedit4Document written;
    FUZZ_CHECK(written.parse(doc.text(), error), "a document with a value set did not read");
    FUZZ_CHECK(written.query_dword(kKeys[key], kNames[name], back) && back == value,
               "a value set did not read back from the written text");
    const Snapshot after = snapshot(written);
    for (std::size_t k = 0; k < kKeys.size(); ++k) {
        for (std::size_t n = 0; n < kNames.size(); ++n) {
            if (k == key && n == name) {
                continue;
            }
            FUZZ_CHECK(same(before[k][n], after[k][n]), "setting a value changed another");
        }
    }
    return 0;
}
