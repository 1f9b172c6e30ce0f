#include "controls/GlossButton.h"

#include "controls/PropertyBag.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <array>

namespace velt {
namespace {

struct Scheme {
    QColor up, hover, down, bright;
};

const std::array<Scheme, 6>& schemes() {
    static const std::array<Scheme, 6> table{{
        {{32, 103, 208}, {80, 153, 233}, {16, 103, 160}, {176, 237, 255}},
        {{96, 144, 208}, {0, 96, 224}, {80, 128, 169}, {250, 250, 255}},
        {{0, 0, 128}, {0, 0, 160}, {0, 0, 240}, {0, 0, 255}},
        {{128, 0, 0}, {160, 0, 0}, {240, 0, 0}, {255, 0, 0}},
        {{0, 128, 0}, {0, 160, 0}, {0, 192, 0}, {0, 255, 0}},
        {{128, 128, 0}, {160, 160, 0}, {192, 192, 0}, {255, 255, 0}},
    }};
    return table;
}

// Buttons and shift keys as the classic mouse events number them.
int buttonCode(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

bool isActivationKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

QColor readColour(const PropertyBag& bag, const char* name, const QColor& fallback) {
    const QColor colour = bag.read(QLatin1String(name), fallback).value<QColor>();
    return colour.isValid() ? colour : fallback;
}

int readInt(const PropertyBag& bag, const char* name, int fallback) {
    bool ok = false;
    const int value = bag.read(QLatin1String(name), fallback).toInt(&ok);
    return ok ? value : fallback;
}

bool readBool(const PropertyBag& bag, const char* name, bool fallback) {
    return bag.read(QLatin1String(name), fallback).toBool();
}

// A stored picture may be a bitmap or an icon; an icon gives its largest size.
QPixmap readPicture(const PropertyBag& bag) {
    const QVariant value = bag.read(QStringLiteral("Picture"), QPixmap());
    if (value.metaType().id() == QMetaType::QIcon) {
        const QIcon icon = value.value<QIcon>();
        const QList<QSize> sizes = icon.availableSizes();
        return sizes.isEmpty() ? QPixmap() : icon.pixmap(sizes.last());
    }
    if (value.metaType().id() == QMetaType::QImage)
        return QPixmap::fromImage(value.value<QImage>());
    return value.value<QPixmap>();
}

} // namespace

GlossButton::GlossButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // Whatever makes the button click (mouse, keys, access key, a screen reader) raises Click.
    connect(this, &QAbstractButton::clicked, this, &GlossButton::Click);
    m_initialised = true;
}

void GlossButton::changed(const char* name) {
    if (m_initialised)
        Q_EMIT PropertyChanged(QLatin1String(name));
}

void GlossButton::changedAndRedrawn(const char* name) {
    changed(name);
    redraw(gloss::AtRest);
}

void GlossButton::setCaption(const QString& caption) {
    setText(caption);
    changedAndRedrawn("Caption");
}

void GlossButton::setCaptionHighLite(bool on) {
    m_look.captionHighLite = on;
    changed("CaptionHighLite");
}

void GlossButton::setCaptionHighLiteColor(const QColor& colour) {
    m_look.captionHighLiteColor = colour;
    changed("CaptionHighLiteColor");
}

void GlossButton::setIconHighLite(bool on) {
    m_look.iconHighLite = on;
    changed("IconHighLite");
}

void GlossButton::setIconHighLiteColor(const QColor& colour) {
    m_look.iconHighLiteColor = colour;
    changed("IconHighLiteColor");
}

void GlossButton::setForeColor(const QColor& colour) {
    m_look.foreColor = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::ButtonText, colour);
    pal.setColor(QPalette::WindowText, colour);
    setPalette(pal);
    changedAndRedrawn("ForeColor");
}

void GlossButton::setPicture(const QPixmap& picture) {
    m_look.picture = picture;
    updateGeometry();
    changedAndRedrawn("Picture");
}

void GlossButton::setPictureAlignment(int alignment) {
    alignment = std::clamp(alignment, 0, gloss::kAlignmentCount - 1);
    if (alignment == m_look.pictureAlignment)
        return;
    m_look.pictureAlignment = alignment;
    updateGeometry();
    changedAndRedrawn("PictureAlignment");
}

