// A score service on a loopback port with a hand-moved clock and its log kept,
// over a fresh SQLite file.
#pragma once
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "server/HttpServer.h"
#include "server/ScoreService.h"

namespace gh::scores::test {

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("gh_service_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(dir_);
    storage_ = OpenSqlite((dir_ / "scores.sqlite").string());
    Start(ServiceOptions{});
  }
  void TearDown() override {
    Stop();
    storage_.reset();
    std::filesystem::remove_all(dir_);
  }

  void Start(ServiceOptions options, HttpLimits limits = {}) {
    Stop();
    service_ = std::make_unique<ScoreService>(
        *storage_, options, [this] { return nowMs_.load(); },
        [this](const std::string& line) {
          std::lock_guard lock(logMutex_);
          log_.push_back(line);
        });
    server_ = std::make_unique<HttpServer>(
        [this](const HttpRequest& req) { return service_->Handle(req); }, limits);
    port_ = server_->Start("127.0.0.1", 0);
    ASSERT_GT(port_, 0);
  }
  void Stop() {
    server_.reset();
    service_.reset();
  }

  std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }
  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_connection_timeout(5);
    client.set_read_timeout(10);
    return client;
  }
  std::vector<std::string> Log() {
    std::lock_guard lock(logMutex_);
    return log_;
  }
  bool Logged(const std::string& part) {
    for (const auto& line : Log())
      if (line.find(part) != std::string::npos) return true;
    return false;
  }
  void Advance(int64_t seconds) { nowMs_ += seconds * 1000; }

  std::filesystem::path dir_;
  std::unique_ptr<Storage> storage_;
  std::unique_ptr<ScoreService> service_;
  std::unique_ptr<HttpServer> server_;
  int port_ = 0;
  std::atomic<int64_t> nowMs_{1700000000000};
  std::mutex logMutex_;
  std::vector<std::string> log_;
};

}  // namespace gh::scores::test
