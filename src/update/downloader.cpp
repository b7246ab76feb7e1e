// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/downloader.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

#include "textio/text_file.h"

namespace orvane::update {
namespace {

// Why the network layer ended a transfer, in the window's language. The
// transfer timeout ends it as "cancelled" too: that is a stall, not the user.
QString NetworkCause(QNetworkReply::NetworkError error, const QString& fallback,
                     const DownloadLimits& limits) {
    switch (error) {
        case QNetworkReply::OperationCanceledError:
            return QStringLiteral("%1秒内没有收到任何数据")
                .arg(std::chrono::duration<double>(limits.stall).count());
        case QNetworkReply::ConnectionRefusedError:
            return QStringLiteral("服务器拒绝连接");
        case QNetworkReply::RemoteHostClosedError:
            return QStringLiteral("服务器提前断开了连接");
        case QNetworkReply::HostNotFoundError:
            return QStringLiteral("找不到服务器");
        case QNetworkReply::TimeoutError:
            return QStringLiteral("连接服务器超时");
        case QNetworkReply::ContentNotFoundError:
            return QStringLiteral("服务器上没有这个文件（404）");
        default:
            return fallback;
    }
}

}  // namespace

Downloader::Downloader(QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)) {}

void Downloader::Fetch(const QUrl& url, const std::filesystem::path& target, DownloadLimits limits,
                       const std::function<void(const DownloadResult&)>& done,
                       const DownloadProgress& progress) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(int(limits.stall.count()));
    QNetworkReply* reply = network_->get(request);
    // The network layer reads no further ahead than this: memory stays
    // bounded by the buffer, not by the size limit.
    reply->setReadBufferSize(kDownloadBuffer);

    struct Transfer {
        textio::AtomicFileWriter file;
        qint64 received = 0;
        qint64 receivedAtWindowStart = 0;
        qint64 peakBuffered = 0;
        QString error;
        bool cancelled = false;
        explicit Transfer(const std::filesystem::path& path) : file(path) {}
    };
    auto transfer = std::make_shared<Transfer>(target);
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [reply, transfer] {
        transfer->error = QStringLiteral("下载超时");
        reply->abort();
    });
    deadline->start(int(limits.total.count()));
    if (limits.minBytes > 0) {
        auto* rate = new QTimer(reply);
        connect(rate, &QTimer::timeout, reply, [reply, transfer, limits] {
            if (transfer->received - transfer->receivedAtWindowStart < limits.minBytes) {
                transfer->error = QStringLiteral("下载速度过慢");
                reply->abort();
            }
            transfer->receivedAtWindowStart = transfer->received;
        });
        rate->start(int(limits.rateWindow.count()));
    }

    connect(this, &Downloader::cancelRequested, reply, [reply, transfer] {
        transfer->cancelled = true;
        transfer->error = kDownloadCancelled;
        reply->abort();
    });

    connect(reply, &QNetworkReply::readyRead, this, [reply, transfer, limits, progress] {
        std::vector<char> buffer(static_cast<std::size_t>(kDownloadBuffer));
        while (reply->bytesAvailable() > 0 && transfer->error.isEmpty()) {
            transfer->peakBuffered =
                std::max(transfer->peakBuffered, reply->bytesAvailable() + kDownloadBuffer);
            const qint64 got = reply->read(buffer.data(), kDownloadBuffer);
            if (got <= 0) {
                break;
            }
            transfer->received += got;
            if (transfer->received > limits.maxBytes) {
                transfer->error = QStringLiteral("下载的文件超出了允许的大小");
                reply->abort();
                return;
            }
            transfer->file.Write(std::string_view(buffer.data(), std::size_t(got)));
        }
        if (progress && transfer->error.isEmpty()) {
            const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
            progress(transfer->received, announced.isValid() ? announced.toLongLong() : -1);
        }
    });
    connect(reply, &QNetworkReply::finished, this, [reply, transfer, done, limits] {
        reply->deleteLater();
        DownloadResult result;
        result.peakBuffered = transfer->peakBuffered;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.cancelled = transfer->cancelled;
        if (!transfer->error.isEmpty()) {
            result.error = transfer->error;
        } else if (reply->error() != QNetworkReply::NoError) {
            result.error = status >= 400 && status != 404
                               ? QStringLiteral("服务器回答%1").arg(status)
                               : NetworkCause(reply->error(), reply->errorString(), limits);
        } else if (status != 0 && status != 200) {
            result.error = QStringLiteral("服务器回答%1").arg(status);
        } else if (!transfer->file.Commit()) {
            result.error = QStringLiteral("无法保存下载的文件");
        } else {
            result.ok = true;
        }
        done(result);
    });
}

void Downloader::Cancel() {
    emit cancelRequested();
}

DownloadResult Downloader::FetchAndWait(const QUrl& url, const std::filesystem::path& target,
                                        DownloadLimits limits) {
    QEventLoop loop;
    DownloadResult outcome;
    Fetch(url, target, limits, [&](const DownloadResult& result) {
        outcome = result;
        loop.quit();
    });
    loop.exec();
    return outcome;
}

std::optional<QUrl> DownloadBase() {
    QString base = qEnvironmentVariable("ORVANE_UPDATE_URL");
    if (base.isEmpty()) {
        base = QStringLiteral(ORVANE_UPDATE_BASE_URL);
    }
    if (base.isEmpty()) {
        return std::nullopt;
    }
    if (!base.endsWith(QLatin1Char('/'))) {
        base += QLatin1Char('/');
    }
    const QUrl url(base);
    return url.isValid() ? std::optional<QUrl>(url) : std::nullopt;
}

}  // namespace orvane::update
