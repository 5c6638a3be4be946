// The table's recordings and watching them: keeping a finished game's
// recording for its new table entry, the Watch screen (the game's own view, its
// HUD and sounds, driven by a playback at the speed the player chooses), and a
// recording named at start.
#include "shell/Watch.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "engine/EngineCalls.h"
#include "engine/Keys.h"
#include "engine/ScreenUnits.h"
#include "game/Recording.h"
#include "platform/System.h"
#include "scores/TableRecordings.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"
#include "ui/Widgets.h"

namespace gh {

namespace {

constexpr iColor Red{1.0f, 0.0f, 0.0f, 1.0f};

// The sign of a row whose game can be watched, just left of its name, and the
// line that explains it under the table's buttons.
constexpr float WatchSignX = -4.75f;
constexpr const char* WatchSign = ">";
// Left of this the pointer is on a row's rank and sign, never on a name or score.
constexpr float NameLeft = -4.0f;

// The caption of a game being watched, in the sky between the HUD's clock and
// score panels: what plays, then the keys.
constexpr float CaptionX = -4.3f;
constexpr float CaptionRoom = 8.2f;  // the gap between the panels, less a margin
constexpr float CaptionY = 11.45f, CaptionScale = 0.55f;
constexpr float KeysY = 10.75f, KeysScale = 0.4f;

// Prints centred at (x, y), smaller when wider than the caption's room.
void PrintCaptionLine(const std::string& text, float y, float scale) {
  const iVec2 size{scale, scale};
  const float width = iPrintWidth(text.c_str(), &size, -0.1f, ScreenFont());
  if (width > CaptionRoom) scale *= CaptionRoom / width;
  PrintText(text, AlignCentre, false, CaptionX, y, scale, scale, -0.1f, ColourCaption);
}

bool IsRecordingOf(std::string_view bytes, const HighScore& entry) {
  const Result<GameRecording> recording = DecodeRecording(bytes);
  return recording && recording->Score == entry.Score;
}

// A message in the question box's two lines: split after its first colon or
// sentence, or at the space nearest its middle.
std::pair<std::string, std::string> TwoLines(const std::string& text) {
  for (const char* mark : {": ", ". "}) {
    const size_t at = text.find(mark);
    if (at != std::string::npos && at + 2 < text.size())
      return {text.substr(0, at + 1), text.substr(at + 2)};
  }
  constexpr size_t OneLine = 34;
  if (text.size() <= OneLine) return {text, ""};
  const size_t middle = text.size() / 2;
  const auto off = [&](size_t at) { return at > middle ? at - middle : middle - at; };
  size_t best = std::string::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ' && (best == std::string::npos || off(i) < off(best))) best = i;
  }
  if (best == std::string::npos) return {text, ""};
  return {text.substr(0, best), text.substr(best + 1)};
}

void Report(const std::string& text) { std::fprintf(stderr, "Gravelhorn 2: %s\n", text.c_str()); }

}  // namespace

// ---- the view host ------------------------------------------------------------------

void WatchView::PlaySound(SoundRef sound, bool looped) {
  if (Silent || !sound) return;
  // Several game frames in one engine frame (the fast speeds) start the same
  // shot several times at once: one is heard, as loud as in the game.
  for (const SoundRef started : started_)
    if (started.get() == sound.get()) return;
  started_.push_back(sound);
  shell_.PlaySoundFx(sound, looped);
}

void WatchView::SetPointerPicture(const char* file) { shell_.SetPointerPicture(file); }

// ---- the table's recordings ---------------------------------------------------------

void Shell::LoadRecordings() {
  recordings_.Load(settings_.HighScores, tableStored_, IsRecordingOf);
}

void Shell::KeepFinishedRecording(const std::string& name, int32_t score) {
  Status kept;
  const GameRecording* finished = FinishedRecording();
  if (finished && finished->Score == score) {
    kept = recordings_.Keep(name, score, EncodeRecording(*finished), settings_.HighScores,
                            tableStored_);
  } else if (tableStored_) {
    kept = recordings_.Follow(settings_.HighScores);  // the entry pushed out loses its game
  }
  if (!kept) Report(kept.error().message + "; this game cannot be watched from the table");
}

