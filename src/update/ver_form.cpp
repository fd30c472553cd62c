#include "update/ver_form.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

#include "base/text.h"
#include "update/version.h"

namespace varnek {
namespace {


bool IsWebAddress(const std::string& url) {
  return StartsWith(url, "http://") || StartsWith(url, "https://");
}

}  // namespace

std::array<UpdateServer, 2> UpdateServers(const Profile& settings) {
  std::array<UpdateServer, 2> s = {{
      {"Main", "main", "https://kolvir.github.io/varnek/news.html",
       "https://kolvir.github.io/varnek/download.html", "https://kolvir.github.io/varnek/"},
      {"Mirror", "mirror", "https://kolvir.gitlab.io/varnek/news.html",
       "https://kolvir.gitlab.io/varnek/download.html", "https://kolvir.gitlab.io/varnek/"},
  }};
  for (int i = 0; i < 2; ++i) {
    const std::string prefix = "Server" + std::to_string(i + 1);
    UpdateServer& server = s[static_cast<size_t>(i)];
    server.page = settings.ReadString("VerForm", prefix + "Page", server.page);
    server.download = settings.ReadString("VerForm", prefix + "Download", server.download);
    server.base = settings.ReadString("VerForm", prefix + "Base", server.base);
  }
  return s;
}

TVerForm::TVerForm(Host& host, Profile settings, std::string settingsFolder, Downloader& downloader,
                   std::function<void(const std::string&)> openUrl)
    : host_(host),
      settings_(std::move(settings)),
      settingsFolder_(std::move(settingsFolder)),
      downloader_(downloader),
      openUrl_(std::move(openUrl)),
      servers_(UpdateServers(settings_)) {
  Place(Label1, "Label1", {12, 10, 376, 13});
  Label1.SetCaption("Description about new features and reports of latest versions:");
  Place(lbHttp, "lbHttp", {12, 28, 376, 13});
  lbHttp.SetFontColor(Color{0, 0, 255});
  Place(Label2, "Label2", {12, 54, 60, 13});
  Label2.SetCaption("Server");
  Place(Panel1, "Panel1", {12, 70, 180, 48});
  Place(rbServer1, "rbServer1", {6, 4, 160, 17});
  Place(rbServer2, "rbServer2", {6, 26, 160, 17});
  rbServer1.parent = rbServer2.parent = &Panel1;
  rbServer1.SetCaption(servers_[0].name);
  rbServer2.SetCaption(servers_[1].name);
  rbServer1.SetChecked(true);
  rbServer1.OnClick = [this] { rbServer1Click(); };
  rbServer2.OnClick = [this] { rbServer2Click(); };
  Place(lbThisVersion, "lbThisVersion", {210, 74, 180, 13});
  Place(lbVersion, "lbVersion", {210, 94, 180, 13});
  Place(lbVersion2, "lbVersion2", {210, 94, 180, 13});
  lbVersion2.bold = true;
  Place(lbLoad, "lbLoad", {12, 130, 376, 13});
  lbLoad.SetFontColor(Color{0, 0, 255});
  lbHttp.OnClick = [this] { lbHttpClick(); };
  lbLoad.OnClick = [this] { lbLoadClick(); };
  Place(StatusBar1, "StatusBar1", {0, 170, 400, 20});
  for (TControl* c : Controls())
    c->SetBackColor(colors::BtnFace);
}

std::vector<TControl*> TVerForm::Controls() {
  return {&Label1,        &lbHttp,    &Label2,     &Panel1, &rbServer1, &rbServer2,
          &lbThisVersion, &lbVersion, &lbVersion2, &lbLoad, &StatusBar1};
}

void TVerForm::ShowServer(int index) {
  const UpdateServer& s = servers_[static_cast<size_t>(index)];
  lbHttp.SetCaption(s.page);
  lbLoad.SetCaption(s.download);
}

void TVerForm::FormCreate() {
  const std::string word = settings_.ReadString("VerForm", "Server", "-1");
  // Checking one radio button clears the other only in the view; keep both
  // states right here, without running the server-change handlers.
  switching_ = true;
  rbServer2.SetChecked(word == servers_[1].word);
  rbServer1.SetChecked(!rbServer2.Checked());
  switching_ = false;
  ShowServer(ChosenServer());
  lbHttp.handCursor = lbLoad.handCursor = true;
  lbVersion.SetVisible(false);
  lbVersion2.SetVisible(false);
  lbLoad.SetVisible(false);
  lbThisVersion.SetCaption("Version: " + ProgramVersion());
}

TVerForm::~TVerForm() {
  *alive_ = false;
}

void TVerForm::Check() {
  const std::string running = Piece(lbThisVersion.Caption(), " ", 2, 1);
  const std::string base = servers_[static_cast<size_t>(ChosenServer())].base;
  StatusBar1.SetCaption("Connecting to " + base);
  // The download runs beside the GUI, which keeps turning (a server may
  // take the whole time-out to say nothing). The window may be closed
  // meanwhile: then nothing of it is touched afterwards.
  struct Job {
    std::string url, file;
    DownloadResult result;
    std::atomic<bool> done{false};
  };
  const auto job = std::make_shared<Job>();
  job->url = base + "varnek.ini";
  job->file = settingsFolder_ + "varnek.ini";
  const std::shared_ptr<bool> alive = alive_;
  std::thread fetch([job, &downloader = downloader_, &host = host_] {
    job->result = downloader.Fetch(job->url, job->file);
    job->done = true;
    host.Wake();
  });
  host_.WaitUntil([&job] { return job->done.load(); }, kCheckWaitMs);
  fetch.join();
  if (!*alive) return;
  const DownloadResult& got = job->result;
  const std::string file = job->file;
  if (!got.ok) {
    StatusBar1.SetCaption("Contact not got" + (got.error.empty() ? "" : ": " + got.error));
    return;
  }
  const Profile versionFile(file);
  const std::string value = Trim(versionFile.ReadString("Varnek", "Version"));
  const std::string serverVersion = Piece(value, " ", 1, 1);
  // A page of the server's instead of the file (an error page, a portal's
  // login) or a broken file tells nothing about versions.
  if (!IsVersionText(serverVersion)) {
    lbVersion.SetVisible(false);
    lbVersion2.SetVisible(false);
    lbLoad.SetVisible(false);
    StatusBar1.SetCaption("Check failed: " + job->url +
                          (value.empty() ? " is no version file (no Version in section Varnek)"
                                         : " names no version: '" + value.substr(0, 40) + "'"));
    return;
  }
  if (IsNewerVersion(serverVersion, running)) {
    lbVersion2.SetCaption("New Version " + serverVersion);
    lbVersion2.SetVisible(true);
    lbVersion.SetVisible(false);
    StatusBar1.SetCaption("New Version ");
    lbLoad.SetVisible(true);
  } else {
    StatusBar1.SetCaption("No new PgmVersion");
    lbVersion2.SetVisible(false);
    lbVersion.SetCaption("No new PgmVersion");
    lbVersion.SetVisible(true);
  }
}

void TVerForm::FormClose() {
  const FileResult r = settings_.WriteString("VerForm", "Server",
                                             servers_[static_cast<size_t>(ChosenServer())].word);
  if (!r.ok) host_.ReportError(r.message);
}

void TVerForm::OpenLink(const TLabel& link) {
  const std::string url = Trim(link.Caption());
  // Only web addresses: a settings file must not make a click run anything.
  if (url.empty() || !IsWebAddress(url)) {
    host_.ShowMessage("Address Error");
    return;
  }
  if (openUrl_) openUrl_(url);
}

void TVerForm::lbHttpClick() {
  OpenLink(lbHttp);
}
void TVerForm::lbLoadClick() {
  OpenLink(lbLoad);
}

void TVerForm::rbServer1Click() {
  if (switching_ || !rbServer1.Checked()) return;
  switching_ = true;
  rbServer2.SetChecked(false);
  switching_ = false;
  ShowServer(0);
  lbVersion.SetVisible(false);
  StatusBar1.SetCaption("");
}

void TVerForm::rbServer2Click() {
  if (switching_ || !rbServer2.Checked()) return;
  switching_ = true;
  rbServer1.SetChecked(false);
  switching_ = false;
  ShowServer(1);
  lbVersion.SetVisible(false);
  StatusBar1.SetCaption("");
}

}  // namespace varnek
