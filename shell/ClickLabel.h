#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace velt::shell {

/// A label that reports a left click.
class ClickLabel final : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            Q_EMIT Clicked();
        }
        QLabel::mouseReleaseEvent(event);
    }
};

} // namespace velt::shell
