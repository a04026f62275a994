#pragma once

#include <QImage>
#include <QWidget>

namespace quillorn::viewer {

// picContainer: the viewport. Clips the page and carries the redraw's waiting text.
class PageContainer : public QWidget {
    Q_OBJECT
public:
    explicit PageContainer(QWidget* parent = nullptr);
    void SetWaitingText(const QString& text);
    const QString& WaitingText() const { return waitingText_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString waitingText_;
};

// picDisplay: the page bitmap at its natural size. Only the exposed part is painted, so
// scrolling a large page costs no copy of it.
class PagePicture : public QWidget {
    Q_OBJECT
public:
    explicit PagePicture(QWidget* parent = nullptr);
    // Takes the image's size; a null image clears the picture and keeps the size.
    void SetImage(const QImage& image);
    const QImage& Image() const { return image_; }

signals:
    void pictureChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

} // namespace quillorn::viewer
