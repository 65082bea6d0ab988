#include "protocol/line_tokenizer.h"

#include <climits>

namespace talvik {

long long LineTokenizer::tokenInt() const {
  const std::string_view text = token().substr(0, 63);
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (LLONG_MAX - 9) / 10) {
      value = LLONG_MAX;
      continue;
    }
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

bool LineTokenizer::tokenIsNumber() const {
  std::string_view text = token();
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

}  // namespace talvik
