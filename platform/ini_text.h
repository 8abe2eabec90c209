#pragma once
// Reading and changing one value of an INI text without touching anything
// else in it: other sections, other keys, comments, blank lines and line
// ends stay as they were. Section headers written by Qt's own INI format
// ("[Brenmoor%20Tarvenix]") are the same section as the plain name.

#include <QString>
#include <optional>

namespace ini_text
{

std::optional<QString> Value(const QString &text, const QString &section, const QString &name);

// The text with the value set: its line replaced in place, or added at the end
// of its section, or the section added at the end of the text.
QString WithValue(const QString &text, const QString &section, const QString &name, const QString &value);

} // namespace ini_text
