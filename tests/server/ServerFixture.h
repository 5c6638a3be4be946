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

  void Start(ServiceOptions options) {
    Stop();
    service_ = std::make_unique<ScoreService>(
        *storage_, options, [this] { return nowMs_.load(); },
        [this](const std::string& line) {
          std::lock_guard lock(logMutex_);
          log_.push_back(line);
        });
    server_ = std::make_unique<httplib::Server>();
    service_->Mount(*server_);
    port_ = server_->bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    // A bound socket already listens: requests wait until the thread accepts.
    thread_ = std::thread([this] { server_->listen_after_bind(); });
  }
  void Stop() {
    // stop() before the listening loop runs would be lost and the join would
    // never end: wait for the loop first.
    if (server_) {
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!server_->is_running() && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
      server_->stop();
    }
    if (thread_.joinable()) thread_.join();
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
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  std::atomic<int64_t> nowMs_{1700000000000};
  std::mutex logMutex_;
  std::vector<std::string> log_;
};

}  // namespace gh::scores::test
