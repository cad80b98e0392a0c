#include "qt/printed_messages.h"

namespace vantrel::qt {

void PrintedMessages::show(std::string_view text, std::string_view caption,
                           MessageButtons /*buttons*/, MessageIcon /*icon*/) {
    std::fprintf(out_, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(out_);
}

}  // namespace vantrel::qt
