// A view of one input line, split into tokens on a separator character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace talvik {

class LineTokenizer {
 public:
  explicit LineTokenizer(std::string_view line, char separator = ' ') : line_(line), separator_(separator) {}

  // Advances past separators to the next token; false when there is none.
  bool nextToken() {
    std::size_t pos = tokenEnd_;
    while (pos < line_.size() && line_[pos] == separator_) ++pos;
    if (pos >= line_.size()) {
      tokenStart_ = tokenEnd_ = line_.size();
      return false;
    }
    tokenStart_ = pos;
    while (pos < line_.size() && line_[pos] != separator_) ++pos;
    tokenEnd_ = pos;
    return true;
  }

  std::string_view token() const { return line_.substr(tokenStart_, tokenEnd_ - tokenStart_); }
  // The current token begins with `keyword` (case-sensitive, over the keyword's length).
  bool tokenBeginsWith(std::string_view keyword) const { return token().substr(0, keyword.size()) == keyword; }
  // Base-10 value of at most the first 63 characters of the token; stops at
  // the first non-digit, 0 without leading digits. Saturates instead of overflowing.
  long long tokenInt() const;
  // The token is a number as tokenInt reads it: a sign, then a digit.
  bool tokenIsNumber() const;
  // At most size - 1 characters of the token.
  std::string tokenCopy(std::size_t size) const { return std::string(token().substr(0, size ? size - 1 : 0)); }
  // Everything after the current token (the separator following it skipped).
  std::string_view rest() const {
    const std::size_t from = tokenEnd_ < line_.size() ? tokenEnd_ + 1 : line_.size();
    return line_.substr(from);
  }
  std::string_view line() const { return line_; }
  std::size_t tokenStart() const { return tokenStart_; }
  std::size_t tokenEnd() const { return tokenEnd_; }

 private:
  std::string_view line_;
  char separator_;
  std::size_t tokenStart_ = 0;
  std::size_t tokenEnd_ = 0;
};

}  // namespace talvik
