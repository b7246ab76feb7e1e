// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/update_checker.h"

#include <fstream>
#include <sstream>

#include "update/downloader.h"
#include "update/version_file.h"

namespace orvane::update {
namespace {

class NoUpdateChecker final : public UpdateChecker {
public:
    void Check(std::string, std::filesystem::path,
               std::function<void(const UpdateCheckResult&)>) override {}
};

class NetworkUpdateChecker final : public UpdateChecker {
public:
    explicit NetworkUpdateChecker(QUrl base) : base_(std::move(base)) {}

    void Check(std::string ownVersion, std::filesystem::path workDir,
               std::function<void(const UpdateCheckResult&)> done) override {
        const std::filesystem::path info = workDir / "Info.txt";
        downloader_.Fetch(base_.resolved(QUrl(QStringLiteral("Velmora.txt"))), info,
                          kVersionFileLimits,
                          [info, ownVersion, done](const DownloadResult& result) {
                              if (!result.ok) {
                                  return;  // silent: no notice
                              }
                              std::ifstream in(info, std::ios::binary);
                              std::stringstream text;
                              text << in.rdbuf();
                              const std::optional<VersionFile> file = ParseVersionFile(text.str());
                              if (!file) {
                                  return;  // an empty version file announces nothing
                              }
                              UpdateCheckResult answer;
                              answer.announcedVersion = file->version;
                              answer.sha256 = file->sha256;
                              answer.newerVersionFound = file->version != ownVersion;
                              done(answer);
                          });
    }

private:
    QUrl base_;
    Downloader downloader_;
};

}  // namespace

std::unique_ptr<UpdateChecker> MakeDefaultUpdateChecker() {
    if (const std::optional<QUrl> base = DownloadBase()) {
        return std::make_unique<NetworkUpdateChecker>(*base);
    }
    return std::make_unique<NoUpdateChecker>();
}

}  // namespace orvane::update
