// Fetches the same 64 MB body from a local server, in turns, two ways: the plain read into
// memory that Qt Network offers (the baseline) and FetchToFile with its .part file and rename.
// Prints the ratio of the medians.
#include "bench/result_row.h"
#include "system/core/download.h"
#include "tests/system/http_test_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
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
    quillorn::system::DownloadChoice AskWhere(const QString&, const QString&,
                                              const QString&) override {
        return quillorn::system::DownloadChoice::Save;
    }
    void ShowProgress(const QString&, const QString&, std::function<void()>) override {}
    void SetProgress(qint64, qint64) override {}
    void HideProgress() override {}
};

qint64 Baseline(const QString& url) {
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

double Median(std::vector<double> v) {
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
    server.body = quillorn::test::NoiseBytes(64 * 1024 * 1024);
    const QString url = server.Url(QStringLiteral("/file"));
    SilentView view;

    std::vector<double> baseline;
    std::vector<double> fetch;
    for (int round = 0; round < 7; ++round) {
        QElapsedTimer timer;
        timer.start();
        if (Baseline(url) != server.body.size())
            return 1;
        baseline.push_back(timer.nsecsElapsed() / 1e6);

        const QString target = scratch.filePath(QStringLiteral("body.bin"));
        timer.restart();
        if (!quillorn::system::FetchToFile(QUrl(url), target, view, QStringLiteral("bench"))
                 .complete)
            return 1;
        fetch.push_back(timer.nsecsElapsed() / 1e6);
        QFile::remove(target);
    }
    std::printf("64 MB from 127.0.0.1, median of 7\n");
    std::printf("  baseline (read into memory): %.1f ms\n", Median(baseline));
    std::printf("  FetchToFile (.part + rename): %.1f ms\n", Median(fetch));
    quillorn::bench::ResultRow("download of 64 MB from 127.0.0.1 to a file", Median(fetch) / 1000,
                               "Qt read into memory", Median(baseline) / 1000, "s");
    std::printf("  ratio FetchToFile / baseline: %.2f\n", Median(fetch) / Median(baseline));
    return 0;
}
