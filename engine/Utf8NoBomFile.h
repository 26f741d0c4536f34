#pragma once

#include <QString>

namespace Utf8NoBomFile {

// Reads a whole file as UTF-8. A leading byte-order mark is kept as U+FEFF so
// that reading and writing back is byte-identical. Throws FileError when the
// file cannot be read or is not valid UTF-8.
QString ReadUtf8Text(const QString &path);

// Writes the text as UTF-8 without a byte-order mark, atomically (a temporary
// file beside the path is renamed into place). If that fails, falls back to the
// system's 8-bit encoding, but only when it represents the text exactly.
// Throws FileError when both ways fail, or before touching the disk when the
// text holds a lone surrogate.
void WriteUtf8NoBom(const QString &text, const QString &path);

} // namespace Utf8NoBomFile
