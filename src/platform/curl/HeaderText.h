#pragma once

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>

// Small text helpers for reading HTTP response header lines.
namespace HeaderText
{

// The text without leading and trailing white space.
inline std::string trimmed(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

// The text in ASCII lower case (header names and tokens are case-insensitive).
inline std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The first line of a response: "HTTP/1.1 404 Not Found", "HTTP/2 200".
struct StatusLine {
    long status = 0; // 0 when the line carries no number
    std::string reason; // empty when the server sent none (HTTP/2 and later never do)
};

// The status line in a trimmed header line, or nullopt when the line is a header field
// or the blank end of the block. Each status line opens a new response: after a
// redirect or an interim 1xx answer, the fields read so far belong to an earlier one.
inline std::optional<StatusLine> statusLine(const std::string& line)
{
    if (line.rfind("HTTP/", 0) != 0)
        return std::nullopt;
    StatusLine parsed;
    const auto space = line.find(' ');
    if (space == std::string::npos)
        return parsed;
    parsed.status = std::atol(line.c_str() + space + 1);
    const auto second = line.find(' ', space + 1);
    if (second != std::string::npos)
        parsed.reason = trimmed(line.substr(second + 1));
    return parsed;
}

// The media type of a Content-Type value, lower case, without its parameters.
inline std::string mediaType(const std::string& value)
{
    return lower(trimmed(value.substr(0, value.find(';'))));
}

// The file name a Content-Disposition value gives, in UTF-8, or "" when it gives none.
// "filename*" (RFC 5987: charset'language'percent-encoded, UTF-8 or ISO-8859-1) is
// preferred to "filename" (a token or a quoted string). Nothing is made safe here.
inline std::string dispositionFileName(const std::string& value)
{
    std::string plain;
    std::string extended;
    size_t i = value.find(';');
    while (i != std::string::npos && i < value.size()) {
        ++i; // past ';'
        const size_t equals = value.find('=', i);
        if (equals == std::string::npos)
            break;
        const std::string name = lower(trimmed(value.substr(i, equals - i)));
        size_t j = equals + 1;
        while (j < value.size() && (value[j] == ' ' || value[j] == '\t'))
            ++j;
        std::string parameter;
        if (j < value.size() && value[j] == '"') {
            for (++j; j < value.size() && value[j] != '"'; ++j) {
                if (value[j] == '\\' && j + 1 < value.size())
                    ++j;
                parameter += value[j];
            }
            i = value.find(';', j);
        } else {
            i = value.find(';', j);
            parameter = trimmed(value.substr(j, i == std::string::npos ? i : i - j));
        }
        if (name == "filename")
            plain = parameter;
        else if (name == "filename*")
            extended = parameter;
    }
    const size_t first = extended.find('\'');
    const size_t second = first == std::string::npos ? first : extended.find('\'', first + 1);
    if (second != std::string::npos) {
        const std::string charset = lower(extended.substr(0, first));
        std::string decoded;
        bool ok = charset == "utf-8" || charset == "iso-8859-1";
        for (size_t k = second + 1; ok && k < extended.size(); ++k) {
            if (extended[k] != '%') {
                decoded += extended[k];
                continue;
            }
            ok = k + 2 < extended.size()
                && std::isxdigit(static_cast<unsigned char>(extended[k + 1]))
                && std::isxdigit(static_cast<unsigned char>(extended[k + 2]));
            if (ok) {
                decoded += static_cast<char>(std::stoi(extended.substr(k + 1, 2), nullptr, 16));
                k += 2;
            }
        }
        if (ok && charset == "iso-8859-1") {
            std::string utf8;
            for (unsigned char c : decoded) {
                if (c < 0x80) {
                    utf8 += static_cast<char>(c);
                } else {
                    utf8 += static_cast<char>(0xc0 | (c >> 6));
                    utf8 += static_cast<char>(0x80 | (c & 0x3f));
                }
            }
            decoded = utf8;
        }
        if (ok && !decoded.empty())
            return decoded;
    }
    return plain;
}

} // namespace HeaderText
