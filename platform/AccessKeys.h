#pragma once

#include <QString>

namespace velt::platform {

/// `text` with an ampersand before its first letter that no text in `taken` marks yet, which
/// then is taken too. A text with nothing free stays as it is.
QString WithAccessKey(const QString& text, QString& taken);

/// A text as shown, without its access key mark.
QString WithoutAccessKey(QString text);

} // namespace velt::platform
