#include "options/core/options.h"

namespace quillorn::options {

Options& TheOptions() {
    static Options options;
    return options;
}

} // namespace quillorn::options
