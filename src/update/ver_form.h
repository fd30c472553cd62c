#pragma once
// The update window: shows the running version, fetches the version file
// from the chosen server and says whether a newer release exists.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/controls.h"
#include "base/host.h"
#include "base/profile.h"
#include "update/download.h"

namespace varnek {

struct UpdateServer {
  std::string name;      // radio-button caption
  std::string word;      // stored under VerForm/Server
  std::string page;      // news of new versions
  std::string download;  // the new program
  std::string base;      // folder of the version file
};

// The two servers, their addresses from settings.ini (section VerForm, keys
// Server1Page, Server1Download, Server1Base, Server2…) or the defaults.
std::array<UpdateServer, 2> UpdateServers(const Profile& settings);

class TVerForm {
 public:
  TVerForm(Host& host, Profile settings, std::string settingsFolder, Downloader& downloader,
           std::function<void(const std::string&)> openUrl);

  std::string caption = "Varnek Update";
  int clientWidth = 400, clientHeight = 190;

  TLabel Label1, lbHttp, Label2;
  TPanel Panel1;
  TRadioButton rbServer1, rbServer2;
  TLabel lbThisVersion, lbVersion, lbVersion2, lbLoad;
  TLabel StatusBar1;  // the status bar's one simple panel

  std::vector<TControl*> Controls();

  ~TVerForm();
  TVerForm(const TVerForm&) = delete;
  TVerForm& operator=(const TVerForm&) = delete;

  // Reads the chosen server and shows the running version.
  void FormCreate();
  // Fetches the version file and shows what it says; the GUI turns
  // meanwhile. Run it once the window is on screen.
  void Check();
  void FormClose();
  void lbHttpClick();
  void lbLoadClick();
  void rbServer1Click();
  void rbServer2Click();

  const std::array<UpdateServer, 2>& Servers() const { return servers_; }
  // The server the radio buttons choose (0 or 1).
  int ChosenServer() const { return rbServer2.Checked() ? 1 : 0; }

 private:
  void ShowServer(int index);
  void OpenLink(const TLabel& link);

  Host& host_;
  Profile settings_;
  std::string settingsFolder_;
  Downloader& downloader_;
  std::function<void(const std::string&)> openUrl_;
  std::array<UpdateServer, 2> servers_;
  bool switching_ = false;
  // False once this window is gone (a check waiting below may find out).
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  // Beyond the downloader's own time-out: the fetch always ends first.
  static constexpr int kCheckWaitMs = 60000;
};

}  // namespace varnek
