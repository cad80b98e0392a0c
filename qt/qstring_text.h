// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <string_view>
#include <utility>

namespace vantrel::qt {

// The core's UTF-8 text as a QString. The length's type is the one QString's own sizes have:
// int in Qt 5, qsizetype in Qt 6.
inline QString to_qstring(std::string_view text) {
    using Size = decltype(std::declval<const QString&>().size());
    return QString::fromUtf8(text.data(), static_cast<Size>(text.size()));
}

}  // namespace vantrel::qt
