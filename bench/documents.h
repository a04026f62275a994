#pragma once

// The documents several benchmarks run on, the scratch home they run in, and the median they
// report.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace quillorn::bench {

// The standard output of a program, or nothing when it cannot be had.
inline QByteArray outputOf(const QString& program, const QStringList& args,
                           const QByteArray& input = {}) {
    QProcess process;
    process.start(program, args);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

// bash(1) set by groff: a long real document, 87 pages with Debian 12's bash. Where the manual
// page or groff is missing, 87 pages of text made here stand in for it.
inline QByteArray manualPages() {
    const QString page = QString::fromLocal8Bit(
        outputOf(QStringLiteral("man"), {QStringLiteral("-w"), QStringLiteral("bash")}).trimmed());
    const QByteArray source = page.endsWith(QLatin1String(".gz"))
                                  ? outputOf(QStringLiteral("gzip"), {QStringLiteral("-dc"), page})
                                  : outputOf(QStringLiteral("cat"), {page});
    QByteArray ps = source.isEmpty()
                        ? QByteArray()
                        : outputOf(QStringLiteral("groff"),
                                   {QStringLiteral("-man"), QStringLiteral("-Tps")}, source);
    if (ps.count("\n%%Page:") > 0)
        return ps;
    std::fprintf(stderr, "no bash(1) by groff: 87 pages of text instead\n");
    QByteArray text = "%!PS-Adobe-3.0\n%%Pages: 87\n/Times-Roman findfont 10 scalefont setfont\n";
    for (int page = 1; page <= 87; ++page) {
        text += "%%Page: " + QByteArray::number(page) + ' ' + QByteArray::number(page) + '\n';
        for (int line = 0; line < 64; ++line)
            text += "72 " + QByteArray::number(770 - line * 11) + " moveto (" +
                    QByteArray::number(page) + '.' + QByteArray::number(line) +
                    " When a program is invoked it is given an array of strings called the "
                    "environment; a list of name-value pairs) show\n";
        text += "showpage\n";
    }
    return text + "%%EOF\n";
}

// Home, configuration, data, cache and temporary folders below root for this process and what
// it starts, so that neither Quillorn nor the gs executable touches the real home.
inline void useScratchHome(const QString& root) {
    const std::pair<const char*, const char*> folders[] = {{"HOME", "home"},
                                                           {"XDG_CONFIG_HOME", "config"},
                                                           {"XDG_DATA_HOME", "data"},
                                                           {"XDG_CACHE_HOME", "cache"},
                                                           {"TMPDIR", "tmp"}};
    for (const auto& [variable, folder] : folders) {
        const QString path = root + u'/' + QLatin1String(folder);
        QDir().mkpath(path);
        qputenv(variable, QFile::encodeName(path));
    }
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace quillorn::bench
