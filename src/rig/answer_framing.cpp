#include "rig/answer_framing.h"

#include "rig/family.h"
#include "rig/record_schema.h"

namespace varnek {
namespace {

constexpr char kCivEnd = '\xFD';
constexpr char kCivPreamble = '\xFE';
constexpr char kController = '\xE0';

// Record sizes of the memory read (status update 04).
constexpr size_t kFt1000Record = 16;
constexpr size_t kFt920Record = 14;

}  // namespace

AnswerFraming FramingFor(std::string_view modelCode) {
  switch (FamilyOf(modelCode)) {
    case RigFamily::Kenwood:
    {
      // TS-570/870S: 24 bytes; the models with names (TS-2000, TS-590,
      // TS-480): 42 up to a name of up to 8.
      const RecordSchema* schema = SchemaOf(modelCode);
      return {AnswerFraming::Kind::Ascii, 0, schema && schema->nameLength > 0 ? 42u : 24u, 6};
    }
    case RigFamily::Ft2000:
      return {AnswerFraming::Kind::Ascii, 0, 27, 7};
    case RigFamily::Icom:
      return {AnswerFraming::Kind::Civ, 0};
    case RigFamily::Yaesu:
      switch (YaesuVariantOf(modelCode)) {
        case YaesuVariant::Ft1000:
          return {AnswerFraming::Kind::Record, kFt1000Record};
        case YaesuVariant::Ft920:
          return {AnswerFraming::Kind::Record, kFt920Record};
        case YaesuVariant::None:
          break;
      }
      break;
    case RigFamily::None:
      break;
  }
  return {};
}

size_t CompleteAnswersLength(const AnswerFraming& framing, std::string_view bytes) {
  switch (framing.kind) {
    case AnswerFraming::Kind::Ascii: {
      const size_t end = bytes.rfind(';');
      return end == std::string_view::npos ? 0 : end + 1;
    }
    case AnswerFraming::Kind::Civ: {
      const size_t end = bytes.rfind(kCivEnd);
      return end == std::string_view::npos ? 0 : end + 1;
    }
    case AnswerFraming::Kind::Record:
      if (framing.recordSize == 0) return 0;
      return bytes.size() / framing.recordSize * framing.recordSize;
    case AnswerFraming::Kind::None:
      break;
  }
  return 0;
}

size_t AnswerShortfall(const AnswerFraming& framing, std::string_view pending) {
  switch (framing.kind) {
    case AnswerFraming::Kind::Ascii:
      // A refusal is "?;" (an empty channel of most models answers so), a
      // memory record's and an identity's lengths are known per model; any
      // other answer may end with the next byte.
      if (pending == "?") return 1;
      if (framing.memoryAnswer > pending.size() && (pending == "M" || pending.substr(0, 2) == "MR"))
        return framing.memoryAnswer - pending.size();
      if (framing.idAnswer > pending.size() && (pending == "I" || pending.substr(0, 2) == "ID"))
        return framing.idAnswer - pending.size();
      return 0;
    case AnswerFraming::Kind::Record:
      return framing.recordSize == 0 ? 0 : framing.recordSize - pending.size() % framing.recordSize;
    case AnswerFraming::Kind::Civ:
    case AnswerFraming::Kind::None:
      break;
  }
  return 0;
}

void AnswerTally::Restart(const AnswerFraming& framing) {
  std::lock_guard lock(mutex_);
  framing_ = framing;
  partial_.clear();
}

std::string AnswerTally::LastIdentity() const {
  std::lock_guard lock(mutex_);
  return identity_;
}

void AnswerTally::Feed(std::string_view bytes) {
  std::lock_guard lock(mutex_);
  if (framing_.kind == AnswerFraming::Kind::None) return;
  partial_.append(bytes);
  const size_t whole = CompleteAnswersLength(framing_, partial_);
  std::string_view rest(partial_.data(), whole);
  while (!rest.empty()) {
    size_t len = 0;
    switch (framing_.kind) {
      case AnswerFraming::Kind::Ascii:
        len = rest.find(';') + 1;
        break;
      case AnswerFraming::Kind::Civ:
        len = rest.find(kCivEnd) + 1;
        break;
      default:
        len = framing_.recordSize;
        break;
    }
    Count(rest.substr(0, len));
    rest.remove_prefix(len);
  }
  partial_.erase(0, whole);
  // A rig that streams without ever ending an answer (noise, a wrong baud
  // rate) must not grow this without bound; what is cut off this way is
  // garbage anyway.
  constexpr size_t kMaxPartial = 4096;
  if (partial_.size() > kMaxPartial) partial_.erase(0, partial_.size() - kMaxPartial);
}

void AnswerTally::Count(std::string_view answer) {
  switch (framing_.kind) {
    case AnswerFraming::Kind::Ascii: {
      // Line noise and stray control bytes before the answer are no part
      // of it; a lone ';' is no answer.
      size_t start = 0;
      while (start < answer.size() && static_cast<unsigned char>(answer[start]) < 0x20)
        ++start;
      answer.remove_prefix(start);
      if (answer.size() < 2) return;
      ++answers_;
      if (answer.substr(0, 2) == "ID") {
        identity_ = std::string(answer.substr(2, answer.size() - 3));
        ++idAnswers_;
      }
      if (answer.substr(0, 2) == "?;") ++refusals_;
      return;
    }
    case AnswerFraming::Kind::Civ: {
      // FE FE to from ... FD; collisions and noise may eat preambles.
      const size_t at = answer.find(std::string_view("\xFE\xFE", 2));
      if (at == std::string_view::npos) return;
      size_t to = at + 2;
      while (to < answer.size() && answer[to] == kCivPreamble)
        ++to;
      if (to + 2 < answer.size() && answer[to] == kController) {
        ++answers_;
        if (static_cast<unsigned char>(answer[to + 2]) == 0xFA) ++refusals_;  // NG
      }
      return;
    }
    case AnswerFraming::Kind::Record:
      ++answers_;
      return;
    case AnswerFraming::Kind::None:
      return;
  }
}

}  // namespace varnek
