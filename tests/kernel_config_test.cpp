// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/kernel/kernel_config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifdef VANTREL_HAVE_ZLIB
#include <zlib.h>
#endif

#include "support/param_name.h"
#include "support/temp_dir.h"

// The running kernel's configuration as evidence for ioperm: what a configuration text says of
// an option, and which file it is read from.

namespace vantrel::platform {
namespace {

using test::PrintTo;

constexpr const char* kOption = "CONFIG_X86_IOPL_IOPERM";

struct OptionCase {
    const char* label;
    const char* config;
    KernelOption state;
};

class KernelOptionText : public ::testing::TestWithParam<OptionCase> {};

TEST_P(KernelOptionText, ReadsTheOptionsLineOnly) {
    EXPECT_EQ(kernel_option(GetParam().config, kOption), GetParam().state);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, KernelOptionText, ::testing::Values(
    OptionCase{"BuiltIn", "CONFIG_X86=y\nCONFIG_X86_IOPL_IOPERM=y\nCONFIG_X86_64=y\n", KernelOption::Built},
    OptionCase{"LastLineWithoutNewline", "CONFIG_X86=y\nCONFIG_X86_IOPL_IOPERM=y", KernelOption::Built},
    OptionCase{"NotSet", "CONFIG_X86=y\n# CONFIG_X86_IOPL_IOPERM is not set\n", KernelOption::Missing},
    OptionCase{"OtherValue", "CONFIG_X86_IOPL_IOPERM=n\n", KernelOption::Missing},
    OptionCase{"LongerNameIsAnotherOption", "CONFIG_X86_IOPL_IOPERM_EXTRA=y\n", KernelOption::Unknown},
    OptionCase{"CommentMentioningIt", "# CONFIG_X86_IOPL_IOPERM=y was here\n", KernelOption::Unknown},
    OptionCase{"Silent", "CONFIG_X86=y\n", KernelOption::Unknown},
    OptionCase{"Empty", "", KernelOption::Unknown}),
    test::ByLabel());
// clang-format on

struct SourceCase {
    const char* label;
    const char* proc_config_gz;  // bytes of /proc/config.gz; nullptr for none
    const char* boot_config;     // /boot/config-RELEASE; nullptr for none
    const char* release;
    KernelOption state;
    const char* source;  // under the test's folder; empty for none
};

class KernelOptionSource : public ::testing::TestWithParam<SourceCase> {};

TEST_P(KernelOptionSource, TheRunningKernelsOwnConfiguration) {
    const SourceCase& row = GetParam();
    test::TempDir dir;
    std::filesystem::create_directories(dir / "proc");
    std::filesystem::create_directories(dir / "boot");
    if (row.proc_config_gz != nullptr) {
        test::write_file(dir / "proc/config.gz", row.proc_config_gz);
    }
    if (row.boot_config != nullptr) {
        test::write_file(dir / "boot/config-6.1.0-test", row.boot_config);
    }
    const KernelOptionFact fact =
        read_kernel_option(dir / "proc", dir / "boot", row.release, kOption);
    EXPECT_EQ(fact.state, row.state);
    EXPECT_EQ(fact.source, std::string(row.source).empty() ? "" : dir / row.source);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, KernelOptionSource, ::testing::Values(
    SourceCase{"BootConfig", nullptr, "CONFIG_X86_IOPL_IOPERM=y\n", "6.1.0-test", KernelOption::Built, "boot/config-6.1.0-test"},
    SourceCase{"BootConfigWithout", nullptr, "# CONFIG_X86_IOPL_IOPERM is not set\n", "6.1.0-test", KernelOption::Missing, "boot/config-6.1.0-test"},
    SourceCase{"AnotherKernelsConfig", nullptr, "CONFIG_X86_IOPL_IOPERM=y\n", "6.2.0-other", KernelOption::Unknown, ""},
    SourceCase{"Nothing", nullptr, nullptr, "6.1.0-test", KernelOption::Unknown, ""}),
    test::ByLabel());
// clang-format on

#ifdef VANTREL_HAVE_ZLIB
// The compressed configuration of the running kernel comes before a file in /boot.
TEST(KernelOptionSource, ProcConfigGzFirst) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "proc");
    std::filesystem::create_directories(dir / "boot");
    test::write_file(dir / "boot/config-6.1.0-test", "# CONFIG_X86_IOPL_IOPERM is not set\n");
    const std::string text = "CONFIG_X86=y\nCONFIG_X86_IOPL_IOPERM=y\n";
    gzFile out = ::gzopen((dir / "proc/config.gz").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(::gzwrite(out, text.data(), static_cast<unsigned>(text.size())),
              static_cast<int>(text.size()));
    ASSERT_EQ(::gzclose(out), Z_OK);
    const KernelOptionFact fact =
        read_kernel_option(dir / "proc", dir / "boot", "6.1.0-test", kOption);
    EXPECT_EQ(fact.state, KernelOption::Built);
    EXPECT_EQ(fact.source, dir / "proc/config.gz");
}
#endif

}  // namespace
}  // namespace vantrel::platform
