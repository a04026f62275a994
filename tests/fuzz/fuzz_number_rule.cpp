// Any text: the number rule must not crash, must give a finite number, and a whole number that
// fits a field must round-trip through its decimal text.
#include "base/number_rule.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const double value = quillorn::parseLeadingNumber(text);
    if (!std::isfinite(value))
        std::abort();
    if (const auto whole = quillorn::wholeNumberFromText(text, -32768, 32767)) {
        if (quillorn::parseLeadingNumber(QString::number(*whole)) != static_cast<double>(*whole))
            std::abort();
    }
    return 0;
}
