// Every test binary runs with its home, configuration, data and temporary directories in a
// fresh scratch directory, and with Qt's offscreen platform, so no test touches the real home.
#include "gs/api.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <thread>

namespace quillorn::test {
namespace {
QString scratchRoot;
} // namespace

QString scratchDir() {
    return scratchRoot;
}

QString writeFile(const QString& relativeOrAbsolute, const QByteArray& bytes) {
    QString path = QDir(scratchRoot).filePath(relativeOrAbsolute);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(bytes);
    return path;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList tempLeftovers() {
    return QDir::temp().entryList({QStringLiteral("KMW*"), QStringLiteral("quillorn-*")},
                                  QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QByteArray twoPagePostScript() {
    return QByteArrayLiteral("%!PS-Adobe-3.0\n"
                             "%%Pages: 2\n"
                             "%%BoundingBox: 0 0 200 100\n"
                             "<< /PageSize [200 100] >> setpagedevice\n"
                             "%%Page: 1 1\n"
                             "0 0 1 setrgbcolor 20 20 60 60 rectfill showpage\n"
                             "%%Page: 2 2\n"
                             "1 0 0 setrgbcolor 150 50 30 0 360 arc fill showpage\n"
                             "%%EOF\n");
}

QString writeTwoPagePostScript(const QString& relativePath) {
    return writeFile(relativePath, twoPagePostScript());
}

QString writePdfOf(const QString& postScript, const QString& pdf, const QStringList& switches) {
    gs::Binding().run(QStringList{QStringLiteral("gs"), QStringLiteral("-dNOPAUSE"),
                                  QStringLiteral("-dBATCH"), QStringLiteral("-dSAFER"),
                                  QStringLiteral("-sDEVICE=pdfwrite")}
                          << switches << QStringLiteral("-sOutputFile=") + pdf << postScript,
                      {});
    return pdf;
}

QString writeTwoPagePdf(const QString& relativePath, const QStringList& switches) {
    const QString ps = writeTwoPagePostScript(relativePath + QStringLiteral(".source.ps"));
    const QString pdf = writePdfOf(ps, QDir(scratchDir()).filePath(relativePath), switches);
    QFile::remove(ps);
    return QFileInfo::exists(pdf) ? pdf : QString();
}

QString writeEncryptedPdf(const QString& relativePath) {
    return writeTwoPagePdf(relativePath, {QStringLiteral("-sOwnerPassword=owner"),
                                          QStringLiteral("-sUserPassword=user")});
}

QByteArray pdfOfObjects(const QByteArrayList& bodies) {
    QByteArray pdf = "%PDF-1.4\n", xref = "xref\n0 " + QByteArray::number(bodies.size() + 1) +
                                          "\n0000000000 65535 f \n";
    for (qsizetype i = 0; i < bodies.size(); ++i) {
        xref += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + bodies[i] + "\nendobj\n";
    }
    return pdf + xref + "trailer\n<< /Size " + QByteArray::number(bodies.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(pdf.size()) + "\n%%EOF\n";
}

QByteArray gzipped(const QByteArray& bytes) {
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-c")});
    gzip.write(bytes);
    gzip.closeWriteChannel();
    return gzip.waitForFinished(30000) ? gzip.readAllStandardOutput() : QByteArray();
}

QString writeSizedPostScript(const QString& relativePath, int widthPt, int heightPt) {
    return writeFile(relativePath, "%!PS-Adobe-3.0\n<< /PageSize [" + QByteArray::number(widthPt) +
                                       " " + QByteArray::number(heightPt) +
                                       "] >> setpagedevice\n"
                                       "0 0 1 setrgbcolor 10 10 40 40 rectfill showpage\n");
}

// Whether a thread of this process has the given name.
bool threadNamed(const std::string& name) {
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return false;
    bool found = false;
    while (const dirent* task = readdir(tasks)) {
        std::string comm;
        std::getline(std::ifstream("/proc/self/task/" + std::string(task->d_name) + "/comm"), comm);
        found = found || comm == name;
    }
    closedir(tasks);
    return found;
}

// At exit Qt stops its D-Bus thread and goes on once the thread's loop has ended, while the
// thread itself may still be ending. Its thread data is then held only in thread-local storage,
// which the sanitizer run does not scan, so the leak check after this would report it. Runs
// after Qt's own clean-up, being registered before it.
void awaitQtThreadsEnded() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (threadNamed("QDBusConnection") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace quillorn::test

int main(int argc, char** argv) {
    // Made under the temporary directory of the moment, before TMPDIR is pointed into it.
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/quillorn-test-XXXXXX"));
    if (!scratch.isValid())
        return 2;
    quillorn::test::scratchRoot = scratch.path();
    const char* const dirs[][2] = {{"HOME", "home"},          {"XDG_CONFIG_HOME", "config"},
                                   {"XDG_DATA_HOME", "data"}, {"XDG_CACHE_HOME", "cache"},
                                   {"TMPDIR", "tmp"},         {"XDG_RUNTIME_DIR", "runtime"}};
    for (const auto& [var, sub] : dirs) {
        QDir(scratch.path()).mkpath(QLatin1String(sub));
        qputenv(var, QFile::encodeName(scratch.filePath(QLatin1String(sub))));
    }
    QFile::setPermissions(scratch.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The first start's paper size follows the system's; every test sees the same one.
    qputenv("PAPERSIZE", "a4");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    std::atexit(quillorn::test::awaitQtThreadsEnded);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillorn"));
    return RUN_ALL_TESTS();
}
