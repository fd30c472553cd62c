// The byte-string helpers over arbitrary text, delimiters and piece numbers.
#include <string>

#include "base/errors.h"
#include "base/text.h"
#include "fuzz_support.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in = fuzz::AsText(data, size);
  // Piece numbers from -2 up, so the edge cases below 1 are reached too.
  const int n = static_cast<int>(fuzz::TakeChoice(in, 40)) - 2;
  const int k = static_cast<int>(fuzz::TakeChoice(in, 8)) - 2;
  const size_t delimLength = fuzz::TakeChoice(in, 3);
  const std::string_view d = in.substr(0, delimLength);
  in.remove_prefix(d.size());

  (void)Piece(in, d, n, k);
  (void)PieceRange(in, d, n, k);
  (void)PiecesWithDelims(in, d, n, k);

  try {
    (void)HexValue(in);
  } catch (const EConvertError&) {
  }
  try {
    (void)HexTextToBytes(in);
  } catch (const EConvertError&) {
  }
  // A typed hex line that is taken is one byte per three characters, and
  // writing those bytes out again gives the line without its end blanks.
  try {
    const std::string bytes = TypedHexBytes(in);
    std::string back;
    for (const char b : bytes)
      back += (back.empty() ? "" : " ") + HexByte(static_cast<unsigned char>(b));
    fuzz::Require(back == UpperCase(Trim(in)));
  } catch (const EConvertError&) {
  }

  // The throwing and the quiet conversion must agree on every text, and a
  // number written out must read back as itself.
  int quiet = 0;
  const bool ok = TryStrToInt(in, quiet);
  bool threw = false;
  int loud = 0;
  try {
    loud = StrToInt(in);
  } catch (const EConvertError&) {
    threw = true;
  }
  fuzz::Require(ok != threw);
  if (ok) {
    fuzz::Require(loud == quiet);
    fuzz::Require(StrToInt(IntToStr(quiet)) == quiet);
  }

  const std::string trimmed = Trim(in);
  fuzz::Require(Trim(trimmed) == trimmed);
  fuzz::Require(UpperCase(in).size() == in.size());
  if (!d.empty()) {
    const std::string replaced = ReplaceAll(in, d, "");
    fuzz::Require(replaced.size() <= in.size());
  }
  (void)StartsWith(in, d);
  (void)ChannelText(n);
  return 0;
}
