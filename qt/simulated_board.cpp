#include "qt/simulated_board.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vantrel::qt {

namespace {

bool read_file(const std::string& path, std::string& text, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
    return true;
}

}  // namespace

bool SimulatedBoard::configure(const sim::BoardOptions& options, std::string& error) {
    std::string dump;
    if (!options.dump_path.empty() && !read_file(options.dump_path, dump, error)) {
        return false;
    }
    if (!sim::apply_board_options(options, dump, board_, error)) {
        return false;
    }
    real_pauses_ = options.real_pauses;
    return true;
}

Sleeper& SimulatedBoard::sleeper() {
    if (real_pauses_) {
        return paced_;
    }
    return board_.time();
}

}  // namespace vantrel::qt
