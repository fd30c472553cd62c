#pragma once
// Byte-string helpers used by nearly every piece of text handling: settings
// values, channel lines, rig answers. Strings are 8-bit Windows Latin and may
// hold any byte, NUL included; nothing here depends on the C locale.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varnek {

// Piece N (1-based) of S cut at delimiter D; with K > 1 that many pieces
// joined with nothing between them (a way of dropping a separator).
std::string Piece(std::string_view s, std::string_view d, int n, int k);
// Pieces F..L (0-based) joined by a one-character D; only L <= F is used in
// practice: piece F alone.
std::string PieceRange(std::string_view s, std::string_view d, int f, int l);
// Like Piece, but each piece taken while delimiters remain keeps its
// delimiter, and the last takes the rest of the text.
std::string PiecesWithDelims(std::string_view s, std::string_view d, int n, int k);

// Hex digit string to a number, wrapping in 32 bits; empty gives 0.
// Throws EConvertError on any non-hex character.
uint32_t HexValue(std::string_view h);
// Two upper-case hex digits of the low byte of `value`.
std::string HexByte(unsigned value);
// "FE FE 00 E0 03 FD" to the six bytes; an empty token gives a 00 byte.
std::string HexTextToBytes(std::string_view x);
// A hex line as a person types it: bytes of exactly two hex digits with
// blanks between them, blanks at either end ignored. Anything else (two
// blanks in a row, "123", "FEFE", a line of blanks) throws EConvertError
// naming the token, so no byte goes out that was not typed as one.
std::string TypedHexBytes(std::string_view line);

// Decimal integer as the GUI library of the original read it: leading
// blanks, an optional sign, decimal digits or $/0x hex, 32-bit range.
// Throws EConvertError "'%s' is not a valid integer value".
int StrToInt(std::string_view s);
// The same without the exception.
bool TryStrToInt(std::string_view s, int& value);
std::string IntToStr(long long v);
// Two-digit channel text "00".."99".
std::string ChannelText(int channel);
// True for one or more ASCII digits and nothing else.
bool IsAllDigits(std::string_view s);
// The channel of "00".."99"; -1 for any other text.
int ChannelIndexOf(const std::string& number);
// Leading and trailing bytes up to the blank (control characters included).
std::string Trim(std::string_view s);
std::string UpperCase(std::string_view s);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
// "0042" for 42 at width 4; a longer number keeps all its digits.
std::string ZeroPadded(long long value, std::size_t width);
// The blank-separated words of a text, empty ones skipped.
std::vector<std::string> Words(std::string_view s);
// The text with every occurrence of `from` replaced by `to`.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// "a, b, c".
std::string CommaSeparated(const std::vector<std::string>& items);

// Calls `line` with each line of `bytes` and its number, from 1. CR LF, LF
// and a lone CR (files from old Macs and some editors) each end a line; a
// line end at the very end starts no further line.
void ForEachLine(std::string_view bytes,
                 const std::function<void(int number, std::string_view text)>& line);

}  // namespace varnek
