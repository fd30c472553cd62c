// The update check against a small HTTP server on the loopback address.
#include "update/ver_form.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/headless_host.h"
#include "update/version.h"

namespace varnek {
namespace {

// Answers every request with one canned response (or with silence), for as
// long as it lives.
class TinyHttpServer {
 public:
  enum class Mode { Ok, NotFound, Silent, Redirect };
  TinyHttpServer() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    listen(fd_, 8);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TinyHttpServer() {
    stop_ = true;
    thread_.join();
    close(fd_);
  }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  void Set(Mode mode, std::string body = {}) {
    std::lock_guard lock(mutex_);
    mode_ = mode;
    body_ = std::move(body);
  }
  int Requests() const { return requests_; }
  std::string LastPath() {
    std::lock_guard lock(mutex_);
    return lastPath_;
  }

 private:
  void Serve() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const int c = accept(fd_, nullptr, nullptr);
      if (c < 0) continue;
      char buf[4096];
      const ssize_t n = recv(c, buf, sizeof buf, 0);
      ++requests_;
      Mode mode;
      std::string body;
      {
        std::lock_guard lock(mutex_);
        const std::string req(buf, n > 0 ? static_cast<size_t>(n) : 0);
        // "GET /path HTTP/1.1"; a request cut short has no path to record.
        if (req.size() > 4) lastPath_ = req.substr(4, req.find(' ', 4) - 4);
        mode = mode_;
        body = body_;
      }
      std::string reply;
      if (mode == Mode::Ok)
        reply = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                "\r\nConnection: close\r\n\r\n" + body;
      else if (mode == Mode::NotFound)
        reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
      else if (mode == Mode::Redirect)
        reply =
            "HTTP/1.1 302 Found\r\nLocation: /moved/varnek.ini\r\nContent-Length: 0\r\n"
            "Connection: close\r\n\r\n";
      if (mode == Mode::Redirect) {
        std::lock_guard lock(mutex_);
        mode_ = Mode::Ok;
      }
      if (mode == Mode::Silent) {
        // Hold the connection open without a word until the client gives up.
        for (int i = 0; i < 100 && !stop_; ++i) {
          pollfd q{c, POLLIN, 0};
          if (poll(&q, 1, 50) > 0 && recv(c, buf, sizeof buf, MSG_DONTWAIT) == 0) break;
        }
      } else {
        size_t off = 0;
        while (off < reply.size()) {
          const ssize_t w = send(c, reply.data() + off, reply.size() - off, MSG_NOSIGNAL);
          if (w <= 0) break;
          off += static_cast<size_t>(w);
        }
      }
      close(c);
    }
  }

  int fd_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::mutex mutex_;
  Mode mode_ = Mode::Ok;
  std::string body_, lastPath_;
};

class VerFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("varnek-update-" + std::to_string(getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    folder = dir.string() + "/";
    std::ofstream ini(folder + "settings.ini", std::ios::binary);
    ini << "[VerForm]\r\nServer1Base=" << main.Base() << "\r\nServer2Base=" << mirror.Base()
        << "\r\nServer1Page=https://example.org/news\r\n";
    downloader.timeoutMs = 1500;
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::unique_ptr<TVerForm> Open() {
    auto f = std::make_unique<TVerForm>(host, Profile(folder + "settings.ini"), folder, downloader,
                                        [this](const std::string& url) { opened.push_back(url); });
    f->FormCreate();
    f->Check();
    return f;
  }
  static std::string VersionFile(const std::string& version) {
    return "[Varnek]\r\nVersion=" + version + "\r\n";
  }

  std::filesystem::path dir;
  std::string folder;
  TinyHttpServer main, mirror;
  HeadlessHost host;
  CurlDownloader downloader;
  std::vector<std::string> opened;
};

TEST_F(VerFormTest, Outcomes) {
  struct Case {
    TinyHttpServer::Mode mode;
    std::string body, status;
    bool newShown, loadShown;
  };
  using M = TinyHttpServer::Mode;
  const std::vector<Case> cases = {
      {M::Ok, VersionFile("999.0.0 new features"), "New Version ", true, true},
      {M::Ok, VersionFile(ProgramVersion()), "No new PgmVersion", false, false},
      {M::Ok, "[Varnek]\r\nOther=1\r\n", "Check failed", false, false},
      {M::Ok, "", "Check failed", false, false},
      {M::Ok, "<html><body>Varnek downloads</body></html>", "Check failed", false, false},
      {M::Ok, VersionFile("soon"), "Check failed", false, false},
      {M::Ok, VersionFile("1.2.x"), "Check failed", false, false},
      {M::NotFound, "", "Contact not got", false, false},
      {M::Silent, "", "Contact not got", false, false},
      {M::Redirect, VersionFile("999.1"), "New Version ", true, true},
      {M::Ok, std::string(70 * 1024, 'x'), "Contact not got", false, false},
  };
  const std::string previous = VersionFile("0.0.1 the last one fetched");
  for (const auto& c : cases) {
    { std::ofstream(folder + "varnek.ini", std::ios::binary) << previous; }
    main.Set(c.mode, c.body);
    auto form = Open();
    // A failure says why after the short text.
    EXPECT_EQ(form->StatusBar1.Caption().rfind(c.status, 0), 0u) << form->StatusBar1.Caption();
    EXPECT_EQ(form->StatusBar1.Caption().size() > c.status.size(),
              c.status == "Contact not got" || c.status == "Check failed")
        << form->StatusBar1.Caption();
    EXPECT_EQ(form->lbVersion2.Visible(), c.newShown) << c.body.substr(0, 40);
    EXPECT_EQ(form->lbLoad.Visible(), c.loadShown) << c.body.substr(0, 40);
    EXPECT_EQ(form->lbVersion.Visible(), c.status == "No new PgmVersion");
    if (c.newShown) {
      EXPECT_EQ(form->lbVersion2.Caption().rfind("New Version 999.", 0), 0u);
    }
    // A failed check leaves the version file it had, never a half download;
    // a good one replaces it.
    std::ifstream in(folder + "varnek.ini", std::ios::binary);
    const std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(now, c.status == "Contact not got" ? previous : c.body) << c.body.substr(0, 40);
  }
  EXPECT_EQ(main.LastPath(), "/varnek.ini");
  EXPECT_EQ(mirror.Requests(), 0);

  // Without an HTTP library a check fails and says so; nothing is touched.
  const int requests = main.Requests();
  CurlDownloader none;
  none.libraries = {"libvarnek-no-curl.so.4"};
  const DownloadResult r = none.Fetch(main.Base() + "/varnek.ini", folder + "varnek.ini");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("libvarnek-no-curl.so.4"), std::string::npos) << r.error;
  EXPECT_EQ(main.Requests(), requests);
}

TEST_F(VerFormTest, ServerChoiceIsRememberedAndSwitchesTheLinks) {
  main.Set(TinyHttpServer::Mode::Ok, VersionFile("0.0.1"));
  mirror.Set(TinyHttpServer::Mode::Ok, VersionFile("999"));
  auto form = Open();
  EXPECT_TRUE(form->rbServer1.Checked());
  EXPECT_EQ(form->lbHttp.Caption(), "https://example.org/news");
  form->rbServer2.Toggle();
  EXPECT_FALSE(form->rbServer1.Checked());
  EXPECT_EQ(form->lbHttp.Caption(), form->Servers()[1].page);
  EXPECT_EQ(form->lbLoad.Caption(), form->Servers()[1].download);
  EXPECT_EQ(form->StatusBar1.Caption(), "");
  EXPECT_FALSE(form->lbVersion.Visible());
  form->FormClose();
  EXPECT_EQ(Profile(folder + "settings.ini").ReadString("VerForm", "Server"), "mirror");

  auto again = Open();  // a new window checks the mirror
  EXPECT_TRUE(again->rbServer2.Checked());
  EXPECT_EQ(again->StatusBar1.Caption(), "New Version ");
  EXPECT_EQ(mirror.Requests(), 1);
  again->rbServer1.Toggle();
  again->FormClose();
  EXPECT_EQ(Profile(folder + "settings.ini").ReadString("VerForm", "Server"), "main");
}

TEST_F(VerFormTest, LinksOpenOnlyWebAddresses) {
  main.Set(TinyHttpServer::Mode::NotFound);
  auto form = Open();
  form->lbHttp.Click();
  EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/news"});
  for (const char* bad : {"", "   ", "file:///etc/passwd", "javascript:alert(1)", "/bin/sh"}) {
    form->lbLoad.SetCaption(bad);
    form->lbLoadClick();
  }
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_EQ(host.Messages(), std::vector<std::string>(5, "Address Error"));
}

}  // namespace
}  // namespace varnek
