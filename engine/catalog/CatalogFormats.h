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

// A text as a problem quotes it: 40 characters at most.
QString ShortText(const QString &text);

// What a row's text, or a replacement written in its place, stands for.
std::optional<QString> RowSource(const TextRows &rows, qsizetype row, const QString &written);
