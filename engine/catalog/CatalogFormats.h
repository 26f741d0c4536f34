#pragma once

#include "engine/catalog/Catalog.h"

#include <optional>

// The catalog formats ReadCatalog and WriteCatalog choose from, one file each
// (TsFormat.cpp, PoFormat.cpp): what each reads and writes is the same Catalog.
struct CatalogWriteOptions {
    QString context; // .ts: the one context's name
    QString language, sourceLanguage;
};

struct CatalogFormat {
    bool (*matches)(const QString &path); // by the file's name
    Catalog (*read)(const QString &path);
    void (*write)(const Catalog &catalog, const QString &path, const CatalogWriteOptions &options);
};

extern const CatalogFormat TsFormat;
extern const CatalogFormat PoFormat;

// The string literals [first, end) stand for, joined; std::nullopt when one cannot be decoded or is malformed.
std::optional<QString> JoinedText(QStringView text, const QList<CodeLiteral> &literals, qsizetype first, qsizetype end);
// Where the string that starts at literal `first` ends: the first literal after it that the compiler does not join to it.
qsizetype JoinedEnd(const QList<CodeLiteral> &literals, qsizetype first);

// What a row's text, or a replacement written in its place, stands for.
std::optional<QString> RowSource(const TextRows &rows, qsizetype row, const QString &written);