void GlossButton::setButtonStyle(int style) {
    style = std::clamp(style, 0, gloss::kStyleCount - 1);
    if (style == m_look.style)
        return;
    m_look.style = style;
    changed("Style");
    applyShape();
    redraw(gloss::AtRest);
}

void GlossButton::setCheckedLook(bool checked) {
    m_checkedLook = checked;
    changed("Checked");
    redraw(checked ? gloss::CheckedState : m_hovering ? gloss::Hovered : gloss::AtRest);
}

void GlossButton::setSchemeColour(QColor& member, const QColor& colour, const char* name) {
    member = colour;
    m_colorScheme = 0; // a colour set by itself leaves the preset
    changedAndRedrawn(name);
}

void GlossButton::setColorButtonHover(const QColor& colour) {
    setSchemeColour(m_look.colorHover, colour, "ColorButtonHover");
}

void GlossButton::setColorButtonUp(const QColor& colour) {
    setSchemeColour(m_look.colorUp, colour, "ColorButtonUp");
}

void GlossButton::setColorButtonDown(const QColor& colour) {
    setSchemeColour(m_look.colorDown, colour, "ColorButtonDown");
}

void GlossButton::setColorBright(const QColor& colour) {
    setSchemeColour(m_look.colorBright, colour, "ColorBright");
}

void GlossButton::setBorderBrightness(int percent) {
    m_look.borderBrightness = std::clamp(percent, -100, 100);
    changedAndRedrawn("BorderBrightness");
}

void GlossButton::setDisplayHand(bool on) {
    m_displayHand = on;
}

void GlossButton::setColorScheme(int scheme) {
    if (scheme >= 1 && scheme <= static_cast<int>(schemes().size())) {
        const Scheme& s = schemes()[static_cast<std::size_t>(scheme - 1)];
        m_look.colorUp = s.up;
        m_look.colorHover = s.hover;
        m_look.colorDown = s.down;
        m_look.colorBright = s.bright;
    }
    m_colorScheme = scheme;
    changedAndRedrawn("ColorScheme");
}

QColor GlossButton::BlendColors(const QColor& c1, const QColor& c2, int percent) {
    return gloss::blendColors(c1, c2, percent);
}

void GlossButton::GetRGB(int& r, int& g, int& b, const QColor& colour) {
    const QColor rgb = colour.toRgb();
    r = rgb.red();
    g = rgb.green();
    b = rgb.blue();
}

void GlossButton::DrawIconWCaption(int state) {
    if (!faceFits())
        renderFace();
    gloss::drawIconWCaption(m_face, m_look, state);
    update();
}

void GlossButton::readProperties(const PropertyBag& bag) {
    m_initialised = false; // nothing is drawn or reported while the design loads
    setEnabled(readBool(bag, "Enabled", true));
    const QVariant font = bag.read(QStringLiteral("Font"), QVariant());
    setFont(font.canConvert<QFont>() ? font.value<QFont>() : QFont()); // no font: the container's
    setCaption(bag.read(QStringLiteral("Caption"), objectName()).toString());
    setCaptionHighLite(readBool(bag, "CaptionHighLite", false));
    setCaptionHighLiteColor(readColour(bag, "CaptionHighLiteColor", QColor(0, 255, 0)));
    setIconHighLite(readBool(bag, "IconHighLite", false));
    setIconHighLiteColor(readColour(bag, "IconHighLiteColor", QColor(0, 255, 0)));
    setForeColor(readColour(bag, "ForeColor", QColor(0, 0, 0)));
    setPicture(readPicture(bag));
    setPictureAlignment(readInt(bag, "PictureAlignment", 0));
    setButtonStyle(readInt(bag, "Style", 0));
    setCheckedLook(readBool(bag, "Checked", m_checkedLook));
    setColorButtonHover(readColour(bag, "ColorButtonHover", QColor(144, 192, 255)));
    setColorButtonUp(readColour(bag, "ColorButtonUp", QColor(80, 153, 233)));
    setColorButtonDown(readColour(bag, "ColorButtonDown", QColor(80, 153, 233)));
    setColorBright(readColour(bag, "ColorBright", QColor(176, 237, 255)));
    setBorderBrightness(readInt(bag, "BorderBrightness", 0));
    setDisplayHand(readBool(bag, "DisplayHand", false));
    setColorScheme(readInt(bag, "ColorScheme", 0));
    if (m_displayHand)
        setCursor(Qt::PointingHandCursor);
    else
        setCursor(Qt::ArrowCursor);
    m_initialised = true;
    applyShape();
    redraw(gloss::AtRest);
}

