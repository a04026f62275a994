#pragma once

#include <QLocale>
#include <QString>
#include <optional>

namespace quillorn::viewer {

// The page an answer to "What page do you want to go to?" asks for: the number's whole part
// rounded down (3.9 is 3, -0.5 is -1). Nothing when the answer is not a number or the page
// lies outside -32768..32767. The number may use the locale's decimal separator or a point.
std::optional<qint16> pageFromAnswer(const QString& answer, const QLocale& locale = QLocale());

} // namespace quillorn::viewer
