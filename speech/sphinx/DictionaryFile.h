// The pronunciation dictionary kept as the file's text with an index of its
// lines: its 134,000 words cost the file's 3 MB instead of the engine's own
// 20 MB of word records. The engine is then given only the words that a
// grammar uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::sphinx {

class DictionaryFile {
public:
    // Throws SphinxError when the file cannot be read.
    explicit DictionaryFile(const std::string& path);

    // Every pronunciation of word, in the file's own naming: (word, phones),
    // then (word(2), phones) and so on. Empty when the file lacks the word.
    std::vector<std::pair<std::string, std::string>> lookup(std::string_view word) const;

    std::size_t size() const { return lines_.size(); }

private:
    std::string_view key(std::uint32_t line) const;
    std::string_view rest(std::uint32_t line) const;
    bool find(std::string_view k, std::uint32_t& line) const;

    std::string text_;
    const char* data_ = nullptr;
    std::size_t bytes_ = 0;
    std::vector<std::uint32_t> lines_;  // line starts, by key in byte order
};

}  // namespace qm::sphinx
