#pragma once
// The staging window of chart printing: never shown, it holds the chart's
// picture between taking it from the chart and painting it on the page.
#include "platform/forms/form.h"

#include <QImage>
#include <QLabel>

namespace tellora {

// A picture box that only carries a picture.
class PictureHolder : public QLabel {
    Q_OBJECT
public:
    explicit PictureHolder(QWidget* parent = nullptr)
        : QLabel(parent)
    {
    }
    QImage Picture;
};

class PrintGraph : public forms::Form {
    Q_OBJECT
public:
    static constexpr const char* FormName = "PrintGraph";
    PrintGraph();

    PictureHolder Picture1;
};

} // namespace tellora
