#include "DictionaryFile.h"

#include "SphinxDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qm::sphinx {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

DictionaryFile::DictionaryFile(const std::string& path) {
    // stdio, not iostreams: streams would pull most of a megabyte of locale
    // code into the Windows program.
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) throw SphinxError("speech model: cannot open " + path);
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) text_.append(buffer, got);
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed || text_.empty()) throw SphinxError("speech model: cannot read " + path);
    data_ = text_.data();
    bytes_ = text_.size();
    for (std::size_t at = 0; at < bytes_;) {
        const char* nl = static_cast<const char*>(std::memchr(data_ + at, '\n', bytes_ - at));
        const std::size_t end = nl ? std::size_t(nl - data_) : bytes_;
        if (end > at && !isSpace(data_[at])) lines_.push_back(static_cast<std::uint32_t>(at));
        at = end + 1;
    }
    // The file is nearly sorted, but not by a rule to rely on.
    std::stable_sort(lines_.begin(), lines_.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
}

std::string_view DictionaryFile::key(std::uint32_t line) const {
    std::size_t end = line;
    while (end < bytes_ && !isSpace(data_[end]) && data_[end] != '\n') ++end;
    return {data_ + line, end - line};
}

std::string_view DictionaryFile::rest(std::uint32_t line) const {
    std::size_t at = line + key(line).size();
    while (at < bytes_ && isSpace(data_[at])) ++at;
    std::size_t end = at;
    while (end < bytes_ && data_[end] != '\n') ++end;
    while (end > at && isSpace(data_[end - 1])) --end;
    return {data_ + at, end - at};
}

bool DictionaryFile::find(std::string_view k, std::uint32_t& line) const {
    const auto it = std::lower_bound(lines_.begin(), lines_.end(), k,
                                     [this](std::uint32_t l, std::string_view v) { return key(l) < v; });
    if (it == lines_.end() || key(*it) != k) return false;
    line = *it;
    return true;
}

std::vector<std::pair<std::string, std::string>> DictionaryFile::lookup(std::string_view word) const {
    std::vector<std::pair<std::string, std::string>> out;
    std::uint32_t line = 0;
    if (word.empty() || !find(word, line)) return out;
    out.emplace_back(std::string(word), std::string(rest(line)));
    for (int n = 2;; ++n) {
        const std::string alt = std::string(word) + '(' + std::to_string(n) + ')';
        if (!find(alt, line)) break;
        out.emplace_back(alt, std::string(rest(line)));
    }
    return out;
}

}  // namespace qm::sphinx
