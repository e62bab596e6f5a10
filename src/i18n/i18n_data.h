// The built-in translation catalogues, generated from data/i18n by tools/i18ngen.
#pragma once

namespace i18n_data {

struct Entry {
    const char* key;
    const char* value;  // UTF-8
};

struct Catalog {
    const char* code;
    const char* nativeName;
    const char* englishName;
    bool rtl;  // written right to left
    const Entry* entries;
    int count;
};

// In the settings screen's order; every catalogue has the same keys in the same (sorted) order.
extern const Catalog kCatalogs[];
extern const int kCatalogCount;

}  // namespace i18n_data
