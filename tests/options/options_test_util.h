#pragma once

#include "options/core/options.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>

namespace quillorn::test {

// A store file of its own in the scratch directory, not yet existing.
inline QString FreshStorePath(const char* name) {
    QDir().mkpath(ScratchDir() + QStringLiteral("/stores"));
    const QString path = ScratchDir() + QStringLiteral("/stores/%1.conf").arg(QLatin1String(name));
    QFile::remove(path);
    return path;
}

// Safer, true colour, 75 dpi, anti-aliasing 2 and 2, paper index 0, no fixed media.
inline options::Options FirstStartOptions() {
    return {0, 0, true, false, 0, {}, 75, 4, 2, 2, false};
}

// Every field away from its first-start value.
inline options::Options ChangedOptions() {
    return {3, 2, false, true, 9, {612, -792}, 1200, 0, 1, 4, true};
}

} // namespace quillorn::test
