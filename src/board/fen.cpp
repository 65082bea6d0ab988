#include "board/fen.h"

#include <cstdio>
#include <cstring>

namespace talvik {

namespace {

int pieceCodeOf(char c) {
  switch (c) {
    case 'P': return Pawn;
    case 'N': return Knight;
    case 'B': return Bishop;
    case 'R': return Rook;
    case 'Q': return Queen;
    case 'K': return King;
    case 'p': return -Pawn;
    case 'n': return -Knight;
    case 'b': return -Bishop;
    case 'r': return -Rook;
    case 'q': return -Queen;
    case 'k': return -King;
    default: return 0;
  }
}

// Reads "-" or up to three digits; longer numbers are cut after the third.
std::size_t readCounter(std::string_view text, std::size_t i, int& value) {
  value = 0;
  if (i < text.size() && text[i] == '-') return i + 1;
  for (int digits = 0; digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '9'; ++digits, ++i)
    value = value * 10 + (text[i] - '0');
  return i;
}

}  // namespace

bool parseFen(std::string_view text, ParsedFen& out) {
  std::memset(&out, 0, sizeof out);
  out.side = White;
  const auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };

  // 1. Piece placement, rank 8 first.
  std::size_t i = 0;
  int rank = 7, file = 0, filled = 0;
  int kingFile[2] = {4, 4};
  while (true) {
    if (filled >= 64) {
      if (at(i) != ' ') return false;
      break;
    }
    const char c = at(i);
    if (c == ' ') break;
    if (c >= '1' && c <= '8') {
      if (file + (c - '0') > 8) return false;
      file += c - '0';
      filled += c - '0';
    } else if (c == '/') {
      if (rank == 0) return false;
      filled += 8 - file;
      --rank;
      file = 0;
    } else {
      const int code = pieceCodeOf(c);
      if (code == 0 || file >= 8) return false;
      out.mailbox[makeSquare(file, rank)] = static_cast<std::int8_t>(code);
      if (code == King) kingFile[White] = file;
      if (code == -King) kingFile[Black] = file;
      ++file;
      ++filled;
    }
    ++i;
  }

  // 2. Side to move (the placement ended on the space at i).
  ++i;
  if (at(i) == 'w')
    out.side = White;
  else if (at(i) == 'b')
    out.side = Black;
  else
    return false;
  ++i;
  out.endIndex = i;

  // 3. Castling.
  if (at(i) != ' ') return true;
  ++i;
  if (at(i) == '-') {
    ++i;
  } else {
    for (int n = 0; n < 4 && at(i) != ' ' && at(i) != '\0'; ++n, ++i) {
      const char c = at(i);
      if (c == 'K') out.castleRights |= WhiteKingSide;
      else if (c == 'Q') out.castleRights |= WhiteQueenSide;
      else if (c == 'k') out.castleRights |= BlackKingSide;
      else if (c == 'q') out.castleRights |= BlackQueenSide;
      else if (c >= 'A' && c <= 'H')
        out.castleRights |= (c - 'A') >= kingFile[White] ? WhiteKingSide : WhiteQueenSide;
      else if (c >= 'a' && c <= 'h')
        out.castleRights |= (c - 'a') >= kingFile[Black] ? BlackKingSide : BlackQueenSide;
      else
        return false;
    }
  }
  out.endIndex = i;

  // 4. En passant.
  if (at(i) != ' ') return true;
  ++i;
  if (at(i) == '-') {
    ++i;
  } else {
    const char fileChar = at(i), rankChar = at(i + 1);
    if (fileChar < 'a' || fileChar > 'h') return false;
    if (rankChar != (out.side == White ? '6' : '3')) return false;
    out.epFile = static_cast<std::uint8_t>(fileChar - 'a' + 1);
    i += 2;
  }
  out.endIndex = i;

  // 5. Halfmove clock, 6. fullmove number.
  if (at(i) != ' ') return true;
  i = readCounter(text, i + 1, out.halfmoveClock);
  out.endIndex = i;
  if (at(i) != ' ') return true;
  i = readCounter(text, i + 1, out.fullmoveNumber);
  out.endIndex = i;
  return true;
}

const char* positionProblem(const Board& board) {
  for (int colour = 0; colour < 2; ++colour) {
    if (popCount(board.pieces(King, colour)) != 1) return "each side needs exactly one king";
    const int pawns = popCount(board.pieces(Pawn, colour));
    if (pawns > 8) return "more than eight pawns";
    if (popCount(board.colourBB[colour]) > 16) return "more than sixteen pieces";
    // Every piece beyond the initial set must come from a promoted pawn.
    int promoted = 0;
    promoted += std::max(0, popCount(board.pieces(Knight, colour)) - 2);
    promoted += std::max(0, popCount(board.pieces(Bishop, colour)) - 2);
    promoted += std::max(0, popCount(board.pieces(Rook, colour)) - 2);
    promoted += std::max(0, popCount(board.pieces(Queen, colour)) - 1);
    if (promoted > 8 - pawns) return "more promoted pieces than missing pawns";
  }
  if ((board.pieces(Pawn, White) | board.pieces(Pawn, Black)) & (rankBB(0) | rankBB(7)))
    return "pawn on the first or last rank";
  if (moverLeftKingAttacked(board)) return "the side not to move is in check";
  return nullptr;
}

std::string boardToFen(const Board& board, int fullmoveNumber) {
  std::string fen;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      const Square sq = makeSquare(file, rank);
      const int type = board.squareType[sq];
      if (type == NoPiece) {
        ++empty;
        continue;
      }
      if (empty) fen += static_cast<char>('0' + empty);
      empty = 0;
      fen += board.colourOn(sq) == White ? " PNBRQK"[type] : " pnbrqk"[type];
    }
    if (empty) fen += static_cast<char>('0' + empty);
    if (rank > 0) fen += '/';
  }
  fen += board.sideToMove == White ? " w " : " b ";
  if (board.castleRights == 0) fen += '-';
  if (board.castleRights & WhiteKingSide) fen += 'K';
  if (board.castleRights & WhiteQueenSide) fen += 'Q';
  if (board.castleRights & BlackKingSide) fen += 'k';
  if (board.castleRights & BlackQueenSide) fen += 'q';
  fen += ' ';
  if (board.epFile == 0) {
    fen += '-';
  } else {
    fen += static_cast<char>('a' + board.epFile - 1);
    fen += board.sideToMove == White ? '6' : '3';
  }
  char counters[32];
  std::snprintf(counters, sizeof counters, " %d %d", board.halfmoveClock, fullmoveNumber);
  return fen + counters;
}

std::string boardDiagram(const Board& board) {
  static const char* separator = "|---|---|---|---|---|---|---|---|\n";
  std::string text = separator;
  for (int rank = 7; rank >= 0; --rank) {
    for (int file = 0; file < 8; ++file) {
      const Square sq = makeSquare(file, rank);
      const int type = board.squareType[sq];
      text += "| ";
      text += type == NoPiece ? ' ' : board.colourOn(sq) == White ? " PNBRQK"[type] : " pnbrqk"[type];
      text += ' ';
    }
    text += "|\n";
    text += separator;
  }
  text += board.sideToMove == White ? "White to play\n" : "Black to play\n";
  return text;
}

void printBoard(const Board& board) {
  const std::string text = boardDiagram(board);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace talvik
