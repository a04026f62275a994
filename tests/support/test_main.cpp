// Every test binary runs with its home, configuration, data and temporary directories in a
// fresh scratch directory, and with Qt's offscreen platform, so no test touches the real home.
#include "tests/support/test_env.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace quillorn::test {
namespace {
QString& Scratch() {
    static QString path;
    return path;
}
} // namespace

QString ScratchDir() {
    return Scratch();
}

QString WriteFile(const QString& relativeOrAbsolute, const QByteArray& bytes) {
    const QString path = QDir::isAbsolutePath(relativeOrAbsolute)
                             ? relativeOrAbsolute
                             : QDir(Scratch()).filePath(relativeOrAbsolute);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(bytes);
    return path;
}

QByteArray TwoPagePostScript() {
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

} // namespace quillorn::test

int main(int argc, char** argv) {
    // The scratch directory lives under the system's temporary directory of the moment, before
    // TMPDIR is pointed into it.
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/quillorn-test-XXXXXX"));
    if (!scratch.isValid())
        return 2;
    const QString root = scratch.path();
    quillorn::test::Scratch() = root;
    for (const char* sub : {"home", "config", "data", "cache", "tmp", "runtime"})
        QDir(root).mkpath(QLatin1String(sub));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + QStringLiteral("/runtime")));
    qputenv("HOME", QFile::encodeName(root + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/cache")));
    qputenv("TMPDIR", QFile::encodeName(root + QStringLiteral("/tmp")));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillorn"));
    return RUN_ALL_TESTS();
}
