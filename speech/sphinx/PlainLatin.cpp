#include "speech/sphinx/Pronouncer.h"

namespace qm::sphinx {

std::string plainLatin(const std::string& text) {
    // Two-byte UTF-8 letters of Latin-1 and Latin Extended-A.
    struct Fold {
        const char* utf8;
        const char* plain;
    };
    static const Fold kFolds[] = {
        {"\xc3\x80", "A"}, {"\xc3\x81", "A"}, {"\xc3\x82", "A"}, {"\xc3\x83", "A"}, {"\xc3\x84", "A"}, {"\xc3\x85", "A"},
        {"\xc3\x86", "AE"}, {"\xc3\x87", "C"}, {"\xc3\x88", "E"}, {"\xc3\x89", "E"}, {"\xc3\x8a", "E"}, {"\xc3\x8b", "E"},
        {"\xc3\x8c", "I"}, {"\xc3\x8d", "I"}, {"\xc3\x8e", "I"}, {"\xc3\x8f", "I"}, {"\xc3\x91", "N"}, {"\xc3\x92", "O"},
        {"\xc3\x93", "O"}, {"\xc3\x94", "O"}, {"\xc3\x95", "O"}, {"\xc3\x96", "O"}, {"\xc3\x98", "O"}, {"\xc3\x99", "U"},
        {"\xc3\x9a", "U"}, {"\xc3\x9b", "U"}, {"\xc3\x9c", "U"}, {"\xc3\x9d", "Y"}, {"\xc3\x9f", "ss"}, {"\xc3\xa0", "a"},
        {"\xc3\xa1", "a"}, {"\xc3\xa2", "a"}, {"\xc3\xa3", "a"}, {"\xc3\xa4", "a"}, {"\xc3\xa5", "a"}, {"\xc3\xa6", "ae"},
        {"\xc3\xa7", "c"}, {"\xc3\xa8", "e"}, {"\xc3\xa9", "e"}, {"\xc3\xaa", "e"}, {"\xc3\xab", "e"}, {"\xc3\xac", "i"},
        {"\xc3\xad", "i"}, {"\xc3\xae", "i"}, {"\xc3\xaf", "i"}, {"\xc3\xb1", "n"}, {"\xc3\xb2", "o"}, {"\xc3\xb3", "o"},
        {"\xc3\xb4", "o"}, {"\xc3\xb5", "o"}, {"\xc3\xb6", "o"}, {"\xc3\xb8", "o"}, {"\xc3\xb9", "u"}, {"\xc3\xba", "u"},
        {"\xc3\xbb", "u"}, {"\xc3\xbc", "u"}, {"\xc3\xbd", "y"}, {"\xc3\xbf", "y"}, {"\xc4\x87", "c"}, {"\xc4\x8d", "c"},
        {"\xc4\x8f", "d"}, {"\xc4\x91", "d"}, {"\xc4\x99", "e"}, {"\xc4\x9b", "e"}, {"\xc4\x9f", "g"}, {"\xc4\xb1", "i"},
        {"\xc5\x82", "l"}, {"\xc5\x81", "L"}, {"\xc5\x84", "n"}, {"\xc5\x88", "n"}, {"\xc5\x91", "o"}, {"\xc5\x93", "oe"},
        {"\xc5\x99", "r"}, {"\xc5\x9b", "s"}, {"\xc5\x9f", "s"}, {"\xc5\xa1", "s"}, {"\xc5\xa5", "t"}, {"\xc5\xaf", "u"},
        {"\xc5\xb1", "u"}, {"\xc5\xba", "z"}, {"\xc5\xbc", "z"}, {"\xc5\xbe", "z"}, {"\xc5\xa0", "S"}, {"\xc5\xbd", "Z"},
        {"\xc4\x8c", "C"}, {"\xc5\x9a", "S"}, {"\xc5\xbb", "Z"}, {"\xc5\xb9", "Z"},
    };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xc3 && c <= 0xc5 && i + 1 < text.size()) {
            const Fold* hit = nullptr;
            for (const Fold& f : kFolds)
                if (text.compare(i, 2, f.utf8) == 0) hit = &f;
            if (hit) {
                out += hit->plain;
                i += 2;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

}  // namespace qm::sphinx
