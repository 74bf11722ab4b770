#pragma once
// The clickable labels of the window's bottom line and their colour cycle.

#include <QColor>
#include <QLabel>

namespace sorvane::ui {

// Entries of the colour cycle.
inline constexpr int kColourCount = 27;

// Colour `step` (taken modulo 27) of the cycle: the codes "000" to "222" in ascending
// order, whose digits give red, green and blue, each digit d as d * 128 limited to 255.
QColor cycleColour(int step);

// A label that reports a left click (press and release on it) and shows a hand pointer.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    void setTextColour(const QColor& colour);
    QColor textColour() const;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

}  // namespace sorvane::ui
