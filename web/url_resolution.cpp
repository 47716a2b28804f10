#include "web/url_resolution.h"
#include <cstdint>
#include <vector>

namespace velmora::web {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != prefix[i]) return false;
    return true;
}

// "http:" or "https:" and what follows "//" up to the path: scheme and authority.
bool SplitBase(std::string_view base, std::string& scheme, std::string& authority, std::string& path) {
    size_t schemeEnd = StartsWithNoCase(base, "https://") ? 5 : StartsWithNoCase(base, "http://") ? 4 : 0;
    if (!schemeEnd) return false;
    scheme = std::string(base.substr(0, schemeEnd));
    for (char& c : scheme) c = Lower(c);
    std::string_view rest = base.substr(schemeEnd + 3);
    size_t pathStart = rest.find_first_of("/?#");
    authority = std::string(rest.substr(0, pathStart));
    path = pathStart == std::string_view::npos ? "/" : std::string(rest.substr(pathStart));
    path = path.substr(0, path.find('#'));
    if (path.empty() || path[0] != '/') path = "/" + path;  // "?q" straight after the host
    return !authority.empty();
}

// RFC 3986's removal of "." and ".." segments, on a path that starts with "/".
std::string RemoveDotSegments(std::string_view path) {
    std::vector<std::string_view> kept;
    std::string_view rest = path.substr(1);
    for (;;) {
        size_t slash = rest.find('/');
        std::string_view segment = rest.substr(0, slash);
        bool last = slash == std::string_view::npos;
        if (segment == "..") {
            if (!kept.empty()) kept.pop_back();
            if (last) kept.push_back({});  // it names a folder: the path ends in "/"
        } else if (segment == ".") {
            if (last) kept.push_back({});
        } else {
            kept.push_back(segment);
        }
        if (last) break;
        rest = rest.substr(slash + 1);
    }
    std::string out;
    for (std::string_view segment : kept) out += "/" + std::string(segment);
    return out.empty() ? "/" : out;
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (Lower(c) >= 'a' && Lower(c) <= 'f'); }

void AppendUtf8(std::string& out, uint32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::string ResolveUrl(std::string_view base, std::string_view reference) {
    // Blanks around an href, and the fragment, are nothing the server sees.
    while (!reference.empty() && (reference.front() == ' ' || reference.front() == '\t')) reference.remove_prefix(1);
    while (!reference.empty() && (reference.back() == ' ' || reference.back() == '\t')) reference.remove_suffix(1);
    reference = reference.substr(0, reference.find('#'));
    std::string scheme, authority, basePath;
    bool baseValid = SplitBase(base, scheme, authority, basePath);
    if (StartsWithNoCase(reference, "http://") || StartsWithNoCase(reference, "https://")) {
        std::string s, a, p;
        if (!SplitBase(reference, s, a, p)) return {};
        size_t query = p.find('?');
        return s + "://" + a + RemoveDotSegments(p.substr(0, query)) + (query == std::string::npos ? "" : p.substr(query));
    }
    if (!baseValid) return {};
    if (reference.substr(0, 2) == "//") return ResolveUrl(scheme + ":" + std::string(reference), "");
    std::string path = basePath, query;
    size_t baseQuery = path.find('?');
    if (baseQuery != std::string::npos) {
        query = path.substr(baseQuery);
        path = path.substr(0, baseQuery);
    }
    if (reference.empty()) {
        // The base itself.
    } else if (reference[0] == '?') {
        query = std::string(reference);
    } else {
        std::string_view referencePath = reference.substr(0, reference.find('?'));
        query = referencePath.size() < reference.size() ? std::string(reference.substr(referencePath.size())) : "";
        if (referencePath.empty()) {
            // Only a query: the base's path stays.
        } else if (referencePath[0] == '/') {
            path = std::string(referencePath);
        } else {
            path = path.substr(0, path.rfind('/') + 1) + std::string(referencePath);
        }
    }
    return scheme + "://" + authority + RemoveDotSegments(path) + query;
}

std::string EncodeUrl(std::string_view url) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < url.size(); ++i) {
        auto byte = static_cast<uint8_t>(url[i]);
        bool escaped = i + 2 < url.size() && IsHex(url[i + 1]) && IsHex(url[i + 2]);
        bool escape = byte == '%' && !escaped;  // a lone "%" is no escape: sent as one
        if (byte > 0x7E || byte <= 0x20 || byte == '"' || byte == '<' || byte == '>' || byte == '\\' || byte == '^' ||
            byte == '`' || byte == '{' || byte == '|' || byte == '}' || escape) {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

std::string DecodeCharacterReferences(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        size_t end = text.find(';', i);
        if (end == std::string_view::npos || end - i > 10) {
            out += '&';
            continue;
        }
        std::string_view name = text.substr(i + 1, end - i - 1);
        static const struct {
            const char* name;
            char value;
        } named[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        bool decoded = false;
        for (const auto& entity : named)
            if (name == entity.name) {
                out += entity.value;
                decoded = true;
            }
        if (!decoded && name.size() >= 2 && name[0] == '#') {
            bool hexadecimal = name[1] == 'x' || name[1] == 'X';
            std::string_view digits = name.substr(hexadecimal ? 2 : 1);
            uint32_t code = 0;
            bool valid = !digits.empty() && digits.size() <= 7;
            for (char c : digits) {
                if (hexadecimal ? !IsHex(c) : !(c >= '0' && c <= '9')) valid = false;
                if (!valid) break;
                code = code * (hexadecimal ? 16 : 10) + static_cast<uint32_t>(c <= '9' ? c - '0' : Lower(c) - 'a' + 10);
            }
            if (valid) {
                AppendUtf8(out, code);
                decoded = true;
            }
        }
        if (decoded) {
            i = end;
        } else {
            out += '&';
        }
    }
    return out;
}

}  // namespace velmora::web