void GlossButton::writeProperties(PropertyBag& bag) const {
    bag.write(QStringLiteral("Enabled"), isEnabled());
    bag.write(QStringLiteral("Font"), font());
    bag.write(QStringLiteral("Caption"), Caption());
    bag.write(QStringLiteral("IconHighLite"), m_look.iconHighLite);
    bag.write(QStringLiteral("IconHighLiteColor"), m_look.iconHighLiteColor);
    bag.write(QStringLiteral("CaptionHighLite"), m_look.captionHighLite);
    bag.write(QStringLiteral("CaptionHighLiteColor"), m_look.captionHighLiteColor);
    bag.write(QStringLiteral("ForeColor"), m_look.foreColor);
    bag.write(QStringLiteral("Picture"), m_look.picture);
    bag.write(QStringLiteral("PictureAlignment"), m_look.pictureAlignment);
    bag.write(QStringLiteral("Style"), m_look.style);
    bag.write(QStringLiteral("Checked"), m_checkedLook);
    bag.write(QStringLiteral("ColorButtonHover"), m_look.colorHover);
    bag.write(QStringLiteral("ColorButtonUp"), m_look.colorUp);
    bag.write(QStringLiteral("ColorButtonDown"), m_look.colorDown);
    bag.write(QStringLiteral("BorderBrightness"), m_look.borderBrightness);
    bag.write(QStringLiteral("ColorBright"), m_look.colorBright);
    bag.write(QStringLiteral("DisplayHand"), m_displayHand);
    bag.write(QStringLiteral("ColorScheme"), m_colorScheme);
}

QSize GlossButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const QSize text =
        metrics.size(Qt::TextShowMnemonic, Caption().isEmpty() ? QStringLiteral(" ") : Caption());
    const QSize pic = m_look.picture.isNull() ? QSize() : m_look.picture.deviceIndependentSize().toSize();
    QSize hint;
    if (m_look.pictureAlignment <= 1)
        hint = QSize(std::max(text.width(), pic.width()) + 24, text.height() + pic.height() + 12);
    else
        hint = QSize(text.width() + 2 * (pic.width() + 16), std::max(text.height(), pic.height()) + 12);
    return hint.expandedTo(QSize(75, 23));
}

void GlossButton::redraw(int state) {
    if (m_checkedLook)
        state = gloss::CheckedState;
    if (!m_initialised)
        return;
    m_visualState = state;
    renderFace();
    update();
}

void GlossButton::renderFace() {
    m_look.enabled = isEnabled();
    m_look.caption = text();
    m_look.font = font();
    const QWidget* container = parentWidget();
    m_look.background = container ? container->palette().color(container->backgroundRole())
                                  : palette().color(QPalette::Window);
    m_face = gloss::render(m_look, size(), m_visualState, devicePixelRatioF());
}

bool GlossButton::faceFits() const {
    // A move to a screen of another pixel ratio needs a new face as much as a new size does.
    return m_face.deviceIndependentSize().toSize() == size() && m_face.devicePixelRatio() == devicePixelRatioF();
}

void GlossButton::applyShape() {
    if (m_look.style < 2)
        clearMask();
    else
        setMask(gloss::windowShape(m_look.style, size()));
}

void GlossButton::paintEvent(QPaintEvent*) {
    // Generic code may set the text through QAbstractButton, which tells nobody.
    if (!faceFits() || m_look.caption != text())
        renderFace();
    QPainter painter(this);
    painter.drawImage(0, 0, m_face);
}

void GlossButton::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    applyShape();
    // Rendering a hidden button sends resize events without a change of size; they change no look.
    if (!faceFits())
        redraw(gloss::AtRest);
}

void GlossButton::showEvent(QShowEvent* event) {
    QAbstractButton::showEvent(event);
    applyShape();
    redraw(gloss::AtRest);
}

void GlossButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        changedAndRedrawn("Enabled");
        break;
    case QEvent::FontChange:
        changedAndRedrawn("Font");
        break;
    case QEvent::PaletteChange:
        if (m_initialised) {
            renderFace();
            update();
        }
        break;
    default:
        break;
    }
}

void GlossButton::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    m_focused = true;
    if (isEnabled() && !m_checkedLook && !m_hovering)
        redraw(gloss::Focused);
}

void GlossButton::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    m_focused = false;
    m_keyDown = 0; // its release goes elsewhere now
    if (isEnabled() && !m_checkedLook)
        redraw(gloss::AtRest);
}

void GlossButton::trackHover(Qt::MouseButtons buttons, QPoint pos) {
    // Moving in with the left button held (a drag from elsewhere) does not light the button.
    if (m_hovering || buttons == Qt::LeftButton || !rect().contains(pos))
        return;
    m_hovering = true;
    if (!m_leavePending) {
        m_leavePending = true;
        Q_EMIT MouseEnter();
    }
    redraw(gloss::Hovered);
}

void GlossButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    trackHover(QGuiApplication::mouseButtons(), event->position().toPoint());
}

void GlossButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    m_hovering = false;
    if (!m_leavePending)
        return;
    m_leavePending = false;
    Q_EMIT MouseLeave();
    if (!m_checkedLook)
        redraw(m_focused ? gloss::Focused : gloss::AtRest);
}

void GlossButton::buttonDown(int button, int shift, QPoint pos) {
    m_focused = true;
    m_afterDoubleClick = false;
    redraw(gloss::Pressed);
    Q_EMIT MouseDown(button, shift, pos.x(), pos.y());
}

void GlossButton::buttonUp(int button, int shift, QPoint pos) {
    if (!m_checkedLook) {
        if (m_hovering)
            redraw(gloss::Hovered);
        else if (m_focused)
            redraw(gloss::Focused);
    }
    Q_EMIT MouseUp(button, shift, pos.x(), pos.y());
}

void GlossButton::mousePressEvent(QMouseEvent* event) {
    if (!isEnabled())
        return;
    buttonDown(buttonCode(event->button()), shiftCode(event->modifiers()), event->position().toPoint());
}

void GlossButton::mouseReleaseEvent(QMouseEvent* event) {
    if (!isEnabled())
        return;
    const QPoint pos = event->position().toPoint();
    buttonUp(buttonCode(event->button()), shiftCode(event->modifiers()), pos);
    const bool endsDoubleClick = m_afterDoubleClick;
    m_afterDoubleClick = false;
    if (event->button() == Qt::LeftButton && !endsDoubleClick && rect().contains(pos))
        Q_EMIT clicked(false);
}

void GlossButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!isEnabled())
        return;
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    redraw(gloss::Pressed);
    Q_EMIT DblClick();
    m_afterDoubleClick = true;
}

void GlossButton::mouseMoveEvent(QMouseEvent* event) {
    if (!isEnabled())
        return;
    const QPoint pos = event->position().toPoint();
    trackHover(event->buttons(), pos);
    Q_EMIT MouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), pos.x(), pos.y());
    if ((event->buttons() & Qt::LeftButton) && !rect().contains(pos)) {
        m_hovering = false;
        redraw(gloss::AtRest);
    }
}

void GlossButton::keyPressEvent(QKeyEvent* event) {
    if (!isEnabled() || !isActivationKey(event->key())) {
        QAbstractButton::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || m_keyDown != 0)
        return;
    m_keyDown = event->key();
    buttonDown(1, shiftCode(event->modifiers()), QPoint(0, 0));
}

void GlossButton::keyReleaseEvent(QKeyEvent* event) {
    if (!isEnabled() || !isActivationKey(event->key())) {
        QAbstractButton::keyReleaseEvent(event);
        return;
    }
    event->accept();
    // Only the release of the key that pressed the button clicks it, not one whose press went elsewhere.
    if (event->isAutoRepeat() || event->key() != m_keyDown)
        return;
    m_keyDown = 0;
    buttonUp(1, shiftCode(event->modifiers()), QPoint(0, 0));
    Q_EMIT clicked(false);
}

} // namespace velt
