#include "update/download.h"

#include <curl/curl.h>

#include <mutex>

#include "base/file_io.h"

namespace varnek {
namespace {

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

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

DownloadResult CurlDownloader::Fetch(const std::string& url, const std::string& path) {
  GlobalInit();
  CURL* curl = curl_easy_init();
  if (!curl) return {false, "curl could not start"};
  Sink sink;
  sink.limit = maxBytes;
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  // A check begun over https is not to be talked down to plain http by a
  // redirect: that would let anyone on the path answer for the server.
  const bool secure = url.rfind("https://", 0) == 0;
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Varnek");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  const CURLcode rc = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  if (sink.overflow)
    return {false, "the file is larger than " + std::to_string(maxBytes) + " bytes"};
  if (rc != CURLE_OK) return {false, error[0] ? error : curl_easy_strerror(rc)};
  const FileResult written = WriteFileAtomically(path, sink.bytes);
  if (!written.ok) return {false, written.message};
  return {true, {}};
}

}  // namespace varnek
