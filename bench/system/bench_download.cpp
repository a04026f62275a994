// Fetches the same 64 MB body from a local server, in turns, two ways: the plain read into
// memory that Qt Network offers (the baseline) and fetchToFile with its .part file and rename.
// Prints the ratio of the medians. Before that, in a process that has held no large body yet,
// how much the peak resident memory grows while fetchToFile saves a 16 MB and then a 1 GB body
// that the server makes as it sends: bounded by the read buffer, the two are alike.
#include "bench/result_row.h"
#include "system/core/download.h"
#include "tests/support/http_test_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

class SilentView : public quillorn::system::DownloadView {
public:
    quillorn::system::DownloadChoice askWhere(const QString&, const QString&, const QString&,
                                              bool) override {
        return quillorn::system::DownloadChoice::Save;
    }
    // Waits as the progress window does, without showing anything.
    void showProgress(const QString&, const QString&, std::function<void()>) override {
        for (ended_ = false; !ended_;)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    void setProgress(qint64, qint64) override {}
    void hideProgress() override { ended_ = true; }

private:
    bool ended_ = false;
};

qint64 readIntoMemory(const QString& url) {
    QNetworkAccessManager manager;
    const std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(QUrl(url))));
    QByteArray body;
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop,
                     [&] { body += reply->readAll(); });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    body += reply->readAll();
    return body.size();
}

// The process's peak resident memory so far, in MB.
double residentPeakMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 2;
    QCoreApplication app(argc, argv);
    quillorn::test::HttpTestServer server;
    SilentView view;

    const QString streamed = scratch.filePath(QStringLiteral("streamed.bin"));
    const double before = residentPeakMb();
    double growth[2] = {};
    const qint64 sizes[2] = {qint64(16) << 20, qint64(1) << 30};
    for (int i = 0; i < 2; ++i) {
        server.streamSize = sizes[i];
        if (!quillorn::system::fetchToFile(QUrl(server.url(QStringLiteral("/stream"))), streamed,
                                           view, QStringLiteral("bench"))
                 .complete)
            return 1;
        growth[i] = residentPeakMb() - before;
        QFile::remove(streamed);
    }
    std::printf("peak resident memory growth: %.1f MB after 16 MB, %.1f MB after 1 GB\n", growth[0],
                growth[1]);
    quillorn::bench::resultRow("peak memory growth, download of 1 GB to a file", growth[1],
                               "download of 16 MB", growth[0], "MB");

    server.body = quillorn::test::noiseBytes(64 * 1024 * 1024);
    const QString url = server.url(QStringLiteral("/file"));

    std::vector<double> baseline;
    std::vector<double> fetch;
    for (int round = 0; round < 7; ++round) {
        QElapsedTimer timer;
        timer.start();
        if (readIntoMemory(url) != server.body.size())
            return 1;
        baseline.push_back(timer.nsecsElapsed() / 1e6);

        const QString target = scratch.filePath(QStringLiteral("body.bin"));
        timer.restart();
        if (!quillorn::system::fetchToFile(QUrl(url), target, view, QStringLiteral("bench"))
                 .complete)
            return 1;
        fetch.push_back(timer.nsecsElapsed() / 1e6);
        QFile::remove(target);
    }
    std::printf("64 MB from 127.0.0.1, median of 7\n");
    std::printf("  baseline (read into memory): %.1f ms\n", median(baseline));
    std::printf("  fetchToFile (.part + rename): %.1f ms\n", median(fetch));
    quillorn::bench::resultRow("download of 64 MB from 127.0.0.1 to a file", median(fetch) / 1000,
                               "Qt read into memory", median(baseline) / 1000, "s");
    std::printf("  ratio fetchToFile / baseline: %.2f\n", median(fetch) / median(baseline));
    return 0;
}
