#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

// Holds answers back until it opens (or 20 seconds have passed).
class TGate {
 public:
  void Wait() {
    std::unique_lock lock(FMutex);
    FChanged.wait_for(lock, std::chrono::seconds(20), [this] { return FOpen; });
  }
  void Open() {
    std::lock_guard lock(FMutex);
    FOpen = true;
    FChanged.notify_all();
  }

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  bool FOpen = false;
};

// Status images as the window's tests ask for them: /img/png/WxH, /img/capital (type Image/PNG),
// /img/missing (404 text/html), /img/broken (image/png that is no picture) and /img/slow (held by
// the gate). `png` makes the bytes of a picture of the given size.
inline void ServeImages(httplib::Server& server, TGate& slow,
                        std::function<std::string(int width, int height)> png) {
  server.Get(R"(/img/png/(\d+)x(\d+))", [png](const httplib::Request& req, httplib::Response& res) {
    res.set_content(png(std::stoi(req.matches[1]), std::stoi(req.matches[2])), "image/png");
  });
  server.Get("/img/capital", [png](const httplib::Request&, httplib::Response& res) {
    res.set_content(png(100, 30), "Image/PNG");
  });
  server.Get("/img/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("<html>not here</html>", "text/html");
  });
  server.Get("/img/broken", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("not a picture", "image/png");
  });
  server.Get("/img/slow", [&slow, png](const httplib::Request&, httplib::Response& res) {
    slow.Wait();
    res.set_content(png(300, 70), "image/png");
  });
}
