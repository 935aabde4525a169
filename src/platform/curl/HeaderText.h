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

} // namespace HeaderText
