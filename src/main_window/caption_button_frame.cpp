#include "main_window/caption_button_frame.h"

#include <algorithm>

#include <QAbstractButton>
#include <QEvent>
#include <QLayout>
#include <QStyle>
#include <QStyleOptionGroupBox>

namespace sorvane::ui {
namespace {

constexpr int kGap = 6;  // pixels between caption and button, and right of the button

}  // namespace

CaptionButtonFrame::CaptionButtonFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

void CaptionButtonFrame::setCaptionButton(QAbstractButton* button)
{
    m_button = button;
    button->setParent(this);
    placeButton();
    updateGeometry();
}

int CaptionButtonFrame::captionWidth() const
{
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect label = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    return label.right() + 1;
}

QSize CaptionButtonFrame::minimumSizeHint() const
{
    QSize size = QGroupBox::minimumSizeHint();
    if (m_button) {
        const QSize button = m_button->sizeHint();
        size.setWidth(std::max(size.width(), captionWidth() + kGap + button.width() + kGap));
        size.setHeight(size.height() + std::max(0, button.height() - fontMetrics().height()));
    }
    return size;
}

QSize CaptionButtonFrame::sizeHint() const
{
    QSize size = QGroupBox::sizeHint();
    const QSize minimum = minimumSizeHint();
    return size.expandedTo(minimum);
}

void CaptionButtonFrame::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    placeButton();
}

bool CaptionButtonFrame::event(QEvent* event)
{
    const bool handled = QGroupBox::event(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange
        || event->type() == QEvent::LayoutRequest)
        placeButton();
    return handled;
}

void CaptionButtonFrame::placeButton()
{
    if (!m_button)
        return;
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect label = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    const QSize size = m_button->sizeHint();
    // The button sits at the right end of the caption line, centred on the caption and
    // never above the frame's own top edge.
    const int top = std::max(0, label.center().y() - size.height() / 2);
    m_button->setGeometry(width() - kGap - size.width(), top, size.width(), size.height());
    m_button->raise();
    // Keep the contents below the button.
    if (QLayout* l = layout()) {
        QMargins margins = l->contentsMargins();
        const int needed = std::max(0, top + size.height() + 2 - contentsRect().top());
        if (margins.top() != needed) {
            margins.setTop(needed);
            l->setContentsMargins(margins);
        }
    }
}

}  // namespace sorvane::ui
