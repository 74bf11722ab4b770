#pragma once
// A frame whose caption line also carries a button at its right end, placed from the
// caption's and the button's own size hints so that neither is ever cut off.

#include <QGroupBox>

class QAbstractButton;

namespace sorvane::ui {

class CaptionButtonFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit CaptionButtonFrame(const QString& title, QWidget* parent = nullptr);

    // Puts `button` (made a child of the frame) on the caption line.
    void setCaptionButton(QAbstractButton* button);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void placeButton();
    int captionWidth() const;

    QAbstractButton* m_button = nullptr;
};

}  // namespace sorvane::ui
