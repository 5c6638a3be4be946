// The game's fixed widget set: the main menu, Options, HIGH SCORE, the help
// pages and the question box. Built anew on every engine start; the order of
// creation is the keyboard order.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "ui/Widgets.h"

namespace gh {

// Slots 0-10, 12 and 13 are used; 11 stays empty. Slot 10 is the HIGH SCORE
// screen's "Send", for the results the score server has not taken.
extern std::array<TDDButtonText*, 14> TextButtons;
extern TDDButton* ClearTableButton;
extern TDDButton* WorldScoresButton;
extern TDDButtonToggle* DisplayToggle;
extern TDDButtonToggle* SoundToggle;
extern TDDButtonToggle* MusicToggle;
extern TDDEdit* CountryEdit;
extern TDDEdit* NameEdit;
extern TDDBossKey* BossKeyBox;
extern SpriteRef MessagePanel;  // the question box's background picture
extern std::unique_ptr<TDDScrollText> HelpScroller;

// Creates every widget above, replacing an earlier set. A missing asset stops
// it with the file's error; widgets made before stay in the list.
void BuildMenus();
// Hides all prints, every widget and the question box's picture.
void HideAllMenuItems();

}  // namespace gh
