#include "base/headless_host.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/cp1252.h"
#include "base/errors.h"

namespace varnek {
namespace {

TEST(HeadlessHost, NegativePauseIsNoPause) {
  HeadlessHost host;
  const auto t0 = host.TickCount();
  host.Sleep(-1);
  EXPECT_LT(host.TickCount() - t0, 1000u);
  EXPECT_EQ(host.Sleeps(), std::vector<int>{0});
}

TEST(HeadlessHost, SimulatedTimeAdvancesTheClockWithoutWaiting) {
  HeadlessHost host(HeadlessHost::Time::Simulated);
  const auto t0 = host.TickCount();
  const auto wall = std::chrono::steady_clock::now();
  host.Sleep(3'600'000);
  EXPECT_GE(host.TickCount() - t0, 3'600'000u);
  EXPECT_LT(std::chrono::steady_clock::now() - wall, std::chrono::seconds(5));
}

TEST(HeadlessHost, WorkFromAnotherThreadRunsOnTheGuiThread) {
  HeadlessHost host;
  std::thread::id ranOn;
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    host.RunOnGuiThread([&] { ranOn = std::this_thread::get_id(); });
    returned = true;
    host.Wake();
  });
  EXPECT_TRUE(host.WaitFor([&] { return returned.load(); }, 10000));
  worker.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(HeadlessHost, ErrorsCrossBackToTheCaller) {
  HeadlessHost host;
  std::string caught;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    try {
      host.RunOnGuiThread([] { throw EConvertError("bad"); });
    } catch (const EConvertError& e) {
      caught = e.what();
    }
    done = true;
    host.Wake();
  });
  EXPECT_TRUE(host.WaitFor([&] { return done.load(); }, 10000));
  worker.join();
  EXPECT_EQ(caught, "bad");
}

TEST(HeadlessHost, GuardedReportsInsteadOfThrowing) {
  HeadlessHost host;
  EXPECT_FALSE(Guarded(host, [] { throw EConvertError("'x' is not a valid integer value"); }));
  EXPECT_TRUE(Guarded(host, [] {}));
  EXPECT_EQ(host.Errors(), std::vector<std::string>{"'x' is not a valid integer value"});
}

TEST(Cp1252, RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all += static_cast<char>(b);
  bool lossy = true;
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all), &lossy), all);
  EXPECT_FALSE(lossy);
}

TEST(Cp1252, KnownCharactersAndLosses) {
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\u20AC");
  EXPECT_EQ(Cp1252ToUtf8("\xB4"), "\u00B4");
  EXPECT_EQ(Cp1252ToUtf8("\xE4\xF6"), "\u00E4\u00F6");
  bool lossy = false;
  EXPECT_EQ(Utf8ToCp1252("\u0160\u2122", &lossy), "\x8A\x99");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(Utf8ToCp1252("a\u4E2Db", &lossy), "a?b");
  EXPECT_TRUE(lossy);
  EXPECT_EQ(Utf8ToCp1252("\xC3", &lossy), "?");  // truncated sequence
  EXPECT_TRUE(lossy);
  EXPECT_TRUE(Cp1252CanHold(U'\u00E4'));
  EXPECT_FALSE(Cp1252CanHold(U'\u4E2D'));
}

}  // namespace
}  // namespace varnek
