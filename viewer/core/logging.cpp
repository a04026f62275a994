#include "viewer/core/logging.h"

namespace quillorn::viewer {

Q_LOGGING_CATEGORY(lcPages, "quillorn.pages", QtInfoMsg)

} // namespace quillorn::viewer
