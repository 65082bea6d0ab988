// Basic chess codes shared by every part of the engine.
#pragma once

#include <cstdint>

namespace talvik {

using Bitboard = std::uint64_t;
using Square = int;  // 0..63, a1 = 0, h1 = 7, a8 = 56

// Colours index every per-colour array as [Black, White].
enum Colour : int { Black = 0, White = 1 };

// Piece types in three bits; 0 means "no piece".
enum PieceType : int { NoPiece = 0, Pawn = 1, Knight = 2, Bishop = 3, Rook = 4, Queen = 5, King = 6 };

constexpr int opponent(int colour) { return colour ^ 1; }
constexpr int fileOf(Square sq) { return sq & 7; }
constexpr int rankOf(Square sq) { return sq >> 3; }
constexpr Square makeSquare(int file, int rank) { return rank * 8 + file; }
constexpr Square mirrorSquare(Square sq) { return sq ^ 56; }  // vertical flip
// Rank counted from the colour's own side: 0 = its first rank.
constexpr int relativeRank(int colour, Square sq) { return colour == White ? rankOf(sq) : 7 - rankOf(sq); }
// Index into per-piece tables: type + 8 * colour (black pawn 1 .. white king 14).
constexpr int pieceIndex(int type, int colour) { return type + 8 * colour; }

// Castling-right bits.
constexpr std::uint8_t WhiteKingSide = 1, WhiteQueenSide = 2, BlackKingSide = 4, BlackQueenSide = 8;
// Wings for the castling geometry arrays.
constexpr int KingSide = 0, QueenSide = 1;

// Scores: centipawns from the side to move's view.
constexpr int MateScore = 32000;
constexpr int MateThreshold = 31743;  // |score| above this is a mate score
constexpr int InfiniteWindow = 32001;

// Search depth is counted in half-plies.
constexpr int OnePly = 2;
constexpr int MaxPly = 127;

// Letters indexed by piece type; slots 0 and 7 are fillers.
inline constexpr char PieceLetters[] = "0pnbrqk ";

}  // namespace talvik
