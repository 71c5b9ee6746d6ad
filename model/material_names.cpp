#include "model/material_names.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The next blank-separated word at or after position, which is moved past it.
std::string_view NextWord(std::string_view text, std::size_t& position) {
    while (position < text.size() && IsBlank(text[position]))
        ++position;
    const std::size_t start = position;
    while (position < text.size() && !IsBlank(text[position]))
        ++position;
    return text.substr(start, position - start);
}

bool IsNumber(std::string_view word) {
    if (word.empty())
        return false;
    const std::string text(word);
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

// Arguments of the texture map options: {fixed count, how many more may follow if numeric}.
struct MapOption {
    const char* name;
    int required;
    int optionalNumbers;
};

constexpr MapOption mapOptions[] = {
    {"-blendu", 1, 0}, {"-blendv", 1, 0},  {"-bm", 1, 0},   {"-boost", 1, 0},      {"-cc", 1, 0},
    {"-clamp", 1, 0},  {"-imfchan", 1, 0}, {"-mm", 1, 1},   {"-o", 1, 2},          {"-s", 1, 2},
    {"-t", 1, 2},      {"-texres", 1, 0},  {"-type", 1, 0}, {"-colorspace", 1, 0},
};

const MapOption* FindMapOption(std::string_view word) {
    for (const MapOption& option : mapOptions) {
        if (word == option.name)
            return &option;
    }
    return nullptr;
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string> LibraryNames(std::string_view rest, const std::string& folder) {
    const std::string whole(TrimBlanks(rest));
    if (whole.empty() || IsFile(folder + whole))
        return {whole};
    std::vector<std::string> names;
    std::size_t position = 0;
    for (std::string_view word = NextWord(whole, position); !word.empty();
         word = NextWord(whole, position))
        names.emplace_back(word);
    return names;
}

std::string MapFileName(std::string_view rest, const std::string& folder) {
    const std::string_view whole = TrimBlanks(rest);
    if (IsFile(folder + std::string(whole)))
        return std::string(whole);
    std::size_t position = 0;
    std::size_t nameStart = 0;
    for (;;) {
        nameStart = position;
        const MapOption* option = FindMapOption(NextWord(whole, position));
        if (option == nullptr)
            break;
        for (int i = 0; i < option->required; ++i)
            NextWord(whole, position);
        for (int i = 0; i < option->optionalNumbers; ++i) {
            std::size_t next = position;
            if (!IsNumber(NextWord(whole, next)))
                break;
            position = next;
        }
    }
    std::string name(TrimBlanks(whole.substr(nameStart)));
    for (char& c : name) {
        if (c == '\\')
            c = '/';
    }
    return name;
}
