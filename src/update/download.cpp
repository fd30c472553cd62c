#include "update/download.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <map>
#include <mutex>

#include "base/file_io.h"

namespace varnek {
namespace {

// libcurl is opened the first time an update check runs, not linked: linked,
// the dynamic loader maps and relocates it and its thirty-odd libraries (TLS,
// Kerberos, LDAP, SSH…) at every start, which was most of the CPU a short
// `varnek-cli read` spent, for a check most runs never make.
struct CurlApi {
  CURLcode (*global_init)(long) = nullptr;
  CURL* (*easy_init)() = nullptr;
  CURLcode (*easy_setopt)(CURL*, CURLoption, ...) = nullptr;
  CURLcode (*easy_perform)(CURL*) = nullptr;
  void (*easy_cleanup)(CURL*) = nullptr;
  const char* (*easy_strerror)(CURLcode) = nullptr;
  std::string error;  // why it could not be opened; empty when it was

  template <typename F>
  bool Find(void* lib, const char* name, F& f) {
    f = reinterpret_cast<F>(::dlsym(lib, name));
    if (!f) error = std::string("libcurl has no ") + name;
    return f != nullptr;
  }

  void Open(const std::vector<std::string>& names) {
    void* lib = nullptr;
    for (const std::string& name : names) {
      lib = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (lib) break;
      const char* why = ::dlerror();
      if (error.empty() && why) error = why;  // the usual library's reason, not a fallback's
    }
    if (!lib) return;
    error.clear();
    // Never closed: curl keeps process-wide state from its global init.
    if (Find(lib, "curl_global_init", global_init) && Find(lib, "curl_easy_init", easy_init) &&
        Find(lib, "curl_easy_setopt", easy_setopt) &&
        Find(lib, "curl_easy_perform", easy_perform) &&
        Find(lib, "curl_easy_cleanup", easy_cleanup) &&
        Find(lib, "curl_easy_strerror", easy_strerror))
      global_init(CURL_GLOBAL_DEFAULT);
  }
};

const CurlApi& Curl(const std::vector<std::string>& names) {
  static std::mutex mutex;
  static std::map<std::vector<std::string>, CurlApi> opened;
  std::lock_guard lock(mutex);
  auto [it, fresh] = opened.try_emplace(names);
  if (fresh) it->second.Open(names);
  return it->second;
}

struct Sink {
  std::string bytes;
  size_t limit = 0;
  bool overflow = false;
};

size_t Collect(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  const size_t n = size * count;
  if (sink->bytes.size() + n > sink->limit) {
    sink->overflow = true;
    return 0;  // makes curl stop with a write error
  }
  sink->bytes.append(data, n);
  return n;
}

using SetOpt = CURLcode (*)(CURL*, CURLoption, ...);

// Only http and https, and from https only to https. libcurl 7.85 and later
// take the protocols as text; older ones only as the bitmask options, which
// the newer headers mark deprecated (so they are named by number here).
CURLcode RestrictProtocols(SetOpt set, CURL* curl, bool secure) {
  if (set(curl, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK)
    return set(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  constexpr auto kProtocols = static_cast<CURLoption>(CURLOPTTYPE_LONG + 181);
  constexpr auto kRedirProtocols = static_cast<CURLoption>(CURLOPTTYPE_LONG + 182);
  const long both = CURLPROTO_HTTP | CURLPROTO_HTTPS;
  const CURLcode rc = set(curl, kProtocols, both);
  if (rc != CURLE_OK) return rc;
  return set(curl, kRedirProtocols, secure ? static_cast<long>(CURLPROTO_HTTPS) : both);
}

}  // namespace

DownloadResult CurlDownloader::Fetch(const std::string& url, const std::string& path) {
  const CurlApi& api = Curl(libraries);
  if (!api.error.empty()) return {false, "no HTTP library: " + api.error};
  CURL* curl = api.easy_init();
  if (!curl) return {false, "curl could not start"};
  Sink sink;
  sink.limit = maxBytes;
  char error[CURL_ERROR_SIZE] = {};
  const SetOpt set = api.easy_setopt;
  // A check begun over https is not to be talked down to plain http by a
  // redirect: that would let anyone on the path answer for the server.
  const bool secure = url.rfind("https://", 0) == 0;
  // Each option must take: an older libcurl that ignored one (a limit, a
  // time-out, the protocol restriction) would run a check it was not meant
  // to run.
  const char* failed = nullptr;
  const auto need = [&failed](CURLcode rc, const char* what) {
    if (rc != CURLE_OK && !failed) failed = what;
  };
  need(set(curl, CURLOPT_URL, url.c_str()), "the address");
  need(RestrictProtocols(set, curl, secure), "the protocols and redirects to follow");
  need(set(curl, CURLOPT_FOLLOWLOCATION, 1L), "redirects");
  need(set(curl, CURLOPT_MAXREDIRS, 5L), "the redirect limit");
  need(set(curl, CURLOPT_TIMEOUT_MS, timeoutMs), "the time-out");
  need(set(curl, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs), "the time-out");
  need(set(curl, CURLOPT_FAILONERROR, 1L), "failing on an HTTP error");
  need(set(curl, CURLOPT_NOSIGNAL, 1L), "working without signals");
  need(set(curl, CURLOPT_USERAGENT, "Varnek"), "the user agent");
  need(set(curl, CURLOPT_WRITEFUNCTION, Collect), "the size limit");
  need(set(curl, CURLOPT_WRITEDATA, &sink), "the size limit");
  need(set(curl, CURLOPT_ERRORBUFFER, error), "the error text");
  if (failed) {
    api.easy_cleanup(curl);
    return {false, std::string("the HTTP library cannot set ") + failed +
                       "; the check was not run"};
  }
  const CURLcode rc = api.easy_perform(curl);
  api.easy_cleanup(curl);
  if (sink.overflow)
    return {false, "the file is larger than " + std::to_string(maxBytes) + " bytes"};
  if (rc != CURLE_OK) return {false, error[0] ? error : api.easy_strerror(rc)};
  const FileResult written = WriteFileAtomically(path, sink.bytes);
  if (!written.ok) return {false, written.message};
  return {true, {}};
}

}  // namespace varnek
