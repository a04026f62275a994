// Any output of the text device: the page's text must not crash, every character keeps a box
// (empty for a blank put in), searching and selecting stay inside the text.
#include "viewer/core/page_text.h"

#include <QByteArrayView>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillorn::viewer::PageText;
    const PageText page = PageText::parse(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const auto length = static_cast<int>(page.text().size());
    if (length > PageText::kMaxCharacters + 1)
        std::abort();
    const int caret = page.caretAt(QPointF(100, 100));
    if (caret < 0 || caret > length)
        std::abort();
    const QString needle = page.text().left(3);
    for (const quillorn::viewer::TextRange& hit : page.find(needle, Qt::CaseInsensitive)) {
        if (hit.start < 0 || hit.length <= 0 || hit.start + hit.length > length)
            std::abort();
        (void)page.boxes(hit);
    }
    return 0;
}
