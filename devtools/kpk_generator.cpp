// Solves king and pawn against king by retrograde analysis and prints the
// result as the stored table in src/eval/kpk_bitbase_data.h.
//
//   cmake --build build/release --target kpkgen && ./build/release/devtools/kpkgen > src/eval/kpk_bitbase_data.h
//
// The pawn is White's and a pawn on files e..h is the mirror of one on a..d,
// so only files a..d are solved; the index is kpkIndex (1 = White wins).
// Illegal and impossible indices (pawn on the first or last rank, pieces on
// one square, touching kings, the side not to move in check) hold 0.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "board/bitboard.h"
#include "eval/kpk_bitbase.h"

using namespace talvik;

namespace {

enum Outcome : std::uint8_t { Unknown, Illegal, Draw, Win };

bool isLegal(const KpkPosition& pos) {
  if (rankOf(pos.pawn) == 0 || rankOf(pos.pawn) == 7) return false;
  if (pos.strongKing == pos.weakKing || pos.strongKing == pos.pawn || pos.weakKing == pos.pawn) return false;
  if (kingAttacks[pos.strongKing] & squareMask[pos.weakKing]) return false;
  // With White to move, Black (who just moved) cannot stand in the pawn's check.
  return !(pos.strongToMove && (pawnAttacks[White][pos.pawn] & squareMask[pos.weakKing]));
}

// The pawn promotes on `queening` to a queen or a rook with Black to move.
// It wins unless Black takes the new piece or is stalemated; a king and a
// queen or rook win against a bare king from every other position.
bool promotionWins(const KpkPosition& pos, Square queening) {
  const Bitboard defended = kingAttacks[pos.strongKing];
  if ((kingAttacks[pos.weakKing] & squareMask[queening]) && !(defended & squareMask[queening])) return false;
  const Bitboard occupancy = squareMask[pos.strongKing] | squareMask[queening];
  for (const bool queen : {true, false}) {
    const Bitboard attacks =
        slowRookAttacks(queening, occupancy) | (queen ? slowBishopAttacks(queening, occupancy) : Bitboard{0});
    if (attacks & squareMask[pos.weakKing]) return true;  // check: mate or an escape, a win either way
    const Bitboard escapes = kingAttacks[pos.weakKing] & ~defended & ~attacks & ~squareMask[queening];
    if (escapes) return true;
  }
  return false;  // every promotion stalemates
}

Outcome solveWhiteToMove(const KpkPosition& pos, const std::vector<Outcome>& table) {
  bool allDraw = true;
  auto consider = [&](Outcome child) {
    if (child == Win) return true;
    if (child != Draw) allDraw = false;
    return false;
  };
  for (Bitboard steps = kingAttacks[pos.strongKing] & ~kingAttacks[pos.weakKing] & ~squareMask[pos.pawn]; steps;) {
    const Square to = popLowest(steps);
    if (consider(table[kpkIndex(0, to, pos.weakKing, pos.pawn)])) return Win;
  }
  const Square push = pos.pawn + 8;
  const Bitboard kings = squareMask[pos.strongKing] | squareMask[pos.weakKing];
  if (!(kings & squareMask[push])) {
    if (rankOf(push) == 7) {
      if (promotionWins(pos, push)) return Win;
    } else {
      if (consider(table[kpkIndex(0, pos.strongKing, pos.weakKing, push)])) return Win;
      if (rankOf(pos.pawn) == 1 && !(kings & squareMask[push + 8]) &&
          consider(table[kpkIndex(0, pos.strongKing, pos.weakKing, push + 8)]))
        return Win;
    }
  }
  return allDraw ? Draw : Unknown;
}

Outcome solveBlackToMove(const KpkPosition& pos, const std::vector<Outcome>& table) {
  const Bitboard guarded = kingAttacks[pos.strongKing] | pawnAttacks[White][pos.pawn];
  const Bitboard steps = kingAttacks[pos.weakKing] & ~guarded;
  if (steps & squareMask[pos.pawn]) return Draw;  // the undefended pawn falls
  if (!steps) return (pawnAttacks[White][pos.pawn] & squareMask[pos.weakKing]) ? Win : Draw;  // mate or stalemate
  bool allWin = true;
  for (Bitboard b = steps; b;) {
    const Outcome child = table[kpkIndex(1, pos.strongKing, popLowest(b), pos.pawn)];
    if (child == Draw) return Draw;
    if (child != Win) allWin = false;
  }
  return allWin ? Win : Unknown;
}

}  // namespace

int main() {
  std::vector<Outcome> table(KpkIndexCount, Unknown);
  for (int index = 0; index < KpkIndexCount; ++index)
    if (!isLegal(kpkDecode(index))) table[index] = Illegal;

  // Every pass settles the positions whose outcome the previous passes made
  // certain; positions still open when nothing changes are draws (neither
  // side can force anything, so the play goes round in circles).
  for (bool changed = true; changed;) {
    changed = false;
    for (int index = 0; index < KpkIndexCount; ++index) {
      if (table[index] != Unknown) continue;
      const KpkPosition pos = kpkDecode(index);
      const Outcome outcome = pos.strongToMove ? solveWhiteToMove(pos, table) : solveBlackToMove(pos, table);
      if (outcome != Unknown) {
        table[index] = outcome;
        changed = true;
      }
    }
  }

  std::vector<std::uint32_t> words(KpkIndexCount / 32, 0);
  for (int index = 0; index < KpkIndexCount; ++index)
    if (table[index] == Win) words[index >> 5] |= std::uint32_t{1} << (index & 31);

  std::printf(
      "// Generated by devtools/kpk_generator.cpp; do not edit by hand.\n"
      "// King and pawn against king: bit i of the table (word i >> 5, bit i & 31)\n"
      "// is 1 when the side with the pawn wins; see kpk_bitbase.h for the index.\n"
      "#pragma once\n\n#include <cstdint>\n\nnamespace talvik {\n\n"
      "inline constexpr std::uint32_t KpkBitbaseWords[%d] = {\n",
      KpkIndexCount / 32);
  for (std::size_t i = 0; i < words.size(); ++i)
    std::printf("%s0x%08xu,%s", i % 8 == 0 ? "    " : " ", words[i], i % 8 == 7 ? "\n" : "");
  std::printf("};\n\n}  // namespace talvik\n");
  return 0;
}
