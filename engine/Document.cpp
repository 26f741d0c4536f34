#include "engine/Document.h"

#include "engine/files/FileError.h"
#include "engine/scan/FormStrings.h"
#include "engine/files/Utf8NoBomFile.h"


Document Document::LoadText(const QString &path, bool codeStrings, const MayRestore &mayRestore)
{
    Document document;
    document.path = path;
    try {
        const MarkOutcome mark = RecoverInterruptedWrite(path, mayRestore);
        if (!mark.fileUsable)
            throw FileError(mark.problems);
        document.recovered = mark.problems;
        document.marked = mark.markStays;
        document.bytes = Utf8NoBomFile::ReadBytes(path);
        if (IsFormPath(path)) {
            QByteArray encoding;
            document.text = DecodeForm(document.bytes, path, &encoding);
            document.rows = ScanFormStrings(document.text, path);
            document.rows.encoding = encoding;
        } else {
            document.text = Utf8NoBomFile::DecodeUtf8(document.bytes, path);
            document.rows = ScanRows(document.text, codeStrings);
        }
    } catch (const FileError &error) {
        document.error = error.problems();
    }
    return document;
}

Document Document::Load(const QString &path, bool codeStrings, const MayRestore &mayRestore)
{
    Document document = LoadText(path, codeStrings, mayRestore);
    if (document.error.isEmpty()) {
        document.found = LiteralsAt(document.text, document.rows.spans);
        document.replacements = document.written = document.found;
    }
    return document;
}

ReplaceRequest Document::saveRequest(bool ownLiterals) const
{
    ReplaceRequest request{text, found, replacements, path};
    request.spans = rows.spans;
    request.ownLiterals = ownLiterals;
    request.diskBytes = bytes;
    request.encoding = rows.encoding;
    return request;
}

ReplaceRequest Document::saveRequestOf(const QList<int> &rowsWritten) const
{
    ReplaceRequest request = saveRequest(true);
    request.replacements = LiteralsAt(text, rows.spans);
    for (const int row : rowsWritten)
        request.replacements[row] = replacements[row];
    return request;
}

void Document::takeWritten(ReplaceResult &&result, const QList<int> &rowsWritten)
{
    text = std::move(result.text);
    rows.spans = std::move(result.spans);
    rows.regions.clear(); // of the text before: read again when needed
    bytes = std::move(result.bytes);
    for (const int row : rowsWritten)
        written[row] = replacements[row];
}
