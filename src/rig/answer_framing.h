#pragma once
// Where the rig's answers end in the byte stream, per command set, and a
// tally of the answers that have arrived. Answer-paced transfers go on as
// soon as the answer to a request is complete instead of sleeping a fixed
// interval; every run uses the tally to tell which channels got no answer.
//
// - ASCII (Kenwood, FT-2000): every answer ends with ';' and nothing else.
// - CI-V: frames end with FD. On a one-wire bus our own frames come back as
//   an echo (addressed from E0 to the rig); only frames addressed to E0 are
//   the rig's answers.
// - Yaesu five-byte: no terminator; an answer is a fixed-size record (16
//   bytes on the FT-1000 family, 14 on the FT-920).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace varnek {

struct AnswerFraming {
  enum class Kind { None, Ascii, Civ, Record };
  Kind kind = Kind::None;
  size_t recordSize = 0;  // Record only
  // ASCII: the length of a memory-read answer ("MR…;"), the shortest one
  // where names vary; 0 when unknown.
  size_t memoryAnswer = 0;
  // ASCII: the length of the identity answer ("ID019;"), the sync after
  // every write; 0 when unknown.
  size_t idAnswer = 0;
  friend bool operator==(const AnswerFraming&, const AnswerFraming&) = default;
};

// The framing of a model code's command set; Kind::None for a code without
// a rig family or a five-byte rig without a memory layout.
AnswerFraming FramingFor(std::string_view modelCode);

// How many leading bytes of `bytes` are whole answers: up to the last ';'
// or FD, or whole records. 0 when not even one answer is complete.
size_t CompleteAnswersLength(const AnswerFraming& framing, std::string_view bytes);

// At least how many more bytes the answer begun in `pending` (bytes that
// hold no complete answer) needs; 0 when the framing cannot tell.
size_t AnswerShortfall(const AnswerFraming& framing, std::string_view pending);

// Counts the rig's complete answers in the received stream, which may come
// cut anywhere. Fed on the GUI thread by the receive path; read from any
// thread (the load worker waits on it).
class AnswerTally {
 public:
  // Forgets a partial answer and starts framing for `framing`; the counts
  // keep growing, waits compare against a count taken before a request.
  void Restart(const AnswerFraming& framing);
  void Feed(std::string_view bytes);

  // Every complete answer of the rig (echoes of our own CI-V frames do not
  // count).
  uint64_t Answers() const { return answers_; }
  // ASCII answers to the identity query ("ID…;"): the sync points after
  // commands the rig does not answer.
  uint64_t IdAnswers() const { return idAnswers_; }
  // Refusals: ASCII "?;" (the rig could not parse or carry out a command)
  // and CI-V NG frames (FA) addressed to the controller.
  uint64_t Refusals() const { return refusals_; }
  // What the latest identity answer named, between "ID" and ';' ("021");
  // empty before the first.
  std::string LastIdentity() const;

 private:
  void Count(std::string_view answer);

  mutable std::mutex mutex_;
  std::string identity_;
  AnswerFraming framing_;
  std::string partial_;
  std::atomic<uint64_t> answers_{0}, idAnswers_{0}, refusals_{0};
};

}  // namespace varnek
