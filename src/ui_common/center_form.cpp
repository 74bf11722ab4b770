#include "ui_common/center_form.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace sorvane::ui {

void Center_Form(QWidget* window)
{
    if (window->isMaximized() || window->isMinimized())
        return;
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    const double top = (area.height() - size.height()) / 2.0;
    double left = (area.width() - size.width()) / 2.0;
    if (left < 7.0)  // 100 twips at 15 twips per pixel
        left = 1.0;
    window->move(area.left() + static_cast<int>(left), area.top() + static_cast<int>(top));
}

}  // namespace sorvane::ui
