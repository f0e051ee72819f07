#include "formats/rar/volume_names.h"

#include <cctype>

namespace quorvex6::backend::rar {

namespace {

// Counts the digits that end at `end` (exclusive) up by one, carrying; all nines grow a digit.
std::optional<std::string> CountUp(std::string name, std::size_t end) {
    std::size_t begin = end;
    while (begin > 0 && std::isdigit(static_cast<unsigned char>(name[begin - 1]))) --begin;
    if (begin == end) return std::nullopt;
    for (std::size_t i = end; i > begin; --i) {
        if (name[i - 1] != '9') {
            ++name[i - 1];
            return name;
        }
        name[i - 1] = '0';
    }
    name.insert(begin, 1, '1');
    return name;
}

}  // namespace

std::optional<std::string> NextVolumeName(const std::string& current, bool new_numbering) {
    std::size_t slash = current.find_last_of("/\\");
    std::size_t dot = current.find_last_of('.');
    bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    if (new_numbering) {
        // The number is the last digits before the extension: "name.part07.rar".
        std::size_t end = has_extension ? dot : current.size();
        return CountUp(current, end);
    }
    if (!has_extension || current.size() - dot != 4) return std::nullopt;
    std::string name = current;
    char& letter = name[dot + 1];
    bool upper = std::isupper(static_cast<unsigned char>(letter)) != 0;
    if (!std::isdigit(static_cast<unsigned char>(name[dot + 2])) ||
        !std::isdigit(static_cast<unsigned char>(name[dot + 3]))) {
        // "name.rar" goes on as "name.r00".
        letter = upper ? 'R' : 'r';
        name[dot + 2] = '0';
        name[dot + 3] = '0';
        return name;
    }
    if (name[dot + 2] == '9' && name[dot + 3] == '9') {
        if (letter == 'z' || letter == 'Z' || !std::isalpha(static_cast<unsigned char>(letter)))
            return std::nullopt;
        ++letter;
        name[dot + 2] = '0';
        name[dot + 3] = '0';
        return name;
    }
    return CountUp(name, name.size());
}

}  // namespace quorvex6::backend::rar
