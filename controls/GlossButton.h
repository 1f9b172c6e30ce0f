#pragma once

#include "controls/GlossFace.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QPixmap>

namespace velt {

class PropertyBag;

/// Velt's own push button: draws itself in one of eight styles and raises the events of a classic
/// button control (MouseDown, MouseUp, Click, ...), alongside QAbstractButton's clicked().
class GlossButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool CaptionHighLite READ CaptionHighLite WRITE setCaptionHighLite)
    Q_PROPERTY(QColor CaptionHighLiteColor READ CaptionHighLiteColor WRITE setCaptionHighLiteColor)
    Q_PROPERTY(bool IconHighLite READ IconHighLite WRITE setIconHighLite)
    Q_PROPERTY(QColor IconHighLiteColor READ IconHighLiteColor WRITE setIconHighLiteColor)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QPixmap Picture READ Picture WRITE setPicture)
    Q_PROPERTY(int PictureAlignment READ PictureAlignment WRITE setPictureAlignment)
    Q_PROPERTY(int Style READ ButtonStyle WRITE setButtonStyle)
    Q_PROPERTY(bool Checked READ CheckedLook WRITE setCheckedLook)
    Q_PROPERTY(QColor ColorButtonHover READ ColorButtonHover WRITE setColorButtonHover)
    Q_PROPERTY(QColor ColorButtonUp READ ColorButtonUp WRITE setColorButtonUp)
    Q_PROPERTY(QColor ColorButtonDown READ ColorButtonDown WRITE setColorButtonDown)
    Q_PROPERTY(QColor ColorBright READ ColorBright WRITE setColorBright)
    Q_PROPERTY(int BorderBrightness READ BorderBrightness WRITE setBorderBrightness)
    Q_PROPERTY(bool DisplayHand READ DisplayHand WRITE setDisplayHand)
    Q_PROPERTY(int ColorScheme READ ColorScheme WRITE setColorScheme)

public:
    explicit GlossButton(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    /// Sets the text, its access key (after an ampersand) and the name screen readers announce.
    void setCaption(const QString& caption);
    bool CaptionHighLite() const { return m_look.captionHighLite; }
    void setCaptionHighLite(bool on);
    QColor CaptionHighLiteColor() const { return m_look.captionHighLiteColor; }
    void setCaptionHighLiteColor(const QColor& colour);
    bool IconHighLite() const { return m_look.iconHighLite; }
    void setIconHighLite(bool on);
    QColor IconHighLiteColor() const { return m_look.iconHighLiteColor; }
    void setIconHighLiteColor(const QColor& colour);
    QColor ForeColor() const { return m_look.foreColor; }
    void setForeColor(const QColor& colour);
    QPixmap Picture() const { return m_look.picture; }
    void setPicture(const QPixmap& picture);
    /// 0 picture above the caption, 1 below, 2 at the left, 3 at the right.
    int PictureAlignment() const { return m_look.pictureAlignment; }
    void setPictureAlignment(int alignment);
    /// 0 and 1 fixed palettes, 2 to 5 and 7 colour styles, 6 soft style.
    /// (Named apart from QWidget::style(), which is the widget's QStyle.)
    int ButtonStyle() const { return m_look.style; }
    void setButtonStyle(int style);
    /// A button in the checked look is always drawn checked. The button is never checkable in
    /// Qt's sense: a click does not toggle this, and QAbstractButton::isChecked() stays false.
    bool CheckedLook() const { return m_checkedLook; }
    void setCheckedLook(bool on);
    QColor ColorButtonHover() const { return m_look.colorHover; }
    void setColorButtonHover(const QColor& colour);
    QColor ColorButtonUp() const { return m_look.colorUp; }
    void setColorButtonUp(const QColor& colour);
    QColor ColorButtonDown() const { return m_look.colorDown; }
    void setColorButtonDown(const QColor& colour);
    QColor ColorBright() const { return m_look.colorBright; }
    void setColorBright(const QColor& colour);
    /// Percent the border moves from the face colour towards white (positive) or black (negative).
    int BorderBrightness() const { return m_look.borderBrightness; }
    void setBorderBrightness(int percent);
    /// Whether the pointer becomes a hand over the button; takes effect when properties are read.
    bool DisplayHand() const { return m_displayHand; }
    void setDisplayHand(bool on);
    /// 0 custom colours, 1 to 6 a preset of the four face colours.
    int ColorScheme() const { return m_colorScheme; }
    void setColorScheme(int scheme);

    /// Each channel moved percent (clamped to 0..100) of the way from c1 to c2.
    static QColor BlendColors(const QColor& c1, const QColor& c2, int percent);
    /// Splits a colour into its 8-bit red, green and blue channels.
    static void GetRGB(int& r, int& g, int& b, const QColor& colour);
    /// Draws the picture and the caption of a visual state onto the current face.
    void DrawIconWCaption(int state);

    /// Loads every property from the bag; a missing name gives the default (Checked keeps its value).
    void readProperties(const PropertyBag& bag);
    void writeProperties(PropertyBag& bag) const;

    /// The visual state the face was last drawn in.
    int visualState() const { return m_visualState; }
    QSize sizeHint() const override;

Q_SIGNALS:
    void Status(const QString& text);
    void Click();
    void DblClick();
    void MouseEnter();
    void MouseLeave();
    void MouseMove(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void MouseDown(int button, int shift, int x, int y);
    /// A stored property was written (DisplayHand excepted).
    void PropertyChanged(const QString& name);

protected:
    /// Draws the face for a visual state (the checked look while Checked) and shows it.
    virtual void redraw(int state);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void changed(const char* name);
    void changedAndRedrawn(const char* name);
    void applyShape();
    void renderFace();
    bool faceFits() const;
    void trackHover(Qt::MouseButtons buttons, QPoint pos);
    void buttonDown(int button, int shift, QPoint pos);
    void buttonUp(int button, int shift, QPoint pos);
    void setSchemeColour(QColor& member, const QColor& colour, const char* name);

    gloss::Look m_look;
    bool m_checkedLook = false;
    bool m_displayHand = false;
    int m_colorScheme = 0;

    bool m_initialised = false;
    bool m_hovering = false;
    bool m_focused = false;
    bool m_leavePending = false;     // a MouseEnter was raised and its MouseLeave is still owed
    bool m_afterDoubleClick = false; // the release that ends a double-click raises no Click
    int m_keyDown = 0;               // the key whose press made the button go down
    int m_visualState = gloss::AtRest;
    QImage m_face;
};

} // namespace velt
