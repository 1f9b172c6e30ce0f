#include "platform/AccessKeys.h"

namespace velt::platform {

QString WithAccessKey(const QString& text, QString& taken) {
    // Plain Latin letters only: a shifted sign such as "!" is not matched everywhere, and an accented
    // letter such as "Á" cannot be typed on every keyboard.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i].toLower();
        if (c >= u'a' && c <= u'z' && !taken.contains(c)) {
            taken += c;
            return text.left(i) + u'&' + text.mid(i);
        }
    }
    return text;
}

QString WithoutAccessKey(QString text) {
    return text.remove(u'&');
}

} // namespace velt::platform
