#include "viewer/core/pdf_structure.h"

#include "viewer/core/page_geometry.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFNumberTreeObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <set>

namespace quillorn::viewer {

namespace {

// A hostile file may nest and repeat without end; past these its outline is cut and the fonts of
// later pages are not looked for.
constexpr int kOutlineDepth = 64;
constexpr int kOutlineItems = 100000;
constexpr std::size_t kFontPages = 2000;

QString text(QPDFObjectHandle object) {
    if (!object.isString())
        return {};
    return QString::fromStdString(object.getUTF8Value()).trimmed();
}

QString name(QPDFObjectHandle object) {
    return object.isName() ? QString::fromStdString(object.getName()) : QString();
}

class Reader {
public:
    explicit Reader(QPDF& pdf) : pdf_(pdf) {}

    DocumentStructure read() {
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf_).getAllPages();
        for (std::size_t i = 0; i < pages.size(); ++i)
            pageNumbers_.emplace(pages[i].getObjectHandle().getObjGen(), static_cast<int>(i + 1));
        DocumentStructure structure;
        structure.properties = properties(pages);
        int items = 0;
        QPDFObjectHandle outlines = pdf_.getRoot().getKey("/Outlines");
        if (outlines.isDictionary())
            structure.outline = outline(outlines.getKey("/First"), 0, items);
        structure.labels = labels();
        for (std::size_t i = 0; i < pages.size(); ++i) {
            std::vector<PageLink> links = linksOf(pages[i]);
            if (!links.empty())
                structure.links.emplace(static_cast<int>(i + 1), std::move(links));
        }
        return structure;
    }

private:
    DocumentProperties properties(std::vector<QPDFPageObjectHelper>& pages) {
        DocumentProperties p;
        QPDFObjectHandle info = pdf_.getTrailer().getKey("/Info");
        if (info.isDictionary()) {
            p.title = text(info.getKey("/Title"));
            p.author = text(info.getKey("/Author"));
            p.subject = text(info.getKey("/Subject"));
            p.creator = text(info.getKey("/Creator"));
            p.producer = text(info.getKey("/Producer"));
            p.created = readablePdfDate(text(info.getKey("/CreationDate")));
        }
        p.format = QStringLiteral("PDF ") + QString::fromStdString(pdf_.getPDFVersion());
        p.pageCount = static_cast<int>(pages.size());
        p.encrypted = pdf_.isEncrypted();
        if (!pages.empty())
            p.pageSize = pageBox(pages.front()).size();
        QSet<QString> seen;
        for (std::size_t i = 0; i < std::min(pages.size(), kFontPages); ++i) {
            QPDFObjectHandle resources = pages[i].getAttribute("/Resources", false);
            if (!resources.isDictionary())
                continue;
            QPDFObjectHandle fonts = resources.getKey("/Font");
            if (!fonts.isDictionary())
                continue;
            for (auto& [key, font] : fonts.ditems()) {
                if (!font.isDictionary())
                    continue;
                QString base = name(font.getKey("/BaseFont"));
                base.remove(0, 1); // the name's slash
                // A subset's tag ("ABCDEF+Times-Roman") is no part of the font's name.
                if (base.size() > 7 && base[6] == u'+')
                    base.remove(0, 7);
                if (!base.isEmpty() && !seen.contains(base)) {
                    seen.insert(base);
                    p.fonts << base;
                }
            }
        }
        p.fonts.sort(Qt::CaseInsensitive);
        return p;
    }

    // The page's box as Ghostscript draws it, in default user space.
    static QRectF pageBox(QPDFPageObjectHelper& page) {
        QPDFObjectHandle box = page.getAttribute("/MediaBox", false);
        if (!box.isRectangle())
            return {};
        const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
        return QRectF(QPointF(std::min(r.llx, r.urx), std::min(r.lly, r.ury)),
                      QPointF(std::max(r.llx, r.urx), std::max(r.lly, r.ury)));
    }

    // The entries from first on, along their /Next links, with their children. qpdf's own outline
    // helper is not used: it runs without end on an entry that is its own next.
    std::vector<OutlineItem> outline(const QPDFObjectHandle& first, int depth, int& items) {
        std::vector<OutlineItem> result;
        if (depth >= kOutlineDepth)
            return result;
        for (QPDFObjectHandle entry = first; entry.isDictionary() && items < kOutlineItems;
             entry = entry.getKey("/Next")) {
            if (entry.isIndirect() && !seen_.insert(entry.getObjGen()).second)
                break;
            ++items;
            OutlineItem item;
            item.title = text(entry.getKey("/Title")).simplified();
            item.page = targetPage(entry);
            item.children = outline(entry.getKey("/First"), depth + 1, items);
            result.push_back(std::move(item));
        }
        return result;
    }

    int pageOf(const QPDFObjectHandle& page) const {
        if (!page.isIndirect())
            return 0;
        const auto found = pageNumbers_.find(page.getObjGen());
        return found == pageNumbers_.end() ? 0 : found->second;
    }

    // The page an outline entry or a link goes to: its /Dest, or its /GoTo action's.
    int targetPage(QPDFObjectHandle object) {
        if (object.hasKey("/Dest"))
            return destinationPage(object.getKey("/Dest"));
        QPDFObjectHandle action = object.getKey("/A");
        if (action.isDictionary() && name(action.getKey("/S")) == QLatin1String("/GoTo"))
            return destinationPage(action.getKey("/D"));
        return 0;
    }

