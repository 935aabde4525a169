#pragma once

#include <cctype>
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

} // namespace HeaderText
