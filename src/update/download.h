#pragma once
// Fetching the version file from an update server.
#include <string>
#include <vector>

namespace varnek {

struct DownloadResult {
  bool ok = false;
  std::string error;  // why not, for the log
};

class Downloader {
 public:
  virtual ~Downloader() = default;
  // Fetches `url` into `path`. The file appears only complete: a failed or
  // cut-off download leaves whatever was at `path` before.
  virtual DownloadResult Fetch(const std::string& url, const std::string& path) = 0;
};

// HTTP and HTTPS through libcurl: redirects followed (never from https down
// to http), 10 s at most, at most 64 KiB accepted (a version file is a few
// lines), an HTTP error status is a failure. The library is opened at the
// first fetch, by the first of `libraries` that opens (the OpenSSL and the
// GnuTLS builds share one interface); none is a failed fetch that says why.
class CurlDownloader : public Downloader {
 public:
  std::vector<std::string> libraries = {"libcurl.so.4", "libcurl-gnutls.so.4"};
  long timeoutMs = 10000;
  size_t maxBytes = 64 * 1024;
  DownloadResult Fetch(const std::string& url, const std::string& path) override;
};

}  // namespace varnek
