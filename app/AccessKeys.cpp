#include "app/AccessKeys.h"

namespace velt::app {

QString WithAccessKey(const QString& text, QString& taken) {
    // Letters only: a shifted sign such as "!" is not matched as an access key everywhere.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i].toLower();
        if (c.isLetter() && !taken.contains(c)) {
            taken += c;
            return text.left(i) + u'&' + text.mid(i);
        }
    }
    return text;
}

QString WithoutAccessKey(QString text) {
    return text.remove(u'&');
}

} // namespace velt::app
