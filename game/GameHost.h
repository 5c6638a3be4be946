// What a running game asks of the program around it. The program implements
// this and hands it to each game it creates.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "engine/EngineHandles.h"
#include "impact_types.h"

namespace gh {

class GameHost {
 public:
  virtual ~GameHost() = default;
  // A yes/no question in the question box (with the name box under it when
  // asked). The game's frames stop while it is open, the scene beneath stays
  // as it is, and `then` gets the answer (true for "Yes") in the frame that
  // answers it.
  virtual void Ask(const std::string& line1, const std::string& line2, const iColor& colour,
                   bool nameBox, std::function<void(bool)> then) = 0;
  // The result just entered into the table: it counts as not sent until a
  // send of it succeeds.
  virtual void ScoreEntered(const std::string& name, int32_t score, const std::string& country) = 0;
  // Sends a result while the program's frames go on ("Sending..." over the
  // frozen scene, Escape gives up); `then` gets true, in the frame that learns
  // it, when the server took the result.
  virtual void SendScore(const std::string& name, int32_t score, const std::string& country,
                         std::function<void(bool)> then) = 0;
  // A sound effect, heard when sounds are on.
  virtual void PlaySound(SoundRef sound, bool looped) = 0;
  // The game has ended: the program frees it once its frame is over and shows
  // the high-score table or the menu.
  virtual void EndGame(bool toHighScores) = 0;
  // The picture of the game's pointer (the crosshair while a game exists).
  virtual void SetPointerPicture(const char* file) = 0;
};

}  // namespace gh
