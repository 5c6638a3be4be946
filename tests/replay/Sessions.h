// The scripted sessions behind the replays kept in data/: each drives the real
// program through a Recorder, so the recording holds input only.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "harness/replay/ReplayPlayer.h"

namespace gh::test::replay {

struct Session {
  std::string name;  // data/<name>.replay and data/<name>.expect
  uint32_t seed;
  std::function<void(Recorder&)> script;
};

const std::vector<Session>& Sessions();

}  // namespace gh::test::replay
