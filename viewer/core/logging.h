#pragma once

#include <QLoggingCategory>

namespace quillorn::viewer {

// "quillorn.pages": which page is asked for, whether it comes from the cache or a run, what is
// rendered ahead of need and what the cache lets go. Debug messages, off unless
// QT_LOGGING_RULES turns them on.
Q_DECLARE_LOGGING_CATEGORY(lcPages)

} // namespace quillorn::viewer