void Shell::ForgetRecordingsOfClearedTable() {
  if (!tableStored_) return;
  if (const Status followed = recordings_.Follow(settings_.HighScores); !followed)
    Report(followed.error().message);
}

std::optional<std::string> Shell::KeptRecording(const std::string& name, int32_t score) const {
  return recordings_.EntryBytes(name, score, settings_.HighScores);
}

std::array<bool, 10> Shell::WatchableRows() const {
  std::array<bool, 10> rows{};
  const std::array<int, 10> entries = recordings_.Rows(settings_.HighScores);
  for (size_t row = 0; row < rows.size(); ++row) rows[row] = entries[row] >= 0;
  return rows;
}

void Shell::ShowWatchableRows() {
  if (!widgets_) return;
  const std::array<bool, 10> rows = WatchableRows();
  for (size_t row = 0; row < rows.size(); ++row) {
    if (rows[row]) widgets_->TableRows[row]->Show();
  }
}

void Shell::DrawWatchSigns() {
  const std::array<bool, 10> rows = WatchableRows();
  bool any = false;
  for (int row = 0; row < 10; ++row) {
    if (!rows[static_cast<size_t>(row)]) continue;
    any = true;
    const iColor& colour = row == 0 ? ColourCaption : ColourScoreRow;
    PrintText(WatchSign, AlignLeft, false, WatchSignX, TableRowY(row), 0.6f, 0.8f, -0.1f, colour);
  }
  if (any) {
    PrintText("> watch", AlignCentre, false, 13.1f, -7.7f, 0.5f, 0.5f, -0.1f, ColourCaption);
  }
}

bool Shell::RowClickWatches(int row, float x) const {
  return x < NameLeft && row >= 0 && row < 10 && WatchableRows()[static_cast<size_t>(row)];
}

// ---- watching ---------------------------------------------------------------------

void Shell::WatchTableRow(int row) {
  const std::optional<std::string> bytes = recordings_.RowBytes(row, settings_.HighScores);
  if (!bytes) {
    TellCannotWatch("The recording of this entry", "cannot be read.", Screen::HighScores);
    return;
  }
  WatchRecording(*bytes, Screen::HighScores);
}

void Shell::WatchRecording(std::string_view bytes, Screen after) {
  Result<GameRecording> recording = DecodeRecording(bytes);
  Status playable = recording ? CanPlayHere(*recording, dataVersion_) : Status(recording.error());
  if (!playable) {
    const auto [first, second] = TwoLines(playable.error().message);
    TellCannotWatch(first, second, after);
    return;
  }
  watch_ = std::make_unique<WatchState>();
  watch_->recording = std::move(*recording);
  watch_->after = after;
  watch_->view = std::make_unique<WatchView>(*this);
  SwitchScreen(Screen::Watch);
}

void Shell::TellCannotWatch(const std::string& line1, const std::string& line2, Screen after) {
  const Screen asking = currentScreen_;
  questions_.Ask(line1, line2, Red, false, [this, asking, after](bool) {
    if (currentScreen_ == asking) SwitchScreen(after);  // see AskExit
  });
}

void Shell::WatchAtStart(ProgramOptions options) { startOptions_ = std::move(options); }

void Shell::StartWatchFromOptions() {
  if (!startOptions_.replayFile) return;
  const ProgramOptions options = std::move(startOptions_);
  startOptions_ = {};
  // After the game, or a message, the menu fades in as at any start.
  if (!options.replayError.empty()) {
    const auto [first, second] = TwoLines(options.replayError);
    TellCannotWatch(first, second, Screen::FadeIn);
    return;
  }
  WatchRecording(options.replayBytes, Screen::FadeIn);
}

void Shell::EnterWatch() {
  if (!watch_) {
    SwitchScreen(Screen::Menu);  // nothing to watch (never after a restart: it keeps the game)
    return;
  }
  if (resources_.Loading) iSpriteRender(resources_.Loading, true);
  UpdateMusic();
  watch_->captionFrom = 0;
  if (watch_->playback) return;  // shown again (the music changed)
  Result<std::unique_ptr<GamePlayback>> playback =
      GamePlayback::Create(*watch_->view, watch_->recording);
  if (!playback) {
    watch_.reset();
    StopWithMessage(playback.error());
    return;
  }
  watch_->playback = std::move(*playback);
  // After an engine restart the game goes on where it was: its frames up to
  // there run at once, unheard.
  if (watch_->resumeAt > 0) {
    watch_->view->Silent = true;
    while (watch_->playback->FramesPlayed() < watch_->resumeAt && watch_->playback->Step()) {
    }
    watch_->view->Silent = false;
    iPrintsHide();
  }
}

