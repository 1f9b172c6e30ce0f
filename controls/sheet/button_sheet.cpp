// Renders every style in every state, with and without a picture, enabled and disabled, into one
// PNG so that all the looks can be judged side by side. "--scale 2" draws it as a screen of two
// device pixels per logical pixel shows it.
//   button_sheet [--scale N] [out.png]
#include "controls/GlossFace.h"

#include <QApplication>
#include <QPainter>
#include <cstdio>

using namespace velt;

namespace {

QPixmap samplePicture(qreal scale) {
    QPixmap picture(QSize(16, 16) * scale);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(220, 60, 40));
    p.setPen(QColor(120, 20, 10));
    p.drawEllipse(1, 1, 14, 14);
    p.setBrush(Qt::white);
    p.drawRect(6, 4, 4, 8);
    return picture;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString out = QStringLiteral("button_sheet.png");
    qreal scale = 1.0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QStringLiteral("--scale") && i + 1 < argc) {
            bool number = false;
            scale = QString::fromLocal8Bit(argv[++i]).toDouble(&number);
            if (!number || scale < 1.0 || scale > 8.0) {
                std::fprintf(stderr, "--scale wants a number from 1 to 8\n");
                return 2;
            }
        } else {
            out = arg;
        }
    }
    const QSize button(160, 40);
    const int gap = 8;
    const int labelWidth = 120;
    const int header = 24;
    const int states = 5;
    const int variants = 4; // enabled, enabled with picture, disabled, disabled with picture
    const char* stateNames[states] = {"0 at rest", "1 pressed", "2 focused", "3 hovered", "4 checked"};
    const char* variantNames[variants] = {"", " picture", " off", " off picture"};

    const QSize logical(labelWidth + states * (button.width() + gap),
                        header + gloss::kStyleCount * variants * (button.height() + gap));
    QImage sheet((QSizeF(logical) * scale).toSize(), QImage::Format_RGB32);
    sheet.setDevicePixelRatio(scale);
    const QColor background(236, 233, 216);
    sheet.fill(background);
    QPainter p(&sheet);
    p.setPen(Qt::black);
    for (int state = 0; state < states; ++state)
        p.drawText(QRect(labelWidth + state * (button.width() + gap), 0, button.width(), header),
                   Qt::AlignCenter, QString::fromLatin1(stateNames[state]));

    const QPixmap picture = samplePicture(scale);
    for (int style = 0; style < gloss::kStyleCount; ++style) {
        for (int variant = 0; variant < variants; ++variant) {
            const int y = header + (style * variants + variant) * (button.height() + gap);
            p.drawText(QRect(0, y, labelWidth, button.height()), Qt::AlignVCenter,
                       QStringLiteral("Style %1").arg(style) + QString::fromLatin1(variantNames[variant]));
            gloss::Look look;
            look.style = style;
            look.background = background;
            look.enabled = variant < 2;
            // Colours of the first preset, so that rest, hover and pressed differ.
            look.colorUp = QColor(32, 103, 208);
            look.colorHover = QColor(80, 153, 233);
            look.colorDown = QColor(16, 103, 160);
            look.caption = QStringLiteral("&Convert");
            look.captionHighLite = true;
            look.iconHighLite = true;
            if (variant % 2 == 1) {
                look.picture = picture;
                look.pictureAlignment = 2;
            }
            const QRegion shape = gloss::windowShape(style, button);
            for (int state = 0; state < states; ++state) {
                const int x = labelWidth + state * (button.width() + gap);
                p.save();
                if (!shape.isEmpty())
                    p.setClipRegion(shape.translated(x, y));
                p.drawImage(x, y, gloss::render(look, button, state, scale));
                p.restore();
            }
        }
    }
    p.end();
    if (!sheet.save(out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s\n", qPrintable(out));
    return 0;
}
