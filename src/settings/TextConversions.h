#pragma once

#include <QString>

// Conversions of stored setting text. *ok (when given) says whether the text was readable;
// the result is false / 0 when it was not, so callers can fall back to their default.

// "True"/"False" in any letter case, or any number (zero is false, any other true).
// Blanks around the text are ignored.
bool textToBool(const QString& text, bool* ok = nullptr);

// A whole decimal number, optionally signed, blanks around it ignored.
int textToInt(const QString& text, bool* ok = nullptr);

// A stored Boolean, or `fallback` when the text cannot be read as one.
bool textToBoolOr(const QString& text, bool fallback);
// A stored whole number, or `fallback` when the text cannot be read as one.
int textToIntOr(const QString& text, int fallback);
