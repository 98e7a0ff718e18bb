#include "resText.h"

#include "recordText3D.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include <cstring>

std::string displayText(const char* bytes, size_t fieldSize)
{
    return recordTextUtf8(bytes, fieldSize);
}

namespace {

// lower-case words, the class names' typed forms made the list's
std::vector<std::string> wordsOf(const std::string& s)
{
    std::vector<std::string> words;
    std::string w;
    for (size_t i = 0; i <= s.size(); i++) {
        const char c = i < s.size() ? s[i] : ' ';
        if (c == ' ' || c == '\t') {
            if (!w.empty())
                words.push_back(w == "normal" ? "n.detail" : w == "high" ? "h.detail" : w == "big" ? "b.tex" : w);
            w.clear();
        } else {
            w += char(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return words;
}

}  // namespace

bool typedFits(const std::string& text, const std::string& entry)
{
    const std::vector<std::string> typed = wordsOf(text), has = wordsOf(entry);
    if (typed.empty())
        return false;
    for (const std::string& w : typed)
        if (std::find(has.begin(), has.end(), w) == has.end())
            return false;
    return true;
}
