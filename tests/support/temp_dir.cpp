// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "textio/text_file.h"

namespace orvane::testing {
namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    do {
        path_ = base / ("orvane-test-" + std::to_string(random()));
    } while (!fs::create_directory(path_));
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

fs::path TempDir::operator/(std::string_view name) const {
    return path_ / textio::PathFromUtf8(name);
}

fs::path TempDir::Write(std::string_view name, std::string_view bytes) const {
    const fs::path file = *this / name;
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> EntryNames(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
        names.push_back(textio::PathToUtf8(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<fs::path> CorpusDir() {
    const char* configured = std::getenv("ORVANE_CORPUS_DIR");
    if (configured == nullptr || *configured == '\0') {
        return std::nullopt;
    }
    std::error_code ec;
    const fs::path dir(configured);
    if (!fs::is_directory(dir, ec)) {
        return std::nullopt;
    }
    return fs::canonical(dir, ec);
}

}  // namespace orvane::testing
