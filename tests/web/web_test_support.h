// The scripted test server, seen from a test running under Wine.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <wincrypt.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace velmora::testing {

inline std::string ServerUrl(const std::string& path) {
    const char* port = std::getenv("VELMORA_SERVER_PORT");
    return "http://127.0.0.1:" + std::string(port ? port : "9") + path;
}

// A plain WinINet GET, independent of the code under test.
inline std::string PlainGet(const std::string& url) {
    HINTERNET internet = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET file = InternetOpenUrlA(internet, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    std::string body;
    char buffer[8192];
    DWORD read = 0;
    while (file && InternetReadFile(file, buffer, sizeof buffer, &read) && read) body.append(buffer, read);
    if (file) InternetCloseHandle(file);
    InternetCloseHandle(internet);
    return body;
}

// The raw requests (request line, header lines, body) whose request line holds the text.
inline std::vector<std::string> RequestsContaining(const std::string& text) {
    std::string log = PlainGet(ServerUrl("/_log?contains=" + text));
    std::vector<std::string> requests;
    if (log.empty()) return requests;
    const std::string separator = "\n=====\n";
    size_t from = 0;
    for (size_t at; (at = log.find(separator, from)) != std::string::npos; from = at + separator.size())
        requests.push_back(log.substr(from, at - from));
    requests.push_back(log.substr(from));
    return requests;
}

// The server's deterministic bytes for size=N&seed=S: framed as a JPEG from 6 bytes on.
inline std::string PatternBytes(size_t size, int seed = 0) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + static_cast<size_t>(seed)) % 251);
    if (size >= 6) {
        bytes.replace(0, 4, "\xFF\xD8\xFF\xE0");
        bytes.replace(size - 2, 2, "\xFF\xD9");
    }
    return bytes;
}

// The server's bytes for size=N&seed=S&format=KIND: a body that starts and
// ends as a picture of that format does (png, gif, webp, bmp).
inline std::string FormatBytes(const std::string& kind, size_t size, int seed = 0) {
    std::string head, tail;
    auto little = [](uint32_t n) {
        return std::string{static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                           static_cast<char>(n >> 24)};
    };
    if (kind == "png") {
        head = std::string("\x89PNG\r\n\x1A\n", 8), tail = std::string("\0\0\0\0IEND\xAE" "B`\x82", 12);
    } else if (kind == "gif") {
        head = "GIF89a", tail = ";";
    } else if (kind == "webp") {
        head = "RIFF" + little(static_cast<uint32_t>(size - 8)) + "WEBP";
    } else if (kind == "bmp") {
        head = "BM" + little(static_cast<uint32_t>(size));
    } else {
        return PatternBytes(size, seed);
    }
    std::string filler(size - head.size() - tail.size(), '\0');
    for (size_t i = 0; i < filler.size(); ++i) filler[i] = static_cast<char>((i * 7 + static_cast<size_t>(seed)) % 251);
    return head + filler + tail;
}

// The server's TLS address for a path.
inline std::string SecureUrl(const std::string& path) {
    const char* port = std::getenv("VELMORA_TLS_PORT");
    return "https://127.0.0.1:" + std::string(port ? port : "9") + path;
}

// Makes the prefix trust the server's test CA (its root store, as a user's
// Windows trusts its CAs), so an https address of the server is a real one.
inline bool TrustTestCertificateAuthority() {
    const char* path = std::getenv("VELMORA_TEST_CA");
    if (!path) return false;
    std::string pem;
    if (FILE* file = std::fopen(path, "rb")) {
        char buffer[4096];
        for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;) pem.append(buffer, read);
        std::fclose(file);
    }
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) return false;
    std::string der(size, '\0');
    CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, reinterpret_cast<BYTE*>(der.data()), &size, nullptr,
                         nullptr);
    HCERTSTORE root = CertOpenSystemStoreA(0, "ROOT");
    bool added = root && CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, reinterpret_cast<BYTE*>(der.data()),
                                                          size, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    if (root) CertCloseStore(root, 0);
    return added;
}

inline std::string Utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

// Percent-encodes bytes for a query value.
inline std::string Encode(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

}  // namespace velmora::testing
