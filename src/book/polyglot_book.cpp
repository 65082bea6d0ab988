#include "book/polyglot_book.h"

#include <algorithm>

#include "book/polyglot_key.h"
#include "book/polyglot_move.h"

namespace talvik {

std::vector<WeightedMove> polyglotBookMoves(const std::vector<PolyglotEntry>& book, const Board& board) {
  std::vector<WeightedMove> moves;
  const std::uint64_t key = polyglotKey(board);
  auto it = std::lower_bound(book.begin(), book.end(), key,
                             [](const PolyglotEntry& e, std::uint64_t k) { return e.key < k; });
  for (; it != book.end() && it->key == key; ++it) {
    if (it->weight == 0) continue;
    const Move move = fromPolyglotMove(board, it->move);
    if (move == NoMove) continue;
    const auto same = std::find_if(moves.begin(), moves.end(), [&](const WeightedMove& m) { return m.move == move; });
    if (same != moves.end()) same->weight += it->weight;
    else moves.push_back({move, it->weight});
  }
  return moves;
}

Move choosePolyglotMove(const std::vector<PolyglotEntry>& book, const Board& board, int selectivity,
                        const BookRandom& random) {
  const std::vector<WeightedMove> moves = polyglotBookMoves(book, board);
  if (moves.empty()) return NoMove;
  const auto heaviest = std::max_element(moves.begin(), moves.end(), [](const WeightedMove& a, const WeightedMove& b) {
    return a.weight < b.weight;
  });  // the first of equals
  if (selectivity >= 100 || static_cast<int>(random() % 100) < selectivity) return heaviest->move;
  std::uint64_t total = 0;
  for (const WeightedMove& m : moves) total += m.weight;
  // Two draws make 62 random bits, so that the remainder is as good as uniform
  // whatever the total (they are sequenced: the same seed, the same choice).
  const std::uint64_t high = random();
  const std::uint64_t draw = (high << 31 ^ random()) % total;
  std::uint64_t sum = 0;
  for (const WeightedMove& m : moves) {
    sum += m.weight;
    if (draw < sum) return m.move;
  }
  return moves.back().move;
}

}  // namespace talvik
