// The read requests also run on the load worker: everything that touches
// the serial line, the transcript or the window must be handed to the GUI
// thread, and no message processing may be attempted from the worker.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "rig/fake_rig_io.h"

namespace varnek {
namespace {

using varnek::testing::RigBench;

TEST(RigOperations, ReadsFromTheLoadWorker) {
  struct Case {
    const char* model;
    size_t sends;
  };
  const std::vector<Case> cases = {
      {"TS-570", 1},
      {"IC-CI-V", 3},
      {"FT-920", 2},
      {"FT-1000", 2},
  };
  for (const auto& c : cases) {
    RigBench b(c.model);
    std::atomic<bool> done{false};
    std::thread worker([&] {
      b.set().ReadChannel(b.ctx(), "05");
      done = true;
      b.host.Wake();
    });
    const bool finished = b.host.WaitFor([&] { return done.load(); }, 10000);
    worker.join();
    ASSERT_TRUE(finished) << c.model;
    EXPECT_FALSE(b.io.offGui) << c.model;
    EXPECT_EQ(b.io.sent.size(), c.sends) << c.model;
    for (const auto& e : b.host.Events())
      EXPECT_NE(e.kind, HeadlessHost::Event::ProcessMessages) << c.model;
  }
}

}  // namespace
}  // namespace varnek
