#pragma once

#include <QWidget>

// The picture frame: a 1-pixel black outline along its outermost pixels.
// The inside is left unpainted, so the picture that the main window draws
// beneath the frame shows through; the outline lies over the picture's
// first row and column and on the margin row and column after its last.
class CPictureFrame : public QWidget
{
    Q_OBJECT

public:
    explicit CPictureFrame(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
