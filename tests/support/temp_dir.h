// SPDX-License-Identifier: GPL-3.0-or-later
// Test helpers: a temporary folder per test, file writing and reading, and
// the optional real-world corpus.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::testing {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const;

    // Writes raw bytes to `name` in this folder and returns its path.
    std::filesystem::path Write(std::string_view name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);

// The names of the entries directly in `dir`, sorted; a leftover temporary
// file shows up here.
std::vector<std::string> EntryNames(const std::filesystem::path& dir);

// The corpus folder of real-world subtitle files, when it exists.
std::optional<std::filesystem::path> CorpusDir();

}  // namespace orvane::testing
