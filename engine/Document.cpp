#include "engine/Document.h"

#include "engine/FileError.h"
#include "engine/Utf8NoBomFile.h"

#include <QFileInfo>

Document Document::Load(const QString &path, bool codeStrings)
{
    Document document;
    document.path = path;
    try {
        document.recovered = RecoverInterruptedWrite(path);
        document.bytes = Utf8NoBomFile::ReadBytes(path);
        document.text = Utf8NoBomFile::DecodeUtf8(document.bytes, path);
    } catch (const FileError &error) {
        document.error = error.message();
        return document;
    }
    document.rows = ScanRows(document.text, codeStrings);
    document.found = LiteralsAt(document.text, document.rows.spans);
    document.replacements = document.written = document.found;
    return document;
}

ReplaceRequest Document::saveRequest(bool ownLiterals) const
{
    const QFileInfo file(path);
    ReplaceRequest request{text, found, replacements, file.path(), file.fileName(), path};
    request.spans = rows.spans;
    request.ownLiterals = ownLiterals;
    request.diskBytes = bytes;
    return request;
}
