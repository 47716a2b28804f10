// The scripted test server, seen from a test running under Wine.
#pragma once
#include <windows.h>
#include <wininet.h>
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

// The server's deterministic bytes for size=N&seed=S.
inline std::string PatternBytes(size_t size, int seed = 0) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + static_cast<size_t>(seed)) % 251);
    return bytes;
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
