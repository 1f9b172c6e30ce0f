#pragma once

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace velt::app {

/// A label that reports a left click, or Space or Enter while it has the keyboard focus.
class ClickLabel final : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {
        setFocusPolicy(Qt::StrongFocus);
        setMargin(2); // room for the focus frame
    }

Q_SIGNALS:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            Q_EMIT Clicked();
        }
        QLabel::mouseReleaseEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            Q_EMIT Clicked();
            return;
        }
        QLabel::keyPressEvent(event);
    }

    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        if (hasFocus()) {
            // A keyboard user must see where Space would act.
            QPainter painter(this);
            QStyleOptionFocusRect frame;
            frame.initFrom(this);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
        }
    }
};

} // namespace velt::app
