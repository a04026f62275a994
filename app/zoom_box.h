#pragma once

#include <QComboBox>
#include <cstdint>

namespace quillorn::app {

// The toolbar's zoom: the page's size as a percentage, with a list of usual ones and room to
// type any other; Return or a pick asks for it.
class ZoomBox : public QComboBox {
    Q_OBJECT
public:
    explicit ZoomBox(QWidget* parent = nullptr);

    // Shows the zoom of the page drawn at this resolution.
    void showResolution(int resolution);

Q_SIGNALS:
    void resolutionChosen(std::int16_t resolution);

private:
    void choose(const QString& text);
    double screenDpi() const;

    int shown_ = 0; // the resolution the box says, 0 before the first
};

} // namespace quillorn::app
