#include "image/image_types.h"

namespace {
struct TypeName {
    const char* name;
    int code;
};
// Sorted by name for the binary search.
constexpr TypeName kTypeNames[] = {
    {"BMP", kImageBmp}, {"GIF", kImageGif}, {"JPG", kImageJpeg},
    {"PNG", kImagePng}, {"XPM", kImageXpm},
};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// strcmp ignoring ASCII case.
int CompareNoCase(const char* a, const std::string& b) {
    size_t i = 0;
    for (; a[i] && i < b.size(); ++i) {
        const char x = Upper(a[i]), y = Upper(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
    }
    if (!a[i] && i == b.size()) return 0;
    return a[i] ? 1 : -1;
}
}  // namespace

int ImageTypeFromName(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) return kImageUnknown;
    const std::string ext = name.substr(dot + 1);
    size_t low = 0, high = std::size(kTypeNames);
    while (low < high) {
        const size_t mid = (low + high) / 2;
        const int c = CompareNoCase(kTypeNames[mid].name, ext);
        if (c == 0) return kTypeNames[mid].code;
        if (c > 0)
            high = mid;
        else
            low = mid + 1;
    }
    return kImageUnknown;
}
