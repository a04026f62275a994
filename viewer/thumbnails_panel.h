#pragma once

#include <QListWidget>

namespace quillorn::viewer {

class PageService;

// Small pictures of every page, one under the other, drawn through the page service at the
// lowest priority while the panel is shown. The current page is the selected one; a click asks
// for a page.
class ThumbnailsPanel : public QListWidget {
    Q_OBJECT
public:
    // Pages are drawn about this wide, in logical pixels.
    static constexpr int kWidth = 110;

    explicit ThumbnailsPanel(PageService& service, QWidget* parent = nullptr);

    // Marks the page and scrolls to it.
    void showCurrentPage(qint32 page);
    // The resolution thumbnails are drawn at, in dots per inch.
    int resolution() const { return resolution_; }

Q_SIGNALS:
    void pageChosen(qint32 page);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void readDocument();
    void requestPages();
    void pageReady(qint32 page, int resolution, const QImage& picture);

    PageService& service_;
    int resolution_ = 0;
    qint32 current_ = 0;
};

} // namespace quillorn::viewer
