#include "settings/TextConversions.h"

#include <cmath>

bool textToBool(const QString& text, bool* ok)
{
    const QString t = text.trimmed();
    bool readable = true;
    bool result = false;
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        result = true;
    } else if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        result = false;
    } else {
        const double number = t.toDouble(&readable);
        readable = readable && std::isfinite(number);
        result = readable && number != 0.0;
    }
    if (ok)
        *ok = readable;
    return result;
}

int textToInt(const QString& text, bool* ok)
{
    bool readable = false;
    const int number = text.trimmed().toInt(&readable, 10);
    if (ok)
        *ok = readable;
    return readable ? number : 0;
}

bool textToBoolOr(const QString& text, bool fallback)
{
    bool ok = false;
    const bool value = textToBool(text, &ok);
    return ok ? value : fallback;
}

int textToIntOr(const QString& text, int fallback)
{
    bool ok = false;
    const int value = textToInt(text, &ok);
    return ok ? value : fallback;
}
