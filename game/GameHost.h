// What a running game asks of the program around it. The program implements
// this and hands it to each game it creates.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "engine/EngineHandles.h"
#include "impact_types.h"
#include "platform/Result.h"

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
  // Whether a result enters the local table of ten.
  virtual bool QualifiesForHighScores(int32_t score) = 0;
  // Enters the result into the table under the name typed in the name box,
  // with the player's country, and saves the table; the result counts as not
  // sent until a send of it succeeds. An Error when the save failed: the table
  // in memory holds the result all the same.
  virtual Status EnterHighScore(int32_t score) = 0;
  // Sends the result just entered (the typed name, the country) while the
  // program's frames go on ("Sending..." over the frozen scene, Escape gives
  // up); `then` gets true, in the frame that learns it, when the server took it.
  virtual void SendScore(int32_t score, std::function<void(bool)> then) = 0;
  // A sound effect, heard when sounds are on.
  virtual void PlaySound(SoundRef sound, bool looped) = 0;
  // Holds the system pointer inside the window while the game is played
  // (only a game the player plays live: a recording played back never does).
  virtual void ConfinePointer(bool confine) = 0;
  // The game has ended: the program frees it once its frame is over and shows
  // the high-score table or the menu.
  virtual void EndGame(bool toHighScores) = 0;
  // The picture of the game's pointer (the crosshair while a game exists).
  virtual void SetPointerPicture(const char* file) = 0;
};

}  // namespace gh
