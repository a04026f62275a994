// Fetches the same 64 MB body from a local server, in turns, two ways: the plain read into
// memory that Qt Network offers (the baseline) and fetchToFile with its .part file and rename.
// Prints the ratio of the medians.
#include "bench/result_row.h"
#include "system/core/download.h"
#include "tests/support/http_test_server.h"

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
    quillorn::system::DownloadChoice askWhere(const QString&, const QString&,
                                              const QString&) override {
        return quillorn::system::DownloadChoice::Save;
    }
    void showProgress(const QString&, const QString&, std::function<void()>) override {}
    void setProgress(qint64, qint64) override {}
    void hideProgress() override {}
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
    server.body = quillorn::test::noiseBytes(64 * 1024 * 1024);
    const QString url = server.url(QStringLiteral("/file"));
    SilentView view;

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
