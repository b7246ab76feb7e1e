// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads from the download server: always asked afresh (no cache),
// redirects followed (never from HTTPS down to HTTP), bounded in size and in
// time, and written through the atomic write, so a failed or partial
// transfer never replaces the local file.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <filesystem>
#include <functional>

class QNetworkAccessManager;

namespace orvane::update {

struct DownloadLimits {
    qint64 maxBytes = 0;
    std::chrono::milliseconds stall{5000};  // no byte for this long ends it
    std::chrono::milliseconds total{5000};  // nor may the whole take longer
    // Fewer than `minBytes` in any `rateWindow` ends it too: a server that
    // sends a byte now and then never stalls. 0: no minimum.
    qint64 minBytes = 0;
    std::chrono::milliseconds rateWindow{30000};
};

// The version file is a few lines; the archive holds the program's files
// and must come at 1 KB/s at least.
inline constexpr DownloadLimits kVersionFileLimits{qint64{16} * 1024, std::chrono::seconds(5),
                                                   std::chrono::seconds(5)};
inline constexpr DownloadLimits kArchiveLimits{256LL * 1024 * 1024, std::chrono::seconds(30),
                                               std::chrono::minutes(30), qint64{30} * 1024,
                                               std::chrono::seconds(30)};

// The most a transfer holds in memory at once, whatever its size: bytes go
// on to the temporary file in pieces of at most this.
inline constexpr qint64 kDownloadBuffer = qint64{64} * 1024;

// What a cancelled transfer gives as its error; no other ending gives it.
inline const QString kDownloadCancelled = QStringLiteral("操作被取消");

// Bytes received so far and the size the server announced (-1: unknown).
using DownloadProgress = std::function<void(qint64 received, qint64 total)>;

struct DownloadResult {
    bool ok = false;
    bool cancelled = false;  // ended by Cancel()
    QString error;           // why not, for the user, when !ok
    // The most bytes the transfer held in memory at once (waiting in the
    // network layer and in its own buffer).
    qint64 peakBuffered = 0;
};

class Downloader : public QObject {
    Q_OBJECT
public:
    explicit Downloader(QObject* parent = nullptr);

    // Returns at once; `done` runs on this object's thread when it ends, and
    // `progress` each time bytes have come.
    void Fetch(const QUrl& url, const std::filesystem::path& target, DownloadLimits limits,
               const std::function<void(const DownloadResult&)>& done,
               const DownloadProgress& progress = {});

    // Ends every transfer under way; each ends as cancelled, and the local
    // file is left as it was.
    void Cancel();

    // The same, waiting for the end while the application's events go on.
    DownloadResult FetchAndWait(const QUrl& url, const std::filesystem::path& target,
                                DownloadLimits limits);

signals:
    void cancelRequested();

private:
    QNetworkAccessManager* network_;
};

// The download server's folder ("…/downs/"): ORVANE_UPDATE_URL from the
// environment, else the address set when the program was built; nothing
// when neither is set, and then nothing is ever asked.
std::optional<QUrl> DownloadBase();

}  // namespace orvane::update