    // A destination's page: [page /XYZ ...] or a name standing for one.
    int destinationPage(QPDFObjectHandle dest) {
        // A name is looked up in the catalog's /Dests, a string in the /Names tree; writers mix
        // them up, so a name missing from the one is looked for in the other.
        if (dest.isName() || dest.isString()) {
            const std::string key = dest.isName() ? dest.getName().substr(1) : dest.getUTF8Value();
            QPDFObjectHandle dests = pdf_.getRoot().getKey("/Dests");
            QPDFObjectHandle names = pdf_.getRoot().getKey("/Names");
            QPDFObjectHandle found;
            if (dests.isDictionary())
                found = dests.getKey("/" + key);
            if (!found.isInitialized() || found.isNull()) {
                found = QPDFObjectHandle::newNull();
                if (names.isDictionary() && names.getKey("/Dests").isDictionary())
                    QPDFNameTreeObjectHelper(names.getKey("/Dests"), pdf_, false)
                        .findObject(key, found);
            }
            dest = found;
        }
        if (dest.isDictionary())
            dest = dest.getKey("/D");
        if (!dest.isArray() || dest.getArrayNItems() < 1)
            return 0;
        return pageOf(dest.getArrayItem(0));
    }

    PageLabels labels() {
        QPDFObjectHandle tree = pdf_.getRoot().getKey("/PageLabels");
        if (!tree.isDictionary())
            return {};
        std::vector<LabelRange> ranges;
        for (auto& [index, label] : QPDFNumberTreeObjectHelper(tree, pdf_, false)) {
            if (index < 0 || index >= std::numeric_limits<int>::max() || !label.isDictionary())
                continue;
            LabelRange range;
            range.firstPage = static_cast<int>(index) + 1;
            const QString style = name(label.getKey("/S"));
            range.style = style == QLatin1String("/D")   ? LabelStyle::Decimal
                          : style == QLatin1String("/R") ? LabelStyle::UpperRoman
                          : style == QLatin1String("/r") ? LabelStyle::LowerRoman
                          : style == QLatin1String("/A") ? LabelStyle::UpperLetters
                          : style == QLatin1String("/a") ? LabelStyle::LowerLetters
                                                         : LabelStyle::None;
            range.prefix = text(label.getKey("/P"));
            QPDFObjectHandle start = label.getKey("/St");
            if (start.isInteger() && start.getIntValue() >= 1 &&
                start.getIntValue() < std::numeric_limits<int>::max())
                range.start = start.getIntValueAsInt();
            ranges.push_back(std::move(range));
        }
        return PageLabels::fromRanges(std::move(ranges));
    }

    std::vector<PageLink> linksOf(QPDFPageObjectHelper page) {
        std::vector<PageLink> links;
        const QRectF box = pageBox(page);
        if (box.isEmpty())
            return links;
        QPDFObjectHandle rotate = page.getAttribute("/Rotate", false);
        const int turns = rotate.isInteger() ? static_cast<int>(rotate.getIntValue() / 90) : 0;
        for (QPDFAnnotationObjectHelper& annotation : page.getAnnotations("/Link")) {
            QPDFObjectHandle object = annotation.getObjectHandle();
            PageLink link;
            link.page = targetPage(object);
            QPDFObjectHandle action = object.getKey("/A");
            if (link.page == 0 && action.isDictionary() &&
                name(action.getKey("/S")) == QLatin1String("/URI") &&
                action.getKey("/URI").isString())
                link.uri = QString::fromStdString(action.getKey("/URI").getStringValue());
            if (link.page == 0 && link.uri.isEmpty())
                continue;
            const QPDFObjectHandle::Rectangle r = annotation.getRect();
            const QRectF area = QRectF(QPointF(r.llx, r.lly), QPointF(r.urx, r.ury)).normalized();
            // From the box's top-left corner, y down, then turned as the page turns.
            const QRectF fromTop(area.left() - box.left(), box.bottom() - area.bottom(),
                                 area.width(), area.height());
            link.area = turnedRect(fromTop, box.size(), turns);
            if (link.area.isValid())
                links.push_back(std::move(link));
        }
        return links;
    }

    QPDF& pdf_;
    std::set<QPDFObjGen> seen_; // outline entries read
    std::map<QPDFObjGen, int> pageNumbers_;
};

DocumentStructure readOpened(QPDF& pdf) {
    return Reader(pdf).read();
}

} // namespace

DocumentStructure readPdfStructure(const QString& path, const QString& password) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    const QByteArray secret = password.toUtf8();
    pdf.processFile(QFile::encodeName(path).constData(),
                    password.isEmpty() ? nullptr : secret.constData());
    return readOpened(pdf);
}

DocumentStructure readPdfStructure(const QByteArray& bytes, const QString& password) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    const QByteArray secret = password.toUtf8();
    pdf.processMemoryFile("document", bytes.constData(), static_cast<std::size_t>(bytes.size()),
                          password.isEmpty() ? nullptr : secret.constData());
    return readOpened(pdf);
}

} // namespace quillorn::viewer