void Shell::EndWatch(bool forRestart) {
  if (!watch_) return;
  if (forRestart) {
    if (watch_->playback) watch_->resumeAt = watch_->playback->FramesPlayed();
    watch_->playback.reset();
    return;
  }
  watch_.reset();
}

void Shell::LeaveWatch() {
  const Screen after = watch_ ? watch_->after : Screen::Menu;
  SwitchScreen(after);
  UpdateMusic();
}

void Shell::ChangeWatchSpeed(int step) {
  if (!watch_) return;
  watch_->speed = std::clamp(watch_->speed + step, 0, WatchSpeedCount - 1);
  watch_->credit = 0;
}

bool Shell::WatchFrame() {
  WatchState* const w = watch_.get();
  if (!w || !w->playback) {
    LeaveWatch();
    return false;
  }
  if (iKeyClick(Key::LetterP) || iKeyClick(Key::Space)) w->paused = !w->paused;
  if (iKeyClick(Key::Right) || iKeyClick(Key::Equals) || iKeyClick(Key::KeypadPlus))
    ChangeWatchSpeed(1);
  if (iKeyClick(Key::Left) || iKeyClick(Key::Minus) || iKeyClick(Key::KeypadMinus))
    ChangeWatchSpeed(-1);

  uint32_t steps = 0;
  if (!w->paused) {
    const WatchSpeed& speed = WatchSpeeds[w->speed];
    w->credit += speed.frames;
    steps = w->credit / speed.engineFrames;
    w->credit %= speed.engineFrames;
  }
  w->view->NewFrame();
  // The game's texts stay on screen while no game frame runs (paused, slow);
  // the caption is printed anew over them.
  iPrintsHideFrom(w->captionFrom);
  w->lastSteps = 0;
  for (uint32_t i = 0; i < steps; ++i) {
    // Only the last game frame's texts are seen, as in the game.
    iPrintsHide();
    if (!w->playback->Step()) break;
    ++w->lastSteps;
  }
  if (w->playback->Done()) {
    LeaveWatch();
    return false;
  }

  // The aiming cross where the player's pointer was.
  const FrameInput& input = w->playback->LastInput();
  const iVec2 at = ViewToPlane(static_cast<float>(input.PointerX) / PointerRange,
                               static_cast<float>(input.PointerY) / PointerRange);
  if (resources_.Cursor) iSpriteLocationSet(resources_.Cursor, &at);

  w->captionFrom = iPrintCount();
  PrintCaptionLine(std::string("REPLAY ") + (w->paused ? "paused" : WatchSpeeds[w->speed].caption),
                   CaptionY, CaptionScale);
  PrintCaptionLine("P pause   +/- speed   Esc back", KeysY, KeysScale);
  return false;
}

const GamePlayback* Shell::Playback() const { return watch_ ? watch_->playback.get() : nullptr; }

int Shell::WatchSpeedIndex() const { return watch_ ? watch_->speed : -1; }

uint32_t Shell::WatchFramesLastStep() const { return watch_ ? watch_->lastSteps : 0; }

// ---- a recording named at start ---------------------------------------------------

ProgramOptions ReadProgramArguments(const std::vector<std::string>& arguments) {
  ProgramOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] != "--replay") {
      Report("unknown option \"" + arguments[i] + "\" ignored (the one option is --replay FILE)");
      continue;
    }
    if (i + 1 >= arguments.size()) {
      options.replayFile = "";
      options.replayError = "--replay needs the name of a recording file.";
      continue;
    }
    const std::string& file = arguments[++i];
    options.replayFile = file;
    // One byte over the reader's limit is enough to refuse a file as too large.
    Result<std::string> bytes = ReadFileStart(file, RecordingLimits{}.MaxBytes + 1);
    if (!bytes) {
      options.replayError = "The recording cannot be read. " + bytes.error().message;
    } else {
      options.replayBytes = std::move(*bytes);
      options.replayError.clear();
    }
  }
  return options;
}

}  // namespace gh
